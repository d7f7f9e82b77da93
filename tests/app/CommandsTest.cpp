#include "FakePlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>

namespace {

// The box says the program's words and, under them, their English.
const std::string kNotSolved = "结构还未求解!\nThe structure has not been solved yet!";

LayerFlags FlagsOf(const AppState& state)
{
    return static_cast<const LayerFlags&>(state);
}

bool SameFlags(const LayerFlags& a, const LayerFlags& b)
{
    return a.m_ShowNodeNumbers == b.m_ShowNodeNumbers && a.m_ShowElementNumbers == b.m_ShowElementNumbers &&
           a.m_ShowStructure == b.m_ShowStructure && a.m_ShowDeformed == b.m_ShowDeformed &&
           a.m_ShowMoment == b.m_ShowMoment && a.m_ShowShear == b.m_ShowShear &&
           a.m_ShowDistributedLoads == b.m_ShowDistributedLoads && a.m_ShowForces == b.m_ShowForces &&
           a.m_ShowSprings == b.m_ShowSprings && a.m_ShowTorsionalSprings == b.m_ShowTorsionalSprings &&
           a.m_ShowPrescribed == b.m_ShowPrescribed && a.m_ShowSupports == b.m_ShowSupports &&
           a.m_ShowAxial == b.m_ShowAxial && a.m_ShowReactions == b.m_ShowReactions;
}

bool NoLoadsOrSupports(const AppState& s)
{
    return !s.m_ShowDistributedLoads && !s.m_ShowForces && !s.m_ShowSprings && !s.m_ShowTorsionalSprings &&
           !s.m_ShowPrescribed && !s.m_ShowSupports;
}

// A window of 800 x 600 pixels whose working folder is a scratch folder.
class Commands : public ::testing::Test {
protected:
    Commands() : m_State(m_Platform, "2024-01-01")
    {
        m_Platform.m_CurrentDirectory = m_Home.Path();
        m_State.OnSize(800, 600);
    }

    // Chooses the file in the Open dialog.
    void Open(const std::string& path)
    {
        m_Platform.m_Choices.push_back(path);
        m_State.OnCommand(MenuId::Open);
    }

    ScratchDir m_Home;
    FakePlatform m_Platform;
    AppState m_State;
};

TEST_F(Commands, StartsEmptyWithBlackBackgroundChecked)
{
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_FALSE(m_State.m_Loaded);
    EXPECT_TRUE(SameFlags(FlagsOf(m_State), LayerFlags{}));
    EXPECT_EQ(m_State.m_BackgroundIndex, 0);
    EXPECT_EQ(m_State.m_CheckedBackgroundId, 40006);
    EXPECT_EQ(m_State.BackgroundColor(), MakeColorRef(0, 0, 0));
    EXPECT_EQ(m_State.WindowTitle(), "Vela 2024-01-01");
}

TEST_F(Commands, ResultsAndDiagramsBeforeSolveAreRefused)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    const LayerFlags before = FlagsOf(m_State);

    for (int id : {MenuId::Deformed, MenuId::BendingMoment, MenuId::ShearingForce}) {
        m_Platform.Forget();
        ASSERT_TRUE(m_State.OnCommand(id));
        ASSERT_EQ(m_Platform.m_Messages.size(), 1u) << id;
        EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
        EXPECT_EQ(m_Platform.m_Messages[0].text, kNotSolved);
        // The Draw items repaint even when they refuse.
        EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{true}) << id;
        EXPECT_TRUE(SameFlags(FlagsOf(m_State), before)) << id;
    }
    for (int id : {MenuId::NodalDisplacement, MenuId::MDisInGlobalCS, MenuId::NodalReaction, MenuId::MForInElemCS,
                   MenuId::MForInGlobalCS}) {
        m_Platform.Forget();
        m_State.OnCommand(id);
        ASSERT_EQ(m_Platform.m_Messages.size(), 1u) << id;
        EXPECT_EQ(m_Platform.m_Messages[0].text, kNotSolved);
        EXPECT_TRUE(m_Platform.m_Repaints.empty()) << id;
        EXPECT_TRUE(m_Platform.m_Viewed.empty()) << id;
    }
}

