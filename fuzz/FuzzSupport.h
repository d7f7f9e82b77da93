#pragma once

#include <string>

// A broken invariant is a finding: print what broke and abort, so that
// libFuzzer stores the input that broke it.
[[noreturn]] void FuzzFailure(const std::string& what);

#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            FuzzFailure(std::string(what) + " (" #condition ")");                                                      \
    } while (false)
