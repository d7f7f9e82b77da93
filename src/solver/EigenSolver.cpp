#include "solver/EigenSolver.h"

#include "core/FatalError.h"
#include "core/Matrix.h"
#include "core/SparseMatrix.h"

#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <chrono>
#include <cstddef>

namespace {

using ColumnMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Factorisation = Eigen::SimplicialLDLT<ColumnMatrix, Eigen::Lower, Eigen::AMDOrdering<int>>;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same test as the dense elimination's and CHOLMOD's: a pivot that does
// not change 1.0 when added to it is zero, and a negative one means the
// matrix is not positive definite, which a sound stiffness matrix always is.
bool UsablePivot(double d)
{
    return d > 0 && 1.0 + d != 1.0;
}

} // namespace

void EigenSolver::Solve(const SparseMatrix& K, const double* f, double* d)
{
    m_Statistics = Statistics{};
    const Eigen::Index n = K.m_Rows;
    if (n == 0)
        return;

    // K is symmetric and stored by rows, so its rows are its columns: the
    // compressed rows read as compressed columns are K itself, of which the
    // factorisation reads the lower triangle.
    const Eigen::Map<const ColumnMatrix> view(n, n, static_cast<Eigen::Index>(K.NonZeros()), K.m_RowStart.data(),
                                              K.m_Col.data(), K.m_Value.data());
    const ColumnMatrix A = view;

    auto start = std::chrono::steady_clock::now();
    Factorisation factor;
    factor.analyzePattern(A);
    m_Statistics.analyseSeconds = SecondsSince(start);

    start = std::chrono::steady_clock::now();
    factor.factorize(A);
    m_Statistics.factoriseSeconds = SecondsSince(start);
    if (factor.info() != Eigen::Success)
        throw FatalError(kSingularSystemMessage, 1);
    const auto pivots = factor.vectorD();
    for (Eigen::Index i = 0; i < pivots.size(); ++i)
        if (!UsablePivot(pivots[i]))
            throw FatalError(kSingularSystemMessage, 1);
    m_Statistics.factorNonZeros =
        static_cast<std::size_t>(factor.matrixL().nestedExpression().nonZeros()) + static_cast<std::size_t>(n);

    start = std::chrono::steady_clock::now();
    const Eigen::Map<const Eigen::VectorXd> load(f, n);
    Eigen::Map<Eigen::VectorXd> solution(d, n);
    solution = factor.solve(load);
    m_Statistics.solveSeconds = SecondsSince(start);
    if (factor.info() != Eigen::Success)
        throw FatalError(kSingularSystemMessage, 1);
}
