#pragma once

#include "core/Warnings.h"

#include <cstdio>

// Soft warnings of a batch run: one line each on standard error, in the
// order they arise.
class StderrWarnings : public WarningSink {
public:
    void Warning(const std::string& text) override
    {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
        std::fflush(stderr);
    }
};
