#pragma once

#include "app/Platform.h"
#include "win32/WindowsHeaders.h"

#include <functional>
#include <map>
#include <string>

class AppState;
class ResultsPanel;

// The application's view of the desktop, with the wide-character Win32 API:
// message boxes, the common file dialogs, the shell's viewer, the main
// window's repaint, menu, title, status bar and panels, background work
// posted back to the window, timers, the watch of the open file and the
// recent files in the registry. Every string crosses into the system as
// UTF-16.
class Win32Platform : public Platform {
public:
    // How a file reaches the viewer: the shell's "open" verb on the file by
    // default. Replaceable so that tests record the call instead.
    using ViewerLauncher = std::function<bool(const std::wstring& absolutePath)>;
    // Where a message goes instead of a modal box (tests).
    using MessageHandler = std::function<void(const std::wstring& caption, const std::wstring& text)>;

    // The message the window receives for a call posted from the worker:
    // lParam is a heap std::function<void()> it runs and deletes.
    static constexpr UINT kRunPostedCall = WM_APP + 2;
    // How often the watched file is looked at, in milliseconds.
    static constexpr UINT kWatchIntervalMs = 400;

    explicit Win32Platform(HWND window = nullptr);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    void SetWindow(HWND window) { m_Window = window; }
    void SetState(AppState* state) { m_State = state; }
    // The child window painted by AppState, the status bar (parts: read-out,
    // notice, busy stage), the Cancel button, the menu whose check marks the
    // application sets, the recent files' submenu (and where it sits in its
    // parent), and the panels.
    void SetDrawingArea(HWND area) { m_DrawingArea = area; }
    void SetStatusBar(HWND statusBar) { m_StatusBar = statusBar; }
    void SetCancelButton(HWND button) { m_CancelButton = button; }
    void SetMenu(HMENU menu) { m_Menu = menu; }
    void SetRecentMenu(HMENU recent, HMENU parent, int position);
    void SetResultsPanel(ResultsPanel* panel) { m_ResultsPanel = panel; }
    void SetMessagesList(HWND list) { m_MessagesList = list; }
    // Called after a panel was shown or hidden: the window lays out its
    // children again.
    void SetLayoutHandler(std::function<void()> handler) { m_Layout = std::move(handler); }
    void SetViewerLauncher(ViewerLauncher launcher) { m_Launcher = std::move(launcher); }
    void SetMessageHandler(MessageHandler handler) { m_MessageHandler = std::move(handler); }
    // The registry key under HKEY_CURRENT_USER that keeps the settings.
    void SetSettingsKey(std::wstring key) { m_SettingsKey = std::move(key); }
    const std::wstring& SettingsKey() const { return m_SettingsKey; }

    // The window's WM_TIMER: true when the timer was one of ours.
    bool OnTimerMessage(UINT_PTR id);

    void ShowMessage(const std::string& caption, const std::string& text) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& title, const std::string& filter,
                                                const std::string& lastPath) override;
    bool OpenInViewer(const std::string& path) override;
    void Repaint(bool erase) override;
    void SetMenuCheck(int id, bool checked) override;
    void SetWindowTitle(const std::string& title) override;
    std::string CurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    bool CreateNewFile(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    void SetStatusText(const std::string& text) override;
    void ShowResultsPanel(bool visible) override;
    void ResultsChanged() override;
    void SelectResultRow(RowKind kind, int number) override;
    std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                                const std::string& suggestedPath) override;

    bool RunsWorkInBackground() override { return true; }
    void PostToUiThread(std::function<void()> call) override;
    void ShowBusy(const std::string& stage, bool cancellable) override;
    void SetMenuEnabled(int id, bool enabled) override;
    void NoticeAdded(const Notice& notice) override;
    void ShowMessagesPanel(bool visible) override;
    void WatchFile(const std::string& path) override;
    void StartTimer(int id, int milliseconds) override;
    std::vector<std::string> ReadRecentFiles() override;
    void WriteRecentFiles(const std::vector<std::string>& paths) override;
    void RecentFilesChanged(const std::vector<std::string>& paths) override;
    void SavePicture(const std::string& path, int width, int height, COLORREF background,
                     const std::function<void(Canvas&)>& draw) override;
    void CloseWindow() override;

private:
    // What tells one version of the watched file from the next.
    struct FileStamp {
        bool exists = false;
        unsigned long long size = 0;
        unsigned long long written = 0;
        unsigned long long created = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const std::wstring& path);
    void CheckWatchedFile();

    HWND m_Window;
    AppState* m_State = nullptr;
    HWND m_DrawingArea = nullptr;
    HWND m_StatusBar = nullptr;
    HWND m_CancelButton = nullptr;
    HWND m_MessagesList = nullptr;
    HMENU m_Menu = nullptr;
    HMENU m_RecentMenu = nullptr;
    HMENU m_RecentParent = nullptr;
    int m_RecentPosition = -1;
    ResultsPanel* m_ResultsPanel = nullptr;
    std::function<void()> m_Layout;
    ViewerLauncher m_Launcher;
    MessageHandler m_MessageHandler;
    std::wstring m_SettingsKey = L"Software\\Vela";
    std::wstring m_WatchedFile;
    FileStamp m_WatchedStamp;
    bool m_Watching = false;
};

// The common dialogs' filter for a filter as the application words it:
// entries "Text Files (*.TXT)" separated by ";;", each becoming its
// description, a NUL, the patterns in its parentheses (several separated
// by ';'), a NUL; the string's own terminating NUL closes the list. A
// description without parentheses matches every file.
std::wstring DialogFilter(const std::string& filter);

// The 1-based entry of such a filter whose patterns name the extension of
// path (as "*.png"), else 1.
int FilterIndexFor(const std::string& filter, const std::string& path);

// The absolute form of a path as the system resolves it against the current
// folder; the path itself when it cannot.
std::wstring AbsolutePath(const std::wstring& path);

// The line of the Messages panel for a notice: its local time as HH:MM:SS,
// two spaces, its text.
std::string NoticeLine(const Notice& notice);

// The registry keeps a list of strings as REG_MULTI_SZ: each string ended by
// a NUL, the list by one more. Empty strings cannot be kept and are left
// out; reading stops at the first empty one.
std::wstring MultiStringFromList(const std::vector<std::string>& items);
std::vector<std::string> ListFromMultiString(const std::wstring& data);
