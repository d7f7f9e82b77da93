// The desktop's behaviour around the commands: notices that never block,
// reloading the file on screen, work on a worker thread with its Cancel,
// recent files, the keys of the menu, pictures and Exit.

#include "FakePlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "app/RecentFiles.h"
#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "inspect/ModelResults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

// Writes text beside path and renames it over path, as editors save.
void SaveByRename(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream out(PathFromUtf8(temporary), std::ios::binary);
        out << text;
    }
    std::filesystem::rename(PathFromUtf8(temporary), PathFromUtf8(path));
}

// A path as the system spells it once normalised: Windows writes its
// separators backwards.
std::string Native(std::string path)
{
#if defined(_WIN32)
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

bool Mentions(const std::vector<std::string>& texts, const std::string& what)
{
    for (const std::string& text : texts)
        if (text.find(what) != std::string::npos)
            return true;
    return false;
}

class Behaviour : public ::testing::Test {
protected:
    Behaviour() : m_State(m_Platform, "2024-01-01")
    {
        m_Platform.m_CurrentDirectory = m_Home.Path();
        m_State.OnSize(800, 600);
    }
    ~Behaviour() override
    {
        m_Platform.OpenGate();
        m_State.WaitForWorker();
        m_Platform.RunPosted();
    }

    void Open(const std::string& path)
    {
        m_Platform.m_Choices.push_back(path);
        m_State.OnCommand(MenuId::Open);
        Settle();
    }
    // Lets background work end and takes its result in.
    void Settle()
    {
        m_State.WaitForWorker();
        m_Platform.RunPosted();
    }

    ScratchDir m_Home;
    FakePlatform m_Platform;
    AppState m_State;
};

// --- notices -----------------------------------------------------------

TEST_F(Behaviour, OurNoticesNeverComeAsBoxes)
{
    // Above 1,500 unknowns K.txt is skipped: said once per open, quietly.
    Open(m_Home.Write("big.txt", BuildingFrame(20, 24)));
    ASSERT_TRUE(m_State.m_Loaded);
    EXPECT_GT(3 * m_State.m_Model->m_NPOIN, 1500);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(Mentions(m_Platform.m_Notices, "\"K.txt\" is not written"));
    ASSERT_FALSE(m_State.Notices().empty());
    EXPECT_EQ(m_State.Notices().size(), m_Platform.m_Notices.size());
    EXPECT_EQ(m_State.Notices().back().text, m_Platform.m_Notices.back());

    // A displacement a hundred thousand times the structure's size.
    m_Platform.Forget();
    Open(m_Home.Write("soft.txt", Replace(kCantilever, "E=2.0e8", "E=1e-4")));
    m_State.OnCommand(MenuId::Solve);
    Settle();
    EXPECT_TRUE(m_State.m_Solved);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(Mentions(m_Platform.m_Notices, "mechanism"));

    // The reader's remark on a decimal comma.
    m_Platform.Forget();
    Open(m_Home.Write("comma.txt", Replace(PortalFrame(), "E=2.0e8", "E=2,0e8")));
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(Mentions(m_Platform.m_Notices, "decimal point"));
}

TEST_F(Behaviour, WarningsAndErrorsStillStopTheUser)
{
    // Loads too small to draw: the program's own warning box, twice.
    Open(m_Home.Write("tiny.txt", Replace(kCantilever, "1:<0,-10,0>", "1:<0,-1e-12,0>")));
    EXPECT_TRUE(m_State.m_Loaded);
    ASSERT_EQ(m_Platform.m_Messages.size(), 2u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
    EXPECT_EQ(m_Platform.m_Messages[0].text,
              "梁系集中力太小|Fmax|<1e-10!\nThe concentrated loads are too small: |Fmax| < 1e-10!");

    // A file that is refused, and a system that cannot be solved.
    m_Platform.Forget();
    Open(m_Home.Write("old.txt", kWrongRelease));
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
    m_Platform.Forget();
    Open(m_Home.Write("loose.txt", LooseNode()));
    m_State.OnCommand(MenuId::Solve);
    Settle();
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_EQ(m_Platform.m_Messages.size(), 1u);
}

TEST_F(Behaviour, SolvingSaysWhatWasSolved)
{
    // The cantilever's tip moves P L^3 / (3 E I) = 10 * 1000 / (3 * 2e8 * 8e-5).
    Open(m_Home.Write("cantilever.txt", kCantilever));
    m_State.OnCommand(MenuId::Solve);
    Settle();
    ASSERT_FALSE(m_Platform.m_Notices.empty());
    EXPECT_EQ(m_Platform.m_Notices.back(),
              "Solved \"cantilever.txt\": 2 nodes, 1 element; largest displacement 0.208333 at node 1.");
}

TEST_F(Behaviour, MessagesPanelFollowsItsMenuItem)
{
    m_State.OnCommand(MenuId::Messages);
    EXPECT_TRUE(m_State.IsChecked(MenuId::Messages));
    EXPECT_EQ(m_Platform.m_MessagesShown, std::vector<bool>{true});
    m_State.OnMessagesPanelClosed();
    EXPECT_FALSE(m_State.IsChecked(MenuId::Messages));
    EXPECT_FALSE(m_Platform.m_Checks[MenuId::Messages]);
    m_State.OnCommand(MenuId::Messages);
    EXPECT_EQ(m_Platform.m_MessagesShown, (std::vector<bool>{true, true}));
}

// --- reloading ---------------------------------------------------------

TEST_F(Behaviour, ReloadReadsTheFileAgainAfterARenameOver)
{
    const std::string path = m_Home.Write("frame.txt", kCantilever);
    Open(path);
    EXPECT_EQ(m_Platform.m_Watched, path);
    EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 10);

    SaveByRename(path, Replace(kCantilever, "1:10,0", "1:10.5,0"));
    m_Platform.Forget();
    m_State.OnCommand(MenuId::Reload);
    Settle();
    EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 10.5);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(Mentions(m_Platform.m_Notices, "Reloaded \"frame.txt\""));
    EXPECT_EQ(m_Platform.m_Watched, path);
}

