#pragma once

#include <set>
#include <string>
#include <vector>

// Runs the real vela-cli (through the shell; on Windows with CreateProcessW)
// and collects what it did. On Windows the console's CR LF line ends are
// read as LF, and only the time limit applies.
struct CliRun {
    int status = -1; // exit status; -1 when it did not exit normally
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct CliLimits {
    int seconds = 0;          // 0: no time limit
    long long virtualKiB = 0; // 0: no address-space limit
    std::string program;      // another copy of vela-cli to run (Linux); empty: the build's
};

CliRun RunCli(const std::vector<std::string>& args, const CliLimits& limits = {});

// True in a build with AddressSanitizer, whose shadow memory needs far more
// address space than any limit meant for the program itself.
bool AddressSanitized();

// The names in a folder.
std::set<std::string> Listing(const std::string& folder);

// The nine files of a solution, in the order they are written.
extern const std::vector<std::string> kSolutionFiles;
