// vela.exe [FILE]: the desktop program on Windows. A FILE given on the
// command line is opened as if it had been chosen in the Open dialog.

#include "win32/Console.h"
#include "win32/MainWindow.h"
#include "win32/Utf16.h"
#include "win32/WindowsHeaders.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kUsage = L"Usage: vela [FILE]\n\n"
                              L"Linear static analysis of plane frames.\n\n"
                              L"FILE  Beam System File to open at start.";

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    // A drive without a medium is reported to the program, not by a
    // system dialog in the middle of a load.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    const std::vector<std::string> arguments = Utf8Arguments();
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "/?")) {
        ::MessageBoxW(nullptr, kUsage, L"Vela", MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (!arguments.empty() && (arguments[0] == "--version" || arguments[0] == "-v")) {
        ::MessageBoxW(nullptr, L"vela " VELA_VERSION, L"Vela", MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (arguments.size() > 1) {
        ::MessageBoxW(nullptr, (L"At most one FILE.\n\n" + std::wstring(kUsage)).c_str(), L"Vela",
                      MB_OK | MB_ICONERROR);
        return 2;
    }

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES;
    ::InitCommonControlsEx(&controls);

    MainWindow window(VELA_BUILD_DATE);
    if (!window.Create()) {
        ::MessageBoxW(nullptr, L"This program requires Windows NT!", L"Vela", MB_ICONERROR);
        return 0;
    }
    ::ShowWindow(window.Handle(), showCommand);
    ::UpdateWindow(window.Handle());
    if (!arguments.empty())
        window.OpenFileLater(arguments[0]);

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The menu's shortcuts work wherever the focus is in the window.
        if (window.Accelerators() && ::TranslateAcceleratorW(window.Handle(), window.Accelerators(), &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
