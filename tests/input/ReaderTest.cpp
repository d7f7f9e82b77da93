#include "InputTestSupport.h"

#include <cmath>

namespace {

TEST(Reader, ReadsThePortalFrameInFull)
{
    ScratchDir dir;
    ReadResult r = ReadText(dir, PortalText());
    ASSERT_TRUE(r.ok) << r.message;
    const StructureModel& m = r.model;

    EXPECT_EQ(m.m_NEP, 2);
    EXPECT_EQ(m.m_NPOIN, 4);
    EXPECT_EQ(m.m_NELEM, 3);
    EXPECT_EQ(m.m_NRN, 2);
    EXPECT_EQ(m.m_NFOR, 1);
    EXPECT_EQ(m.m_NDIS, 1);
    EXPECT_EQ(m.m_NPRESC, 1);
    EXPECT_EQ(m.m_NSPR, 1);
    EXPECT_EQ(m.m_NTSPR, 1);

    EXPECT_DOUBLE_EQ(m.m_Properties[1].E, 2.0e8);
    EXPECT_DOUBLE_EQ(m.m_Properties[1].A, 0.012);
    EXPECT_DOUBLE_EQ(m.m_Properties[1].I, 1.2e-4);
    EXPECT_EQ(m.m_Nodes[2].x, 6);
    EXPECT_EQ(m.m_Nodes[2].y, 4);
    EXPECT_EQ(m.m_Nodes[3].No, 3);
    EXPECT_EQ(m.m_ElemNodes, (std::vector<int>{0, 1, 1, 2, 2, 3}));
    EXPECT_EQ(m.m_ElemProp, (std::vector<int>{0, 1, 0}));

    // Elements are initialised with copies of their nodes and property.
    const BeamElement& beam = m.m_Elements[1];
    EXPECT_EQ(beam.m_No, 1);
    EXPECT_EQ(beam.m_Node1.No, 1);
    EXPECT_EQ(beam.m_Node2.No, 2);
    EXPECT_DOUBLE_EQ(beam.m_Length, 6);
    EXPECT_EQ(beam.m_q1, -5);
    EXPECT_EQ(beam.m_q2, -5);
    EXPECT_EQ(m.m_Elements[0].m_q1, 0);

    const RestrictedNode& pin = m.m_RestrictedNodes[1];
    EXPECT_EQ(pin.NodeNo, 3);
    EXPECT_EQ(pin.Fix[0], 1);
    EXPECT_EQ(pin.Fix[1], 1);
    EXPECT_EQ(pin.Fix[2], 0);
    EXPECT_EQ(pin.x, 6);
    EXPECT_EQ(pin.Color, 0x00FF00);

    EXPECT_EQ(m.m_Forces[0].Node.No, 1);
    EXPECT_EQ(m.m_Forces[0].Fx, 10);
    EXPECT_EQ(m.m_Forces[0].Color, 255);

    // Uniform load -5 on the 6-long beam running in +x: each end takes half
    // the load downwards and the fixed-end moments q L^2 / 12.
    const DistributedLoad& d = m.m_DistributedLoads[0];
    EXPECT_EQ(d.ElemNo, 1);
    EXPECT_EQ(d.EquForce1.Node.No, 1);
    EXPECT_EQ(d.EquForce2.Node.No, 2);
    EXPECT_EQ(d.EquForce1.Fx, 0);
    EXPECT_DOUBLE_EQ(d.EquForce1.Fy, -15);
    EXPECT_DOUBLE_EQ(d.EquForce1.Mz, -15);
    EXPECT_DOUBLE_EQ(d.EquForce2.Fy, -15);
    EXPECT_DOUBLE_EQ(d.EquForce2.Mz, 15);

    const PrescribedDisplacement& p = m.m_Prescribed[0];
    EXPECT_EQ(p.Node.No, 3);
    EXPECT_FALSE(p.HasDx);
    EXPECT_TRUE(p.HasDy);
    EXPECT_FALSE(p.HasRz);
    EXPECT_EQ(p.Dx, 0);
    EXPECT_EQ(p.Dy, -0.001);

    const Spring_2d& s = m.m_Springs[0];
    EXPECT_EQ(s.Node.No, 2);
    EXPECT_EQ(s.K, 5000);
    ASSERT_EQ(s.KInGlobalCS.GetRows(), 2);
    EXPECT_EQ(s.KInGlobalCS.At(0), 5000);
    EXPECT_EQ(s.KInGlobalCS.At(1), 0);
    EXPECT_EQ(s.KInGlobalCS.At(2), 0);
    EXPECT_EQ(s.KInGlobalCS.At(3), 0);

    EXPECT_EQ(m.m_TorsionalSprings[0].Node.No, 3);
    EXPECT_EQ(m.m_TorsionalSprings[0].K, 2000);

    EXPECT_EQ(ReadFile(dir.File("Point.txt")), "4 2\n0 0\n0 4\n6 4\n6 0\n");
    EXPECT_EQ(ReadFile(dir.File("Me.txt")), "3 2\n0 1 \n1 2 \n2 3 \n");
}

TEST(Reader, EquivalentLoadsOfAVaryingLoadOnAnInclinedMember)
{
    ScratchDir dir;
    std::string text = PortalText();
    text = Replace(text, "1:-5,-5", "0:2,8");
    ReadResult r = ReadText(dir, text);
    ASSERT_TRUE(r.ok) << r.message;
    // Column 0 runs from (0,0) up to (0,4): local y points in -x.
    const DistributedLoad& d = r.model.m_DistributedLoads[0];
    const double L = 4;
    EXPECT_DOUBLE_EQ(d.EquForce1.Fx, -L * (0.35 * 2 + 0.15 * 8));
    EXPECT_EQ(d.EquForce1.Fy, 0);
    EXPECT_DOUBLE_EQ(d.EquForce1.Mz, 2 * L * L / 20 + 8 * L * L / 30);
    EXPECT_DOUBLE_EQ(d.EquForce2.Fx, -L * (0.15 * 2 + 0.35 * 8));
    EXPECT_DOUBLE_EQ(d.EquForce2.Mz, -(2 * L * L / 30 + 8 * L * L / 20));
}

TEST(Reader, ObliqueSpringResistsAlongItsDirectionOnly)
{
    ScratchDir dir;
    ReadResult r = ReadText(dir, Replace(PortalText(), "2:5000<1,0>", "2:100<3,4>"));
    ASSERT_TRUE(r.ok) << r.message;
    const Matrix& k = r.model.m_Springs[0].KInGlobalCS;
    EXPECT_NEAR(k.At(0), 100 * 9.0 / 25, 1e-12);
    EXPECT_NEAR(k.At(1), 100 * 12.0 / 25, 1e-12);
    EXPECT_NEAR(k.At(2), 100 * 12.0 / 25, 1e-12);
    EXPECT_NEAR(k.At(3), 100 * 16.0 / 25, 1e-12);
}

TEST(Reader, AcceptsWhatTheFormatsMatchingRulesAccept)
{
    ScratchDir dir;
    std::string text = PortalText();
    // CR LF line ends.
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    EXPECT_TRUE(ReadText(dir, crlf).ok);

    // "Beam" and the count on one line; a release written 1.07000; blanks
    // inside header texts match any run of white space, even none.
    text = Replace(PortalText(), "Beam\nNumber", "Beam Number");
    text = Replace(text, "release=1.07", "release=1.07000");
    text = Replace(text, "Number of force_2d:NFOR=", "Number  of\tforce_2d:NFOR=");
    text = Replace(text, "Number of distributed load:", "Numberof distributedload:");
    EXPECT_TRUE(ReadText(dir, text).ok) << ReadText(dir, text).message;

    // Blank lines between node, element, support and load records, and
    // after the node and element lists; an empty property title.
    text = Replace(PortalText(), "1:0,4\n", "1:0,4\n\n  \n");
    text = Replace(text, "2:6,4\n3:6,0\n", "2:6,4\n3:6,0\n\n");
    text = Replace(text, "2:2,3,0\n", "2:2,3,0\n\n");
    text = Replace(text, "0:1 1 1\n", "0:1 1 1\n\n");
    text = Replace(text, "Property 0: columns", "");
    ReadResult r = ReadText(dir, text);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.model.m_NRN, 2);
    EXPECT_EQ(r.model.m_RestrictedNodes[1].NodeNo, 3);

