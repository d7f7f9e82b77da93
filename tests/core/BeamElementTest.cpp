#include "core/BeamElement.h"

#include <gtest/gtest.h>

namespace {

BeamElement Element(double x1, double y1, double x2, double y2, double E = 1, double A = 1, double I = 1)
{
    BeamElement e;
    e.Init(0, Node{x1, y1, 0}, Node{x2, y2, 1}, ElementProperty{E, A, I});
    return e;
}

double K(const Matrix& k, int i, int j)
{
    return k.At(i * 6 + j);
}

TEST(BeamElement, HorizontalElementStiffness)
{
    const BeamElement e = Element(0, 0, 2, 0);
    EXPECT_EQ(e.m_Length, 2);
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(e.m_T.At(i), (i % 7 == 0) ? 1 : 0);
    EXPECT_EQ(e.m_KInGlobalCS.m_Data, e.m_KInElemCS.m_Data);
    const Matrix& k = e.m_KInGlobalCS;
    EXPECT_EQ(K(k, 0, 0), 0.5);
    EXPECT_EQ(K(k, 1, 1), 1.5);
    EXPECT_EQ(K(k, 1, 2), 1.5);
    EXPECT_EQ(K(k, 2, 2), 2);
    EXPECT_EQ(K(k, 2, 5), 1);
    EXPECT_EQ(K(k, 5, 2), 1);
    EXPECT_EQ(K(k, 0, 3), -0.5);
    EXPECT_EQ(K(k, 4, 5), -1.5);
}

TEST(BeamElement, VerticalElementHasNoRoundOffResidue)
{
    const BeamElement e = Element(0, 0, 0, 3, 30, 2, 1);
    const Matrix& k = e.m_KInGlobalCS;
    // Axial term on dy-dy, bending term on dx-dx, nothing in between.
    EXPECT_EQ(K(k, 1, 1), 30.0 / 3 * 2);
    EXPECT_DOUBLE_EQ(K(k, 0, 0), 12 * 30.0 / 27);
    EXPECT_EQ(K(k, 0, 1), 0);
    EXPECT_EQ(K(k, 1, 0), 0);
    EXPECT_EQ(K(k, 1, 2), 0);
    EXPECT_EQ(K(k, 3, 4), 0);
    EXPECT_DOUBLE_EQ(K(k, 0, 2), -6 * 30.0 / 9);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
            EXPECT_EQ(K(k, i, j), K(k, j, i));
}

TEST(BeamElement, UnloadedUnsolvedElementHasNoMomentOrShear)
{
    const BeamElement e = Element(0, 0, 5, 0);
    for (double xi : {0.0, 0.3, 1.0}) {
        EXPECT_EQ(e.MomentAt(xi), 0);
        EXPECT_EQ(e.ShearAt(xi), 0);
    }
}

TEST(BeamElement, AnElementNeverInitialisedHasZeroAxisValues)
{
    // Its rotation is still the 1 x 1 default: nothing may be read as 6 x 6.
    const BeamElement e;
    const BeamElement::AxisResults axis = e.ComputeAxisResults();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(axis.u[i], 0);
        EXPECT_EQ(axis.f[i], 0);
    }
}

TEST(BeamElement, UniformLoadOnASimplySupportedSpan)
{
    const double q = 3, L = 4;
    BeamElement e = Element(0, 0, L, 0);
    e.SetDistributedLoad(q, q);
    e.m_ForInGlobalCS.At(1) = -q * L / 2; // V1, M1 = 0
    EXPECT_DOUBLE_EQ(e.MomentAt(0.5), -q * L * L / 8);
    EXPECT_DOUBLE_EQ(e.ShearAt(0.5), 0);
    EXPECT_DOUBLE_EQ(e.MomentAt(1), 0);
    EXPECT_DOUBLE_EQ(e.ShearAt(1), q * L / 2);
}

TEST(BeamElement, DisplacementAlongTheElementStartsAtNodeOne)
{
    BeamElement e = Element(1, 1, 4, 5, 200, 1, 2);
    Matrix d1, d2;
    d1.Resize(3, 1);
    d2.Resize(3, 1);
    d1.At(0) = 0.01;
    d1.At(1) = -0.02;
    d1.At(2) = 0.003;
    d2.At(0) = 0.04;
    d2.At(1) = 0.05;
    d2.At(2) = -0.001;
    e.SetDisInGlobalCS(d1, d2);
    e.ComputeEndForces();
    const Matrix start = e.DisplacementAt(0);
    EXPECT_NEAR(start.At(0), 0.01, 1e-15);
    EXPECT_NEAR(start.At(1), -0.02, 1e-15);
    // The end forces come from the same stiffness, so the far end agrees
    // with node 2.
    const Matrix end = e.DisplacementAt(1);
    EXPECT_NEAR(end.At(0), 0.04, 1e-12);
    EXPECT_NEAR(end.At(1), 0.05, 1e-12);

    // The allocation-free forms give the very same numbers.
    const BeamElement::AxisResults axis = e.ComputeAxisResults();
    for (double xi : {0.0, 0.25, 0.7, 1.0}) {
        double out[2];
        e.DisplacementAt(xi, axis, out);
        EXPECT_EQ(out[0], e.DisplacementAt(xi).At(0));
        EXPECT_EQ(out[1], e.DisplacementAt(xi).At(1));
        EXPECT_EQ(e.MomentAt(xi, axis), e.MomentAt(xi));
        EXPECT_EQ(e.ShearAt(xi, axis), e.ShearAt(xi));
    }
}

} // namespace