TEST_F(Behaviour, ChangesAreTakenOnlyOnceTheyStop)
{
    const std::string path = m_Home.Write("frame.txt", kCantilever);
    Open(path);
    m_Platform.Forget();
    // A burst of change reports (truncate, write, rename) restarts one timer.
    SaveByRename(path, Replace(kCantilever, "1:10,0", "1:12,0"));
    m_State.OnWatchedFileChanged();
    m_State.OnWatchedFileChanged();
    m_State.OnWatchedFileChanged();
    ASSERT_EQ(m_Platform.m_Timers.size(), 3u);
    for (const auto& [id, ms] : m_Platform.m_Timers) {
        EXPECT_EQ(id, AppState::kReloadTimer);
        EXPECT_EQ(ms, AppState::kReloadDelayMs);
    }
    EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 10);
    m_State.OnTimer(AppState::kReloadTimer);
    Settle();
    EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 12);
}

TEST_F(Behaviour, ABrokenSaveKeepsTheModelAndSaysSoQuietly)
{
    const std::string path = m_Home.Write("frame.txt", kCantilever);
    Open(path);
    const StructureModel* before = m_State.m_Model.get();
    for (const std::string& broken :
         {std::string(kWrongRelease), Replace(kCantilever, "NPOIN=2", "NPOIN=x"), std::string("")}) {
        SaveByRename(path, broken);
        m_Platform.Forget();
        m_State.OnCommand(MenuId::Reload);
        Settle();
        EXPECT_EQ(m_State.m_Model.get(), before);
        EXPECT_TRUE(m_State.m_Loaded);
        EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 10);
        EXPECT_TRUE(m_Platform.m_Messages.empty()) << m_Platform.m_Messages[0].text;
        ASSERT_EQ(m_Platform.m_Notices.size(), 1u);
        EXPECT_EQ(m_Platform.m_Notices[0].rfind("\"frame.txt\" was not reloaded: ", 0), 0u) << m_Platform.m_Notices[0];
    }
    // A file that is gone for good: the same.
    std::filesystem::remove(PathFromUtf8(path));
    m_Platform.Forget();
    m_State.OnTimer(AppState::kReloadTimer);
    Settle();
    EXPECT_EQ(m_State.m_Model.get(), before);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_EQ(m_Platform.m_Notices.size(), 1u);
}

