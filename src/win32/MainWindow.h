#pragma once

#include "win32/WindowsHeaders.h"

#include <map>
#include <memory>
#include <string>

class AppState;
class ResultsPanel;
class Win32Platform;

// The one top-level window of vela.exe: the menu built from the
// application's menu description, the drawing area (a child window that
// paints AppState through a back buffer and turns keys, clicks, moves and
// the wheel into its gestures), the results panel and the status bar with
// the read-out. Everything the application does goes through AppState.
class MainWindow {
public:
    explicit MainWindow(std::string buildDate = {});
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the window classes, builds the menu, makes the application
    // state (which reads the recent files) and creates the window, hidden;
    // false when the system refuses (the reason in GetLastError). Settings
    // of the platform (its registry key) are made before.
    bool Create();
    HWND Handle() const { return m_Window; }
    HWND DrawingArea() const { return m_Area; }
    HWND StatusBar() const { return m_StatusBar; }
    HMENU Menu() const { return m_Menu; }
    HMENU RecentMenu() const { return m_RecentMenu; }
    HWND MessagesList() const { return m_MessagesList; }
    HWND CancelButton() const { return m_CancelButton; }
    // The key table of the menu's shortcuts, for the message loop.
    HACCEL Accelerators() const { return m_Accelerators; }
    AppState& State() { return *m_State; }
    Win32Platform& Platform() { return *m_Platform; }
    ResultsPanel& Results() { return *m_Results; }

    // Opens a file exactly as if it had been chosen in the Open dialog.
    bool OpenFile(const std::string& path);
    // Opens the file once the message loop runs, so that the window has its
    // size first and a message about the file appears over it.
    void OpenFileLater(const std::string& path);
    // Runs the menu command with this id, as its menu item does.
    void RunCommand(int id);
    // Lets messages run until the load or solve under way has ended and its
    // result is in; false when that takes longer than timeoutMs.
    bool WaitForWork(int timeoutMs = 60000);
    // Lays out the children in the client area (the results panel shown or
    // not).
    void Layout();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK AreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnAreaMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateChildren();
    void BuildMenu();
    void UpdateMenu();
    void UpdateFont();
    void PaintArea();
    // The background and AppState's picture, drawn onto target at once.
    void Compose(HDC target, int width, int height);
    void OnWheel(WPARAM wParam, LPARAM lParam);
    void OnDropFiles(WPARAM drop);

    std::string m_BuildDate;
    std::unique_ptr<Win32Platform> m_Platform;
    std::unique_ptr<AppState> m_State;
    std::unique_ptr<ResultsPanel> m_Results;
    HWND m_Window = nullptr;
    HWND m_Area = nullptr;
    HWND m_StatusBar = nullptr;
    HMENU m_Menu = nullptr;
    HMENU m_RecentMenu = nullptr;
    HWND m_MessagesList = nullptr;
    HWND m_CancelButton = nullptr;
    HACCEL m_Accelerators = nullptr;
    HFONT m_Font = nullptr;
    // The checkable items, by command id.
    std::map<int, bool> m_Checkable;
    bool m_TrackingLeave = false;
    std::wstring m_PendingOpen;
    bool m_HasPendingOpen = false;
};
