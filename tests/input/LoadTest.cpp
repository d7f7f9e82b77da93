#include "InputTestSupport.h"

#include "core/Warnings.h"
#include "input/Load.h"

namespace {

const char* const kCantilever = "### Vela release=1.07\n"
                                "Beam\nNumber of element property:NEP=1\n\nE=1000\nA=10\nI=1\n"
                                "Number of nodal points in the structure:NPOIN=2\n0:0,0\n1:2,0\n"
                                "Number of elements in the structure:NELEM=1\n0:0,1,0\n"
                                "Number of restricted nodal points:NRN=1\n0:1 1 1\n"
                                "Number of force_2d:NFOR=1\n1:<0,-10,0>\n"
                                "Number of distributed load:NDIS=0\n"
                                "Number of prescribed nodal points:NPRESC=0\n"
                                "Number of Spring_2ds:NSPR=0\n"
                                "Number of Torsional_Spring_2ds:NTSPR=0\n";

struct Loaded {
    StructureModel model;
    CollectingWarnings warnings;
    std::string error;
};

void LoadText(Loaded& loaded, const ScratchDir& dir, const std::string& text)
{
    const std::string path = dir.Write("model.txt", text);
    loaded.model.m_OutputDir = dir.Path();
    loaded.model.m_Warnings = &loaded.warnings;
    try {
        Load(loaded.model, path.c_str());
    } catch (const FatalError& e) {
        loaded.error = e.Message();
    }
}

TEST(Load, CantileverWithPenaltySupport)
{
    ScratchDir dir;
    Loaded l;
    LoadText(l, dir, kCantilever);
    ASSERT_EQ(l.error, "");
    const StructureModel& m = l.model;
    ASSERT_EQ(m.m_K.GetRows(), 6);
    EXPECT_EQ(m.m_K.At(0 * 6 + 0), 1e20);
    EXPECT_EQ(m.m_K.At(1 * 6 + 1), 1e20);
    EXPECT_EQ(m.m_K.At(2 * 6 + 2), 1e20);
    EXPECT_EQ(m.m_F.m_Data, (std::vector<double>{0, 0, 0, 0, -10, 0}));
    EXPECT_TRUE(FileExists(dir.File("K.txt")));
    EXPECT_EQ(ReadFile(dir.File("DForce.txt")).substr(0, 31),
              std::string(14, ' ') + "6" + std::string(14, ' ') + "1\n");

    // Box [0, 2] x [0, 1] (one horizontal line gets a unit height); the
    // force is drawn a tenth of the box's larger side long.
    EXPECT_EQ(m.m_XMax, 2);
    EXPECT_EQ(m.m_YMax, 1);
    EXPECT_DOUBLE_EQ(m.m_VisualScaleofForce, 0.1 * 2 / 10);
    EXPECT_EQ(m.m_VisualScaleofPress, 1);
    EXPECT_TRUE(l.warnings.m_Texts.empty());
    EXPECT_EQ(m.m_AverageElemLength, 2);
    EXPECT_EQ(m.m_NumInertiaLevels, 1);

    l.model.Solve();
    const double EI = 1000, L = 2;
    EXPECT_NEAR(l.model.m_D.At(4), -10 * L * L * L / (3 * EI), 1e-12);
    EXPECT_NEAR(l.model.m_D.At(5), -10 * L * L / (2 * EI), 1e-12);
}

TEST(Load, PrescribedValuesSpringsAndRepeatedLoads)
{
    ScratchDir dir;
    std::string text = Replace(PortalText(), "NPRESC=1\n3:<,-0.001,>", "NPRESC=2\n3:<,-0.001,>\n2:<0.01,,>");
    text = Replace(text, "NDIS=1\n1:-5,-5", "NDIS=2\n1:-5,-5\n1:-1,-1");
    Loaded l;
    LoadText(l, dir, text);
    ASSERT_EQ(l.error, "");
    const StructureModel& m = l.model;
    const int n = 12;
    // A prescribed component is overwritten with exactly the penalty, also
    // where a spring was added first (dx of node 2).
    EXPECT_EQ(m.m_K.At(6 * n + 6), 1e20);
    EXPECT_EQ(m.m_F.At(6), 0.01 * 1e20);
    EXPECT_EQ(m.m_K.At(10 * n + 10), 1e20);
    EXPECT_EQ(m.m_F.At(10), -0.001 * 1e20);
    // The rotational spring is added on rz of node 3.
    EXPECT_DOUBLE_EQ(m.m_K.At(11 * n + 11), m.m_Elements[2].m_KInGlobalCS.At(5 * 6 + 5) + 2000);
    // Both distributed loads enter the load vector: (5 + 1) * 6 / 2 at each end.
    EXPECT_DOUBLE_EQ(m.m_F.At(4), -18);
    EXPECT_DOUBLE_EQ(m.m_F.At(3), 10);

    l.model.Solve();
    EXPECT_NEAR(l.model.m_D.At(6), 0.01, 1e-9);
    EXPECT_NEAR(l.model.m_D.At(10), -0.001, 1e-12);
}

TEST(Load, ScaleWarningsAndDegenerateBoxes)
{
    ScratchDir dir;
    Loaded moments;
    LoadText(moments, dir, Replace(kCantilever, "1:<0,-10,0>", "1:<0,0,5>"));
    ASSERT_EQ(moments.error, "");
    EXPECT_EQ(moments.warnings.m_Texts,
              (std::vector<std::string>{"梁系集中力太小|Fmax|<1e-10!", "临时给m_VisualScaleofForce赋值为1"}));
    EXPECT_EQ(moments.model.m_VisualScaleofForce, 1);

    // A single node: the box becomes [x, x + 1] x [y, y + 1].
    Loaded single;
    LoadText(
        single, dir,
        Replace(Replace(Replace(kCantilever, "NPOIN=2\n0:0,0\n1:2,0", "NPOIN=1\n0:3,4"), "NELEM=1\n0:0,1,0", "NELEM=0"),
                "NFOR=1\n1:<0,-10,0>", "NFOR=0"));
    ASSERT_EQ(single.error, "");
    EXPECT_EQ(single.model.m_XMin, 3);
    EXPECT_EQ(single.model.m_XMax, 4);
    EXPECT_EQ(single.model.m_YMin, 4);
    EXPECT_EQ(single.model.m_YMax, 5);
    EXPECT_GT(single.model.m_AverageElemLength, 0);

    // Coordinates so large that adding 1 changes nothing.
    Loaded huge;
    LoadText(huge, dir, Replace(kCantilever, "0:0,0\n1:2,0", "0:1e300,0\n1:1e300,2"));
    EXPECT_EQ(huge.error, "包围盒大小为零!");

    Loaded none;
    LoadText(none, dir,
             Replace(Replace(Replace(Replace(kCantilever, "NPOIN=2\n0:0,0\n1:2,0", "NPOIN=0"), "NELEM=1\n0:0,1,0",
                                     "NELEM=0"),
                             "NRN=1\n0:1 1 1", "NRN=0"),
                     "NFOR=1\n1:<0,-10,0>", "NFOR=0"));
    EXPECT_EQ(none.error, "包围盒大小为零!");
}

TEST(Load, AMechanismIsRefusedWhenSolved)
{
    ScratchDir dir;
    Loaded l;
    LoadText(l, dir, Replace(kCantilever, "0:1 1 1", "0:1 1 0"));
    ASSERT_EQ(l.error, "");
    try {
        l.model.Solve();
        FAIL() << "a mechanism was solved";
    } catch (const FatalError& e) {
        EXPECT_EQ(std::string(e.Message()).rfind("fail: the stiffness matrix is singular", 0), 0u);
        EXPECT_EQ(e.Status(), 1);
    }
}

} // namespace