TEST_F(Behaviour, ReloadKeepsTheViewWhenTheStructureStaysPut)
{
    const std::string path = m_Home.Write("frame.txt", kCantilever);
    Open(path);
    m_State.OnMouseWheel(400, 300, 120);
    m_State.OnChar('p');
    m_State.OnLeftButtonDown(100, 100);
    m_State.OnLeftButtonDown(130, 90);
    const ViewTransform zoomed = *m_State.m_View;

    // The tip moves by 1% of the length: zoom and pan stay.
    SaveByRename(path, Replace(kCantilever, "1:10,0", "1:10.1,0"));
    m_State.OnCommand(MenuId::Reload);
    Settle();
    EXPECT_EQ(m_State.m_View->m_Scale, zoomed.m_Scale);
    EXPECT_EQ(m_State.m_View->m_CenterX, zoomed.m_CenterX);
    EXPECT_EQ(m_State.m_View->m_CenterY, zoomed.m_CenterY);
    // ... and X fits the new box.
    EXPECT_EQ(m_State.m_View->m_XMax, 10.1);

    // Twice as long: the view is fitted anew.
    SaveByRename(path, Replace(kCantilever, "1:10,0", "1:20,0"));
    m_State.OnCommand(MenuId::Reload);
    Settle();
    const ViewTransform reloaded = *m_State.m_View;
    EXPECT_NE(reloaded.m_Scale, zoomed.m_Scale);
    // ... as X fits it.
    m_State.OnChar('x');
    EXPECT_EQ(reloaded.m_Scale, m_State.m_View->m_Scale);
    EXPECT_EQ(reloaded.m_CenterX, m_State.m_View->m_CenterX);
    EXPECT_EQ(reloaded.m_CenterY, m_State.m_View->m_CenterY);
}

TEST_F(Behaviour, ReloadOfASolvedModelSolvesAgainAndKeepsTheDiagram)
{
    const std::string path = m_Home.Write("frame.txt", kCantilever);
    Open(path);
    m_State.OnCommand(MenuId::NodeNumbers);
    m_State.OnCommand(MenuId::Solve);
    Settle();
    m_State.OnCommand(MenuId::BendingMoment);
    m_State.OnCommand(MenuId::Reactions);
    const double tip = m_State.m_Model->m_D.At(4);

    // Twice the load: twice the deflection, the diagram still shown.
    SaveByRename(path, Replace(kCantilever, "1:<0,-10,0>", "1:<0,-20,0>"));
    m_State.OnCommand(MenuId::Reload);
    Settle();
    EXPECT_TRUE(m_State.m_Solved);
    ASSERT_NE(m_State.Results(), nullptr);
    EXPECT_EQ(&m_State.Results()->Model(), m_State.m_Model.get());
    EXPECT_NEAR(m_State.m_Model->m_D.At(4), 2 * tip, 1e-12);
    EXPECT_TRUE(m_State.m_ShowMoment);
    EXPECT_TRUE(m_State.m_ShowReactions);
    EXPECT_TRUE(m_State.m_ShowNodeNumbers);
    EXPECT_FALSE(m_State.m_ShowSupports);
    EXPECT_NE(ReadFile(m_Home.File("Nodal_Displacement.txt")).find("-0.416667"), std::string::npos);

    // A reload whose solution fails: the new model, unsolved, without the
    // diagram, and the reason as a notice.
    m_Platform.Forget();
    SaveByRename(path, LooseNode());
    m_State.OnCommand(MenuId::Reload);
    Settle();
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_EQ(m_State.m_Model->m_NPOIN, 3);
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_EQ(m_State.Results(), nullptr);
    EXPECT_FALSE(m_State.m_ShowMoment);
    EXPECT_FALSE(m_State.m_ShowReactions);
    EXPECT_TRUE(m_State.m_ShowSupports);
    EXPECT_TRUE(Mentions(m_Platform.m_Notices, "was reloaded but not solved"));
}

