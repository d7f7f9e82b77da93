#include "cli/CliRunner.h"

#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace {

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    q += '\'';
    return q;
}

} // namespace

const std::vector<std::string> kSolutionFiles = {"Point.txt",
                                                 "Me.txt",
                                                 "K.txt",
                                                 "DForce.txt",
                                                 "Nodal_Displacement.txt",
                                                 "MForInGlobalCS.txt",
                                                 "MForInElemCS.txt",
                                                 "Nodal_Reaction.txt",
                                                 "MDisInGlobalCS.txt"};

bool AddressSanitized()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

CliRun RunCli(const std::vector<std::string>& args, const CliLimits& limits)
{
    ScratchDir io;
    std::string command;
    if (limits.virtualKiB > 0)
        command.append("ulimit -v ").append(std::to_string(limits.virtualKiB)).append(" && ");
    command += "exec ";
    if (limits.seconds > 0)
        command.append("timeout -s KILL ").append(std::to_string(limits.seconds)).append(" ");
    command += Quote(VELA_CLI_PATH);
    for (const std::string& a : args)
        command.append(" ").append(Quote(a));
    command.append(" >").append(Quote(io.File("out")));
    command.append(" 2>").append(Quote(io.File("err")));
    command.append(" </dev/null");
    CliRun run;
    const int raw = std::system(command.c_str());
    if (WIFEXITED(raw)) {
        run.status = WEXITSTATUS(raw);
        // timeout's own status for a command it had to kill.
        run.timedOut = limits.seconds > 0 && run.status == 137;
    }
    run.out = ReadFile(io.File("out"));
    run.err = ReadFile(io.File("err"));
    return run;
}

std::set<std::string> Listing(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}
