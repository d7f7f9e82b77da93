#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

void FuzzFailure(const std::string& what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}
