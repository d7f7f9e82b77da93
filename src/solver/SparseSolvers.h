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