TEST_F(Behaviour, NothingToReloadBeforeAFileIsOpen)
{
    m_State.OnCommand(MenuId::Reload);
    m_State.OnWatchedFileChanged();
    EXPECT_FALSE(m_State.m_Loaded);
    EXPECT_TRUE(m_Platform.m_Timers.empty());
    EXPECT_TRUE(m_Platform.m_Messages.empty());
}

// --- background work ---------------------------------------------------

TEST_F(Behaviour, WorkRunsBehindTheWindowWhichTakesTheResultOnlyWhole)
{
    m_Platform.m_Background = true;
    const std::string path = m_Home.Write("frame.txt", PortalFrame());
    m_Platform.CloseGateAt(1);
    m_Platform.m_Choices.push_back(path);
    m_State.OnCommand(MenuId::Open);
    // The command returned with the reader held at its first stage.
    ASSERT_TRUE(m_Platform.WaitAtGate());
    EXPECT_TRUE(m_State.Busy());
    EXPECT_FALSE(m_State.m_Loaded);
    EXPECT_EQ(m_State.BusyStage(), "reading");
    for (int id : {MenuId::Open, MenuId::Reload, MenuId::RecentFiles, MenuId::StartFromExample, MenuId::Solve})
        EXPECT_FALSE(m_Platform.m_Enabled.at(id)) << id;
    // Another file cannot come in between, even by a drop or a recent
    // file; the folder stays the one of the file being read.
    ScratchDir other;
    EXPECT_FALSE(m_State.OpenDroppedFile(other.Write("dropped.txt", kCantilever)));
    EXPECT_EQ(m_Platform.m_CurrentDirectory, m_Home.Path());
    EXPECT_TRUE(Mentions(m_Platform.m_Notices, "Still busy"));
    // Pan and zoom go on meanwhile.
    const double scale = m_State.m_View->m_Scale;
    m_State.OnMouseWheel(10, 10, 120);
    EXPECT_NE(m_State.m_View->m_Scale, scale);
    m_Platform.OpenGate();
    Settle();
    EXPECT_FALSE(m_State.Busy());
    EXPECT_TRUE(m_State.m_Loaded);
    EXPECT_TRUE(m_Platform.m_Enabled.at(MenuId::Solve));
    EXPECT_TRUE(m_Platform.m_Enabled.at(MenuId::Open));
    EXPECT_EQ(m_Platform.m_Busy.back().stage, "");

    // A second solve works on a copy: the solution on screen stays whole
    // until the new one is.
    m_State.OnCommand(MenuId::Solve);
    Settle();
    const StructureModel* solved = m_State.m_Model.get();
    const ModelResults* results = m_State.Results();
    m_Platform.m_Busy.clear();
    m_Platform.CloseGateAt(m_Platform.m_PostCount + 1);
    m_State.OnCommand(MenuId::Solve);
    ASSERT_TRUE(m_Platform.WaitAtGate());
    EXPECT_EQ(m_State.m_Model.get(), solved);
    EXPECT_EQ(m_State.Results(), results);
    EXPECT_TRUE(m_State.m_Solved);
    m_Platform.OpenGate();
    Settle();
    EXPECT_NE(m_State.m_Model.get(), solved);
    EXPECT_TRUE(m_State.m_Solved);
    // The stages as the indicator showed them; only the solution can be
    // cancelled, not the writing of its files.
    ASSERT_GE(m_Platform.m_Busy.size(), 3u);
    EXPECT_EQ(m_Platform.m_Busy[0].stage, "factorising");
    EXPECT_TRUE(m_Platform.m_Busy[0].cancellable);
    EXPECT_EQ(m_Platform.m_Busy[m_Platform.m_Busy.size() - 2].stage, "writing results");
    EXPECT_FALSE(m_Platform.m_Busy[m_Platform.m_Busy.size() - 2].cancellable);
}

