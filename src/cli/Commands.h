#pragma once

#include <string>
#include <vector>

// Takes the arguments after "solve" and returns the exit status: 0 success,
// 1 an error in the model or its files, 2 a usage error. (The render command
// is declared in cli/Render.h.)
int RunSolveCommand(const std::vector<std::string>& args);
