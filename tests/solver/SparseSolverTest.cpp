#include "core/FatalError.h"
#include "core/Matrix.h"
#include "core/StructureModel.h"
#include "core/Warnings.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "solver/EigenSolver.h"
#include "solver/SparseSolvers.h"
#include "support/TestSupport.h"
#if defined(VELA_HAVE_CHOLMOD)
#include "solver/CholmodSolver.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// A building frame with something of every kind the stiffness matrix can
// hold: fixed, pinned and roller bases, a settlement and a prescribed base
// rotation, an oblique and a rotational spring (one on a supported
// component), diagonal braces, forces, a moment and varying beam loads.
std::string Frame(int storeys, int bays)
{
    const int perLevel = bays + 1;
    auto node = [perLevel](int level, int column) { return std::to_string(level * perLevel + column); };
    std::string nodes, elements, loads;
    int nodeCount = 0, elementCount = 0, loadCount = 0;
    for (int level = 0; level <= storeys; ++level)
        for (int column = 0; column <= bays; ++column, ++nodeCount)
            nodes += std::to_string(nodeCount) + ":" + std::to_string(6.0 * column) + "," +
                     std::to_string(3.5 * level + 0.1 * column) + "\n";
    auto element = [&](const std::string& a, const std::string& b, int property) {
        elements += std::to_string(elementCount++) + ":" + a + "," + b + "," + std::to_string(property) + "\n";
    };
    for (int level = 0; level < storeys; ++level)
        for (int column = 0; column <= bays; ++column)
            element(node(level, column), node(level + 1, column), 0);
    for (int level = 1; level <= storeys; ++level)
        for (int column = 0; column < bays; ++column) {
            loads += std::to_string(elementCount) + ":" + std::to_string(-10 - level) + "," +
                     std::to_string(-4 - column) + "\n";
            ++loadCount;
            element(node(level, column), node(level, column + 1), 1);
        }
    for (int level = 0; level < storeys; level += 2)
        element(node(level, 0), node(level + 1, 1), 2);

    std::string supports;
    int supportCount = 0;
    for (int column = 0; column <= bays; ++column, ++supportCount)
        supports += node(0, column) + (column == 1 ? ":1 1 0\n" : column == bays ? ":0 1 0\n" : ":1 1 1\n");

    std::string forces;
    for (int level = 1; level <= storeys; ++level)
        forces += node(level, 0) + ":<" + std::to_string(5 + level) + ",0,0>\n";
    forces += node(storeys, bays) + ":<0,-30,12>\n";

    return "### Vela release=1.07\nBeam\nNumber of element property:NEP=3\n"
           "columns\nE=2.1e8\nA=0.02\nI=2.0e-4\nbeams\nE=2.1e8\nA=0.015\nI=3.0e-4\n"
           "braces\nE=2.1e8\nA=0.004\nI=1.0e-6\n"
           "Number of nodal points in the structure:NPOIN=" +
           std::to_string(nodeCount) + "\n" + nodes +
           "Number of elements in the structure:NELEM=" + std::to_string(elementCount) + "\n" + elements +
           "Number of restricted nodal points:NRN=" + std::to_string(supportCount) + "\n" + supports +
           "Number of force_2d:NFOR=" + std::to_string(storeys + 1) + "\n" + forces +
           "Number of distributed load:NDIS=" + std::to_string(loadCount) + "\n" + loads +
           "Number of prescribed nodal points:NPRESC=2\n" + node(0, 1) + ":<,-0.002,>\n" + node(0, 0) +
           ":<,,0.001>\n"
           "Number of Spring_2ds:NSPR=2\n" +
           node(0, bays) + ":8000<1,-1>\n" + node(1, bays) + ":3000<1,0.5>\n" +
           "Number of Torsional_Spring_2ds:NTSPR=2\n" + node(0, 1) + ":2500\n" + node(0, 0) + ":100\n";
}

// Every sparse solver this build has: Eigen's everywhere, CHOLMOD where
// SuiteSparse is (the one MakeSparseSolver then hands out).
using SolverMaker = std::function<std::unique_ptr<SparseSolver>()>;
std::vector<SolverMaker> EverySolver()
{
    std::vector<SolverMaker> solvers{[] { return std::make_unique<EigenSolver>(); }};
#if defined(VELA_HAVE_CHOLMOD)
    solvers.push_back([] { return std::make_unique<CholmodSolver>(); });
#endif
    return solvers;
}