TEST_F(Commands, NothingToSolveOrDrawBeforeAnyFile)
{
    m_State.OnCommand(MenuId::Solve);
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(m_Platform.m_Repaints.empty());

    // Origin Structure switches its layers on, but the empty model draws
    // nothing: only the background is painted.
    m_State.OnCommand(MenuId::OriginStructure);
    EXPECT_TRUE(m_State.m_ShowStructure);
    EXPECT_TRUE(m_State.m_ShowSupports && m_State.m_ShowForces && m_State.m_ShowPrescribed);
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{true});
    RecordingCanvas canvas;
    m_State.Paint(canvas);
    EXPECT_TRUE(canvas.m_Segments.empty());
    EXPECT_TRUE(canvas.m_Texts.empty());

    m_State.OnCommand(MenuId::Deformed);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].text, kNotSolved);
}

TEST_F(Commands, LoadShowsStructureLoadsAndSupports)
{
    const std::string path = m_Home.Write("frame.txt", PortalFrame());
    Open(path);
    ASSERT_TRUE(m_State.m_Loaded);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(SameFlags(FlagsOf(m_State), FreshStructureLayers()));
    EXPECT_EQ(m_State.m_FileName, path);
    EXPECT_EQ(m_State.m_FileTitle, "frame.txt");
    EXPECT_EQ(m_State.m_Box.m_XMin, 0);
    EXPECT_EQ(m_State.m_Box.m_XMax, 6);
    EXPECT_EQ(m_State.m_Box.m_YMin, 0);
    EXPECT_EQ(m_State.m_Box.m_YMax, 4);
    EXPECT_EQ(m_State.m_View->m_Width, 800);
    EXPECT_EQ(m_State.m_View->m_Height, 600);
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::NodeNumbers));
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::ElementNumbers));
    EXPECT_EQ(m_Platform.m_Repaints.back(), true);
    EXPECT_EQ(m_Platform.m_Title, "frame.txt - Vela 2024-01-01");
    // The dialog is asked with its title and filter; the side files land
    // beside the input.
    ASSERT_EQ(m_Platform.m_Dialogs.size(), 1u);
    EXPECT_EQ(m_Platform.m_Dialogs[0].title, "Open a Beam System File");
    EXPECT_EQ(m_Platform.m_Dialogs[0].filter, "Text Files (*.TXT)");
    EXPECT_TRUE(FileExists(m_Home.File("Point.txt")));
    EXPECT_TRUE(FileExists(m_Home.File("K.txt")));
}

TEST_F(Commands, CancelledDialogChangesNothing)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    StructureModel* model = m_State.m_Model.get();
    m_Platform.Forget();
    m_Platform.m_Choices.push_back(std::nullopt);
    m_State.OnCommand(MenuId::Open);
    EXPECT_EQ(m_State.m_Model.get(), model);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_TRUE(m_Platform.m_Repaints.empty());
    // The dialog shows the last choice again.
    EXPECT_EQ(m_Platform.m_Dialogs.back().lastPath, m_Home.File("frame.txt"));
}

TEST_F(Commands, OpenMakesTheFilesFolderCurrent)
{
    ScratchDir other;
    Open(other.Write("beam.txt", kCantilever));
    EXPECT_EQ(m_Platform.m_CurrentDirectory, other.Path());
    EXPECT_TRUE(FileExists(other.File("K.txt")));
    EXPECT_FALSE(FileExists(m_Home.File("K.txt")));
}

