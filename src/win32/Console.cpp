#include "win32/Console.h"

#include "win32/Utf16.h"
#include "win32/WindowsHeaders.h"

#include <cstdlib>
#include <shellapi.h>

namespace {

UINT g_OriginalOutputCodePage = 0;

void RestoreOutputCodePage()
{
    if (g_OriginalOutputCodePage != 0)
        ::SetConsoleOutputCP(g_OriginalOutputCodePage);
}

} // namespace

void UseUtf8Console()
{
    const UINT original = ::GetConsoleOutputCP(); // 0 without a console
    if (original == 0 || original == CP_UTF8)
        return;
    if (::SetConsoleOutputCP(CP_UTF8)) {
        g_OriginalOutputCodePage = original;
        std::atexit(RestoreOutputCodePage);
    }
}

std::vector<std::string> Utf8Arguments()
{
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!words)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(Utf8FromUtf16(words[i]));
    ::LocalFree(words);
    return args;
}
