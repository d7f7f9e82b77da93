#include "solver/EigenSolver.h"

#include "core/FatalError.h"
#include "core/Matrix.h"
#include "core/SparseMatrix.h"

#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <vector>

namespace {

using ColumnMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Factorisation = Eigen::SimplicialLDLT<ColumnMatrix, Eigen::Lower, Eigen::AMDOrdering<int>>;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

struct EigenSolver::Factor {
    Factorisation factorisation;
    Eigen::Index rows = 0;
};

EigenSolver::EigenSolver() = default;

EigenSolver::~EigenSolver() = default;

void EigenSolver::Solve(const SparseMatrix& K, const double* f, double* d)
{
    m_Statistics = Statistics{};
    m_Factor.reset();
    const Eigen::Index n = K.m_Rows;
    if (n == 0)
        return;

    // K's pattern is symmetric and it is stored by rows, so its rows are its
    // columns: the compressed rows read as compressed columns are K', of
    // which the factorisation reads the lower triangle, the upper triangle
    // of K. Where K differs from its mirror in its last bits, its symmetric
    // part is what is factorised.
    std::vector<double> symmetric;
    const double* values = K.SymmetricLowerValues(symmetric) ? symmetric.data() : K.m_Value.data();
    if (values == symmetric.data()) {
        // SymmetricLowerValues averages below the diagonal, the triangle
        // read here is above it: mirror the averages across.
        for (int i = 0; i < K.m_Rows; ++i)
            for (int k = K.m_RowStart[static_cast<std::size_t>(i)]; k < K.m_RowStart[static_cast<std::size_t>(i) + 1];
                 ++k) {
                const int j = K.m_Col[static_cast<std::size_t>(k)];
                if (j > i)
                    if (const double* mirror = K.Find(j, i))
                        symmetric[static_cast<std::size_t>(k)] =
                            symmetric[static_cast<std::size_t>(mirror - K.m_Value.data())];
            }
    }
    const Eigen::Map<const ColumnMatrix> view(n, n, static_cast<Eigen::Index>(K.NonZeros()), K.m_RowStart.data(),
                                              K.m_Col.data(), values);
    const ColumnMatrix A = view;

    auto factor = std::make_unique<Factor>();
    factor->rows = n;
    Factorisation& ldlt = factor->factorisation;
    auto start = std::chrono::steady_clock::now();
    ldlt.analyzePattern(A);
    m_Statistics.analyseSeconds = SecondsSince(start);

    start = std::chrono::steady_clock::now();
    ldlt.factorize(A);
    m_Statistics.factoriseSeconds = SecondsSince(start);

    // The first pivot that is zero or not a number, named by its unknown in
    // the system's own order (the factor's order is the ordering's). LDL'
    // takes negative pivots as they come (an indefinite symmetric part), and
    // a pivot that round-off kept from zero shows in the solution, which the
    // model checks.
    const auto pivots = ldlt.vectorD();
    const auto& original = ldlt.permutationPinv().indices();
    for (Eigen::Index i = 0; i < pivots.size(); ++i)
        if (!std::isfinite(pivots[i]) || pivots[i] == 0)
            throw SingularSystemError(original[i]);
    if (ldlt.info() != Eigen::Success)
        throw SingularSystemError(-1);
    m_Statistics.factorNonZeros =
        static_cast<std::size_t>(ldlt.matrixL().nestedExpression().nonZeros()) + static_cast<std::size_t>(n);

    start = std::chrono::steady_clock::now();
    m_Factor = std::move(factor);
    SolveAgain(f, d);
    m_Statistics.solveSeconds = SecondsSince(start);
}

void EigenSolver::SolveAgain(const double* f, double* d)
{
    if (!m_Factor)
        throw FatalError("the sparse solver has no factor to solve with", 1);
    const Eigen::Index n = m_Factor->rows;
    const Eigen::Map<const Eigen::VectorXd> load(f, n);
    Eigen::Map<Eigen::VectorXd> solution(d, n);
    solution = m_Factor->factorisation.solve(load);
    if (m_Factor->factorisation.info() != Eigen::Success)
        throw FatalError(kSingularSystemMessage, 1);
}

void EigenSolver::Release()
{
    m_Factor.reset();
}
