#include "win32/Win32Platform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "graphics/Picture.h"
#include "win32/Render.h"
#include "win32/ResultsPanel.h"
#include "win32/Utf16.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

// Room for the longest path the system takes (with long paths enabled).
constexpr DWORD kPathCapacity = 32768;
// The application's timers run as the window's timers kAppTimerBase + id;
// the watch of the open file is one more.
constexpr UINT_PTR kAppTimerBase = 0x1000;
constexpr UINT_PTR kWatchTimer = 0x0FFF;
const wchar_t* const kRecentValue = L"RecentFiles";

// The entries of a filter, "PNG Image (*.png)" and so on.
std::vector<std::string> FilterEntries(const std::string& filter)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = filter.find(";;", start);
        entries.push_back(filter.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return entries;
        start = end + 2;
    }
}

// The patterns of an entry, "*.TXT" of "Text Files (*.TXT)".
std::string EntryPatterns(const std::string& entry)
{
    const std::size_t open = entry.rfind('(');
    const std::size_t close = entry.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close <= open + 1)
        return "*.*";
    std::string patterns = entry.substr(open + 1, close - open - 1);
    // "*.a *.b" as Qt writes several patterns; the dialogs want "*.a;*.b".
    for (char& c : patterns)
        if (c == ' ')
            c = ';';
    return patterns;
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// "png" of "C:\\pictures\\frame.png"; empty without one.
std::string ExtensionOf(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t separator = path.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return {};
    return path.substr(dot + 1);
}

// "csv" of "*.csv": the extension the save dialog adds to a bare name.
std::wstring DefaultExtension(const std::string& filter, int index)
{
    const std::vector<std::string> entries = FilterEntries(filter);
    const std::string patterns = EntryPatterns(entries[static_cast<std::size_t>(index - 1)]);
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
    const int index = FilterIndexFor(filter, initialPath);
    const std::wstring extension = DefaultExtension(filter, index);
    std::vector<wchar_t> file(kPathCapacity, L'\0');
    const std::wstring initial = Utf16FromUtf8(initialPath);
    if (initial.size() < file.size())
        initial.copy(file.data(), initial.size());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = wideFilter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(index);
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
    if (result > 32)
        return true;
    // Every file the program shows is text: where its extension has no
    // handler of its own (a ".TXT" some systems do not know), the handler
    // of text files opens it, the shell putting the file's name in its
    // place.
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.lpClass = L"txtfile";
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&info) != 0;
}

} // namespace

std::wstring DialogFilter(const std::string& filter)
{
    std::wstring result;
    for (const std::string& entry : FilterEntries(filter)) {
        result += Utf16FromUtf8(entry);
        result.push_back(L'\0');
        result += Utf16FromUtf8(EntryPatterns(entry));
        result.push_back(L'\0');
    }
    // The terminating NUL of the string itself ends the list.
    return result;
}

int FilterIndexFor(const std::string& filter, const std::string& path)
{
    const std::string extension = LowerAscii(ExtensionOf(path));
    if (extension.empty())
        return 1;
    const std::vector<std::string> entries = FilterEntries(filter);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string patterns = LowerAscii(EntryPatterns(entries[i]));
        patterns.insert(patterns.begin(), ';');
        patterns.push_back(';');
        std::string wanted = extension;
        wanted.insert(0, ";*.");
        wanted.push_back(';');
        if (patterns.find(wanted) != std::string::npos)
            return static_cast<int>(i) + 1;
    }
    return 1;
}

std::string NoticeLine(const Notice& notice)
{
    const std::time_t time = std::chrono::system_clock::to_time_t(notice.time);
    std::tm local{};
    ::localtime_s(&local, &time);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    return std::string(clock) + "  " + notice.text;
}

std::wstring MultiStringFromList(const std::vector<std::string>& items)
{
    std::wstring data;
    for (const std::string& item : items) {
        if (item.empty())
            continue;
        data += Utf16FromUtf8(item);
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    return data;
}

std::vector<std::string> ListFromMultiString(const std::wstring& data)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < data.size()) {
        const std::size_t end = data.find(L'\0', start);
        const std::wstring item = data.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (item.empty())
            break;
        items.push_back(Utf8FromUtf16(item));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return items;
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

Win32Platform::~Win32Platform()
{
    if (m_Watching && m_Window)
        ::KillTimer(m_Window, kWatchTimer);
}

void Win32Platform::SetRecentMenu(HMENU recent, HMENU parent, int position)
{
    m_RecentMenu = recent;
    m_RecentParent = parent;
    m_RecentPosition = position;
}

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
        ::SendMessageW(m_StatusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Utf16FromUtf8(text).c_str()));
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

void Win32Platform::PostToUiThread(std::function<void()> call)
{
    // The window runs and deletes the copy; a window that is gone takes
    // nothing, and the call is dropped here.
    auto* copy = new std::function<void()>(std::move(call));
    if (!m_Window || !::PostMessageW(m_Window, kRunPostedCall, 0, reinterpret_cast<LPARAM>(copy)))
        delete copy;
}

void Win32Platform::ShowBusy(const std::string& stage, bool cancellable)
{
    if (m_StatusBar)
        ::SendMessageW(m_StatusBar, SB_SETTEXTW, 2,
                       reinterpret_cast<LPARAM>(Utf16FromUtf8(stage.empty() ? stage : stage + "\u2026").c_str()));
    if (m_CancelButton)
        ::ShowWindow(m_CancelButton, !stage.empty() && cancellable ? SW_SHOWNA : SW_HIDE);
}

