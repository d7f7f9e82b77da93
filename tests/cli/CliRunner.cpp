#include "cli/CliRunner.h"
#include "core/PlatformFiles.h"

#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace {

#if defined(_WIN32)

// One argument as the C runtime and CommandLineToArgvW split a command
// line: quoted when it holds a blank or a quote (or is empty), a quote
// escaped by a backslash, and backslashes doubled where a quote follows.
std::wstring QuoteArgument(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return arg;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    quoted += L'"';
    return quoted;
}

// A file the child inherits as its standard input, output or error.
HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(PathFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Console output comes with CR LF line ends; the tests compare LF.
std::string WithoutCarriageReturns(std::string text)
{
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos)
        text.erase(at, 1);
    return text;
}

#else

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

#endif

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

#if defined(_WIN32)

// The child runs under the time limit; the address-space limit is a POSIX
// resource limit with no counterpart here (and Wine, under which the
// Windows build is tested, needs all of its address space).
CliRun RunCli(const std::vector<std::string>& args, const CliLimits& limits)
{
    ScratchDir io;
    std::wstring command = QuoteArgument(PathFromUtf8(VELA_CLI_PATH).native());
    for (const std::string& a : args)
        command += L" " + QuoteArgument(PathFromUtf8(a).native());

    const HANDLE in = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = InheritableFile(io.File("out"), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = InheritableFile(io.File("err"), GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    CliRun run;
    const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                          nullptr, &startup, &process);
    for (const HANDLE h : {in, out, err})
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    if (started) {
        const DWORD wait = limits.seconds > 0 ? static_cast<DWORD>(limits.seconds) * 1000 : INFINITE;
        if (::WaitForSingleObject(process.hProcess, wait) == WAIT_TIMEOUT) {
            ::TerminateProcess(process.hProcess, 137);
            ::WaitForSingleObject(process.hProcess, INFINITE);
            run.timedOut = true;
        } else {
            DWORD status = 0;
            if (::GetExitCodeProcess(process.hProcess, &status))
                run.status = static_cast<int>(status);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    run.out = WithoutCarriageReturns(ReadFile(io.File("out")));
    run.err = WithoutCarriageReturns(ReadFile(io.File("err")));
    return run;
}

#else

CliRun RunCli(const std::vector<std::string>& args, const CliLimits& limits)
{
    ScratchDir io;
    std::string command;
    if (limits.virtualKiB > 0)
        command.append("ulimit -v ").append(std::to_string(limits.virtualKiB)).append(" && ");
    command += "exec ";
    if (limits.seconds > 0)
        command.append("timeout -s KILL ").append(std::to_string(limits.seconds)).append(" ");
    command += Quote(limits.program.empty() ? std::string(VELA_CLI_PATH) : limits.program);
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

#endif

std::set<std::string> Listing(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder)))
        names.insert(Utf8FromPath(entry.path().filename()));
    return names;
}
