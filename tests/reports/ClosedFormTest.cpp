#include "core/StructureModel.h"
#include "input/Load.h"
#include "reports/FrameBuilder.h"
#include "reports/MemberSampling.h"
#include "reports/NodalReactions.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

// Textbook results that the whole chain (assembly, solution, element
// results, sampling, reactions) must reproduce.

namespace {

void ExpectRelative(double actual, double expected, const char* what)
{
    EXPECT_NEAR(actual, expected, 1e-6 * std::fabs(expected)) << what;
}

// A straight beam along x from 0 to length, cut into `parts` equal elements.
FrameBuilder Beam(double length, int parts, double E, double A, double I)
{
    FrameBuilder b;
    b.AddProperty(E, A, I);
    for (int i = 0; i <= parts; ++i)
        b.AddNode(length * i / parts, 0);
    for (int i = 0; i < parts; ++i)
        b.AddElement(i, i + 1, 0);
    return b;
}

} // namespace

TEST(ClosedForm, CantileverTipDeflectionAndFixedEndMoment)
{
    const double L = 4, E = 210000, A = 0.01, I = 8e-5, P = 12;
    ScratchDir dir;
    FrameBuilder b = Beam(L, 3, E, A, I);
    b.AddSupport(0, 1, 1, 1);
    b.AddForce(3, 0, -P, 0);
    const StructureModel& m = b.Run(dir.Path());

    ExpectRelative(m.m_D.At(3 * 3 + 1), -P * L * L * L / (3 * E * I), "tip deflection");
    ExpectRelative(m.m_D.At(3 * 3 + 2), -P * L * L / (2 * E * I), "tip rotation");

    const std::vector<NodalReaction> r = ComputeNodalReactions(m);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(r[0].Fx, 0, 1e-9);
    ExpectRelative(r[0].Fy, P, "vertical reaction");
    ExpectRelative(r[0].Mz, P * L, "fixed-end moment");

    double value = 0, x = -1;
    AbsMaxMoment(m.m_Elements[0], value, x);
    ExpectRelative(value, P * L, "largest moment");
    EXPECT_EQ(x, 0);
    AbsMaxShear(m.m_Elements[0], value, x);
    ExpectRelative(value, P, "largest shear");
    MaxDisplacement(m.m_Elements[2], value, x);
    ExpectRelative(value, P * L * L * L / (3 * E * I), "largest translation");
    ExpectRelative(x, L / 3, "at the tip");
}

TEST(ClosedForm, SimplySupportedSpanUnderUniformLoad)
{
    const double L = 6, E = 30000, A = 0.2, I = 0.004, q = 2.5;
    const double midMoment = q * L * L / 8;
    const double midDeflection = 5 * q * L * L * L * L / (384 * E * I);
    {
        // One element: the sampled maxima find the midspan values.
        ScratchDir dir;
        FrameBuilder b = Beam(L, 1, E, A, I);
        b.AddSupport(0, 1, 1, 0);
        b.AddSupport(1, 0, 1, 0);
        b.AddDistributedLoad(0, -q, -q);
        const StructureModel& m = b.Run(dir.Path());

        double value = 0, x = -1;
        AbsMaxMoment(m.m_Elements[0], value, x);
        ExpectRelative(value, midMoment, "sampled midspan moment");
        EXPECT_EQ(x, L / 2);
        AbsMaxShear(m.m_Elements[0], value, x);
        ExpectRelative(value, q * L / 2, "end shear");
        MaxDisplacement(m.m_Elements[0], value, x);
        ExpectRelative(value, midDeflection, "sampled midspan deflection");
        EXPECT_EQ(x, L / 2);

        const std::vector<NodalReaction> r = ComputeNodalReactions(m);
        ASSERT_EQ(r.size(), 2u);
        ExpectRelative(r[0].Fy, q * L / 2, "left reaction");
        ExpectRelative(r[1].Fy, q * L / 2, "right reaction");
        EXPECT_NEAR(r[0].Mz, 0, 1e-9 * midMoment);
    }
    {
        // Several elements: the midspan node itself.
        ScratchDir dir;
        FrameBuilder b = Beam(L, 4, E, A, I);
        b.AddSupport(0, 1, 1, 0);
        b.AddSupport(4, 0, 1, 0);
        for (int e = 0; e < 4; ++e)
            b.AddDistributedLoad(e, -q, -q);
        const StructureModel& m = b.Run(dir.Path());
        ExpectRelative(m.m_D.At(3 * 2 + 1), -midDeflection, "midspan node deflection");
        ExpectRelative(m.m_Elements[1].ComputeAxisResults().f[5], midMoment, "moment at the midspan node");
    }
}

TEST(ClosedForm, FixedFixedSpanUnderUniformLoad)
{
    const double L = 5, E = 1000, A = 10, I = 2, w = 3;
    ScratchDir dir;
    FrameBuilder b = Beam(L, 2, E, A, I);
    b.AddSupport(0, 1, 1, 1);
    b.AddSupport(2, 1, 1, 1);
    b.AddDistributedLoad(0, -w, -w);
    b.AddDistributedLoad(1, -w, -w);
    const StructureModel& m = b.Run(dir.Path());

    ExpectRelative(m.m_D.At(3 * 1 + 1), -w * L * L * L * L / (384 * E * I), "midspan deflection");
    const double endMoment = w * L * L / 12;
    ExpectRelative(m.m_Elements[0].ComputeAxisResults().f[2], endMoment, "left end moment");
    ExpectRelative(m.m_Elements[1].ComputeAxisResults().f[5], -endMoment, "right end moment");

    const std::vector<NodalReaction> r = ComputeNodalReactions(m);
    ASSERT_EQ(r.size(), 2u);
    ExpectRelative(r[0].Fy, w * L / 2, "left reaction");
    ExpectRelative(r[0].Mz, endMoment, "left support moment");
    ExpectRelative(r[1].Mz, -endMoment, "right support moment");

    double value = 0, x = -1;
    AbsMaxMoment(m.m_Elements[0], value, x);
    ExpectRelative(value, endMoment, "largest moment of the half span");
    EXPECT_EQ(x, 0);
}

