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
#include "solver/CholmodMemory.h"
#include "solver/CholmodSolver.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
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

TEST(SparseSolver, RefusesSingularSystemsWithTheDenseSolversText)
{
    // No support at all: the frame floats.
    std::string text = Frame(3, 2);
    const std::size_t at = text.find("Number of restricted nodal points:NRN=");
    const std::size_t force = text.find("Number of force_2d");
    std::string unsupported = text.substr(0, at) + "Number of restricted nodal points:NRN=0\n" + text.substr(force);
    // Without supports the prescribed values and springs still hold it;
    // take them away too.
    unsupported = unsupported.substr(0, unsupported.find("Number of prescribed")) +
                  "Number of prescribed nodal points:NPRESC=0\nNumber of Spring_2ds:NSPR=0\n"
                  "Number of Torsional_Spring_2ds:NTSPR=0\n";

    // The portal frame on two rollers, free to slide sideways: the dense
    // elimination solves it and warns; the sparse path refuses it.
    std::string sliding = ReadFile(std::string(VELA_EXAMPLES_DIR) + "/portal.txt");
    sliding.replace(sliding.find("0:1 1 1"), 7, "0:0 1 0");
    sliding.replace(sliding.find("3:1 1 0"), 7, "3:0 1 0");
    sliding.replace(sliding.find("NSPR=1\n2:5000<1,0>"), 18, "NSPR=0");

    for (const SolverMaker& make : EverySolver())
        for (const std::string& bad : {unsupported, sliding}) {
            Loaded run(bad, SolverChoice::Sparse, false, nullptr, make());
            SCOPED_TRACE(run.solver->Name());
            run.model.m_D.Resize(3, 1);
            run.model.m_D.At(0) = 42;
            try {
                run.model.Solve();
                ADD_FAILURE() << "solved a singular system";
            } catch (const FatalError& error) {
                // Its second line says where: the pivot that was zero, or
                // the motion that round-off let through.
                const std::string message = error.Message();
                EXPECT_EQ(message.rfind(std::string(kSingularSystemMessage) + "\n", 0), 0u) << message;
                EXPECT_NE(message.find(" of node "), std::string::npos) << message;
                EXPECT_EQ(error.Status(), 1);
            }
            // A refused solution leaves the earlier one alone.
            EXPECT_EQ(run.model.m_D.m_Data.size(), 3u);
            EXPECT_EQ(run.model.m_D.At(0), 42);
        }
}

// The exact solution of K d = F, near enough: complete pivoting in long
// double, for the small systems of these tests.
std::vector<long double> ReferenceSolution(const Matrix& K, const Matrix& F)
{
    const int n = K.GetRows();
    std::vector<long double> a(K.m_Data.begin(), K.m_Data.end()), b(F.m_Data.begin(), F.m_Data.end());
    std::vector<int> column(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        column[static_cast<std::size_t>(i)] = i;
    auto at = [&](int i, int j) -> long double& { return a[static_cast<std::size_t>(i * n + j)]; };
    for (int k = 0; k < n; ++k) {
        int p = k, q = k;
        for (int i = k; i < n; ++i)
            for (int j = k; j < n; ++j)
                if (std::fabs(at(i, j)) > std::fabs(at(p, q))) {
                    p = i;
                    q = j;
                }
        for (int j = 0; j < n; ++j)
            std::swap(at(k, j), at(p, j));
        std::swap(b[static_cast<std::size_t>(k)], b[static_cast<std::size_t>(p)]);
        for (int i = 0; i < n; ++i)
            std::swap(at(i, k), at(i, q));
        std::swap(column[static_cast<std::size_t>(k)], column[static_cast<std::size_t>(q)]);
        for (int i = k + 1; i < n; ++i) {
            const long double m = at(i, k) / at(k, k);
            for (int j = k; j < n; ++j)
                at(i, j) -= m * at(k, j);
            b[static_cast<std::size_t>(i)] -= m * b[static_cast<std::size_t>(k)];
        }
    }
    std::vector<long double> x(static_cast<std::size_t>(n)), solution(static_cast<std::size_t>(n));
    for (int i = n - 1; i >= 0; --i) {
        long double sum = b[static_cast<std::size_t>(i)];
        for (int j = i + 1; j < n; ++j)
            sum -= at(i, j) * x[static_cast<std::size_t>(j)];
        x[static_cast<std::size_t>(i)] = sum / at(i, i);
    }
    for (int i = 0; i < n; ++i)
        solution[static_cast<std::size_t>(column[static_cast<std::size_t>(i)])] = x[static_cast<std::size_t>(i)];
    return solution;
}

// The largest error of d against the reference, relative to the largest
// reference value.
double RelativeError(const Matrix& d, const std::vector<long double>& reference)
{
    long double error = 0, size = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        error = std::max(error, std::fabs(d.m_Data[i] - reference[i]));
        size = std::max(size, std::fabs(reference[i]));
    }
    return static_cast<double>(error / size);
}

