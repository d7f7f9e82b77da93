#pragma once

#include "core/SparseSolver.h"

#include <memory>

// The sparse solver of large systems where CHOLMOD is not to be had:
// Eigen's simplicial LDL' factorisation after a minimum-degree ordering.
// Header-only, so it builds for every platform; on the frames Vela meets it
// is as fast as CHOLMOD up to some 10,000 nodes and slower above (it has
// no supernodes to run on a BLAS).
class EigenSolver final : public SparseSolver {
public:
    EigenSolver();
    ~EigenSolver() override;
    EigenSolver(const EigenSolver&) = delete;
    EigenSolver& operator=(const EigenSolver&) = delete;

    void Solve(const SparseMatrix& K, const double* f, double* d) override;
    void SolveAgain(const double* f, double* d) override;
    void Release() override;
    Statistics LastStatistics() const override { return m_Statistics; }
    const char* Name() const override { return "Eigen simplicial LDL'"; }

private:
    struct Factor;
    std::unique_ptr<Factor> m_Factor;
    Statistics m_Statistics;
};