void Win32Platform::SetMenuEnabled(int id, bool enabled)
{
    const UINT state = enabled ? MF_ENABLED : MF_GRAYED;
    if (id == MenuId::RecentFiles) {
        if (m_RecentParent && m_RecentPosition >= 0)
            ::EnableMenuItem(m_RecentParent, static_cast<UINT>(m_RecentPosition), MF_BYPOSITION | state);
    } else if (m_Menu) {
        // Accelerators of a greyed item do nothing either.
        ::EnableMenuItem(m_Menu, static_cast<UINT>(id), MF_BYCOMMAND | state);
    }
    if (m_Window)
        ::DrawMenuBar(m_Window);
}

void Win32Platform::NoticeAdded(const Notice& notice)
{
    if (m_StatusBar)
        ::SendMessageW(m_StatusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(Utf16FromUtf8(notice.text).c_str()));
    if (m_MessagesList) {
        const LRESULT index = ::SendMessageW(m_MessagesList, LB_ADDSTRING, 0,
                                             reinterpret_cast<LPARAM>(Utf16FromUtf8(NoticeLine(notice)).c_str()));
        if (index >= 0)
            ::SendMessageW(m_MessagesList, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    }
}

void Win32Platform::ShowMessagesPanel(bool visible)
{
    if (!m_MessagesList)
        return;
    ::ShowWindow(m_MessagesList, visible ? SW_SHOW : SW_HIDE);
    if (m_Layout)
        m_Layout();
}

Win32Platform::FileStamp Win32Platform::StampOf(const std::wstring& path)
{
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
    stamp.created =
        (static_cast<unsigned long long>(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    return stamp;
}

void Win32Platform::WatchFile(const std::string& path)
{
    // The file's time, size and creation are looked at on a timer: that
    // sees a write in place, a new file renamed over the old one (as
    // editors save) and a file removed and made again alike, and needs no
    // thread of its own.
    m_WatchedFile = path.empty() ? std::wstring() : AbsolutePath(Utf16FromUtf8(path));
    m_WatchedStamp = StampOf(m_WatchedFile);
    if (!m_Window)
        return;
    if (m_WatchedFile.empty()) {
        if (m_Watching)
            ::KillTimer(m_Window, kWatchTimer);
        m_Watching = false;
        return;
    }
    m_Watching = ::SetTimer(m_Window, kWatchTimer, kWatchIntervalMs, nullptr) != 0;
}

void Win32Platform::CheckWatchedFile()
{
    const FileStamp stamp = StampOf(m_WatchedFile);
    if (stamp == m_WatchedStamp)
        return;
    m_WatchedStamp = stamp;
    if (m_State)
        m_State->OnWatchedFileChanged();
}

void Win32Platform::StartTimer(int id, int milliseconds)
{
    // Setting a timer that is still pending starts it again from now.
    if (m_Window && id >= 0)
        ::SetTimer(m_Window, kAppTimerBase + static_cast<UINT_PTR>(id), static_cast<UINT>(std::max(milliseconds, 0)),
                   nullptr);
}

bool Win32Platform::OnTimerMessage(UINT_PTR id)
{
    if (id == kWatchTimer) {
        CheckWatchedFile();
        return true;
    }
    if (id < kAppTimerBase)
        return false;
    // One shot: the window's timers repeat until killed.
    ::KillTimer(m_Window, id);
    if (m_State)
        m_State->OnTimer(static_cast<int>(id - kAppTimerBase));
    return true;
}

std::vector<std::string> Win32Platform::ReadRecentFiles()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, m_SettingsKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    std::vector<std::string> paths;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, kRecentValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        type == REG_MULTI_SZ && bytes > 0) {
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(key, kRecentValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) ==
            ERROR_SUCCESS)
            paths = ListFromMultiString(data);
    }
    ::RegCloseKey(key);
    return paths;
}

void Win32Platform::WriteRecentFiles(const std::vector<std::string>& paths)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_SettingsKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring data = MultiStringFromList(paths);
    ::RegSetValueExW(key, kRecentValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void Win32Platform::RecentFilesChanged(const std::vector<std::string>& paths)
{
    if (!m_RecentMenu)
        return;
    while (::GetMenuItemCount(m_RecentMenu) > 0)
        ::DeleteMenu(m_RecentMenu, 0, MF_BYPOSITION);
    const auto escaped = [](std::wstring text) {
        // A '&' of a name is shown, not taken as a mnemonic.
        for (std::size_t at = text.find(L'&'); at != std::wstring::npos; at = text.find(L'&', at + 2))
            text.insert(at, 1, L'&');
        return text;
    };
    for (std::size_t i = 0; i < paths.size() && i < static_cast<std::size_t>(MenuId::RecentFileCount); ++i) {
        const std::wstring path = Utf16FromUtf8(paths[i]);
        const std::size_t separator = path.find_last_of(L"\\/");
        const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
        const std::wstring folder = separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
        // "&1 portal.txt  C:\\frames": the name first, for the eye.
        const std::wstring text = L"&" + std::to_wstring(i + 1) + L" " + escaped(name) + L"  " + escaped(folder);
        ::AppendMenuW(m_RecentMenu, MF_STRING, static_cast<UINT_PTR>(MenuId::RecentFile0 + static_cast<int>(i)),
                      text.c_str());
    }
    SetMenuEnabled(MenuId::RecentFiles, !paths.empty() && !(m_State && m_State->Busy()));
}

void Win32Platform::SavePicture(const std::string& path, int width, int height, COLORREF background,
                                const std::function<void(Canvas&)>& draw)
{
    PictureOptions options;
    options.width = width;
    options.height = height;
    options.background = background;
    RenderPicture(options, path, draw);
}

void Win32Platform::CloseWindow()
{
    // Posted: the command that asks for it is still running.
    if (m_Window)
        ::PostMessageW(m_Window, WM_CLOSE, 0, 0);
}