TEST(SparseSolver, SolvesWhatTheDenseEliminationSolvesAccurately)
{
    // A negative spring stiffness larger than the structure's makes the
    // matrix indefinite: no Cholesky factor exists, but the system has a
    // solution, which the dense elimination finds. So does the sparse
    // path, through an LDL' factor and refinement.
    std::string indefinite = Frame(3, 2);
    indefinite.replace(indefinite.find(":8000<1,-1>"), 11, ":-8e12<1,-1>");

    // Members of modulus 1 between stiff ones: their bending terms fall
    // below the 1e-10 at which the element's products drop a factor, so the
    // stiffness matrix differs from its mirror, and neither its lower
    // triangle nor its symmetric part is positive definite in floating
    // point. The dense elimination solves it to 2e-9; the factorisation
    // once called it singular.
    const std::string soft =
        "### Vela release=1.07\nBeam\nNumber of element property:NEP=2\nP\nE=18966277925.586281\n"
        "A=7.9659846736535505e-05\nI=2.3305106356222919e-08\nP\nE=1\nA=0.010000012256658832\n"
        "I=9.6484037236890096e-09\nNumber of nodal points in the structure:NPOIN=5\n"
        "0:7.0044459781342354,8.8785685526070672\n1:6.3534720587874531,-3.8667206978643245\n"
        "2:-2.9521307986248821,5.3828731978676814\n3:4.2233524698374296,5.6352563646004583\n"
        "4:7.5605428450637433,-4.953715958092725\nNumber of elements in the structure:NELEM=5\n0:0,1,0\n1:1,2,1\n"
        "2:2,3,1\n3:3,4,1\n4:4,1,0\nNumber of restricted nodal points:NRN=1\n0:1 1 1\nNumber of force_2d:NFOR=1\n"
        "4:<-7.6589018794838877,5.7449362734483564,-0.44903554841729065>\nNumber of distributed load:NDIS=1\n"
        "0:0.30332121096563114,0.86736126946238734\nNumber of prescribed nodal points:NPRESC=0\n"
        "Number of Spring_2ds:NSPR=0\nNumber of Torsional_Spring_2ds:NTSPR=0\n";

    for (const SolverMaker& make : EverySolver())
        for (const std::string& text : {indefinite, soft}) {
            Loaded dense(text, SolverChoice::Dense);
            Loaded sparse(text, SolverChoice::Sparse, false, nullptr, make());
            SCOPED_TRACE(sparse.solver->Name());
            dense.model.Solve();
            sparse.model.Solve();
            const std::vector<long double> exact = ReferenceSolution(dense.model.m_K, dense.model.m_F);
            EXPECT_LT(RelativeError(dense.model.m_D, exact), 1e-8);
            EXPECT_LT(RelativeError(sparse.model.m_D, exact), 1e-8);
            EXPECT_LT(sparse.model.BackwardError(sparse.model.m_D), 1e-14);
        }
}

TEST(SparseSolver, RefinementMakesAnIllConditionedFrameWithASettlementAccurate)
{
    // A ring of members, two of them a million times softer than the rest,
    // with a prescribed settlement: the conditioning leaves the dense
    // elimination a few per cent off, and the factorisation of the lower
    // triangle alone was once nine tenths off. Refined
    // against the whole of K, the sparse solution is within 1e-3 of the
    // exact one.
    const std::string ring =
        "### Vela release=1.07\nBeam\nNumber of element property:NEP=2\nP\nE=67.055034860303408\n"
        "A=0.0084129940982631043\nI=9.8655690482283189e-11\nP\nE=201299462.0299865\nA=0.012093148467288655\n"
        "I=4.2074473867482387e-05\nNumber of nodal points in the structure:NPOIN=8\n"
        "0:-7.7021755863619745,6.200198223920161\n1:1.7147556912428996,9.7844584605725018\n"
        "2:7.2559297373144709,1.6344621505142136\n3:3.5838150493955254,-5.5699916572403545\n"
        "4:5.7481076807976805,-5.5350199818999775\n5:8.9053435303643482,1.6928584799252349\n"
        "6:6.5708979896400663,-4.3931513010926606\n7:-0.65027921186047877,-2.7350329760524703\n"
        "Number of elements in the structure:NELEM=8\n0:0,1,1\n1:1,2,0\n2:2,3,0\n3:3,4,1\n4:4,5,0\n5:5,6,1\n"
        "6:6,7,1\n7:7,0,1\nNumber of restricted nodal points:NRN=1\n0:1 1 1\nNumber of force_2d:NFOR=1\n"
        "7:<5.546465513378676,-3.3207728565285164,0.073444962173935036>\nNumber of distributed load:NDIS=1\n"
        "0:4.4027195404653057,0.77172589708827211\nNumber of prescribed nodal points:NPRESC=1\n"
        "1:<,-0.0072103897182803894,>\nNumber of Spring_2ds:NSPR=0\nNumber of Torsional_Spring_2ds:NTSPR=0\n";
    Loaded dense(ring, SolverChoice::Dense);
    dense.model.Solve();
    const std::vector<long double> exact = ReferenceSolution(dense.model.m_K, dense.model.m_F);
    EXPECT_GT(RelativeError(dense.model.m_D, exact), 1e-2); // what the dense elimination gives
    for (const SolverMaker& make : EverySolver()) {
        Loaded sparse(ring, SolverChoice::Sparse, false, nullptr, make());
        sparse.model.Solve();
        EXPECT_LT(RelativeError(sparse.model.m_D, exact), 1e-3) << sparse.solver->Name();
    }
}

