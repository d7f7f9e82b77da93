// The element computations done in place, without matrices per element,
// against their plain versions as matrix products: bit for bit, on many
// random elements, among them members along the axes and members so nearly
// along an axis that the product's rule for factors of 1e-10 or less
// decides the last bits.
#include "core/BeamElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace {

bool SameBits(const Matrix& a, const Matrix& b)
{
    return a.GetRows() == b.GetRows() && a.GetCols() == b.GetCols() && a.m_Data.size() == b.m_Data.size() &&
           std::memcmp(a.m_Data.data(), b.m_Data.data(), a.m_Data.size() * sizeof(double)) == 0;
}

bool SameBits(const double* a, const Matrix& b, int n)
{
    return static_cast<int>(b.m_Data.size()) == n && std::memcmp(a, b.m_Data.data(), n * sizeof(double)) == 0;
}

class RandomElements {
public:
    explicit RandomElements(unsigned seed) : m_Random(seed) {}

    BeamElement Next()
    {
        const double x1 = Uniform(-100, 100), y1 = Uniform(-100, 100);
        const double length = std::pow(10.0, Uniform(-3, 3));
        double x2 = x1, y2 = y1;
        switch (Pick(5)) {
        case 0: // along x
            x2 += Pick(2) ? length : -length;
            break;
        case 1: // along y
            y2 += Pick(2) ? length : -length;
            break;
        case 2: { // within 1e-12 .. 1e-9 of an axis
            const double tilt = std::pow(10.0, Uniform(-12, -9)) * (Pick(2) ? 1 : -1);
            x2 += length;
            y2 += length * tilt;
            break;
        }
        default: {
            const double angle = Uniform(0, 6.283185307179586);
            x2 += length * std::cos(angle);
            y2 += length * std::sin(angle);
        }
        }
        const ElementProperty property{std::pow(10.0, Uniform(-2, 11)), std::pow(10.0, Uniform(-6, 1)),
                                       Pick(8) == 0 ? 0.0 : std::pow(10.0, Uniform(-12, 0))};
        BeamElement e;
        e.Init(0, Node{x1, y1, 0}, Node{x2, y2, 1}, property);
        return e;
    }

    // End displacements and fixed-end forces of every size, some of them
    // at or under the product's threshold.
    double Value()
    {
        switch (Pick(6)) {
        case 0:
            return 0;
        case 1:
            return (Pick(2) ? 1 : -1) * std::pow(10.0, Uniform(-12, -9));
        case 2:
            return Pick(2) ? 1e-10 : -1e-10;
        default:
            return (Pick(2) ? 1 : -1) * std::pow(10.0, Uniform(-8, 3));
        }
    }

    std::string Describe(const BeamElement& e) const
    {
        char text[200];
        std::snprintf(text, sizeof text, "(%.17g, %.17g) to (%.17g, %.17g), E %.17g A %.17g I %.17g", e.m_Node1.x,
                      e.m_Node1.y, e.m_Node2.x, e.m_Node2.y, e.m_Property.E, e.m_Property.A, e.m_Property.I);
        return text;
    }

private:
    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_Random); }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_Random); }

    std::mt19937_64 m_Random;
};

TEST(FastPaths, ElementStiffnessInPlaceIsTheMatrixProduct)
{
    RandomElements random(20261208);
    for (int trial = 0; trial < 20000; ++trial) {
        BeamElement fast = random.Next();
        BeamElement plain = fast;
        const Matrix global = plain.ComputeStiffnessPlain();
        ASSERT_TRUE(SameBits(fast.m_KInGlobalCS, global)) << random.Describe(fast);
        ASSERT_TRUE(SameBits(fast.m_KInElemCS, plain.m_KInElemCS)) << random.Describe(fast);
        ASSERT_TRUE(SameBits(fast.m_T, plain.m_T)) << random.Describe(fast);
        ASSERT_EQ(fast.m_Length, plain.m_Length);
        ASSERT_TRUE(SameBits(fast.ComputeStiffness(), global)) << random.Describe(fast);
    }
}

TEST(FastPaths, EndForcesAndAxisValuesInPlaceAreTheMatrixProducts)
{
    RandomElements random(8);
    for (int trial = 0; trial < 20000; ++trial) {
        BeamElement fast = random.Next();
        Matrix node1, node2, fix1, fix2;
        for (Matrix* m : {&node1, &node2, &fix1, &fix2}) {
            m->Resize(3, 1);
            for (int i = 0; i < 3; ++i)
                m->At(i) = random.Value();
        }
        fast.SetDisInGlobalCS(node1, node2);
        fast.SetFixForInGlobalCS(fix1, fix2);
        BeamElement plain = fast;
        fast.ComputeEndForces();
        plain.ComputeEndForcesPlain();
        ASSERT_TRUE(SameBits(fast.m_KDisInGlobalCS, plain.m_KDisInGlobalCS)) << random.Describe(fast);
        ASSERT_TRUE(SameBits(fast.m_ForInGlobalCS, plain.m_ForInGlobalCS)) << random.Describe(fast);

        // The element-axis values every point along the member comes from.
        const BeamElement::AxisResults axis = fast.ComputeAxisResults();
        ASSERT_TRUE(SameBits(axis.f, fast.ForInElemCS(), 6)) << random.Describe(fast);
        Matrix tt = fast.m_T;
        tt.Transpose();
        ASSERT_TRUE(SameBits(axis.u, tt * fast.m_DisInGlobalCS, 6)) << random.Describe(fast);
    }
}

TEST(FastPaths, AnElementNotYetInitialisedTakesThePlainPath)
{
    // Its 1 x 1 matrices are not the 6 x 6 the fast path reads: the matrix
    // product reports the mismatch as a failure instead.
    BeamElement e;
    EXPECT_ANY_THROW(e.ComputeEndForces());
}

} // namespace