struct Loaded {
    ScratchDir dir;
    CollectingWarnings warnings;
    StructureModel model;
    std::unique_ptr<SparseSolver> solver;

    // Loads into its own folder, or into folder when one is given.
    Loaded(const std::string& text, SolverChoice choice, bool dump = false, const ScratchDir* folder = nullptr,
           std::unique_ptr<SparseSolver> sparse = MakeSparseSolver())
        : solver(std::move(sparse))
    {
        const ScratchDir& out = folder ? *folder : dir;
        model.m_OutputDir = out.Path();
        model.m_Warnings = &warnings;
        model.m_SparseSolver = solver.get();
        model.m_Solver = choice;
        model.m_DumpMatrices = dump;
        Load(model, out.Write("model.txt", text).c_str());
    }
};

double LargestDifference(const Matrix& a, const Matrix& b)
{
    double largest = 0;
    for (std::size_t i = 0; i < a.m_Data.size(); ++i)
        largest = std::max(largest, std::fabs(a.m_Data[i] - b.m_Data[i]));
    return largest;
}

double LargestMagnitude(const Matrix& a)
{
    double largest = 0;
    for (double v : a.m_Data)
        largest = std::max(largest, std::fabs(v));
    return largest;
}

} // namespace

TEST(SparseSolver, AgreesWithTheDenseEliminationOnFramesWithEveryKindOfRecord)
{
    const std::string examples = VELA_EXAMPLES_DIR;
    for (const SolverMaker& make : EverySolver())
        for (const std::string& text :
             {ReadFile(examples + "/portal.txt"), ReadFile(examples + "/综合算例.txt"), Frame(3, 2), Frame(8, 6)}) {
            Loaded dense(text, SolverChoice::Dense);
            Loaded sparse(text, SolverChoice::Sparse, false, nullptr, make());
            SCOPED_TRACE(sparse.solver->Name());
            ASSERT_FALSE(dense.model.m_SparseSystem);
            ASSERT_TRUE(sparse.model.m_SparseSystem);
            dense.model.Solve();
            sparse.model.Solve();
            ASSERT_EQ(dense.model.m_D.m_Data.size(), sparse.model.m_D.m_Data.size());
            const double scale = LargestMagnitude(dense.model.m_D);
            ASSERT_GT(scale, 0);
            EXPECT_LE(LargestDifference(dense.model.m_D, sparse.model.m_D), 1e-9 * scale);
            // The prescribed settlement is kept to the penalty's precision.
            EXPECT_TRUE(dense.warnings.m_Texts.empty() && sparse.warnings.m_Texts.empty());
        }
}

TEST(SparseSolver, AssemblesExactlyTheEntriesOfTheDenseMatrix)
{
    // Supports overwritten by a spring and springs added on top of
    // supports, prescribed components overwritten with the penalty: every
    // entry must come out bit for bit as in the dense matrix, zeros included.
    for (const std::string& text : {ReadFile(std::string(VELA_EXAMPLES_DIR) + "/综合算例.txt"), Frame(4, 3)}) {
        Loaded dense(text, SolverChoice::Dense);
        Loaded sparse(text, SolverChoice::Sparse);
        const int n = dense.model.m_K.GetRows();
        const SparseMatrix& K = sparse.model.m_KSparse;
        ASSERT_EQ(K.m_Rows, n);
        std::size_t stored = 0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const double d = dense.model.m_K.At(i * n + j);
                const double* s = K.Find(i, j);
                if (s) {
                    ++stored;
                    EXPECT_EQ(*s, d) << i << "," << j;
                } else {
                    EXPECT_EQ(d, 0.0) << "missing entry " << i << "," << j;
                }
            }
        EXPECT_EQ(stored, K.NonZeros());
        // The dumps are the same text.
        EXPECT_EQ(ReadFile(sparse.dir.File("K.txt")), ReadFile(dense.dir.File("K.txt")));
        EXPECT_EQ(ReadFile(sparse.dir.File("DForce.txt")), ReadFile(dense.dir.File("DForce.txt")));
    }
}

