#include "solver/SparseSolvers.h"

#include "solver/EigenSolver.h"
#if defined(VELA_HAVE_CHOLMOD)
#include "solver/CholmodSolver.h"
#endif

#include <cstdlib>

std::unique_ptr<SparseSolver> MakeSparseSolver()
{
#if defined(VELA_HAVE_CHOLMOD)
    return std::make_unique<CholmodSolver>();
#else
    return std::make_unique<EigenSolver>();
#endif
}

bool SparseSolverAvailable()
{
#if defined(VELA_HAVE_CHOLMOD)
    return CholmodAvailable();
#else
    return true;
#endif
}

void LimitSolverThreads()
{
#if defined(VELA_HAVE_CHOLMOD)
    ::setenv("OMP_THREAD_LIMIT", "1", 0);
#endif
}
