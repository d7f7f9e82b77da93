#pragma once

#include "core/SparseSolver.h"

#include <memory>

// Above this many unknowns (500,000 nodes) the nodes are ordered by nested
// dissection rather than minimum degree, where the library has it.
inline constexpr int kNestedDissectionUnknowns = 1'500'000;

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
    // Moves the size above which nested dissection orders the nodes (for
    // tests, which cannot afford half a million nodes).
    void SetNestedDissectionAbove(int unknowns) { m_NestedDissectionAbove = unknowns; }

private:
    struct Library;
    std::unique_ptr<Library> m_Library;
    Statistics m_Statistics;
    int m_NestedDissectionAbove = kNestedDissectionUnknowns;
};

// Opens the solver's library now rather than at the first solution; false
// when it is missing (the solution would then report that).
bool CholmodAvailable();
