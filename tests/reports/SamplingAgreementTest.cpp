#include "core/BeamElement.h"
#include "reports/MemberSampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

// The sampled maxima skip most samples; they must still give exactly what
// the plain scan of all 1001 samples gives, value and position, bit for bit.

namespace {

struct Peak {
    double value;
    double x;
};

bool Same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

Peak PlainMoment(const BeamElement& e)
{
    Peak p{};
    AbsMaxMomentPlain(e, p.value, p.x);
    return p;
}

Peak PlainShear(const BeamElement& e)
{
    Peak p{};
    AbsMaxShearPlain(e, p.value, p.x);
    return p;
}

Peak PlainDisplacement(const BeamElement& e)
{
    Peak p{};
    MaxDisplacementPlain(e, p.value, p.x);
    return p;
}

std::string Describe(const BeamElement& e)
{
    std::string s = "element (" + std::to_string(e.m_Node1.x) + ", " + std::to_string(e.m_Node1.y) + ") to (" +
                    std::to_string(e.m_Node2.x) + ", " + std::to_string(e.m_Node2.y) + "), q " +
                    std::to_string(e.m_q1) + " " + std::to_string(e.m_q2);
    char text[64];
    for (int i = 0; i < 6; ++i) {
        std::snprintf(text, sizeof text, " d%d=%.17g", i, e.m_DisInGlobalCS.At(i));
        s += text;
    }
    for (int i = 0; i < 6; ++i) {
        std::snprintf(text, sizeof text, " f%d=%.17g", i, e.m_ForInGlobalCS.At(i));
        s += text;
    }
    return s;
}

void ExpectAgreement(const BeamElement& e)
{
    Peak got{};
    AbsMaxMoment(e, got.value, got.x);
    Peak want = PlainMoment(e);
    EXPECT_TRUE(Same(got.value, want.value) && Same(got.x, want.x))
        << "moment " << got.value << " at " << got.x << " instead of " << want.value << " at " << want.x << ", "
        << Describe(e);
    AbsMaxShear(e, got.value, got.x);
    want = PlainShear(e);
    EXPECT_TRUE(Same(got.value, want.value) && Same(got.x, want.x))
        << "shear " << got.value << " at " << got.x << " instead of " << want.value << " at " << want.x << ", "
        << Describe(e);
    MaxDisplacement(e, got.value, got.x);
    want = PlainDisplacement(e);
    EXPECT_TRUE(Same(got.value, want.value) && Same(got.x, want.x))
        << "displacement " << got.value << " at " << got.x << " instead of " << want.value << " at " << want.x << ", "
        << Describe(e);
}

// Elements of every kind the scans distinguish: members along the axes and
// inclined, no load, uniform and varying loads, end values from the
// stiffness or arbitrary, of ordinary and of extreme sizes.
class RandomElements {
public:
    explicit RandomElements(std::uint64_t seed) : m_Random(seed) {}

    BeamElement Next()
    {
        BeamElement e;
        const double x1 = Uniform(-50, 50), y1 = Uniform(-50, 50);
        double length = std::pow(10.0, Uniform(-2, 2));
        const double angle = Pick(4) == 0 ? Uniform(0, 6.283185307179586) : Pick(4) * 1.5707963267948966;
        double x2 = x1 + length * std::cos(angle), y2 = y1 + length * std::sin(angle);
        if (Pick(3) == 0) {
            // Exactly along an axis.
            if (Pick(2) == 0)
                x2 = x1;
            else
                y2 = y1;
        }
        if (x2 == x1 && y2 == y1)
            x2 = x1 + 1;
        const ElementProperty prop{std::pow(10.0, Uniform(4, 11)), std::pow(10.0, Uniform(-4, 0)),
                                   std::pow(10.0, Uniform(-8, -2))};
        e.Init(0, Node{x1, y1, 0}, Node{x2, y2, 1}, prop);

        const double scale = std::pow(10.0, Uniform(-12, 1));
        for (int i = 0; i < 6; ++i)
            e.m_DisInGlobalCS.At(i) = Pick(8) == 0 ? 0.0 : scale * Uniform(-1, 1);
        if (Pick(6) == 0) {
            // A rigid motion: the same translation at both ends.
            e.m_DisInGlobalCS.At(3) = e.m_DisInGlobalCS.At(0);
            e.m_DisInGlobalCS.At(4) = e.m_DisInGlobalCS.At(1);
            e.m_DisInGlobalCS.At(2) = e.m_DisInGlobalCS.At(5) = 0;
        }
        const double load = std::pow(10.0, Uniform(-3, 3)) * (Pick(2) == 0 ? 1 : -1);
        switch (Pick(5)) {
        case 0:
            break;
        case 1:
            e.SetDistributedLoad(load, load);
            break;
        case 2:
            e.SetDistributedLoad(load, load * Uniform(-2, 2));
            break;
        case 3:
            e.SetDistributedLoad(0, load);
            break;
        default:
            e.SetDistributedLoad(load, 0);
            break;
        }
        if (Pick(2) == 0) {
            // End forces of the element's own stiffness and load.
            Matrix fixed;
            fixed.Resize(6, 1);
            e.m_FixForInGlobalCS = fixed;
            e.ComputeEndForces();
        } else {
            const double forces = std::pow(10.0, Uniform(-6, 6));
            for (int i = 0; i < 6; ++i)
                e.m_ForInGlobalCS.At(i) = Pick(6) == 0 ? 0.0 : forces * Uniform(-1, 1);
        }
        return e;
    }