TEST(SparseSolver, AnInaccurateSolutionIsNotCalledSingularAndNamesItsWorstComponent)
{
    Loaded run(Frame(3, 2), SolverChoice::Sparse);
    run.model.Solve();
    Matrix wrong = run.model.m_D;
    wrong.At(3 * 5 + 1) *= 1.01; // dy of node 5
    const double error = run.model.BackwardError(wrong);
    EXPECT_GT(error, 1e-6);
    const std::string message = run.model.InaccurateSolution(wrong, error).Message();
    EXPECT_EQ(message.rfind("the solution is inaccurate: the stiffness system is ill-conditioned", 0), 0u) << message;
    EXPECT_NE(message.find("\nthe largest error is at dy of node 5:"), std::string::npos) << message;

    // Not a number anywhere: the pivot was all but zero.
    wrong.At(0) = NAN;
    EXPECT_STREQ(run.model.InaccurateSolution(wrong, NAN).Message(), kSingularSystemMessage);
}

TEST(SparseSolver, BothSolversNameTheNodeWhereNoPivotWasLeft)
{
    // A cantilever, and a node 2 that nothing holds or joins: its three
    // unknowns have no stiffness at all.
    const std::string text = "### Vela release=1.07\nBeam\nNumber of element property:NEP=1\nP\nE=1000\nA=1\nI=1\n"
                             "Number of nodal points in the structure:NPOIN=3\n0:0,0\n1:2,0\n2:5,1\n"
                             "Number of elements in the structure:NELEM=1\n0:0,1,0\n"
                             "Number of restricted nodal points:NRN=1\n0:1 1 1\nNumber of force_2d:NFOR=1\n"
                             "1:<0,-1,0>\nNumber of distributed load:NDIS=0\n"
                             "Number of prescribed nodal points:NPRESC=0\nNumber of Spring_2ds:NSPR=0\n"
                             "Number of Torsional_Spring_2ds:NTSPR=0\n";
    for (const SolverChoice choice : {SolverChoice::Dense, SolverChoice::Sparse}) {
        Loaded run(text, choice);
        try {
            run.model.Solve();
            ADD_FAILURE() << "solved a singular system";
        } catch (const FatalError& error) {
            const std::string message = error.Message();
            EXPECT_NE(message.find(" of node 2"), std::string::npos) << message;
            if (choice == SolverChoice::Dense) {
                // Complete pivoting leaves exactly the three loose unknowns.
                EXPECT_NE(message.find("(nor at 2 other unknowns)"), std::string::npos) << message;
            }
        }
    }

    // A rotational spring holds rz of the loose node; a horizontal spring
    // dx: only its dy is left, and named.
    std::string held = text;
    held.replace(held.find("NSPR=0"), 6, "NSPR=1\n2:10<1,0>");
    held.replace(held.find("NTSPR=0"), 7, "NTSPR=1\n2:10");
    for (const SolverChoice choice : {SolverChoice::Dense, SolverChoice::Sparse}) {
        Loaded run(held, choice);
        try {
            run.model.Solve();
            ADD_FAILURE() << "solved a singular system";
        } catch (const FatalError& error) {
            const std::string message = error.Message();
            EXPECT_NE(message.find("left at dy of node 2"), std::string::npos) << message;
            EXPECT_EQ(message.find("other unknowns"), std::string::npos) << message;
        }
    }
}

