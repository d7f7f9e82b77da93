#pragma once

#include <cstddef>

struct SparseMatrix;

// Which solver takes the global system. Auto keeps the dense complete-
// pivoting elimination for small systems, whose results are then the same
// to the last digit as they always were, and the sparse factorisation for
// everything larger.
enum class SolverChoice { Auto, Dense, Sparse };

// Largest system Auto hands to the dense solver (about a second).
inline constexpr int kLargestDenseAutoSystem = 1500;
// Largest system whose stiffness matrix is dumped to "K.txt" unless asked
// for regardless: the dense limit, whose 1,500 unknowns give 34 MB of text
// (3,000 would give 135 MB, more time than all the rest of the run).
inline constexpr int kLargestStiffnessDump = kLargestDenseAutoSystem;

// A direct solver for the symmetric positive definite systems of the
// stiffness method, stored sparsely. Implementations live above the
// analysis core (they bring their own libraries); the model only holds a
// pointer to one.
class SparseSolver {
public:
    virtual ~SparseSolver() = default;

    // Solves K * d = f for d (all three hold K.m_Rows values). K has a
    // symmetric pattern and is symmetric but for its last bits: what is
    // factorised is its symmetric part (K.SymmetricLowerValues gives it
    // where it differs from K). Throws SingularSystemError
    // (core/Matrix.h) when a pivot is zero or negative. The factor is kept
    // for SolveAgain until the next Solve or Release.
    virtual void Solve(const SparseMatrix& K, const double* f, double* d) = 0;
    // Solves with the factor of the last Solve: the corrections of iterative
    // refinement.
    virtual void SolveAgain(const double* f, double* d) = 0;
    // Frees the factor of the last Solve.
    virtual void Release() = 0;

    // What the last Solve cost, for benchmarks and reports.
    struct Statistics {
        double analyseSeconds = 0;
        double factoriseSeconds = 0;
        double solveSeconds = 0;
        double factorFlops = 0;         // floating-point operations of the factorisation
        std::size_t factorNonZeros = 0; // entries of the factor
    };
    virtual Statistics LastStatistics() const = 0;
    virtual const char* Name() const = 0;
};
