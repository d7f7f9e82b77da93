#pragma once

#include "app/ModelSetup.h"
#include "app/Platform.h"
#include "app/RecentFiles.h"
#include "core/Records.h"
#include "core/Warnings.h"
#include "graphics/Layers.h"
#include "inspect/ResultTables.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class Canvas;
class ModelResults;
class Platform;
class StructureModel;
class ViewTransform;

// The two background colours the View menu offers, by m_BackgroundIndex.
inline constexpr COLORREF BackgroundColors[2] = {MakeColorRef(0, 0, 0), MakeColorRef(255, 255, 255)};

struct ClientRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct WorldBox {
    double m_XMin = 0;
    double m_XMax = 0;
    double m_YMin = 0;
    double m_YMax = 0;
};

// Interaction modes of the drawing area.
namespace InteractionMode {
inline constexpr int None = 0;
inline constexpr int Pan = 1;
inline constexpr int ZoomWindow = 2;
} // namespace InteractionMode

// The main window's state and behaviour, free of any toolkit: the current
// model and view, what is drawn, the menu commands, the loading sequence and
// the key and mouse gestures. The window forwards its events here; all that
// reaches the outside world goes through the Platform.
//
// Owns one model and one view at a time; a load builds new ones and swaps
// them in only once the file has been read completely, so a bad file never
// costs the user the structure on screen.
class AppState : public LayerFlags {
public:
    explicit AppState(Platform& platform, std::string buildDate = {});
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // --- menu commands ---
    // Runs the command with this menu id; false for an id that is not ours.
    bool OnCommand(int id);
    // The Open dialog; true when a file was chosen (into m_FileName).
    bool ChooseBeamSystemFile();
    // What follows a choice in the Open dialog (also the file named on the
    // command line): remember the file, make its folder current, load it.
    // Refused, with a notice, while other work is under way.
    bool OpenChosenFile(const std::string& path);
    // Replaces model and view by ones built from the file; false, with the
    // reason told to the user and everything kept as it was, on failure.
    // With background work it returns once the load has started (true) and
    // tells a failure when the load ends; while other work is under way it
    // refuses (false).
    bool LoadBeamSystemFile(const std::string& path);
    // True when no file can be created in the current folder (after telling
    // the user). Leaves every existing file alone.
    bool OutputDirectoryBlocked();
    // The same; quiet tells it as a notice instead of a box.
    bool OutputDirectoryBlocked(bool quiet);
    void SolveModel();

    // --- window events ---
    void OnSize(int width, int height);
    void OnChar(int code);
    void OnLeftButtonDown(int x, int y);
    void OnMouseMove(int x, int y);
    void OnMouseWheel(int x, int y, int delta);
    // The pointer left the drawing area: nothing is under it any more.
    void OnMouseLeave();
    // The user closed the results panel by its own button.
    void OnResultsPanelClosed();
    // Draws the rubber band and the layers that are switched on; the caller
    // has filled the surface with BackgroundColor().
    void Paint(Canvas& canvas);

    COLORREF BackgroundColor() const { return BackgroundColors[m_BackgroundIndex]; }
    // "Vela" and the build date, after the name of the file on screen.
    std::string WindowTitle() const;
    // Whether a checkable menu item is checked now.
    bool IsChecked(int id) const;

    // The results panel's tables of the current solution (none before it),
    // made when first asked for.
    const std::vector<ResultTable>& ResultTables();
    // The results of the current solution, or null.
    const ModelResults* Results() const { return m_Results.get(); }
    // The read-out of the last pointer position.
    const std::string& StatusText() const { return m_StatusText; }

    // --- background work ---
    // A load or solve is under way (on the worker thread, or waiting for its
    // result to be taken in on the UI thread).
    bool Busy() const { return m_Busy; }
    // The stage shown in the busy indicator (empty when idle).
    const std::string& BusyStage() const { return m_BusyStage; }
    // Cancel button and Esc: a solve under way ends without touching the
    // model on screen or the result files. A load or the writing of the
    // result files runs to its end.
    void CancelWork();
    // Waits for the worker thread to end (its result is taken in later, by
    // the call it posted to the UI thread).
    void WaitForWorker();

    // --- reloading ---
    // File > Reload, and what a change of the watched file leads to: loads
    // the file on screen again. Keeps zoom and pan when the structure's box
    // is about the same, keeps the diagram shown and solves again when the
    // model was solved. A file that cannot be read leaves everything as it
    // was and is reported as a notice only.
    void Reload();
    // The watched file changed on disk; the reload follows once the changes
    // have stopped for kReloadDelayMs.
    void OnWatchedFileChanged();
    void OnTimer(int id);
    static constexpr int kReloadTimer = 1;
    static constexpr int kReloadDelayMs = 300;