TEST(SparseSolver, ResidualOfTheSolutionIsAtTheRoundingLevelAndCatchesAWrongOne)
{
    Loaded run(Frame(8, 6), SolverChoice::Sparse);
    run.model.Solve();
    const double residual = run.model.BackwardError(run.model.m_D);
    EXPECT_LT(residual, 1e-12);
    // The frame has a settlement and a prescribed rotation, whose load
    // entries of 1e20 times their values dwarf every other force: a
    // solution off by a tenth of a per cent in one free component must
    // still stand out.
    Matrix wrong = run.model.m_D;
    wrong.At(3 * 10) *= 1.001;
    EXPECT_GT(run.model.BackwardError(wrong), 1e-6);
    // Settlement alone, without any load: what the settlement puts on the
    // free components is the load the residual is measured against.
    std::string text = Frame(3, 2);
    const std::size_t forces = text.find("Number of force_2d");
    const std::size_t prescribed = text.find("Number of prescribed");
    text = text.substr(0, forces) + "Number of force_2d:NFOR=0\nNumber of distributed load:NDIS=0\n" +
           text.substr(prescribed);
    Loaded settled(text, SolverChoice::Sparse);
    settled.model.Solve();
    EXPECT_LT(settled.model.BackwardError(settled.model.m_D), 1e-12);
    EXPECT_GT(LargestMagnitude(settled.model.m_D), 1e-4);
}

TEST(SparseSolver, TheBackwardErrorNamesTheWorstComponentWhereverItsRowIsCounted)
{
    // 3,721 nodes: 11,163 rows, counted in parts on the cores. Whichever
    // part holds the worst row, it is named, with the error a plain
    // row-by-row count gives, and a solution that is not a number anywhere
    // is not passed.
    Loaded run(Frame(60, 60), SolverChoice::Sparse);
    run.model.Solve();
    const SparseMatrix& K = run.model.m_KSparse;
    ASSERT_GT(K.m_Rows, 10000);
    auto plainError = [&](const Matrix& d, std::size_t row) {
        long double residual = run.model.m_F.m_Data[row], size = std::fabs(residual);
        for (int k = K.m_RowStart[row]; k < K.m_RowStart[row + 1]; ++k) {
            const long double term = static_cast<long double>(K.m_Value[static_cast<std::size_t>(k)]) *
                                     d.m_Data[static_cast<std::size_t>(K.m_Col[static_cast<std::size_t>(k)])];
            residual -= term;
            size += std::fabs(term);
        }
        return static_cast<double>(std::fabs(residual) / size);
    };
    for (const std::size_t row : {std::size_t{301}, std::size_t{9001}, static_cast<std::size_t>(K.m_Rows) - 2}) {
        Matrix wrong = run.model.m_D;
        wrong.m_Data[row] = wrong.m_Data[row] * 1.01 + 1e-6;
        std::size_t worst = 0;
        const double error = run.model.BackwardError(wrong, &worst);
        EXPECT_EQ(worst, row);
        EXPECT_EQ(error, plainError(wrong, row));
        wrong.m_Data[row] = std::nan("");
        EXPECT_TRUE(std::isnan(run.model.BackwardError(wrong, &worst)));
    }
}

