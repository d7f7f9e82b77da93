#pragma once

#include "core/Records.h"
#include "inspect/ResultTables.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Canvas;

// One notice of the program's own (a file reloaded, a result solved, a side
// file skipped, a reader's remark on the input): shown in the status bar and
// kept in the Messages list, never in a box that waits for the user.
struct Notice {
    std::chrono::system_clock::time_point time;
    std::string text;
};

// Everything the application needs from the desktop it runs on. The Qt layer
// implements it with real dialogs and processes; tests implement it with a
// recording fake, so that every command and gesture runs without a display.
//
// Paths are UTF-8, absolute where the application builds them.
class Platform {
public:
    virtual ~Platform() = default;

    // A modal message box with an OK button only.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;

    // Lets the user pick an existing file. filter is the one shown to the
    // user, e.g. "Text Files (*.TXT)"; its pattern matches in any case.
    // lastPath is the previous choice (empty: none), shown again.
    virtual std::optional<std::string> ChooseFileToOpen(const std::string& title, const std::string& filter,
                                                        const std::string& lastPath) = 0;

    // Shows a file in the system's text viewer as a separate process and
    // returns at once; false when no viewer could be started.
    virtual bool OpenInViewer(const std::string& path) = 0;

    // Asks for the whole drawing area to be painted again; erase tells
    // whether the old picture must be cleared first.
    virtual void Repaint(bool erase) = 0;
    virtual void SetMenuCheck(int id, bool checked) = 0;
    virtual void SetWindowTitle(const std::string& title) = 0;

    virtual std::string CurrentDirectory() = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;

    virtual bool FileExists(const std::string& path) = 0;
    // Creates an empty file that must not exist yet; false when it exists
    // already or cannot be created. Never opens or truncates an existing file.
    virtual bool CreateNewFile(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;

    // Reading results. A front end without a status bar or a results panel
    // may leave these as they are.

    // The read-out of what is under the pointer, for the status bar.
    virtual void SetStatusText(const std::string& text) { (void)text; }
    // Shows or hides the results panel (its tables: AppState::ResultTables).
    virtual void ShowResultsPanel(bool visible) { (void)visible; }
    // The results were solved anew or are gone: a panel takes its tables
    // again from AppState::ResultTables.
    virtual void ResultsChanged() {}
    // Selects the row of a node or element in the results panel.
    virtual void SelectResultRow(RowKind kind, int number)
    {
        (void)kind;
        (void)number;
    }
    // Lets the user name a file to write; suggestedPath is offered first.
    // filter holds one or more "Name (*.ext)" entries separated by ";;"; the
    // extension of suggestedPath picks the entry shown first, and a name
    // typed without an extension gets the chosen entry's. Nothing when
    // cancelled.
    virtual std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                                        const std::string& suggestedPath)
    {
        (void)title;
        (void)filter;
        (void)suggestedPath;
        return std::nullopt;
    }

    // --- Everything below has a default that keeps a simple front end
    // working; every call is made on the UI thread unless it says otherwise.

    // Background work. When this answers true, AppState loads and solves on
    // a worker thread of its own (std::thread, joined by ~AppState) and the
    // window keeps answering; when false, the work runs inside the command
    // and the window waits for it.
    virtual bool RunsWorkInBackground() { return false; }
    // Called on the worker thread (also on the UI thread): call must run on
    // the UI thread soon, after every call posted before it. Must return at
    // once, never run call itself from a worker thread, and drop calls that
    // arrive after the window (and its AppState) is gone. Win32: PostMessage
    // of a heap copy to the window; Qt: a queued invocation on the window.
    virtual void PostToUiThread(std::function<void()> call) { call(); }
    // The busy indicator: stage names the work under way ("reading",
    // "assembling", "factorising", "writing results"); empty hides it.
    // cancellable shows a Cancel button, which calls AppState::CancelWork();
    // Esc reaches AppState::OnChar(27) as ever and cancels too.
    virtual void ShowBusy(const std::string& stage, bool cancellable)
    {
        (void)stage;
        (void)cancellable;
    }
    // Greys a menu item (and its shortcut) out, or back in. AppState greys
    // out the commands that would change the model while work is under way.
    virtual void SetMenuEnabled(int id, bool enabled)
    {
        (void)id;
        (void)enabled;
    }

    // Notices. A new one was added to AppState::Notices(): the front end
    // shows its text in the status bar and appends it, with its time, to the
    // Messages panel.
    virtual void NoticeAdded(const Notice& notice) { (void)notice; }
    // Shows or hides the Messages panel (View > Messages). When the user
    // closes it by its own button the front end calls
    // AppState::OnMessagesPanelClosed().
    virtual void ShowMessagesPanel(bool visible) { (void)visible; }

    // Watching the open file. Replaces any earlier watch (empty path: watch
    // nothing). Whenever the file is written, replaced (also by renaming
    // another file over it, as editors save) or removed and made again, the
    // front end calls AppState::OnWatchedFileChanged() on the UI thread; it
    // may do so several times per change: AppState waits for the burst to
    // end. The watch must outlive a rename-over (watch the folder too, or
    // watch again after each report). Win32: FindFirstChangeNotificationW on
    // the folder, or ReadDirectoryChangesW, on a thread posting to the window.
    virtual void WatchFile(const std::string& path) { (void)path; }
    // A one-shot timer: after milliseconds the front end calls
    // AppState::OnTimer(id) on the UI thread. Starting a timer that is still
    // pending starts it again from now (Win32: SetTimer on the window).
    virtual void StartTimer(int id, int milliseconds)
    {
        (void)id;
        (void)milliseconds;
    }

    // Recent files, most recent first, in the platform's usual place for a
    // user's settings (QSettings; the registry under HKEY_CURRENT_USER).
    virtual std::vector<std::string> ReadRecentFiles() { return {}; }
    virtual void WriteRecentFiles(const std::vector<std::string>& paths) { (void)paths; }
    // The list changed: the front end rebuilds File > Recent Files from it,
    // item i running the command MenuId::RecentFile0 + i.
    virtual void RecentFilesChanged(const std::vector<std::string>& paths) { (void)paths; }

    // Writes a picture of width x height pixels to path, in the format its
    // extension names (.png, .svg, .pdf; others may be refused): fills it
    // with background, then draw draws on it. Throws FatalError with the
    // reason when the picture cannot be made or written.
    virtual void SavePicture(const std::string& path, int width, int height, COLORREF background,
                             const std::function<void(Canvas&)>& draw)
    {
        (void)path;
        (void)width;
        (void)height;
        (void)background;
        (void)draw;
    }
    // File > Exit: closes the window as its close button does.
    virtual void CloseWindow() {}
};
