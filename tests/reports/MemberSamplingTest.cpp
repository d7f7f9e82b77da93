#include "core/BeamElement.h"
#include "reports/FrameBuilder.h"
#include "reports/MemberSampling.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// An element of length 2 along x whose end forces in element axes are
// (0, V1, M1, 0, -V1, ...): only V1 and M1 matter for the sampling.
BeamElement Loaded(double V1, double M1, double q1 = 0, double q2 = 0)
{
    BeamElement e;
    e.Init(0, Node{0, 0, 0}, Node{2, 0, 1}, ElementProperty{1, 1, 1});
    e.m_ForInGlobalCS.At(1) = V1;
    e.m_ForInGlobalCS.At(2) = M1;
    e.SetDistributedLoad(q1, q2);
    return e;
}

} // namespace

TEST(MemberSampling, LinearMomentPeaksAtTheLargerEnd)
{
    double value = 0, x = -1;
    // M(x) = 5x - 2: 2 at the first node, 8 at the second.
    AbsMaxMoment(Loaded(5, 2), value, x);
    EXPECT_DOUBLE_EQ(value, 8);
    EXPECT_EQ(x, 2);
    // M(x) = x - 2: 2 at the first node, 0 at the second.
    AbsMaxMoment(Loaded(1, 2), value, x);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(x, 0);
    // M(x) = 2x - 2: equal magnitudes at both ends go to the first node.
    AbsMaxMoment(Loaded(2, 2), value, x);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(x, 0);
    // A constant shear stays at the first node.
    AbsMaxShear(Loaded(-5, 2), value, x);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(x, 0);
}

TEST(MemberSampling, LinearlyVaryingLoadMovesTheShearPeak)
{
    // V(x) = -1 + 3x/2 + ... grows to its largest magnitude at x = L.
    double value = 0, x = -1;
    AbsMaxShear(Loaded(-1, 0, 0, 3), value, x);
    EXPECT_DOUBLE_EQ(value, 2);
    EXPECT_EQ(x, 2);
}

TEST(MemberSampling, NotANumberNeverReplacesTheStart)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    double value = 0, x = -1;
    AbsMaxMoment(Loaded(3, -4, nan, nan), value, x);
    EXPECT_EQ(value, 4);
    EXPECT_EQ(x, 0);
    AbsMaxShear(Loaded(3, -4, nan, nan), value, x);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(x, 0);
}

TEST(MemberSampling, DisplacementAtRestAndFromAFreeFirstNode)
{
    double value = -1, x = -1;
    MaxDisplacement(Loaded(0, 0), value, x);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(x, 0);

    // The cantilever listed from its free end to its support.
    ScratchDir dir;
    FrameBuilder b;
    b.AddProperty(1000, 10, 1);
    b.AddNode(0, 0);
    b.AddNode(2, 0);
    b.AddElement(1, 0, 0);
    b.AddSupport(0, 1, 1, 1);
    b.AddForce(1, -10, -30, 0);
    b.Run(dir.Path());
    MaxDisplacement(b.m_Model.m_Elements[0], value, x);
    EXPECT_DOUBLE_EQ(value, std::sqrt(0.002 * 0.002 + 0.08 * 0.08));
    EXPECT_EQ(x, 0);
    EXPECT_NE(
        ReadFile(dir.File("MDisInGlobalCS.txt")).find("        Dmax =        0.080025         , x =               0\n"),
        std::string::npos);
}