    // The number at the head of an element line is not used.
    r = ReadText(dir, Replace(PortalText(), "0:0,1,0", "7:0,1,0"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.model.m_Elements[0].m_No, 0);

    // No line end after the last record, trailing text after it ignored.
    text = PortalText();
    text.pop_back();
    EXPECT_TRUE(ReadText(dir, text).ok);
    EXPECT_TRUE(ReadText(dir, PortalText() + "anything after the last section\n").ok);
}

TEST(Reader, EmptySectionsAreJustTheirCountLine)
{
    ScratchDir dir;
    const std::string text = "### Vela release=1.07\n"
                             "Beam\nNumber of element property:NEP=1\n\nE=1\nA=1\nI=1\n"
                             "Number of nodal points in the structure:NPOIN=1\n0:2,3\n"
                             "Number of elements in the structure:NELEM=0\n"
                             "Number of restricted nodal points:NRN=0\n"
                             "Number of force_2d:NFOR=0\n"
                             "Number of distributed load:NDIS=0\n"
                             "Number of prescribed nodal points:NPRESC=0\n"
                             "Number of Spring_2ds:NSPR=0\n"
                             "Number of Torsional_Spring_2ds:NTSPR=0\n";
    ReadResult r = ReadText(dir, text);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.model.m_NELEM, 0);
    EXPECT_TRUE(r.model.m_Elements.empty());
    EXPECT_TRUE(r.model.m_Forces.empty());
    EXPECT_TRUE(r.model.m_Springs.empty());
    EXPECT_EQ(ReadFile(dir.File("Me.txt")), "0 2\n");
    EXPECT_EQ(ReadFile(dir.File("Point.txt")), "1 2\n2 3\n");
}