TEST_F(Commands, SolveWritesResultsAndOpensThemInTheViewer)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    m_Platform.Forget();
    m_State.OnCommand(MenuId::Solve);
    EXPECT_TRUE(m_State.m_Solved);
    EXPECT_TRUE(m_Platform.m_Repaints.empty());
    EXPECT_TRUE(m_Platform.m_Messages.empty());

    const std::pair<int, const char*> results[] = {{MenuId::NodalDisplacement, "Nodal_Displacement.txt"},
                                                   {MenuId::MDisInGlobalCS, "MDisInGlobalCS.txt"},
                                                   {MenuId::NodalReaction, "Nodal_Reaction.txt"},
                                                   {MenuId::MForInElemCS, "MForInElemCS.txt"},
                                                   {MenuId::MForInGlobalCS, "MForInGlobalCS.txt"}};
    for (const auto& [id, name] : results) {
        m_Platform.Forget();
        m_State.OnCommand(id);
        EXPECT_TRUE(m_Platform.m_Messages.empty()) << name;
        EXPECT_TRUE(m_Platform.m_Repaints.empty()) << name;
        EXPECT_EQ(m_Platform.m_Viewed, std::vector<std::string>{m_Home.File(name)});
    }

    // A viewer that cannot be started is reported.
    m_Platform.Forget();
    m_Platform.m_ViewerWorks = false;
    m_State.OnCommand(MenuId::NodalReaction);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
    EXPECT_NE(m_Platform.m_Messages[0].text.find("Nodal_Reaction.txt"), std::string::npos);
}

TEST_F(Commands, ResultFileRemovedByTheUserIsReportedMissing)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    m_State.OnCommand(MenuId::Solve);
    std::filesystem::remove(m_Home.File("Nodal_Reaction.txt"));
    m_Platform.Forget();
    m_State.OnCommand(MenuId::NodalReaction);
    EXPECT_TRUE(m_Platform.m_Viewed.empty());
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].text,
              "文件\"Nodal_Reaction.txt\"不存在!\nThe file \"Nodal_Reaction.txt\" does not exist!");
}

TEST_F(Commands, OpeningAnotherFileResetsTheSolution)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    m_State.OnCommand(MenuId::Solve);
    m_State.OnCommand(MenuId::BendingMoment);
    ASSERT_TRUE(m_State.m_ShowMoment);

    Open(m_Home.Write("beam.txt", kCantilever));
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_TRUE(SameFlags(FlagsOf(m_State), FreshStructureLayers()));
    m_Platform.Forget();
    m_State.OnCommand(MenuId::MForInGlobalCS);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].text, kNotSolved);
    EXPECT_TRUE(m_Platform.m_Viewed.empty());

    m_State.OnCommand(MenuId::Solve);
    m_Platform.Forget();
    m_State.OnCommand(MenuId::MForInGlobalCS);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_EQ(m_Platform.m_Viewed.size(), 1u);
}

TEST_F(Commands, DiagramsReplaceEachOtherAndHideLoads)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    m_State.OnCommand(MenuId::Solve);
    m_State.OnCommand(MenuId::NodeNumbers);

    m_Platform.Forget();
    m_State.OnCommand(MenuId::Deformed);
    EXPECT_TRUE(m_State.m_ShowStructure && m_State.m_ShowDeformed);
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{true});

    m_State.OnCommand(MenuId::BendingMoment);
    EXPECT_TRUE(m_State.m_ShowStructure);
    EXPECT_TRUE(m_State.m_ShowMoment);
    EXPECT_FALSE(m_State.m_ShowDeformed);
    EXPECT_FALSE(m_State.m_ShowShear);
    EXPECT_TRUE(NoLoadsOrSupports(m_State));
    // Numbers are the user's own choice and survive the Draw items.
    EXPECT_TRUE(m_State.m_ShowNodeNumbers);

    m_State.OnCommand(MenuId::ShearingForce);
    EXPECT_TRUE(m_State.m_ShowShear);
    EXPECT_FALSE(m_State.m_ShowMoment);

    m_State.OnCommand(MenuId::OriginStructure);
    LayerFlags expected = FreshStructureLayers();
    expected.m_ShowNodeNumbers = true;
    EXPECT_TRUE(SameFlags(FlagsOf(m_State), expected));
}

