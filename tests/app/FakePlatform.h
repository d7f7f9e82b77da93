#pragma once

#include "app/Platform.h"
#include "core/PlatformFiles.h"
#include "graphics/RecordingCanvas.h"
#include "support/TestSupport.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Records everything the application asks of the desktop. Files are real
// (tests work in scratch folders); the current folder is only remembered, so
// that tests never move the test process's own working directory.
class FakePlatform : public Platform {
public:
    struct Message {
        std::string caption;
        std::string text;
    };
    struct Dialog {
        std::string title;
        std::string filter;
        std::string lastPath;
    };

    void ShowMessage(const std::string& caption, const std::string& text) override
    {
        m_Messages.push_back({caption, text});
    }
    std::optional<std::string> ChooseFileToOpen(const std::string& title, const std::string& filter,
                                                const std::string& lastPath) override
    {
        m_Dialogs.push_back({title, filter, lastPath});
        if (m_Choices.empty())
            return std::nullopt;
        std::optional<std::string> choice = m_Choices.front();
        m_Choices.pop_front();
        return choice;
    }
    bool OpenInViewer(const std::string& path) override
    {
        m_Viewed.push_back(path);
        return m_ViewerWorks;
    }
    void Repaint(bool erase) override { m_Repaints.push_back(erase); }
    void SetMenuCheck(int id, bool checked) override
    {
        m_Checks[id] = checked;
        m_CheckCalls.push_back({id, checked});
    }
    void SetWindowTitle(const std::string& title) override { m_Title = title; }
    std::string CurrentDirectory() override { return m_CurrentDirectory; }
    bool SetCurrentDirectory(const std::string& path) override
    {
        if (!std::filesystem::is_directory(PathFromUtf8(path)))
            return false;
        m_CurrentDirectory = path;
        return true;
    }
    bool FileExists(const std::string& path) override { return std::filesystem::exists(PathFromUtf8(path)); }
    bool CreateNewFile(const std::string& path) override
    {
        m_Created.push_back(path);
        if (m_FolderBlocked || std::filesystem::exists(PathFromUtf8(path)))
            return false;
        std::ofstream out(PathFromUtf8(path));
        return static_cast<bool>(out);
    }
    bool RemoveFile(const std::string& path) override
    {
        m_Removed.push_back(path);
        return std::filesystem::remove(PathFromUtf8(path));
    }
    void SetStatusText(const std::string& text) override { m_StatusTexts.push_back(text); }
    void ShowResultsPanel(bool visible) override { m_PanelShown.push_back(visible); }
    void ResultsChanged() override { ++m_ResultsChanged; }
    void SelectResultRow(RowKind kind, int number) override { m_Selections.push_back({kind, number}); }
    std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                                const std::string& suggestedPath) override
    {
        m_SaveDialogs.push_back({title, filter, suggestedPath});
        return m_SaveChoice;
    }

    // Work runs inside the command unless m_Background is set; then the
    // calls the worker posts wait in m_Posted until RunPosted.
    bool RunsWorkInBackground() override { return m_Background; }
    void PostToUiThread(std::function<void()> call) override
    {
        if (!m_Background) {
            call();
            return;
        }
        std::unique_lock<std::mutex> lock(m_PostMutex);
        m_Posted.push_back(std::move(call));
        ++m_PostCount;
        m_PostChanged.notify_all();
        // A gate holds the worker at its n-th post until the test opens it
        // (or, should the test never do so, for half a minute).
        m_PostChanged.wait_for(lock, std::chrono::seconds(30),
                               [this] { return m_PostCount != m_GateAt || m_GateOpen; });
    }
    // Runs the posted calls, in order, on this thread; how many ran.
    int RunPosted()
    {
        int ran = 0;
        for (;;) {
            std::function<void()> call;
            {
                std::lock_guard<std::mutex> lock(m_PostMutex);
                if (m_Posted.empty())
                    return ran;
                call = std::move(m_Posted.front());
                m_Posted.pop_front();
            }
            call();
            ++ran;
        }
    }
    // Holds the worker at its n-th post (1-based) until OpenGate.
    void CloseGateAt(int n)
    {
        std::lock_guard<std::mutex> lock(m_PostMutex);
        m_GateAt = n;
        m_GateOpen = false;
    }
    // Waits until the worker is held at the gate; false when it never
    // gets there.
    bool WaitAtGate()
    {
        std::unique_lock<std::mutex> lock(m_PostMutex);
        return m_PostChanged.wait_for(lock, std::chrono::seconds(30), [this] { return m_PostCount >= m_GateAt; });
    }
    void OpenGate()
    {
        std::lock_guard<std::mutex> lock(m_PostMutex);
        m_GateOpen = true;
        m_PostChanged.notify_all();
    }
    void ShowBusy(const std::string& stage, bool cancellable) override { m_Busy.push_back({stage, cancellable}); }
    void SetMenuEnabled(int id, bool enabled) override { m_Enabled[id] = enabled; }
    void NoticeAdded(const Notice& notice) override { m_Notices.push_back(notice.text); }
    void ShowMessagesPanel(bool visible) override { m_MessagesShown.push_back(visible); }
    void WatchFile(const std::string& path) override { m_Watched = path; }
    void StartTimer(int id, int milliseconds) override { m_Timers.push_back({id, milliseconds}); }
    std::vector<std::string> ReadRecentFiles() override { return m_StoredRecent; }
    void WriteRecentFiles(const std::vector<std::string>& paths) override { m_StoredRecent = paths; }
    void RecentFilesChanged(const std::vector<std::string>& paths) override { m_RecentMenu = paths; }
    void SavePicture(const std::string& path, int width, int height, COLORREF background,
                     const std::function<void(Canvas&)>& draw) override
    {
        m_Pictures.push_back({path, width, height, background});
        draw(m_PictureCanvas);
    }
    void CloseWindow() override { ++m_Closed; }

    // The next choices of the Open dialog (nullopt: cancelled).
    std::deque<std::optional<std::string>> m_Choices;
    bool m_ViewerWorks = true;
    bool m_FolderBlocked = false;
    std::string m_CurrentDirectory;

    std::vector<Message> m_Messages;
    std::vector<Dialog> m_Dialogs;
    std::vector<std::string> m_Viewed;
    std::vector<bool> m_Repaints;
    std::map<int, bool> m_Checks;
    std::vector<std::pair<int, bool>> m_CheckCalls;
    std::string m_Title;
    std::vector<std::string> m_Created;
    std::vector<std::string> m_Removed;
    std::vector<std::string> m_StatusTexts;
    std::vector<bool> m_PanelShown;
    int m_ResultsChanged = 0;
    std::vector<std::pair<RowKind, int>> m_Selections;
    std::vector<Dialog> m_SaveDialogs;
    // What the Save dialog answers (nullopt: cancelled).
    std::optional<std::string> m_SaveChoice;

    bool m_Background = false;
    std::mutex m_PostMutex;
    std::condition_variable m_PostChanged;
    std::deque<std::function<void()>> m_Posted;
    int m_PostCount = 0;
    int m_GateAt = -1;
    bool m_GateOpen = true;

    struct Busy {
        std::string stage;
        bool cancellable;
    };
    struct Picture {
        std::string path;
        int width;
        int height;
        COLORREF background;
    };
    std::vector<Busy> m_Busy;
    std::map<int, bool> m_Enabled;
    std::vector<std::string> m_Notices;
    std::vector<bool> m_MessagesShown;
    std::string m_Watched;
    std::vector<std::pair<int, int>> m_Timers;
    std::vector<std::string> m_StoredRecent;
    std::vector<std::string> m_RecentMenu;
    std::vector<Picture> m_Pictures;
    RecordingCanvas m_PictureCanvas;
    int m_Closed = 0;

    void Forget()
    {
        m_Messages.clear();
        m_Viewed.clear();
        m_Repaints.clear();
        m_CheckCalls.clear();
        m_StatusTexts.clear();
        m_Selections.clear();
        m_Notices.clear();
        m_Busy.clear();
        m_Timers.clear();
    }
};

