// The two sparse direct solvers Debian offers, on the same assembled
// stiffness matrices of generated frames: CHOLMOD's supernodal Cholesky (on
// OpenBLAS), which the program uses, and Eigen's simplicial Cholesky (LL'
// and LDL'), each after a minimum-degree ordering. Times are the median of
// five runs of ordering + factorisation + substitution.
//
//   vela_solver_comparison [SxB ...]
#include "BenchClock.h"
#include "FrameGenerator.h"

#include "core/SparseMatrix.h"
#include "core/StructureModel.h"
#include "input/Load.h"
#include "solver/SparseSolvers.h"

#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

double LargestDifference(const std::vector<double>& a, const double* b)
{
    double largest = 0, scale = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, std::fabs(a[i] - b[i]));
        scale = std::max(scale, std::fabs(a[i]));
    }
    return largest / scale;
}

// Prints the median time and how far the solution is from CHOLMOD's.
template <typename Solver>
void TimeEigen(const char* name, const Eigen::SparseMatrix<double>& A, const Eigen::VectorXd& f,
               const std::vector<double>& reference)
{
    std::vector<double> times;
    Eigen::VectorXd d;
    for (int r = 0; r < 5; ++r) {
        const auto start = BenchClock::now();
        Solver solver;
        solver.compute(A);
        if (solver.info() != Eigen::Success) {
            std::printf(", %s failed", name);
            return;
        }
        d = solver.solve(f);
        times.push_back(SecondsSince(start));
    }
    std::printf(", %s %8.1f ms (differs by %.1e)", name, 1e3 * Median(times), LargestDifference(reference, d.data()));
}

} // namespace

int main(int argc, char** argv)
{
    // As the programs do, so that the figures are theirs.
    LimitSolverThreads();
    std::vector<std::pair<int, int>> sizes;
    for (int i = 1; i < argc; ++i) {
        int s = 0, b = 0;
        if (std::sscanf(argv[i], "%dx%d", &s, &b) == 2 && s > 0 && b > 0)
            sizes.emplace_back(s, b);
    }
    if (sizes.empty())
        sizes = {{39, 24}, {124, 79}, {399, 249}};

    std::string root = (std::filesystem::temp_directory_path() / "vela-compare-XXXXXX").string();
    if (!::mkdtemp(root.data()))
        return 1;
    const std::unique_ptr<SparseSolver> cholmod = MakeSparseSolver();
    for (const auto& [storeys, bays] : sizes) {
        const std::string file = root + "/frame.txt";
        std::ofstream(file, std::ios::binary) << GenerateFrame(storeys, bays);
        StructureModel model;
        model.m_OutputDir = root;
        model.m_SparseSolver = cholmod.get();
        model.m_Solver = SolverChoice::Sparse;
        Load(model, file.c_str());
        const SparseMatrix& K = model.m_KSparse;
        const std::size_t n = static_cast<std::size_t>(K.m_Rows);

        std::vector<double> times, reference(n);
        for (int r = 0; r < 5; ++r) {
            const auto start = BenchClock::now();
            cholmod->Solve(K, model.m_F.Data(), reference.data());
            times.push_back(SecondsSince(start));
        }
        std::printf("%7d nodes, %7zu unknowns: CHOLMOD supernodal LL' %8.1f ms", model.m_NPOIN, n, 1e3 * Median(times));

        // The rows of the symmetric K are its columns.
        std::vector<Eigen::Triplet<double>> entries;
        entries.reserve(K.NonZeros());
        for (std::size_t i = 0; i < n; ++i)
            for (int k = K.m_RowStart[i]; k < K.m_RowStart[i + 1]; ++k)
                entries.emplace_back(static_cast<int>(i), K.m_Col[static_cast<std::size_t>(k)],
                                     K.m_Value[static_cast<std::size_t>(k)]);
        Eigen::SparseMatrix<double> A(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
        A.setFromTriplets(entries.begin(), entries.end());
        const Eigen::VectorXd f = Eigen::Map<const Eigen::VectorXd>(model.m_F.Data(), static_cast<Eigen::Index>(n));
        using Order = Eigen::AMDOrdering<int>;
        TimeEigen<Eigen::SimplicialLLT<Eigen::SparseMatrix<double>, Eigen::Lower, Order>>("Eigen simplicial LL'", A, f,
                                                                                          reference);
        TimeEigen<Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>, Eigen::Lower, Order>>("LDL'", A, f, reference);
        std::printf("\n");
        std::fflush(stdout);
    }
    std::filesystem::remove_all(root);
    return 0;
}