TEST(ClosedForm, PrescribedSettlementOfACantileverTip)
{
    const double L = 3, E = 2000, A = 5, I = 0.5, delta = 0.01;
    ScratchDir dir;
    FrameBuilder b = Beam(L, 1, E, A, I);
    b.AddSupport(0, 1, 1, 1);
    b.AddPrescribed(1, std::nullopt, -delta, std::nullopt);
    const StructureModel& m = b.Run(dir.Path());

    const double P = 3 * E * I * delta / (L * L * L);
    ExpectRelative(m.m_D.At(4), -delta, "settled node");
    ExpectRelative(m.m_D.At(5), -3 * delta / (2 * L), "tip rotation");
    const std::vector<NodalReaction> r = ComputeNodalReactions(m);
    ASSERT_EQ(r.size(), 1u);
    ExpectRelative(r[0].Fy, P, "support force");
    ExpectRelative(r[0].Mz, P * L, "support moment");

    double value = 0, x = -1;
    MaxDisplacement(m.m_Elements[0], value, x);
    ExpectRelative(value, delta, "largest translation");
    EXPECT_EQ(x, L);
}

TEST(ClosedForm, ObliqueSpringShares)
{
    // Cantilever tip, rotation free, on a spring along (1, 1): the tip's
    // translational stiffness is EA/L along x and 3EI/L^3 along y, plus
    // k/2 in every entry of the 2 x 2 block.
    const double L = 2, E = 1000, A = 10, I = 1, k = 400, P = 30;
    ScratchDir dir;
    FrameBuilder b = Beam(L, 1, E, A, I);
    b.AddSupport(0, 1, 1, 1);
    b.AddSpring(1, k, 3, 3);
    b.AddForce(1, 0, -P, 0);
    const StructureModel& m = b.Run(dir.Path());

    const double kxx = E * A / L + k / 2, kyy = 3 * E * I / (L * L * L) + k / 2, kxy = k / 2;
    const double det = kxx * kyy - kxy * kxy;
    const double dx = P * kxy / det, dy = -P * kxx / det;
    ExpectRelative(m.m_D.At(3), dx, "tip dx");
    ExpectRelative(m.m_D.At(4), dy, "tip dy");

    // The support carries what the spring does not; the spring's own force
    // is no reaction.
    const double springShare = k / 2 * (dx + dy);
    const std::vector<NodalReaction> r = ComputeNodalReactions(m);
    ASSERT_EQ(r.size(), 1u);
    ExpectRelative(r[0].Fx, springShare, "support Fx");
    ExpectRelative(r[0].Fy, P + springShare, "support Fy");
    ExpectRelative(r[0].Mz, L * (P + springShare), "support Mz");
}

TEST(ClosedForm, SecondDistributedLoadOnAnElementReplacesTheFirstInItsEndForces)
{
    const double L = 4, E = 1000, A = 10, I = 1;
    auto span = [&](std::initializer_list<double> loads, const std::string& dir) {
        FrameBuilder b = Beam(L, 1, E, A, I);
        b.AddSupport(0, 1, 1, 0);
        b.AddSupport(1, 0, 1, 0);
        for (double q : loads)
            b.AddDistributedLoad(0, q, q);
        b.Run(dir);
        return b;
    };
    ScratchDir d1, d2, d3;
    const FrameBuilder both = span({-1, -3}, d1.Path());
    const FrameBuilder sum = span({-4}, d2.Path());
    const FrameBuilder last = span({-3}, d3.Path());

    // The solution carries both loads ...
    for (int i = 0; i < 6; ++i)
        EXPECT_DOUBLE_EQ(both.m_Model.m_D.At(i), sum.m_Model.m_D.At(i)) << i;
    // ... the element only the last one's fixed-end forces and intensity.
    const BeamElement& e = both.m_Model.m_Elements[0];
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(e.m_FixForInGlobalCS.At(i), last.m_Model.m_Elements[0].m_FixForInGlobalCS.At(i)) << i;
    EXPECT_EQ(e.m_q1, -3);
    EXPECT_EQ(e.m_q2, -3);
}

TEST(ClosedForm, ShippedPortalFrameIsInEquilibrium)
{
    // Supports, the load at node 1, the beam's load of 5 over 6 and the
    // horizontal spring at node 2 balance; the reactions leave the spring
    // out, so it has to be added back here.
    ScratchDir dir;
    StructureModel m;
    m.m_OutputDir = dir.Path();
    Load(m, VELA_EXAMPLES_DIR "/portal.txt");
    m.Solve();
    PostProcess(m);

    const std::vector<NodalReaction> r = ComputeNodalReactions(m);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].NodeNo, 0);
    EXPECT_EQ(r[1].NodeNo, 3);
    const double spring = -5000 * m.m_D.At(3 * 2);
    EXPECT_NEAR(r[0].Fx + r[1].Fx + 10 + spring, 0, 1e-9);
    EXPECT_NEAR(r[0].Fy + r[1].Fy - 5 * 6, 0, 1e-9);
    EXPECT_NEAR(m.m_D.At(3 * 3 + 1), -0.001, 1e-12);
}
