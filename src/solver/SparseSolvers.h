#pragma once

#include "core/SparseSolver.h"

#include <memory>

// The solver every front end hands to its models: CHOLMOD where this build
// has it (Linux), Eigen's simplicial LDL' elsewhere (Windows, where no
// SuiteSparse is to be had for MinGW).
std::unique_ptr<SparseSolver> MakeSparseSolver();

// Makes sure the solver of MakeSparseSolver can run (opens its library, if
// it has one); false when it cannot, and the solution would report that.
bool SparseSolverAvailable();

// Keeps the sparse solver's library from starting more threads than it
// can use. CHOLMOD assembles each front in an OpenMP loop of four threads
// whatever the machine: on two cores, with other programs running, they
// spend more time waiting for each other (measured: 76,000 context
// switches and twice the processor time at 100,000 nodes) than the loop
// takes on one. The BLAS keeps its own threads for the large fronts. Call
// it first thing in main, before any thread exists (it sets the
// environment the OpenMP runtime reads when the library is opened); a
// limit the user has set is kept.
void LimitSolverThreads();
