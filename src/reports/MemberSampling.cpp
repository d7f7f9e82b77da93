#include "reports/MemberSampling.h"

#include <cmath>
#include <initializer_list>

// The largest moment, shear and translation along a member are found by
// sampling, not in closed form: 1001 evenly spaced points, both ends
// included. A value replaces the best so far only when strictly greater, so
// ties go to the point nearest the first node and a NaN never wins.
//
// A result file samples every member of the structure, so the scans are
// arranged to evaluate far fewer than 1001 samples, while giving exactly
// the value and position of the plain scan:
// - whenever a sample's value is computed, it is computed by the very
//   formula (the same operations in the same order) of the plain scan;
// - a sample is only left out when it provably cannot be the first largest
//   value: because the sequence is monotone, or because an upper bound of
//   it is below a value that some sample reaches.
// The bounds come from the quantity as a polynomial in the fraction along
// the member: over each block of eight samples, its value and slope at the
// block's middle and a bound of its second derivative bound it, with a
// margin far above the rounding errors of both ways of computing it. Only
// the blocks whose bound reaches the largest value found are evaluated.
// Anything unusual (values that are not finite, huge or degenerate members)
// takes the plain scan.

// The loops over all blocks are compiled for wider vector units as well,
// the widest the processor has being chosen when the program starts. They
// only compute bounds, never a printed value. (Not under the thread
// sanitizer, whose instrumented choosers would run before it is ready.)
#if defined(__SANITIZE_THREAD__)
#define VELA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELA_THREAD_SANITIZER 1
#endif
#endif
#if defined(__x86_64__) && defined(__GLIBC__) && defined(__has_attribute) && !defined(VELA_THREAD_SANITIZER)
#if __has_attribute(target_clones)
#define VELA_WIDE_VECTORS __attribute__((target_clones("avx512f", "avx2", "default")))
#endif
#endif
#ifndef VELA_WIDE_VECTORS
#define VELA_WIDE_VECTORS
#endif

namespace {

constexpr int kSteps = 1000;
// Samples 1..1000 in blocks of eight (sample 0 never beats the start).
constexpr int kBlock = 8;
constexpr int kBlocks = kSteps / kBlock;

struct SampleTables {
    // i / 1000 for every sample, exactly as the plain scan computes it.
    double t[kSteps + 1];
    // For block b (samples 1 + 8b .. 8 + 8b): the middle of its fractions,
    // and its first and last fraction.
    double centre[kBlocks];
    double first[kBlocks];
    double last[kBlocks];
    // At least half the span of every block.
    double halfWidth = 0;