TEST(Reader, DecodesPrescribedDisplacementWords)
{
    ScratchDir dir;
    std::string text =
        Replace(PortalText(), "NPRESC=1\n3:<,-0.001,>", "NPRESC=4\n0:<0,0,0>\n1:<,,>\n2:<0.5,,-1e-3>\n3.9:<,2,>");
    ReadResult r = ReadText(dir, text);
    ASSERT_TRUE(r.ok) << r.message;
    const auto& p = r.model.m_Prescribed;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_TRUE(p[0].HasDx && p[0].HasDy && p[0].HasRz);
    EXPECT_EQ(p[0].Dx, 0);
    EXPECT_FALSE(p[1].HasDx || p[1].HasDy || p[1].HasRz);
    EXPECT_TRUE(p[2].HasDx && !p[2].HasDy && p[2].HasRz);
    EXPECT_EQ(p[2].Dx, 0.5);
    EXPECT_EQ(p[2].Rz, -1e-3);
    // The node number is the leading number of the word, truncated.
    EXPECT_EQ(p[3].Node.No, 3);
    EXPECT_TRUE(!p[3].HasDx && p[3].HasDy && !p[3].HasRz);
    EXPECT_EQ(p[3].Dy, 2);
}

TEST(Reader, ReadsNumbersTheSameWhateverTheLocale)
{
    ScratchDir dir;
    ReadResult r = ReadText(dir, Replace(PortalText(), "E=2.0e8", "E=+2.5E8"));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.model.m_Properties[0].E, 2.5e8);
    // Underflow is zero, as the C library reads it.
    r = ReadText(dir, Replace(PortalText(), "1:<10,0,0>", "1:<10,1e-400,0>"));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.model.m_Forces[0].Fy, 0);
}

} // namespace