TEST_F(Behaviour, CancelLeavesTheModelAndTheResultFilesAsTheyWere)
{
    m_Platform.m_Background = true;
    Open(m_Home.Write("frame.txt", PortalFrame()));
    const std::string result = m_Home.Write("Nodal_Displacement.txt", "an earlier solution\n");
    for (bool byKey : {false, true}) {
        // Held where the solution starts, then cancelled (Esc or Cancel).
        m_Platform.CloseGateAt(m_Platform.m_PostCount + 1);
        m_State.OnCommand(MenuId::Solve);
        ASSERT_TRUE(m_Platform.WaitAtGate());
        if (byKey)
            m_State.OnChar(27);
        else
            m_State.OnCommand(MenuId::Cancel);
        m_Platform.OpenGate();
        Settle();
        EXPECT_FALSE(m_State.Busy());
        EXPECT_FALSE(m_State.m_Solved);
        EXPECT_EQ(m_State.Results(), nullptr);
        EXPECT_EQ(ReadFile(result), "an earlier solution\n");
        EXPECT_FALSE(FileExists(m_Home.File("MForInElemCS.txt")));
        EXPECT_TRUE(Mentions(m_Platform.m_Notices, "cancelled"));
        EXPECT_TRUE(m_Platform.m_Messages.empty());
    }
    // Nothing is left over: the next solve runs to its end.
    m_State.OnCommand(MenuId::Solve);
    Settle();
    EXPECT_TRUE(m_State.m_Solved);
    EXPECT_NE(ReadFile(result), "an earlier solution\n");
}

TEST_F(Behaviour, AChangeWhileBusyIsReloadedAfterwards)
{
    m_Platform.m_Background = true;
    const std::string path = m_Home.Write("frame.txt", kCantilever);
    Open(path);
    m_Platform.CloseGateAt(m_Platform.m_PostCount + 1);
    m_State.OnCommand(MenuId::Solve);
    ASSERT_TRUE(m_Platform.WaitAtGate());
    SaveByRename(path, Replace(kCantilever, "1:10,0", "1:11,0"));
    m_State.OnTimer(AppState::kReloadTimer);
    EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 10);
    m_Platform.OpenGate();
    Settle();
    // The solve ended; the reload (and its solve, the model was solved)
    // started then.
    Settle();
    Settle();
    EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 11);
    EXPECT_TRUE(m_State.m_Solved);
}

TEST_F(Behaviour, ACancelledSolveOfAReloadShowsTheNewModelUnsolved)
{
    m_Platform.m_Background = true;
    const std::string path = m_Home.Write("frame.txt", kCantilever);
    Open(path);
    m_State.OnCommand(MenuId::Solve);
    Settle();
    SaveByRename(path, Replace(kCantilever, "1:10,0", "1:10.2,0"));
    // Reading, assembling, then the solution, where it is held.
    m_Platform.CloseGateAt(m_Platform.m_PostCount + 3);
    m_State.OnCommand(MenuId::Reload);
    ASSERT_TRUE(m_Platform.WaitAtGate());
    m_State.CancelWork();
    m_Platform.OpenGate();
    Settle();
    EXPECT_EQ(m_State.m_Model->m_Nodes[1].x, 10.2);
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_EQ(m_State.Results(), nullptr);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(Mentions(m_Platform.m_Notices, "was reloaded but not solved: the solution was cancelled."));
}

// --- recent files ------------------------------------------------------