TEST_F(Commands, NumberTogglesFollowTheirCheckMarks)
{
    m_State.OnCommand(MenuId::NodeNumbers);
    EXPECT_TRUE(m_State.m_ShowNodeNumbers);
    m_State.OnCommand(MenuId::NodeNumbers);
    EXPECT_FALSE(m_State.m_ShowNodeNumbers);
    const std::vector<std::pair<int, bool>> twice = {{MenuId::NodeNumbers, true}, {MenuId::NodeNumbers, false}};
    EXPECT_EQ(m_Platform.m_CheckCalls, twice);
    EXPECT_EQ(m_Platform.m_Repaints, (std::vector<bool>{true, true}));

    m_State.OnCommand(MenuId::ElementNumbers);
    EXPECT_TRUE(m_State.m_ShowElementNumbers);
    EXPECT_TRUE(m_Platform.m_Checks.at(MenuId::ElementNumbers));

    // A load switches both off again, with their marks.
    m_State.OnCommand(MenuId::NodeNumbers);
    Open(m_Home.Write("frame.txt", PortalFrame()));
    EXPECT_FALSE(m_State.m_ShowNodeNumbers);
    EXPECT_FALSE(m_State.m_ShowElementNumbers);
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::NodeNumbers));
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::ElementNumbers));
}

TEST_F(Commands, BackgroundIsCheckedExclusivelyAndKeptAcrossOpen)
{
    m_State.OnCommand(MenuId::WhiteBackground);
    EXPECT_EQ(m_State.m_BackgroundIndex, 1);
    EXPECT_EQ(m_State.m_CheckedBackgroundId, MenuId::WhiteBackground);
    EXPECT_EQ(m_State.BackgroundColor(), MakeColorRef(255, 255, 255));
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::BlackBackground));
    EXPECT_TRUE(m_Platform.m_Checks.at(MenuId::WhiteBackground));
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{true});

    m_Platform.m_CheckCalls.clear();
    Open(m_Home.Write("frame.txt", PortalFrame()));
    EXPECT_EQ(m_State.m_BackgroundIndex, 1);
    EXPECT_EQ(m_State.m_CheckedBackgroundId, MenuId::WhiteBackground);
    for (const auto& [id, checked] : m_Platform.m_CheckCalls)
        EXPECT_TRUE(id != MenuId::BlackBackground && id != MenuId::WhiteBackground) << id;

    // Choosing the checked one again keeps exactly one mark.
    m_State.OnCommand(MenuId::WhiteBackground);
    EXPECT_TRUE(m_Platform.m_Checks.at(MenuId::WhiteBackground));
    m_State.OnCommand(MenuId::BlackBackground);
    EXPECT_TRUE(m_Platform.m_Checks.at(MenuId::BlackBackground));
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::WhiteBackground));
    EXPECT_EQ(m_State.m_BackgroundIndex, 0);
}

TEST_F(Commands, ExampleFileIsLookedUpInTheCurrentFolder)
{
    ScratchDir other;
    m_Home.Write("综合算例.txt", PortalFrame());
    Open(other.Write("beam.txt", kCantilever));

    // The example beside the first folder does not count once another
    // folder has become current.
    m_Platform.Forget();
    m_State.OnCommand(MenuId::StartFromExample);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
    EXPECT_EQ(m_Platform.m_Messages[0].text, "文件\"综合算例.txt\"不存在!\nThe file \"综合算例.txt\" does not exist!");
    EXPECT_TRUE(m_Platform.m_Viewed.empty());
    EXPECT_EQ(m_State.m_Model->m_NPOIN, 2);

    const std::string example = other.Write("综合算例.txt", PortalFrame());
    m_Platform.Forget();
    m_State.OnCommand(MenuId::StartFromExample);
    EXPECT_TRUE(m_Platform.m_Messages.empty());
    EXPECT_EQ(m_State.m_Model->m_NPOIN, 4);
    EXPECT_EQ(m_Platform.m_Viewed, std::vector<std::string>{example});
    EXPECT_EQ(m_Platform.m_Title, "综合算例.txt - Vela 2024-01-01");

    // Edit Current File still means the file chosen in the dialog.
    m_Platform.Forget();
    m_State.OnCommand(MenuId::EditCurrentFile);
    EXPECT_EQ(m_Platform.m_Viewed, std::vector<std::string>{other.File("beam.txt")});
}

