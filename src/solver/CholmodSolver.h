#pragma once

#include "core/SparseSolver.h"

#include <memory>

// The sparse solver of large systems: a supernodal Cholesky factorisation
// (CHOLMOD, on the system's BLAS) after a fill-reducing ordering.
class CholmodSolver final : public SparseSolver {
public:
    CholmodSolver();
    ~CholmodSolver() override;
    CholmodSolver(const CholmodSolver&) = delete;
    CholmodSolver& operator=(const CholmodSolver&) = delete;

    void Solve(const SparseMatrix& K, const double* f, double* d) override;
    void SolveAgain(const double* f, double* d) override;
    void Release() override;
    Statistics LastStatistics() const override;
    const char* Name() const override { return "CHOLMOD supernodal Cholesky"; }

private:
    struct Library;
    std::unique_ptr<Library> m_Library;
    Statistics m_Statistics;
};

// Opens the solver's library now rather than at the first solution; false
// when it is missing (the solution would then report that).
bool CholmodAvailable();