TEST(RecentFiles, MostRecentFirstEachOnceAtMostEight)
{
    RecentFileList list;
    for (int i = 0; i < 10; ++i)
        list.Add("/frames/f" + std::to_string(i) + ".txt");
    ASSERT_EQ(list.Paths().size(), 8u);
    EXPECT_EQ(list.Paths().front(), Native("/frames/f9.txt"));
    EXPECT_EQ(list.Paths().back(), Native("/frames/f2.txt"));

    // Opening one again moves it to the front, under any spelling.
    list.Add("/frames/./sub/../f5.txt");
    ASSERT_EQ(list.Paths().size(), 8u);
    EXPECT_EQ(list.Paths()[0], Native("/frames/f5.txt"));
    EXPECT_EQ(list.Paths()[1], Native("/frames/f9.txt"));
    EXPECT_EQ(std::count(list.Paths().begin(), list.Paths().end(), Native("/frames/f5.txt")), 1);

    EXPECT_TRUE(list.Remove("/frames/f9.txt"));
    EXPECT_FALSE(list.Remove("/frames/f9.txt"));
    EXPECT_EQ(list.Paths()[1], Native("/frames/f8.txt"));

    // A stored list as it may come back: repeats, blanks, too many.
    list.Assign({"/a.txt", "", "/b.txt", "/a.txt", "/c", "/d", "/e", "/f", "/g", "/h", "/i"});
    const auto natives = [](std::vector<std::string> paths) {
        for (std::string& path : paths)
            path = Native(path);
        return paths;
    };
    EXPECT_EQ(list.Paths(), natives({"/a.txt", "/b.txt", "/c", "/d", "/e", "/f", "/g", "/h"}));

    EXPECT_TRUE(
        list.DropMissing([](const std::string& path) { return path != Native("/b.txt") && path != Native("/h"); }));
    EXPECT_EQ(list.Paths(), natives({"/a.txt", "/c", "/d", "/e", "/f", "/g"}));
    EXPECT_FALSE(list.DropMissing([](const std::string&) { return true; }));
}

TEST_F(Behaviour, OpenedFilesBecomeRecentFiles)
{
    const std::string a = Native(m_Home.Write("a.txt", kCantilever));
    const std::string b = Native(m_Home.Write("b.txt", kCantilever));
    Open(a);
    Open(b);
    EXPECT_EQ(m_Platform.m_StoredRecent, (std::vector<std::string>{b, a}));
    EXPECT_EQ(m_Platform.m_RecentMenu, m_Platform.m_StoredRecent);
    // A file that is refused is not one to come back to.
    Open(m_Home.Write("bad.txt", kWrongRelease));
    EXPECT_EQ(m_State.RecentFiles(), (std::vector<std::string>{b, a}));

    // Item 2 opens a.txt, which moves up.
    m_State.OnCommand(MenuId::RecentFile0 + 1);
    Settle();
    EXPECT_EQ(m_State.m_LoadedFileName, a);
    EXPECT_EQ(m_State.RecentFiles(), (std::vector<std::string>{a, b}));

    // A file that has gone since: a notice, and off the list.
    std::filesystem::remove(PathFromUtf8(b));
    m_Platform.Forget();
    m_State.OnCommand(MenuId::RecentFile0 + 1);
    EXPECT_EQ(m_State.m_LoadedFileName, a);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_EQ(m_Platform.m_Notices.size(), 1u);
    EXPECT_EQ(m_Platform.m_StoredRecent, std::vector<std::string>{a});
    EXPECT_EQ(m_Platform.m_RecentMenu, std::vector<std::string>{a});
}

TEST(RecentFilesAtStart, VanishedFilesAreDroppedFromTheStoredList)
{
    ScratchDir home;
    const std::string kept = Native(home.Write("kept.txt", "x"));
    FakePlatform platform;
    platform.m_StoredRecent = {home.File("gone.txt"), kept, kept};
    AppState state(platform);
    EXPECT_EQ(state.RecentFiles(), std::vector<std::string>{kept});
    EXPECT_EQ(platform.m_StoredRecent, std::vector<std::string>{kept});
    EXPECT_EQ(platform.m_RecentMenu, std::vector<std::string>{kept});
}

// --- keys, pictures, exit ----------------------------------------------