    // A file dropped on the window: opened as a file chosen in the Open
    // dialog is.
    bool OpenDroppedFile(const std::string& path);

    // --- notices ---
    // Adds a notice of ours: status bar and Messages, never a box.
    void AddNotice(const std::string& text);
    // Every notice since the start, oldest first.
    const std::vector<Notice>& Notices() const { return m_Notices; }
    // The user closed the Messages panel by its own button.
    void OnMessagesPanelClosed();

    // --- recent files ---
    // Most recent first; read from the platform at start.
    const std::vector<std::string>& RecentFiles() const { return m_Recent.Paths(); }

    std::unique_ptr<StructureModel> m_Model;
    std::unique_ptr<ViewTransform> m_View;
    bool m_Solved = false;
    // A file has been loaded into m_Model: until then it is empty and there
    // is nothing to solve or draw.
    bool m_Loaded = false;
    int m_BackgroundIndex = 0;
    int m_CheckedBackgroundId = 40006;
    int m_ClientWidth = 0;
    int m_ClientHeight = 0;
    ClientRect m_ClientRect;
    WorldBox m_Box;
    // The last path chosen in the Open dialog, and its file name part.
    std::string m_FileName;
    std::string m_FileTitle;
    // The file the current model was read from.
    std::string m_LoadedFileName;

    int m_Mode = InteractionMode::None;
    int m_ClickCount = 0;
    int m_PanStartX = 0;
    int m_PanStartY = 0;
    int m_MouseX = 0;
    int m_MouseY = 0;
    int m_Corner1X = 0;
    int m_Corner1Y = 0;
    int m_Corner2X = 0;
    int m_Corner2Y = 0;

    // What is under the pointer (-1: nothing), drawn with a halo.
    int m_HoverElement = -1;
    int m_HoverNode = -1;
    bool m_ShowResultsPanel = false;
    bool m_ShowMessagesPanel = false;

private:
    // Shows the model's soft warnings as message boxes and its notices as
    // notices, at once (UI thread only).
    class MessageWarnings : public WarningSink {
    public:
        explicit MessageWarnings(AppState& state) : m_State(state) {}
        void Warning(const std::string& text) override;
        void Notice(const std::string& text) override;

    private:
        AppState& m_State;
    };
    struct Job;

    // Runs job on the worker thread (or here, when the platform has no
    // background), then takes its result in on the UI thread.
    void StartJob(std::unique_ptr<Job> job);
    void RunJob(Job& job);
    void FinishJob(std::unique_ptr<Job> job);
    void InstallLoaded(Job& job);
    void InstallSolved(Job& job);
    // A solve that failed: no results, no diagrams, and the reason.
    void SolveFailed(const std::string& error, bool quiet);
    void SetBusy(const std::string& stage, bool cancellable);
    void EnableModelCommands(bool enabled);
    void StartLoad(const std::string& path, bool reload);
    void Report(const std::string& text, bool quiet);
    void OpenRecentFile(int index);
    void SavePicture();
    void RememberRecent(const std::string& path);
    void ToggleMessagesPanel();
    // The status-bar summary of a fresh solution.
    std::string SolvedSummary() const;

    void Warning(const std::string& text);
    void ShowResult(int id);
    void ShowDiagram(int id);
    void ShowOriginStructure();
    void ChooseBackground(int id);
    void ToggleNumbers(int id);
    void ToggleReactions();
    void ToggleValues();
    void ToggleResultsPanel();
    void ExportResults();
    // A new solution, or none: the results, their tables and the panel.
    void SetResults(std::unique_ptr<ModelResults> results);
    void SetHover(int element, int node);
    void StartFromExampleFile();
    void EditCurrentFile();
    void OpenInViewer(const std::string& path);
    bool ViewUsable() const;

    Platform& m_Platform;
    std::string m_BuildDate;
    std::unique_ptr<ModelResults> m_Results;
    std::vector<ResultTable> m_Tables;
    bool m_TablesMade = false;
    std::string m_StatusText;
    MessageWarnings m_Sink;
    ModelSetup m_Setup;

    std::vector<Notice> m_Notices;
    RecentFileList m_Recent;
    bool m_Busy = false;
    std::string m_BusyStage;
    // A reload asked for while busy, done when the work ends.
    bool m_ReloadPending = false;
    bool m_LastLoadOk = false;
    std::atomic<bool> m_CancelRequested{false};
    std::thread m_Worker;
};