TEST(SparseSolver, AutoKeepsSmallSystemsOnTheDenseSolverAndTheirFilesUnchanged)
{
    const std::string text = Frame(3, 2);
    Loaded automatic(text, SolverChoice::Auto);
    Loaded dense(text, SolverChoice::Dense);
    EXPECT_FALSE(automatic.model.m_SparseSystem);
    automatic.model.Solve();
    PostProcess(automatic.model);
    dense.model.Solve();
    PostProcess(dense.model);
    for (const char* name : {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt", "Nodal_Reaction.txt",
                             "MDisInGlobalCS.txt", "K.txt"})
        EXPECT_EQ(ReadFile(automatic.dir.File(name)), ReadFile(dense.dir.File(name))) << name;

    // 525 nodes: 1,575 unknowns, past the dense solver's share.
    Loaded large(Frame(20, 24), SolverChoice::Auto);
    EXPECT_TRUE(large.model.m_SparseSystem);
    EXPECT_EQ(large.model.m_K.m_Data.size(), 1u) << "no dense matrix beside the sparse one";
}

TEST(SparseSolver, RefusesSingularAndIndefiniteSystemsWithTheDenseSolversText)
{
    // No support at all: the frame floats. A negative spring stiffness
    // larger than the structure's makes the matrix indefinite.
    std::string text = Frame(3, 2);
    const std::size_t at = text.find("Number of restricted nodal points:NRN=");
    const std::size_t force = text.find("Number of force_2d");
    std::string unsupported = text.substr(0, at) + "Number of restricted nodal points:NRN=0\n" + text.substr(force);
    // Without supports the prescribed values and springs still hold it;
    // take them away too.
    unsupported = unsupported.substr(0, unsupported.find("Number of prescribed")) +
                  "Number of prescribed nodal points:NPRESC=0\nNumber of Spring_2ds:NSPR=0\n"
                  "Number of Torsional_Spring_2ds:NTSPR=0\n";
    std::string indefinite = text;
    indefinite.replace(indefinite.find(":8000<1,-1>"), 11, ":-8e12<1,-1>");

    // The portal frame on two rollers, free to slide sideways: the dense
    // elimination solves it and warns; the factorisation refuses it.
    std::string sliding = ReadFile(std::string(VELA_EXAMPLES_DIR) + "/portal.txt");
    sliding.replace(sliding.find("0:1 1 1"), 7, "0:0 1 0");
    sliding.replace(sliding.find("3:1 1 0"), 7, "3:0 1 0");
    sliding.replace(sliding.find("NSPR=1\n2:5000<1,0>"), 18, "NSPR=0");

    for (const SolverMaker& make : EverySolver())
        for (const std::string& bad : {unsupported, indefinite, sliding}) {
            Loaded run(bad, SolverChoice::Sparse, false, nullptr, make());
            SCOPED_TRACE(run.solver->Name());
            run.model.m_D.Resize(3, 1);
            run.model.m_D.At(0) = 42;
            try {
                run.model.Solve();
                ADD_FAILURE() << "solved a singular system";
            } catch (const FatalError& error) {
                EXPECT_STREQ(error.Message(), kSingularSystemMessage);
                EXPECT_EQ(error.Status(), 1);
            }
            // A refused solution leaves the earlier one alone.
            EXPECT_EQ(run.model.m_D.m_Data.size(), 3u);
            EXPECT_EQ(run.model.m_D.At(0), 42);
        }
}

TEST(SparseSolver, ResidualOfTheSolutionIsAtTheRoundingLevelAndCatchesAWrongOne)
{
    Loaded run(Frame(8, 6), SolverChoice::Sparse);
    run.model.Solve();
    const double residual = run.model.RelativeResidual(run.model.m_D);
    EXPECT_LT(residual, 1e-12);
    // The frame has a settlement and a prescribed rotation, whose load
    // entries of 1e20 times their values dwarf every other force: a
    // solution off by a tenth of a per cent in one free component must
    // still stand out.
    Matrix wrong = run.model.m_D;
    wrong.At(3 * 10) *= 1.001;
    EXPECT_GT(run.model.RelativeResidual(wrong), 1e-6);
    // Settlement alone, without any load: what the settlement puts on the
    // free components is the load the residual is measured against.
    std::string text = Frame(3, 2);
    const std::size_t forces = text.find("Number of force_2d");
    const std::size_t prescribed = text.find("Number of prescribed");
    text = text.substr(0, forces) + "Number of force_2d:NFOR=0\nNumber of distributed load:NDIS=0\n" +
           text.substr(prescribed);
    Loaded settled(text, SolverChoice::Sparse);
    settled.model.Solve();
    EXPECT_LT(settled.model.RelativeResidual(settled.model.m_D), 1e-12);
    EXPECT_GT(LargestMagnitude(settled.model.m_D), 1e-4);
}