TEST(MenuKeys, ShortcutsAreDescribedForEveryFrontEnd)
{
    std::map<int, std::string> keys;
    for (const MenuPopupDesc& popup : MainMenu())
        for (const MenuItemDesc& item : popup.items)
            if (item.shortcut)
                keys[item.id] = item.shortcut;
    EXPECT_EQ(
        keys,
        (std::map<int, std::string>{
            {MenuId::Open, "Ctrl+O"}, {MenuId::Reload, "Ctrl+R"}, {MenuId::Solve, "F5"}, {MenuId::Exit, "Ctrl+Q"}}));

    const KeyChord open = ParseShortcut("Ctrl+O");
    EXPECT_TRUE(open.ctrl);
    EXPECT_EQ(open.key, 'O');
    EXPECT_EQ(open.function, 0);
    const KeyChord solve = ParseShortcut("F5");
    EXPECT_FALSE(solve.ctrl);
    EXPECT_EQ(solve.key, 0);
    EXPECT_EQ(solve.function, 5);
    EXPECT_EQ(ParseShortcut("Ctrl+F12").function, 12);
    EXPECT_TRUE(ParseShortcut("Ctrl+F12").ctrl);
    EXPECT_EQ(ParseShortcut("ctrl+q").key, 0);
    for (const char* nonsense : {"", "F0", "F25", "Ctrl+", "Shift+A", "Ctrl+AB"}) {
        const KeyChord none = ParseShortcut(nonsense);
        EXPECT_EQ(none.key, 0) << nonsense;
        EXPECT_EQ(none.function, 0) << nonsense;
    }
    EXPECT_EQ(ParseShortcut(nullptr).key, 0);
}

TEST_F(Behaviour, SavePictureDrawsWhatTheWindowShows)
{
    m_State.OnCommand(MenuId::SavePicture);
    EXPECT_TRUE(m_Platform.m_SaveDialogs.empty());
    Open(m_Home.Write("frame.txt", PortalFrame()));
    m_State.OnCommand(MenuId::WhiteBackground);

    m_Platform.m_SaveChoice = std::nullopt;
    m_State.OnCommand(MenuId::SavePicture);
    ASSERT_EQ(m_Platform.m_SaveDialogs.size(), 1u);
    EXPECT_EQ(m_Platform.m_SaveDialogs[0].title, "Save Picture");
    EXPECT_EQ(m_Platform.m_SaveDialogs[0].filter, "PNG Image (*.png);;SVG Image (*.svg);;PDF Document (*.pdf)");
    EXPECT_EQ(m_Platform.m_SaveDialogs[0].lastPath, m_Home.File("Picture.png"));
    EXPECT_TRUE(m_Platform.m_Pictures.empty());

    m_Platform.m_SaveChoice = m_Home.File("frame.svg");
    m_State.OnCommand(MenuId::SavePicture);
    ASSERT_EQ(m_Platform.m_Pictures.size(), 1u);
    EXPECT_EQ(m_Platform.m_Pictures[0].path, m_Home.File("frame.svg"));
    EXPECT_EQ(m_Platform.m_Pictures[0].width, 800);
    EXPECT_EQ(m_Platform.m_Pictures[0].height, 600);
    EXPECT_EQ(m_Platform.m_Pictures[0].background, BackgroundColors[1]);
    // The same segments as the window's own paint, without the rubber band.
    RecordingCanvas window;
    m_State.Paint(window);
    EXPECT_FALSE(m_Platform.m_PictureCanvas.m_Segments.empty());
    EXPECT_EQ(m_Platform.m_PictureCanvas.m_Segments.size(), window.m_Segments.size());
}

TEST_F(Behaviour, ExitClosesTheWindow)
{
    m_State.OnCommand(MenuId::Exit);
    EXPECT_EQ(m_Platform.m_Closed, 1);
}

TEST_F(Behaviour, ADroppedFileOpensLikeAChosenOne)
{
    ScratchDir other;
    const std::string path = other.Write("dropped.txt", kCantilever);
    EXPECT_TRUE(m_State.OpenDroppedFile(path));
    Settle();
    EXPECT_EQ(m_State.m_LoadedFileName, path);
    EXPECT_EQ(m_Platform.m_CurrentDirectory, other.Path());
    EXPECT_TRUE(FileExists(other.File("K.txt")));
}

} // namespace