    double Uniform(double from, double to) { return std::uniform_real_distribution<double>(from, to)(m_Random); }
    int Pick(int n) { return static_cast<int>(m_Random() % static_cast<std::uint64_t>(n)); }

private:
    std::mt19937_64 m_Random;
};

BeamElement AlongX(double length, double V1, double M1, double q1, double q2)
{
    BeamElement e;
    e.Init(0, Node{0, 0, 0}, Node{length, 0, 1}, ElementProperty{2e8, 0.01, 1e-4});
    e.m_ForInGlobalCS.At(1) = V1;
    e.m_ForInGlobalCS.At(2) = M1;
    e.SetDistributedLoad(q1, q2);
    return e;
}

} // namespace

TEST(SamplingAgreement, RandomElementsGiveThePlainScansResults)
{
    RandomElements random(20240611);
    for (int n = 0; n < 4000; ++n) {
        const BeamElement e = random.Next();
        ExpectAgreement(e);
        if (HasFailure())
            break;
    }
}

TEST(SamplingAgreement, TiesPlateausAndDegenerateValues)
{
    // A linear moment that rounding keeps flat over part of the member: the
    // first sample of the final run wins.
    ExpectAgreement(AlongX(3, 1e-14, 1, 0, 0));
    ExpectAgreement(AlongX(3, 1e-16, -1, 0, 0));
    ExpectAgreement(AlongX(3, 3e-16, 1, 0, 0));
    // Equal magnitudes at both ends, and a parabola symmetric on the member.
    ExpectAgreement(AlongX(2, 2, 2, 0, 0));
    ExpectAgreement(AlongX(4, 10, 0, -5, -5));
    ExpectAgreement(AlongX(4, -10, 0, 5, 5));
    // A load so small beside the end values that the samples barely move.
    ExpectAgreement(AlongX(5, 1, 1, 1e-15, 1e-15));
    ExpectAgreement(AlongX(5, 1, 1, 1e-15, -2e-15));
    // Zero everywhere, and values that are not numbers or not finite.
    ExpectAgreement(AlongX(1, 0, 0, 0, 0));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ExpectAgreement(AlongX(1, nan, 3, 1, 1));
    ExpectAgreement(AlongX(1, 3, nan, 1, 2));
    ExpectAgreement(AlongX(1, 3, 4, nan, 1));
    ExpectAgreement(AlongX(1, inf, 4, 0, 0));
    ExpectAgreement(AlongX(1, 3, 4, -inf, inf));
    ExpectAgreement(AlongX(1, 1e300, -1e300, 1e300, -1e300));
    ExpectAgreement(AlongX(1e120, 1, 1, 1, 1));
    ExpectAgreement(AlongX(1e-300, 1, 1, 1, 2));

    // Translations around the 1e-10 below which the rotation drops a
    // product, and a member without length.
    BeamElement e = AlongX(2, 0, 0, 0, 0);
    e.m_DisInGlobalCS.At(0) = 1e-10;
    e.m_DisInGlobalCS.At(4) = 2e-10;
    ExpectAgreement(e);
    e.m_DisInGlobalCS.At(1) = -1.5e-10;
    e.m_DisInGlobalCS.At(5) = 1e-10;
    ExpectAgreement(e);
    BeamElement point;
    point.Init(0, Node{1, 1, 0}, Node{1, 1, 1}, ElementProperty{1, 1, 1});
    point.m_DisInGlobalCS.At(1) = 1;
    point.m_ForInGlobalCS.At(2) = 2;
    ExpectAgreement(point);
}
