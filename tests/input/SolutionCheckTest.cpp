#include "InputTestSupport.h"

#include "core/Warnings.h"
#include "input/Load.h"

#include <cmath>

namespace {

struct Solved {
    StructureModel model;
    CollectingWarnings warnings;
};

// Loads the text, keeps the warnings of loading apart and solves; returns
// the warnings of the solution alone.
std::vector<std::string> LoadAndSolve(Solved& s, const ScratchDir& dir, const std::string& text)
{
    const std::string path = dir.Write("model.txt", text);
    s.model.m_OutputDir = dir.Path();
    s.model.m_Warnings = &s.warnings;
    Load(s.model, path.c_str());
    s.warnings.m_Texts.clear();
    s.model.Solve();
    return s.warnings.m_Texts;
}

// A cantilever of length 2 along x, fixed at node 0, with a tip load of 10
// down; its box is 2 x 1, so the size of the structure is 2.
std::string Cantilever(const std::string& E, const std::string& tipLoad = "1:<0,-10,0>")
{
    return "### Vela release=1.07\nBeam\nNumber of element property:NEP=1\n\nE=" + E +
           "\nA=10\nI=1\n"
           "Number of nodal points in the structure:NPOIN=2\n0:0,0\n1:2,0\n"
           "Number of elements in the structure:NELEM=1\n0:0,1,0\n"
           "Number of restricted nodal points:NRN=1\n0:1 1 1\n"
           "Number of force_2d:NFOR=1\n" +
           tipLoad +
           "\nNumber of distributed load:NDIS=0\n"
           "Number of prescribed nodal points:NPRESC=0\nNumber of Spring_2ds:NSPR=0\n"
           "Number of Torsional_Spring_2ds:NTSPR=0\n";
}

bool Mentions(const std::vector<std::string>& texts, const std::string& what)
{
    return texts.size() == 1 && texts[0].find(what) != std::string::npos;
}

TEST(SolutionCheck, AFrameFreeToSwayIsSolvedButReportedAsAMechanism)
{
    // The portal frame on two rollers and without its horizontal spring:
    // nothing holds it sideways. The penalty supports leave a pivot well
    // above the singularity test, so the system solves, with the whole
    // frame sliding some 1e11 times its width.
    std::string text = Replace(PortalText(), "0:1 1 1", "0:0 1 0");
    text = Replace(text, "3:1 1 0", "3:0 1 0");
    text = Replace(text, "NSPR=1\n2:5000<1,0>", "NSPR=0");
    ScratchDir dir;
    Solved s;
    const std::vector<std::string> warnings = LoadAndSolve(s, dir, text);
    ASSERT_TRUE(Mentions(warnings, "mechanism")) << ::testing::PrintToString(warnings);
    EXPECT_EQ(warnings[0].rfind("the displacement dx of node ", 0), 0u) << warnings[0];
    EXPECT_NE(warnings[0].find("size of the structure (6)"), std::string::npos) << warnings[0];
    EXPECT_GT(std::fabs(s.model.m_D.At(0)), 1e9);

    // The check only looks: the solution is that of the matrix solver.
    EXPECT_EQ(s.model.m_D.m_Data, s.model.m_K.Solve(s.model.m_F).m_Data);
}

TEST(SolutionCheck, SoundModelsSolveWithoutAWord)
{
    ScratchDir dir;
    for (const char* name : {"portal.txt", "综合算例.txt"}) {
        Solved s;
        EXPECT_TRUE(LoadAndSolve(s, dir, ReadFile(std::string(VELA_EXAMPLES_DIR) + "/" + name)).empty()) << name;
    }
    // Supported and prescribed components do not count, however far the
    // penalty lets them move: a node prescribed a million units away (the
    // user's own value) and a support pushed by 1e30 are what was asked for.
    const std::string node = "### Vela release=1.07\nBeam\nNumber of element property:NEP=1\n\nE=1\nA=1\nI=1\n"
                             "Number of nodal points in the structure:NPOIN=2\n0:0,0\n1:5,0\n"
                             "Number of elements in the structure:NELEM=0\n"
                             "Number of restricted nodal points:NRN=1\n1:1 1 1\n"
                             "Number of force_2d:NFOR=1\n1:<1e30,0,0>\nNumber of distributed load:NDIS=0\n"
                             "Number of prescribed nodal points:NPRESC=1\n0:<1e6,0,0>\n"
                             "Number of Spring_2ds:NSPR=0\nNumber of Torsional_Spring_2ds:NTSPR=0\n";
    Solved held;
    EXPECT_TRUE(LoadAndSolve(held, dir, node).empty());
    EXPECT_EQ(held.model.m_D.At(0), 1e6);
    EXPECT_EQ(held.model.m_D.At(3), 1e10);
}

TEST(SolutionCheck, ThresholdIsAThousandTimesTheSizeOfTheStructure)
{
    // Tip deflection 10 * 8 / (3 * E) of a cantilever of size 2: with
    // E = 0.1 it is 267 (about 130 times the size), a flexible but sound
    // result; with E = 1e-4 it is 2.7e5, far beyond anything linear.
    ScratchDir dir;
    Solved flexible;
    EXPECT_TRUE(LoadAndSolve(flexible, dir, Cantilever("0.1")).empty());
    EXPECT_NEAR(flexible.model.m_D.At(4), -80 / 0.3, 1e-6);
    Solved absurd;
    EXPECT_TRUE(Mentions(LoadAndSolve(absurd, dir, Cantilever("1e-4")), "the displacement dy of node 1 (-266667)"));
}

TEST(SolutionCheck, DisplacementsThatAreNotNumbersAreReported)
{
    // A finite system whose solution overflows.
    ScratchDir dir;
    Solved s;
    const std::vector<std::string> warnings = LoadAndSolve(s, dir, Cantilever("1e-4", "1:<0,-1e308,0>"));
    EXPECT_TRUE(Mentions(warnings, "is not a finite number")) << ::testing::PrintToString(warnings);
    EXPECT_FALSE(std::isfinite(s.model.m_D.At(4)));
}

} // namespace

namespace {

TEST(SolutionCheck, ANumberThatIsNotFiniteIsNamedWhereTheStructureIsLoose)
{
    // The held components of node 0 came out undefined as well as dy of
    // node 1: the free one tells the user where to look.
    ScratchDir dir;
    Solved s;
    LoadAndSolve(s, dir, Cantilever("1000"));
    s.warnings.m_Texts.clear();
    s.model.m_D.At(0) = NAN;
    s.model.m_D.At(1) = INFINITY;
    s.model.m_D.At(4) = NAN;
    s.model.CheckSolution();
    EXPECT_TRUE(Mentions(s.warnings.m_Texts, "the displacement dy of node 1 is not a finite number"))
        << s.warnings.m_Texts.front();

    // Only held ones: the first of them.
    s.warnings.m_Texts.clear();
    s.model.m_D.At(4) = 0;
    s.model.CheckSolution();
    EXPECT_TRUE(Mentions(s.warnings.m_Texts, "the displacement dx of node 0 is not a finite number"));
}

} // namespace