// The shipped portal frame: two columns, a beam, a fixed and a pinned base,
// a load at the top left, a uniform load on the beam, a settlement and two
// springs.
inline std::string PortalFrame()
{
    return ReadFile(VELA_EXAMPLES_DIR "/portal.txt");
}

// A cantilever of length 10 along x, fixed at node 0, loaded at its tip.
inline const char* const kCantilever = R"(### Vela release=1.07
Beam
Number of element property:NEP=1
P0
E=2.0e8
A=0.01
I=8.0e-5
Number of nodal points in the structure:NPOIN=2
0:0,0
1:10,0
Number of elements in the structure:NELEM=1
0:0,1,0
Number of restricted nodal points:NRN=1
0:1 1 1
Number of force_2d:NFOR=1
1:<0,-10,0>
Number of distributed load:NDIS=0
Number of prescribed nodal points:NPRESC=0
Number of Spring_2ds:NSPR=0
Number of Torsional_Spring_2ds:NTSPR=0
)";

// The cantilever with a third node that belongs to no element and has no
// support: the system is singular.
inline std::string LooseNode()
{
    const std::string nodes = "NPOIN=2\n0:0,0\n1:10,0\n";
    std::string text = kCantilever;
    text.replace(text.find(nodes), nodes.size(), "NPOIN=3\n0:0,0\n1:10,0\n2:5,5\n");
    return text;
}

inline const char* const kWrongRelease = "### Vela release=1.06\nBeam\nNumber of element property:NEP=0\n";
