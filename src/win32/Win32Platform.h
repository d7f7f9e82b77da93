#pragma once

#include "app/Platform.h"
#include "win32/WindowsHeaders.h"

#include <functional>
#include <string>

class ResultsPanel;

// The application's view of the desktop, with the wide-character Win32 API:
// message boxes, the common file dialogs, the shell's viewer, and the main
// window's repaint, menu check marks, title, status bar and results panel.
// Every string crosses into the system as UTF-16.
class Win32Platform : public Platform {
public:
    // How a file reaches the viewer: the shell's "open" verb on the file by
    // default. Replaceable so that tests record the call instead.
    using ViewerLauncher = std::function<bool(const std::wstring& absolutePath)>;
    // Where a message goes instead of a modal box (tests).
    using MessageHandler = std::function<void(const std::wstring& caption, const std::wstring& text)>;

    explicit Win32Platform(HWND window = nullptr);

    void SetWindow(HWND window) { m_Window = window; }
    // The child window painted by AppState, the status bar, the menu whose
    // check marks the application sets, and the results panel.
    void SetDrawingArea(HWND area) { m_DrawingArea = area; }
    void SetStatusBar(HWND statusBar) { m_StatusBar = statusBar; }
    void SetMenu(HMENU menu) { m_Menu = menu; }
    void SetResultsPanel(ResultsPanel* panel) { m_ResultsPanel = panel; }
    // Called after the results panel was shown or hidden: the window lays
    // out its children again.
    void SetLayoutHandler(std::function<void()> handler) { m_Layout = std::move(handler); }
    void SetViewerLauncher(ViewerLauncher launcher) { m_Launcher = std::move(launcher); }
    void SetMessageHandler(MessageHandler handler) { m_MessageHandler = std::move(handler); }

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

private:
    HWND m_Window;
    HWND m_DrawingArea = nullptr;
    HWND m_StatusBar = nullptr;
    HMENU m_Menu = nullptr;
    ResultsPanel* m_ResultsPanel = nullptr;
    std::function<void()> m_Layout;
    ViewerLauncher m_Launcher;
    MessageHandler m_MessageHandler;
};

// The common dialogs' filter for a filter as the application words it,
// "Text Files (*.TXT)": the description, a NUL, the patterns in the
// parentheses (several separated by ';'), a NUL, and the closing NUL. A
// description without parentheses matches every file.
std::wstring DialogFilter(const std::string& filter);

// The absolute form of a path as the system resolves it against the current
// folder; the path itself when it cannot.
std::wstring AbsolutePath(const std::wstring& path);
