#pragma once

#include "inspect/ResultTables.h"

#include <optional>
#include <string>

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
    // Nothing when cancelled.
    virtual std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                                        const std::string& suggestedPath)
    {
        (void)title;
        (void)filter;
        (void)suggestedPath;
        return std::nullopt;
    }
};
