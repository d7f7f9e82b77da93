#include "win32/Win32Platform.h"

#include "win32/ResultsPanel.h"
#include "win32/Utf16.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace {

// Room for the longest path the system takes (with long paths enabled).
constexpr DWORD kPathCapacity = 32768;

// The patterns of a filter, "*.TXT" of "Text Files (*.TXT)".
std::string FilterPatterns(const std::string& filter)
{
    const std::size_t open = filter.rfind('(');
    const std::size_t close = filter.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close <= open + 1)
        return "*.*";
    std::string patterns = filter.substr(open + 1, close - open - 1);
    // "*.a *.b" as Qt writes several patterns; the dialogs want "*.a;*.b".
    for (char& c : patterns)
        if (c == ' ')
            c = ';';
    return patterns;
}

// "csv" of "*.csv": the extension the save dialog adds to a bare name.
std::wstring DefaultExtension(const std::string& filter)
{
    const std::string patterns = FilterPatterns(filter);
    const std::string first = patterns.substr(0, patterns.find(';'));
    const std::size_t dot = first.rfind('.');
    if (dot == std::string::npos || first.find_first_of("*?", dot) != std::string::npos)
        return {};
    return Utf16FromUtf8(first.substr(dot + 1));
}

std::optional<std::string> RunFileDialog(HWND owner, const std::string& title, const std::string& filter,
                                         const std::string& initialPath, bool save)
{
    const std::wstring wideTitle = Utf16FromUtf8(title);
    const std::wstring wideFilter = DialogFilter(filter);
    const std::wstring extension = DefaultExtension(filter);
    std::vector<wchar_t> file(kPathCapacity, L'\0');
    const std::wstring initial = Utf16FromUtf8(initialPath);
    if (initial.size() < file.size())
        initial.copy(file.data(), initial.size());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = wideFilter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrTitle = wideTitle.c_str();
    // The application keeps its own current folder; the dialog must not
    // move it behind its back.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (save) {
        dialog.Flags |= OFN_OVERWRITEPROMPT;
        if (!extension.empty())
            dialog.lpstrDefExt = extension.c_str();
        if (!::GetSaveFileNameW(&dialog))
            return std::nullopt;
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
        if (!::GetOpenFileNameW(&dialog))
            return std::nullopt;
    }
    const std::wstring chosen(file.data());
    if (chosen.empty())
        return std::nullopt;
    return Utf8FromUtf16(AbsolutePath(chosen));
}

bool ShellOpen(const std::wstring& path)
{
    // The shell's own handler for the file: no command interpreter and no
    // command line built from the name.
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

} // namespace

std::wstring DialogFilter(const std::string& filter)
{
    std::wstring result = Utf16FromUtf8(filter);
    result.push_back(L'\0');
    result += Utf16FromUtf8(FilterPatterns(filter));
    result.push_back(L'\0');
    // The terminating NUL of the string itself is the list's second one.
    return result;
}

std::wstring AbsolutePath(const std::wstring& path)
{
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed)
        return path;
    full.resize(written);
    return full;
}

Win32Platform::Win32Platform(HWND window) : m_Window(window), m_Launcher(ShellOpen) {}

void Win32Platform::ShowMessage(const std::string& caption, const std::string& text)
{
    const std::wstring wideCaption = Utf16FromUtf8(caption);
    const std::wstring wideText = Utf16FromUtf8(text);
    if (m_MessageHandler) {
        m_MessageHandler(wideCaption, wideText);
        return;
    }
    ::MessageBoxW(m_Window, wideText.c_str(), wideCaption.c_str(), MB_OK);
}

std::optional<std::string> Win32Platform::ChooseFileToOpen(const std::string& title, const std::string& filter,
                                                           const std::string& lastPath)
{
    return RunFileDialog(m_Window, title, filter, lastPath, false);
}

std::optional<std::string> Win32Platform::ChooseFileToSave(const std::string& title, const std::string& filter,
                                                           const std::string& suggestedPath)
{
    return RunFileDialog(m_Window, title, filter, suggestedPath, true);
}

bool Win32Platform::OpenInViewer(const std::string& path)
{
    return m_Launcher(AbsolutePath(Utf16FromUtf8(path)));
}

void Win32Platform::Repaint(bool erase)
{
    // Every frame is composed whole off screen, so an erase adds nothing
    // but flicker: the background is never erased on its own.
    (void)erase;
    if (m_DrawingArea)
        ::InvalidateRect(m_DrawingArea, nullptr, FALSE);
}

void Win32Platform::SetMenuCheck(int id, bool checked)
{
    if (m_Menu)
        ::CheckMenuItem(m_Menu, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32Platform::SetWindowTitle(const std::string& title)
{
    if (m_Window)
        ::SetWindowTextW(m_Window, Utf16FromUtf8(title).c_str());
}

std::string Win32Platform::CurrentDirectory()
{
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0)
        return {};
    std::wstring folder(needed, L'\0');
    const DWORD written = ::GetCurrentDirectoryW(needed, folder.data());
    if (written == 0 || written >= needed)
        return {};
    folder.resize(written);
    return Utf8FromUtf16(folder);
}

bool Win32Platform::SetCurrentDirectory(const std::string& path)
{
    return ::SetCurrentDirectoryW(Utf16FromUtf8(path).c_str()) != 0;
}

bool Win32Platform::FileExists(const std::string& path)
{
    return ::GetFileAttributesW(Utf16FromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Platform::CreateNewFile(const std::string& path)
{
    const HANDLE file = ::CreateFileW(Utf16FromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

bool Win32Platform::RemoveFile(const std::string& path)
{
    return ::DeleteFileW(Utf16FromUtf8(path).c_str()) != 0;
}

void Win32Platform::SetStatusText(const std::string& text)
{
    if (m_StatusBar)
        ::SendMessageW(m_StatusBar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf16FromUtf8(text).c_str()));
}

void Win32Platform::ShowResultsPanel(bool visible)
{
    if (!m_ResultsPanel)
        return;
    m_ResultsPanel->SetVisible(visible);
    if (m_Layout)
        m_Layout();
}

void Win32Platform::ResultsChanged()
{
    if (m_ResultsPanel)
        m_ResultsPanel->ResultsChanged();
}

void Win32Platform::SelectResultRow(RowKind kind, int number)
{
    if (m_ResultsPanel)
        m_ResultsPanel->SelectRow(kind, number);
}