TEST(SparseSolver, SkipsTheStiffnessDumpOfLargeSystemsUnlessAskedFor)
{
    // 1,000 nodes in one row of bays are 3,000 unknowns, the most that are
    // dumped; 1,002 nodes are past the limit.
    ScratchDir dir;
    const std::string stale = dir.Write("K.txt", "an earlier model's matrix\n");
    {
        Loaded thousand(Frame(1, 499), SolverChoice::Auto, false, &dir);
        EXPECT_EQ(thousand.model.m_NPOIN, 1000);
        EXPECT_EQ(thousand.warnings.m_Texts.size(), 0u) << "1,000 nodes are still dumped";
    }
    for (bool dump : {false, true}) {
        Loaded run(Frame(1, 500), SolverChoice::Auto, dump, &dir);
        const std::vector<std::string>& warnings = run.warnings.m_Texts;
        ASSERT_EQ(run.model.m_NPOIN, 1002);
        const std::size_t n = 3006;
        if (!dump) {
            ASSERT_EQ(warnings.size(), 1u);
            EXPECT_NE(warnings[0].find("3006 x 3006"), std::string::npos) << warnings[0];
            EXPECT_FALSE(FileExists(stale)) << "a K.txt of another model stays behind";
        } else {
            EXPECT_TRUE(warnings.empty());
            const std::string dumped = ReadFile(dir.File("K.txt"));
            EXPECT_EQ(dumped.size(), 31 + n * (15 * n + 1));
            EXPECT_EQ(dumped.substr(0, 31), "           3006           3006\n");
            // Row 0 is node 0's dx, fixed: the penalty on the diagonal.
            EXPECT_EQ(dumped.substr(31, 15), "         1e+020");
        }
        EXPECT_TRUE(FileExists(dir.File("DForce.txt")));
    }
}

TEST(SparseSolver, EigensAndCholmodsSolutionsOfAThousandNodeFrameAgree)
{
    // 25 levels of 40 columns: 3,000 unknowns, with every kind of record.
    // The Windows build solves it with Eigen, the Linux build with CHOLMOD;
    // their displacements must agree far inside the six digits printed.
    const std::string text = Frame(24, 39);
    std::vector<Matrix> solutions;
    for (const SolverMaker& make : EverySolver()) {
        Loaded run(text, SolverChoice::Auto, false, nullptr, make());
        ASSERT_EQ(run.model.m_NPOIN, 1000);
        ASSERT_TRUE(run.model.m_SparseSystem);
        run.model.Solve();
        const SparseSolver::Statistics statistics = run.solver->LastStatistics();
        // The factor holds at least the diagonal and the stiffness's own
        // pattern below it.
        EXPECT_GT(statistics.factorNonZeros, run.model.m_KSparse.NonZeros() / 2) << run.solver->Name();
        EXPECT_LT(run.model.RelativeResidual(run.model.m_D), 1e-12) << run.solver->Name();
        solutions.push_back(run.model.m_D);
    }
    for (const Matrix& other : solutions)
        EXPECT_LE(LargestDifference(solutions.front(), other), 1e-9 * LargestMagnitude(solutions.front()));
#if !defined(VELA_HAVE_CHOLMOD)
    EXPECT_EQ(solutions.size(), 1u);
#else
    EXPECT_EQ(solutions.size(), 2u);
#endif
}

TEST(SparseSolver, TheBuildsSolverIsCholmodWhereItIsBuiltAndEigenElsewhere)
{
    const std::unique_ptr<SparseSolver> solver = MakeSparseSolver();
#if defined(VELA_HAVE_CHOLMOD)
    EXPECT_STREQ(solver->Name(), "CHOLMOD supernodal Cholesky");
#else
    EXPECT_STREQ(solver->Name(), "Eigen simplicial LDL'");
#endif
    EXPECT_TRUE(SparseSolverAvailable());
}
