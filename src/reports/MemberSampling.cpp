#include "core/BeamElement.h"

#include <cmath>

// The largest moment, shear and translation along a member are found by
// sampling, not in closed form: 1001 evenly spaced points, both ends
// included. A value replaces the best so far only when strictly greater, so
// ties go to the point nearest the first node and a NaN never wins. The
// element-axis end values are computed once per call; the samples
// themselves allocate nothing.

namespace {

constexpr int kSteps = 1000;

} // namespace

void BeamElement::AbsMaxMoment(double& value, double& x) const
{
    const AxisResults axis = ComputeAxisResults();
    const double V1 = axis.f[1], M1 = axis.f[2];
    const double q1 = m_q1, q2 = m_q2;
    const double L = m_Length;

    double best = std::fabs(M1);
    double at = 0;
    for (int i = 0; i <= kSteps; ++i) {
        const double s = (i / static_cast<double>(kSteps)) * L;
        // Written in this order on purpose: it fixes the last printed digit.
        const double m = std::fabs(q1 * s * s / 2 + V1 * s - M1 + (q2 - q1) * s * s * s / (6 * L));
        if (m > best) {
            best = m;
            at = s;
        }
    }
    value = best;
    x = at;
}

void BeamElement::AbsMaxShear(double& value, double& x) const
{
    const AxisResults axis = ComputeAxisResults();
    const double V1 = axis.f[1];
    const double q1 = m_q1, q2 = m_q2;
    const double L = m_Length;

    double best = std::fabs(V1);
    double at = 0;
    for (int i = 0; i <= kSteps; ++i) {
        const double s = (i / static_cast<double>(kSteps)) * L;
        const double v = std::fabs(V1 + q1 * s + (q2 - q1) * s * s / (2 * L));
        if (v > best) {
            best = v;
            at = s;
        }
    }
    value = best;
    x = at;
}

void BeamElement::MaxDisplacement(double& value, double& x) const
{
    // The first node's translation is taken as stored; every further point,
    // the second node included, comes from the displaced axis.
    const double dx = m_DisInGlobalCS.At(0), dy = m_DisInGlobalCS.At(1);
    double best = std::sqrt(dx * dx + dy * dy);
    double at = 0;

    const AxisResults axis = ComputeAxisResults();
    const double L = m_Length;
    double p[2];
    for (int i = 1; i <= kSteps; ++i) {
        const double t = i / static_cast<double>(kSteps);
        DisplacementAt(t, axis, p);
        const double d = std::sqrt(p[0] * p[0] + p[1] * p[1]);
        if (d > best) {
            best = d;
            at = t * L;
        }
    }
    value = best;
    x = at;
}