    SampleTables()
    {
        for (int i = 0; i <= kSteps; ++i)
            t[i] = i / static_cast<double>(kSteps);
        for (int b = 0; b < kBlocks; ++b) {
            first[b] = t[1 + kBlock * b];
            last[b] = t[kBlock * (b + 1)];
            centre[b] = (first[b] + last[b]) / 2;
            halfWidth = std::fmax(halfWidth, std::fmax(last[b] - centre[b], centre[b] - first[b]));
        }
        halfWidth *= 1 + 1e-9;
    }
};

const SampleTables& Tables()
{
    static const SampleTables tables;
    return tables;
}

// What the plain scan leaves: the best value, which starts as the start
// value and is replaced only by a strictly greater one, and the index of
// the sample that set it (-1 when the start value stands).
struct ScanResult {
    double value;
    int index;
};

template <typename Sample>
ScanResult PlainScan(Sample sample, int first, double start)
{
    ScanResult r{start, -1};
    for (int i = first; i <= kSteps; ++i) {
        const double v = sample(i);
        if (v > r.value)
            r = {v, i};
    }
    return r;
}

// The plain scan over a sequence g(0..1000) that is monotone, so that
// |g| falls and then rises (either part possibly empty) and |g(0)| equals
// start: only the last sample can beat start, and when it does, the first
// sample equal to it starts the run of equal values that ends the sequence.
template <typename Magnitude>
ScanResult MonotoneScan(Magnitude magnitude, double start)
{
    const double last = magnitude(kSteps);
    if (!(last > start))
        return {start, -1};
    int i = kSteps;
    while (i > 0 && magnitude(i - 1) == last)
        --i;
    return {last, i};
}

// Inputs for which the moment and shear shortcuts are sound: finite values
// and a member short enough that the cube of any position along it is
// finite. Then sample 0 is the start value itself (or NaN), and the load
// terms of a uniform load are zeros.
bool Tame(double L, std::initializer_list<double> values)
{
    if (!(L > 0 && L <= 1e100))
        return false;
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// Inputs for which no intermediate of DisplacementAt's formula can overflow
// (every product of five lengths and a value stays below 1e250), so that
// its values are within the bounds worked out below.
bool Moderate(double L, std::initializer_list<double> values)
{
    if (!(L > 0 && L <= 1e20))
        return false;
    for (double v : values)
        if (!(std::fabs(v) < 1e50))
            return false;
    return true;
}

// A polynomial of degree five or less in the fraction xi.
struct Polynomial {
    double c[6];

    // Sum of the coefficients' magnitudes: bounds every term for 0 <= xi <= 1.
    double Size() const
    {
        double s = 0;
        for (double k : c)
            s += std::fabs(k);
        return s;
    }

    // Bounds the second derivative for 0 <= xi <= 1.
    double Curvature() const
    {
        double s = 0;
        for (int k = 2; k < 6; ++k)
            s += k * (k - 1) * std::fabs(c[k]);
        return s;
    }

    double At(double xi) const { return c[0] + xi * (c[1] + xi * (c[2] + xi * (c[3] + xi * (c[4] + xi * c[5])))); }
};

// Value p and slope d of the polynomial at x, by Horner's scheme.
#define VELA_HORNER(c, x, p, d)                                                                                        \
    double p = c[5], d = 0;                                                                                            \
    d = d * x + p;                                                                                                     \
    p = p * x + c[4];                                                                                                  \
    d = d * x + p;                                                                                                     \
    p = p * x + c[3];                                                                                                  \
    d = d * x + p;                                                                                                     \
    p = p * x + c[2];                                                                                                  \
    d = d * x + p;                                                                                                     \
    p = p * x + c[1];                                                                                                  \
    d = d * x + p;                                                                                                     \
    p = p * x + c[0];

// For every block, |P(centre)| + |P'(centre)| h + tail: with tail at least
// the curvature bound times h^2 / 2, a bound of |P| over the block.
VELA_WIDE_VECTORS
void PolynomialBlockBounds(const SampleTables& tables, const double* c, double tail, double* out)
{
    const double h = tables.halfWidth;
    for (int b = 0; b < kBlocks; ++b) {
        const double x = tables.centre[b];
        VELA_HORNER(c, x, p, d)
        out[b] = std::fabs(p) + std::fabs(d) * h + tail;
    }
}

// For every block, the square of a bound of the length of (a, v) over it:
// v bounded as above, a (linear) by its larger end plus aTail.
VELA_WIDE_VECTORS
void DisplacementBlockBounds(const SampleTables& tables, double u0, double du, const double* c, double vTail,
                             double aTail, double* out)
{
    const double h = tables.halfWidth;
    for (int b = 0; b < kBlocks; ++b) {
        const double x = tables.centre[b];
        VELA_HORNER(c, x, p, d)
        const double v = std::fabs(p) + std::fabs(d) * h + vTail;
        const double a0 = std::fabs(u0 + tables.first[b] * du);
        const double a1 = std::fabs(u0 + tables.last[b] * du);
        const double a = (a0 > a1 ? a0 : a1) + aTail;
        out[b] = a * a + v * v;
    }
}

// The bounds of all blocks, looked at in groups of eight so that finding
// the largest and the few that reach a value takes few steps. The bounds
// are never NaN (the callers see to that), and every one is at least 0.
struct BlockBounds {
    static constexpr int kGroup = 8;
    static constexpr int kGroups = (kBlocks + kGroup - 1) / kGroup;
    double block[kGroups * kGroup];
    double group[kGroups];

    // After the blocks' bounds are in: pads the last group with bounds no
    // value reaches and takes each group's largest.
    void Summarise()
    {
        for (int b = kBlocks; b < kGroups * kGroup; ++b)
            block[b] = -1;
        for (int g = 0; g < kGroups; ++g) {
            const double* p = block + kGroup * g;
            double top = p[0];
            for (int j = 1; j < kGroup; ++j)
                top = p[j] > top ? p[j] : top;
            group[g] = top;
        }
    }

    // A block with the largest bound.
    int Largest() const
    {
        int g = 0;
        for (int k = 1; k < kGroups; ++k)
            if (group[k] > group[g])
                g = k;
        const double* p = block + kGroup * g;
        int j = 0;
        while (j + 1 < kGroup && !(p[j] == group[g]))
            ++j;
        return kGroup * g + j;
    }

    // visit(b), in increasing order, for every block whose bound is at
    // least threshold.
    template <typename Visit>
    void ForEachReaching(double threshold, Visit visit) const
    {
        for (int g = 0; g < kGroups; ++g) {
            if (group[g] < threshold)
                continue;
            for (int b = kGroup * g; b < kGroup * (g + 1); ++b)
                if (!(block[b] < threshold))
                    visit(b);
        }
    }
};

int FirstSample(int block)
{
    return 1 + kBlock * block;
}

// The plain scan of sample(0..1000) for a quantity that is p(xi) up to
// rounding, with p's coefficients c, and whose sample 0 cannot beat start.
template <typename Sample>
ScanResult BoundedScan(const Polynomial& p, Sample sample, double start)
{
    // Coefficients this large could make the bounds' own arithmetic
    // overflow.
    if (!(p.Size() < 1e300))
        return PlainScan(sample, 0, start);
    const SampleTables& tables = Tables();
    // Every sample carries fewer than 20 roundings of at most 1.2e-16 of
    // Size(), and so does the bound's own arithmetic: 1e-12 of it covers
    // both with a wide margin.
    const double h = tables.halfWidth;
    BlockBounds bounds;
    PolynomialBlockBounds(tables, p.c, p.Curvature() * h * h / 2 + 1e-12 * p.Size(), bounds.block);
    bounds.Summarise();

    // A value some sample reaches: the largest in the most promising block.
    double reached = start;
    for (int i = FirstSample(bounds.Largest()), n = 0; n < kBlock; ++i, ++n) {
        const double v = sample(i);
        reached = v > reached ? v : reached;
    }

    ScanResult r{start, -1};
    bounds.ForEachReaching(reached, [&](int b) {
        for (int i = FirstSample(b), n = 0; n < kBlock; ++i, ++n) {
            const double v = sample(i);
            if (v > r.value)
                r = {v, i};
        }
    });
    return r;
}

} // namespace

void AbsMaxMoment(const BeamElement& element, double& value, double& x)
{
    AbsMaxMoment(element, element.ComputeAxisResults(), value, x);
}

void AbsMaxShear(const BeamElement& element, double& value, double& x)
{
    AbsMaxShear(element, element.ComputeAxisResults(), value, x);
}

void MaxDisplacement(const BeamElement& element, double& value, double& x)
{
    MaxDisplacement(element, element.ComputeAxisResults(), value, x);
}

void AbsMaxMomentPlain(const BeamElement& element, double& value, double& x)
{
    const BeamElement::AxisResults axis = element.ComputeAxisResults();
    const double V1 = axis.f[1], M1 = axis.f[2], q1 = element.m_q1, q2 = element.m_q2, L = element.m_Length;
    value = std::fabs(M1);
    x = 0;
    for (int i = 0; i <= kSteps; ++i) {
        const double s = (i / static_cast<double>(kSteps)) * L;
        const double m = std::fabs(q1 * s * s / 2 + V1 * s - M1 + (q2 - q1) * s * s * s / (6 * L));
        if (m > value) {
            value = m;
            x = s;
        }
    }
}

void AbsMaxShearPlain(const BeamElement& element, double& value, double& x)
{
    const BeamElement::AxisResults axis = element.ComputeAxisResults();
    const double V1 = axis.f[1], q1 = element.m_q1, q2 = element.m_q2, L = element.m_Length;
    value = std::fabs(V1);
    x = 0;
    for (int i = 0; i <= kSteps; ++i) {
        const double s = (i / static_cast<double>(kSteps)) * L;
        const double v = std::fabs(V1 + q1 * s + (q2 - q1) * s * s / (2 * L));
        if (v > value) {
            value = v;
            x = s;
        }
    }
}

void MaxDisplacementPlain(const BeamElement& element, double& value, double& x)
{
    // The first node's translation as stored; every further point, the
    // second node included, from the displaced axis.
    const double dx = element.m_DisInGlobalCS.At(0), dy = element.m_DisInGlobalCS.At(1);
    value = std::sqrt(dx * dx + dy * dy);
    x = 0;
    for (int i = 1; i <= kSteps; ++i) {
        const double t = i / static_cast<double>(kSteps);
        const Matrix p = element.DisplacementAt(t);
        const double d = std::sqrt(p.At(0) * p.At(0) + p.At(1) * p.At(1));
        if (d > value) {
            value = d;
            x = t * element.m_Length;
        }
    }
}

void AbsMaxMoment(const BeamElement& element, const BeamElement::AxisResults& axis, double& value, double& x)
{
    const double V1 = axis.f[1], M1 = axis.f[2];
    const double q1 = element.m_q1, q2 = element.m_q2;
    const double L = element.m_Length;
    const double* t = Tables().t;
    const double start = std::fabs(M1);
    auto sample = [&](int i) {
        const double s = t[i] * L;
        return std::fabs(q1 * s * s / 2 + V1 * s - M1 + (q2 - q1) * s * s * s / (6 * L));
    };

    ScanResult r;
    if (!Tame(L, {V1, M1, q1, q2})) {
        r = PlainScan(sample, 0, start);
    } else if (q1 == 0 && q2 == 0) {
        // Without load every term but V1 * s - M1 is a zero: a monotone
        // sequence, as rounding keeps the order of V1 * s.
        r = MonotoneScan(sample, start);
    } else {
        // M = -M1 + V1 L xi + q1 L^2 xi^2 / 2 + (q2 - q1) L^2 xi^3 / 6.
        r = BoundedScan(Polynomial{{-M1, V1 * L, q1 * L * L / 2, (q2 - q1) * L * L / 6, 0, 0}}, sample, start);
    }
    value = r.value;
    x = r.index < 0 ? 0 : t[r.index] * L;
}

void AbsMaxShear(const BeamElement& element, const BeamElement::AxisResults& axis, double& value, double& x)
{
    const double V1 = axis.f[1];
    const double q1 = element.m_q1, q2 = element.m_q2;
    const double L = element.m_Length;
    const double* t = Tables().t;
    const double start = std::fabs(V1);
    auto sample = [&](int i) {
        const double s = t[i] * L;
        return std::fabs(V1 + q1 * s + (q2 - q1) * s * s / (2 * L));
    };

    ScanResult r;
    if (!Tame(L, {V1, q1, q2})) {
        r = PlainScan(sample, 0, start);
    } else if (q1 == q2) {
        // A uniform load (or none): the last term is a zero and V1 + q1 * s
        // is monotone.
        r = MonotoneScan(sample, start);
    } else {
        // V = V1 + q1 L xi + (q2 - q1) L xi^2 / 2.
        r = BoundedScan(Polynomial{{V1, q1 * L, (q2 - q1) * L / 2, 0, 0, 0}}, sample, start);
    }
    value = r.value;
    x = r.index < 0 ? 0 : t[r.index] * L;
}

void MaxDisplacement(const BeamElement& element, const BeamElement::AxisResults& axis, double& value, double& x)
{
    const SampleTables& tables = Tables();
    const double* t = tables.t;
    // The first node's translation is taken as stored; every further point,
    // the second node included, comes from the displaced axis.
    const double dx = element.m_DisInGlobalCS.At(0), dy = element.m_DisInGlobalCS.At(1);
    const double start = std::sqrt(dx * dx + dy * dy);
    auto sample = [&](int i) {
        double p[2];
        element.DisplacementAt(t[i], axis, p);
        return std::sqrt(p[0] * p[0] + p[1] * p[1]);
    };
    ScanResult r{start, -1};
    auto finish = [&] {
        value = r.value;
        x = r.index < 0 ? 0 : t[r.index] * element.m_Length;
    };

    // The bounds rest on DisplacementAt's rotation being one: its rows are
    // (c, -s) and (s, c) with c^2 + s^2 = 1 but for round-off.
    const Matrix& T = element.m_T;
    const double c = T.At(0), s = T.At(6);
    const bool rotation = T.At(7) == c && T.At(1) == -s && std::fabs(c * c + s * s - 1) <= 1e-12;
    const double L = axis.chord;
    const double* u = axis.u;
    const double V1 = axis.f[1], M1 = axis.f[2];
    const double q1 = element.m_q1, q2 = element.m_q2;
    const double E = element.m_Property.E, I = element.m_Property.I;
    const double EI = E * I;
    if (!rotation || !std::isfinite(start) || !Moderate(L, {u[0], u[1], u[2], u[3], V1, M1, q1, q2, E, I}) ||
        !(std::fabs(EI) > 1e-100)) {
        r = PlainScan(sample, 1, start);
        return finish();
    }

    // The transverse displacement v as a polynomial in xi:
    // u1 + u2 L xi - M1 L^2 xi^2 / (2EI) + V1 L^3 xi^3 / (6EI)
    //    + 5 q1 L^4 xi^4 / (120EI) + (q2 - q1) L^4 xi^5 / (120EI).
    // Both DisplacementAt and the polynomial carry fewer than 50 roundings
    // of at most 1.2e-16 of its Size(), so ev = 1e-12 Size() bounds their
    // difference with a wide margin. The axial displacement a is linear and
    // computed exactly as DisplacementAt does; its roundings stay within
    // 1e-14 of A.
    const double L2 = L * L, L4 = L2 * L2;
    const Polynomial v{{u[1], u[2] * L, -M1 * L2 / (2 * EI), V1 * L2 * L / (6 * EI), 5 * q1 * L4 / (120 * EI),
                        (q2 - q1) * L4 / (120 * EI)}};
    const double A = std::fabs(u[0]) + std::fabs(u[3]);
    if (!(A + v.Size() < 1e150)) {
        r = PlainScan(sample, 1, start);
        return finish();
    }
    const double ev = 1e-12 * v.Size();
    const double u0 = u[0], du = u[3] - u[0];
    const double h = tables.halfWidth;

    // DisplacementAt's result is the rotation of (a, v), except that a
    // product with a factor of magnitude 1e-10 or less is left out: the
    // rotation keeps the length within 1e-12, and the left-out products
    // change it by at most 2e-10 of it when c or s is that small, or by at
    // most 2.1e-10 when a or v is. With the roundings of the squares and the
    // root, the value d of a sample where |a| <= amax and |v| <= vmax is at
    // most sqrt(amax^2 + vmax^2) (1 + 1e-9) + 3e-10, and at least
    // sqrt(a^2 + max(|v| - ev, 0)^2) (1 - 2e-9) - 3e-10.
    BlockBounds bounds;
    DisplacementBlockBounds(tables, u0, du, v.c, v.Curvature() * h * h / 2 + ev, 1e-14 * A, bounds.block);
    bounds.Summarise();

    double reached = start;
    for (int i = FirstSample(bounds.Largest()), n = 0; n < kBlock; ++i, ++n) {
        const double a = u0 + t[i] * du;
        const double transverse = std::fabs(v.At(t[i])) - ev;
        const double w = transverse > 0 ? transverse : 0;
        const double low = std::sqrt(a * a + w * w) * (1 - 2e-9) - 3e-10;
        reached = low > reached ? low : reached;
    }
    // Samples whose bound, (root + 3e-10) (1 + 1e-9) with root^2 the square
    // bound, is below the value reached cannot be the first largest; the
    // factor allows for the rounding of the threshold itself.
    const double root = (reached - 3e-10) / (1 + 1e-9);
    if (!(root > 0)) {
        r = PlainScan(sample, 1, start);
        return finish();
    }
    const double threshold = root * root * (1 - 1e-12);
    bounds.ForEachReaching(threshold, [&](int b) {
        for (int i = FirstSample(b), n = 0; n < kBlock; ++i, ++n) {
            const double a = u0 + t[i] * du;
            const double w = std::fabs(v.At(t[i])) + ev;
            if (!(a * a + w * w >= threshold))
                continue;
            const double d = sample(i);
            if (d > r.value)
                r = {d, i};
        }
    });
    finish();
}