TEST(SparseSolver, SkipsTheStiffnessDumpOfLargeSystemsUnlessAskedFor)
{
    // 500 nodes in one row of bays are 1,500 unknowns, the most that are
    // dumped (and solved densely); 502 nodes are past the limit.
    ScratchDir dir;
    const std::string stale = dir.Write("K.txt", "an earlier model's matrix\n");
    {
        Loaded fiveHundred(Frame(1, 249), SolverChoice::Auto, false, &dir);
        EXPECT_EQ(fiveHundred.model.m_NPOIN, 500);
        EXPECT_EQ(fiveHundred.warnings.m_Texts.size(), 0u) << "500 nodes are still dumped";
        EXPECT_EQ(ReadFile(dir.File("K.txt")).substr(0, 31), "           1500           1500\n");
    }
    std::vector<Matrix> solutions;
    for (bool dump : {false, true}) {
        Loaded run(Frame(1, 250), SolverChoice::Auto, dump, &dir);
        const std::vector<std::string>& warnings = run.warnings.m_Texts;
        ASSERT_EQ(run.model.m_NPOIN, 502);
        const std::size_t n = 1506;
        if (!dump) {
            ASSERT_EQ(warnings.size(), 1u);
            EXPECT_NE(warnings[0].find("1506 x 1506"), std::string::npos) << warnings[0];
            EXPECT_FALSE(FileExists(stale)) << "a K.txt of another model stays behind";
        } else {
            EXPECT_TRUE(warnings.empty());
            const std::string dumped = ReadFile(dir.File("K.txt"));
            EXPECT_EQ(dumped.size(), 31 + n * (15 * n + 1));
            EXPECT_EQ(dumped.substr(0, 31), "           1506           1506\n");
            // Row 0 is node 0's dx, fixed: the penalty on the diagonal.
            EXPECT_EQ(dumped.substr(31, 15), "         1e+020");
        }
        EXPECT_TRUE(FileExists(dir.File("DForce.txt")));
        // Without a dump the matrix waits for the solution, which then
        // assembles it: the same displacements either way.
        EXPECT_EQ(run.model.m_KSparse.m_Rows, dump ? static_cast<int>(n) : 0);
        run.model.Solve();
        EXPECT_EQ(run.model.m_KSparse.m_Rows, static_cast<int>(n));
        EXPECT_LT(run.model.BackwardError(run.model.m_D), 1e-14);
        solutions.push_back(run.model.m_D);
    }
    EXPECT_EQ(solutions[0].m_Data, solutions[1].m_Data);
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
        EXPECT_LT(run.model.BackwardError(run.model.m_D), 1e-14) << run.solver->Name();
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

#if defined(VELA_HAVE_CHOLMOD) && defined(__linux__)
namespace {

// The threads of this process now.
std::size_t ThreadCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

} // namespace

TEST(SparseSolver, ASystemTooSmallToShareStartsNoThreads)
{
    // Each test runs in a process of its own, so the library is opened
    // here, after the limit. Neither CHOLMOD's own loop nor the BLAS (left
    // to choose its threads) may start a thread for a factorisation of
    // 0.3 GFLOP, which one thread does faster.
    LimitSolverThreads();
    ::unsetenv("OPENBLAS_NUM_THREADS");
    const std::size_t before = ThreadCount();
    Loaded run(Frame(60, 60), SolverChoice::Sparse);
    ASSERT_TRUE(run.model.m_SparseSystem);
    run.model.Solve();
    EXPECT_LT(run.model.BackwardError(run.model.m_D), 1e-14);
    EXPECT_EQ(ThreadCount(), before);
}
#endif

#if defined(VELA_HAVE_CHOLMOD)
TEST(SparseSolver, NestedDissectionOfTheLargestFramesGivesASmallerFactorAndTheSameSolution)
{
    // 101 x 101 nodes: large enough for the separators to beat minimum
    // degree (by 7 %; by a fifth at a million nodes), small enough for a
    // test.
    const std::string text = Frame(100, 100);
    std::vector<Matrix> solutions;
    std::vector<std::size_t> factors;
    for (const int dissectAbove : {kNestedDissectionUnknowns, 1500}) {
        auto solver = std::make_unique<CholmodSolver>();
        solver->SetNestedDissectionAbove(dissectAbove);
        Loaded run(text, SolverChoice::Sparse, false, nullptr, std::move(solver));
        run.model.Solve();
        EXPECT_LT(run.model.BackwardError(run.model.m_D), 1e-14);
        factors.push_back(run.solver->LastStatistics().factorNonZeros);
        solutions.push_back(run.model.m_D);
    }
    EXPECT_LT(factors[1], factors[0] * 95 / 100);
    EXPECT_LE(LargestDifference(solutions[0], solutions[1]), 1e-9 * LargestMagnitude(solutions[0]));
}

TEST(SparseSolver, CholmodKeepsItsFactorInPrefaultedBlocksAndGivesThemBack)
{
    // 131 x 131 nodes: a factor above the size that is mapped.
    const std::size_t before = PrefaultedBlockCount();
    Loaded run(Frame(130, 130), SolverChoice::Sparse);
    run.model.Solve();
    ASSERT_GT(run.solver->LastStatistics().factorNonZeros * sizeof(double), kPrefaultedBytes);
    EXPECT_EQ(PrefaultedBlockCount(), before);
    // Factorised again and kept, as for a second load case.
    std::vector<double> d(run.model.m_F.m_Data.size());
    run.solver->Solve(run.model.m_KSparse, run.model.m_F.Data(), d.data());
    EXPECT_GT(PrefaultedBlockCount(), before);
    const double tolerance = 1e-9 * LargestMagnitude(run.model.m_D);
    for (std::size_t i = 0; i < d.size(); ++i)
        ASSERT_NEAR(d[i], run.model.m_D.m_Data[i], tolerance) << i;
    run.solver->Release();
    EXPECT_EQ(PrefaultedBlockCount(), before);
}
#endif
