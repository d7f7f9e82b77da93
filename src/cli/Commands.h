#pragma once

#include <string>
#include <vector>

// Each takes the arguments after its command word and returns the exit
// status: 0 success, 1 an error in the model or its files, 2 a usage error.
int RunSolveCommand(const std::vector<std::string>& args);
int RunRenderCommandOrExplain(const std::vector<std::string>& args, const char* usage);
