#include "win32/Console.h"

#include "core/PlatformFiles.h"
#include "core/TextFile.h"
#include "support/TestSupport.h"
#include "win32/Utf16.h"
#include "win32/WindowsHeaders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

const char* const kChildOutput = "VELA_ARGUMENTS_FILE";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(Console, ArgumentsAreReadFromTheWideCommandLineAsUtf8)
{
    // The child: this same test, started below with arguments of its own;
    // it writes down what it was given.
    if (const char* output = std::getenv(kChildOutput)) {
        std::string all;
        for (const std::string& argument : Utf8Arguments())
            all += argument + "\n";
        WriteTextFile(output, all, "cannot write the arguments");
        return;
    }

    // This test program has no UTF-8 manifest: its narrow arguments are in
    // the ANSI code page, where Chinese is lost.
    const ScratchDir dir;
    const std::string output = dir.File("arguments.txt");
    wchar_t self[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=Console.ArgumentsAreReadFromTheWide*" +
                           L" \"\u7efc\u5408 \u7b97\u4f8b.txt\" a\\\"b \"C:\\\u7ed3\u679c\\\\\"";
    ASSERT_TRUE(::SetEnvironmentVariableW(Utf16FromUtf8(kChildOutput).c_str(), Utf16FromUtf8(output).c_str()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                          nullptr, &startup, &process);
    ::SetEnvironmentVariableW(Utf16FromUtf8(kChildOutput).c_str(), nullptr);
    ASSERT_TRUE(started);
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 1;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(status, 0u);

    const std::vector<std::string> arguments = Lines(ReadFile(output));
    ASSERT_EQ(arguments.size(), 4u) << ReadFile(output);
    EXPECT_EQ(arguments[0], "--gtest_filter=Console.ArgumentsAreReadFromTheWide*");
    EXPECT_EQ(arguments[1], "综合 算例.txt");
    EXPECT_EQ(arguments[2], "a\"b");
    EXPECT_EQ(arguments[3], "C:\\结果\\");
}

TEST(Console, AProgramWithoutAConsoleLeavesTheCodePageAlone)
{
    // Test programs run with their output redirected, often with no console
    // at all; either way the call must be harmless and the code page is
    // the same afterwards as the program's exit will leave it.
    const UINT before = ::GetConsoleOutputCP();
    UseUtf8Console();
    const UINT after = ::GetConsoleOutputCP();
    EXPECT_TRUE(after == before || after == CP_UTF8) << before << " -> " << after;
}