TEST_F(Commands, EditCurrentFileBeforeAnyChoiceTellsTheUser)
{
    m_Home.Write("综合算例.txt", PortalFrame());
    m_State.OnCommand(MenuId::StartFromExample);
    m_Platform.Forget();
    m_State.OnCommand(MenuId::EditCurrentFile);
    EXPECT_TRUE(m_Platform.m_Viewed.empty());
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
}

TEST_F(Commands, AwkwardFileNamesReachTheViewerUnchanged)
{
    for (const char* name : {"my frame.txt", "it's \"quoted\".txt", "a;rm -rf x.txt", "$(touch pwned) `id`.txt"}) {
        const std::string path = m_Home.Write(name, kCantilever);
        Open(path);
        EXPECT_TRUE(m_State.m_Loaded) << name;
        m_Platform.Forget();
        m_State.OnCommand(MenuId::EditCurrentFile);
        EXPECT_EQ(m_Platform.m_Viewed, std::vector<std::string>{path});
    }
    EXPECT_FALSE(FileExists(m_Home.File("pwned")));
}

TEST(MenuDescription, PopupsItemsAndIdsInOrder)
{
    const auto& menu = MainMenu();
    ASSERT_EQ(menu.size(), 5u);
    std::vector<std::string> popups;
    std::vector<std::pair<std::string, int>> items;
    int checked = 0;
    for (const auto& popup : menu) {
        popups.emplace_back(popup.caption);
        for (const auto& item : popup.items) {
            items.emplace_back(item.caption ? item.caption : "-", item.id);
            if (item.initiallyChecked) {
                ++checked;
                EXPECT_TRUE(item.id == 40006 || item.id == 40025) << item.id;
            }
        }
    }
    EXPECT_EQ(popups, (std::vector<std::string>{"&File", "&Calculate", "&Draw", "&View", "&Result"}));
    const std::vector<std::pair<std::string, int>> expected = {{"&Open", 40001},
                                                               {"&Reload", 40028},
                                                               {"Recent &Files", 40033},
                                                               {"-", 0},
                                                               {"&Edit Current File", 40020},
                                                               {"S&tart From Example File", 40019},
                                                               {"-", 0},
                                                               {"Export Res&ults…", 40027},
                                                               {"Save &Picture…", 40029},
                                                               {"-", 0},
                                                               {"E&xit", 40030},
                                                               {"&Solve", 40017},
                                                               {"&Origin Structure", 40005},
                                                               {"&Deformed", 40002},
                                                               {"&Bending Moment", 40003},
                                                               {"&Shearing Force", 40004},
                                                               {"&Axial Force", 40023},
                                                               {"&Reactions", 40024},
                                                               {"&Node Numbers", 40009},
                                                               {"&Element Numbers", 40010},
                                                               {"&Values", 40025},
                                                               {"Res&ults", 40026},
                                                               {"&Messages", 40031},
                                                               {"&Black Background", 40006},
                                                               {"&White Background", 40007},
                                                               {"&Nodal Displacement", 40011},
                                                               {"M&DisInGlobalCS", 40022},
                                                               {"Nodal &Reaction", 40014},
                                                               {"MForIn&ElemCS", 40012},
                                                               {"MForIn&GlobalCS", 40013}};
    EXPECT_EQ(items, expected);
    // Black Background and Values.
    EXPECT_EQ(checked, 2);
}

} // namespace

TEST(MenuDescription, MnemonicsAreUniqueWithinEachPopupAndTheBar)
{
    // Two items with one mnemonic make Alt+letter alternate between them
    // instead of running either.
    const auto mnemonic = [](const char* caption) {
        const char* amp = caption ? std::strchr(caption, '&') : nullptr;
        return amp && amp[1] ? static_cast<char>(std::tolower(static_cast<unsigned char>(amp[1]))) : '\0';
    };
    std::set<char> bar;
    for (const MenuPopupDesc& popup : MainMenu()) {
        EXPECT_TRUE(bar.insert(mnemonic(popup.caption)).second) << popup.caption;
        std::set<char> seen;
        for (const MenuItemDesc& item : popup.items) {
            const char letter = mnemonic(item.caption);
            if (letter != '\0') {
                EXPECT_TRUE(seen.insert(letter).second) << popup.caption << ": " << item.caption;
            }
        }
    }
}
