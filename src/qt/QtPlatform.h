#pragma once

#include "app/Platform.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class AppState;
class BusyIndicator;
class MessagesPanel;
class QAction;
class QFileSystemWatcher;
class QLabel;
class QMenu;
class QTimer;
class QUrl;
class QWidget;
class ResultsPanel;

// How a file reaches the text viewer. Behind an interface so that tests
// record the call instead of starting a program.
class ViewerLauncher {
public:
    virtual ~ViewerLauncher();
    // The desktop's handler for the file (QDesktopServices).
    virtual bool OpenUrl(const QUrl& url);
    // A program with an argument list; no shell is involved.
    virtual bool StartDetached(const QString& program, const QStringList& arguments);
    virtual QString Environment(const char* name);
};

// The application's view of the desktop, with Qt: message boxes, the file
// dialog, the viewer, and the window's repaint, menu checks and title.
class QtPlatform : public Platform {
public:
    using MessageHandler = std::function<void(const QString& caption, const QString& text)>;
    using FileChooser = std::function<QString(const QString& title, const QString& filter, const QString& lastPath)>;
    using SaveChooser =
        std::function<QString(const QString& title, const QString& filter, const QString& suggestedPath)>;

    QtPlatform(QWidget* window, QWidget* drawingArea, std::unique_ptr<ViewerLauncher> launcher = nullptr);
    ~QtPlatform() override;

    void SetDrawingArea(QWidget* drawingArea) { m_DrawingArea = drawingArea; }
    // Where the read-out goes, and the results panel.
    void SetStatusLabel(QLabel* label) { m_StatusLabel = label; }
    void SetResultsPanel(ResultsPanel* panel) { m_ResultsPanel = panel; }
    // Who hears the watcher, the timers and the recent files' items.
    void SetState(AppState* state) { m_State = state; }
    void SetCommandHandler(std::function<void(int id)> handler) { m_CommandHandler = std::move(handler); }
    void SetNoticeLabel(QLabel* label) { m_NoticeLabel = label; }
    void SetMessagesPanel(MessagesPanel* panel) { m_MessagesPanel = panel; }
    void SetBusyIndicator(BusyIndicator* busy) { m_Busy = busy; }
    void SetRecentMenu(QMenu* menu) { m_RecentMenu = menu; }
    // Loads and solves on a worker thread (the default) or inside the
    // command.
    void SetBackgroundWork(bool background) { m_Background = background; }
    // The watched file, empty when none.
    const QString& WatchedFile() const { return m_WatchedFile; }
    // The menu items whose check marks the application sets.
    void RegisterAction(int id, QAction* action);
    // Replace the modal dialogs (tests; an empty chooser result = cancelled).
    void SetMessageHandler(MessageHandler handler) { m_MessageHandler = std::move(handler); }
    void SetFileChooser(FileChooser chooser) { m_FileChooser = std::move(chooser); }
    void SetSaveChooser(SaveChooser chooser) { m_SaveChooser = std::move(chooser); }
    void SetLauncher(std::unique_ptr<ViewerLauncher> launcher);

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
    bool RunsWorkInBackground() override { return m_Background; }
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

    // Paths travel through the application as the file system's bytes.
    static QString FromPath(const std::string& path);
    static std::string ToPath(const QString& path);

private:
    // What tells a change of the watched file from a change of its folder
    // (the program's own side files are written beside it).
    struct FileStamp {
        bool exists = false;
        unsigned long long inode = 0;
        long long size = 0;
        long long modified = 0; // nanoseconds
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const QString& path);
    void WatchedPathChanged();

    QWidget* m_Window;
    QWidget* m_DrawingArea;
    std::unique_ptr<ViewerLauncher> m_Launcher;
    QHash<int, QAction*> m_Actions;
    QLabel* m_StatusLabel = nullptr;
    ResultsPanel* m_ResultsPanel = nullptr;
    MessageHandler m_MessageHandler;
    FileChooser m_FileChooser;
    SaveChooser m_SaveChooser;

    AppState* m_State = nullptr;
    std::function<void(int id)> m_CommandHandler;
    QLabel* m_NoticeLabel = nullptr;
    MessagesPanel* m_MessagesPanel = nullptr;
    BusyIndicator* m_Busy = nullptr;
    QMenu* m_RecentMenu = nullptr;
    bool m_Background = true;
    QFileSystemWatcher* m_Watcher = nullptr;
    QString m_WatchedFile;
    FileStamp m_WatchedStamp;
    QHash<int, QTimer*> m_Timers;
};
