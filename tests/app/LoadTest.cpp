#include "FakePlatform.h"
#include "core/PlatformFiles.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class Loading : public ::testing::Test {
protected:
    Loading() : m_State(m_Platform)
    {
        m_Platform.m_CurrentDirectory = m_Home.Path();
        m_State.OnSize(640, 480);
    }

    void Open(const std::string& path)
    {
        m_Platform.m_Choices.push_back(path);
        m_State.OnCommand(MenuId::Open);
    }

    std::vector<std::string> ProbeFilesLeft() const
    {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(m_Home.Path()))) {
            const std::string name = Utf8FromPath(entry.path().filename());
            if (name.rfind("temp", 0) == 0 && entry.path().extension() == ".tmp")
                left.push_back(name);
        }
        return left;
    }

    ScratchDir m_Home;
    FakePlatform m_Platform;
    AppState m_State;
};

TEST_F(Loading, BadFileKeepsModelViewFlagsAndSolution)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    m_State.OnCommand(MenuId::Solve);
    m_State.OnCommand(MenuId::Deformed);
    m_State.OnCommand(MenuId::ElementNumbers);
    m_State.OnMouseWheel(100, 100, 120);
    StructureModel* model = m_State.m_Model.get();
    ViewTransform* view = m_State.m_View.get();
    const double scale = view->m_Scale;
    const std::string title = m_Platform.m_Title;

    m_Platform.Forget();
    Open(m_Home.Write("old.txt", kWrongRelease));
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
    // The reader's own words, with whatever detail it adds after them.
    EXPECT_EQ(m_Platform.m_Messages[0].text.rfind("前处理文本文件版本错误!", 0), 0u);
    EXPECT_EQ(m_State.m_Model.get(), model);
    EXPECT_EQ(m_State.m_View.get(), view);
    EXPECT_EQ(view->m_Scale, scale);
    EXPECT_TRUE(m_State.m_Solved);
    EXPECT_TRUE(m_State.m_ShowDeformed);
    EXPECT_TRUE(m_State.m_ShowElementNumbers);
    EXPECT_EQ(m_State.m_LoadedFileName, m_Home.File("frame.txt"));
    EXPECT_EQ(m_Platform.m_Title, title);
    EXPECT_TRUE(m_Platform.m_CheckCalls.empty());
    // The choice itself is remembered, for the dialog and for Edit.
    EXPECT_EQ(m_State.m_FileName, m_Home.File("old.txt"));

    // The kept model is still usable: its results open as before.
    m_Platform.Forget();
    m_State.OnCommand(MenuId::NodalDisplacement);
    EXPECT_EQ(m_Platform.m_Viewed, std::vector<std::string>{m_Home.File("Nodal_Displacement.txt")});
}

TEST_F(Loading, MissingFileIsReportedAndTheProgramGoesOn)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    StructureModel* model = m_State.m_Model.get();
    m_Platform.Forget();
    Open(m_Home.File("gone.txt"));
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].text.rfind("前处理文本文件读取错误!", 0), 0u);
    EXPECT_EQ(m_State.m_Model.get(), model);
    EXPECT_TRUE(m_State.m_Loaded);
}

TEST_F(Loading, FirstFileFailingLeavesTheEmptyWindow)
{
    Open(m_Home.Write("old.txt", kWrongRelease));
    EXPECT_FALSE(m_State.m_Loaded);
    EXPECT_EQ(m_State.m_Model->m_NPOIN, 0);
    m_State.OnCommand(MenuId::Solve);
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_EQ(m_Platform.m_Title, "");
}

TEST_F(Loading, ResultsOfTheKeptModelStayWhereItWroteThem)
{
    // A failed Open in another folder moves the current folder, but the
    // results on screen belong to the first one.
    Open(m_Home.Write("frame.txt", PortalFrame()));
    m_State.OnCommand(MenuId::Solve);
    ScratchDir other;
    Open(other.Write("old.txt", kWrongRelease));
    EXPECT_EQ(m_Platform.m_CurrentDirectory, other.Path());
    m_Platform.Forget();
    m_State.OnCommand(MenuId::MForInElemCS);
    EXPECT_EQ(m_Platform.m_Viewed, std::vector<std::string>{m_Home.File("MForInElemCS.txt")});
}

TEST_F(Loading, SingularSystemLeavesTheModelUnsolved)
{
    Open(m_Home.Write("loose.txt", LooseNode()));
    ASSERT_TRUE(m_State.m_Loaded);
    m_Platform.Forget();
    m_State.OnCommand(MenuId::Solve);
    EXPECT_FALSE(m_State.m_Solved);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
    EXPECT_FALSE(m_Platform.m_Messages[0].text.empty());
    m_Platform.Forget();
    m_State.OnCommand(MenuId::Deformed);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].text, "结构还未求解!\nThe structure has not been solved yet!");
}

TEST_F(Loading, FailedSolveTakesDownTheDiagramsOfTheLastSolution)
{
    Open(m_Home.Write("beam.txt", kCantilever));
    m_State.OnCommand(MenuId::Solve);
    m_State.OnCommand(MenuId::BendingMoment);
    ASSERT_TRUE(m_State.m_ShowMoment);
    // Make the next solution fail: the first degree of freedom now has no
    // stiffness at all.
    Matrix& k = m_State.m_Model->m_K;
    for (int j = 0; j < k.GetCols(); ++j)
        k.At(j) = 0;
    for (int i = 0; i < k.GetRows(); ++i)
        k.At(i * k.GetCols()) = 0;
    m_Platform.Forget();
    m_State.OnCommand(MenuId::Solve);
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_FALSE(m_State.m_ShowMoment);
    EXPECT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{true});
}

TEST_F(Loading, SoftWarningsBecomeMessageBoxes)
{
    // A force of nothing gives no force scale: it falls back to 1, with its
    // two messages.
    std::string noLoads = kCantilever;
    noLoads.replace(noLoads.find("1:<0,-10,0>"), 11, "1:<0,0,0>");
    Open(m_Home.Write("unloaded.txt", noLoads));
    EXPECT_TRUE(m_State.m_Loaded);
    ASSERT_GE(m_Platform.m_Messages.size(), 2u);
    for (const auto& message : m_Platform.m_Messages)
        EXPECT_EQ(message.caption, "Warning!");
    EXPECT_EQ(m_Platform.m_Messages[1].text,
              "临时给m_VisualScaleofForce赋值为1\nm_VisualScaleofForce is set to 1 for now");
}

TEST_F(Loading, ProbeLeavesTheUsersTempFileIntact)
{
    const std::string mine = m_Home.Write("temp.tmp", "my notes\n");
    Open(m_Home.Write("frame.txt", PortalFrame()));
    EXPECT_TRUE(m_State.m_Loaded);
    EXPECT_EQ(ReadFile(mine), "my notes\n");
    EXPECT_EQ(ProbeFilesLeft(), std::vector<std::string>{"temp.tmp"});
    // The user's file was neither opened for writing nor removed.
    for (const std::string& path : m_Platform.m_Created)
        EXPECT_NE(path, mine);
    for (const std::string& path : m_Platform.m_Removed)
        EXPECT_NE(path, mine);
}

TEST_F(Loading, ProbeCleansUpAfterItself)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    EXPECT_TRUE(ProbeFilesLeft().empty());
    ASSERT_FALSE(m_Platform.m_Created.empty());
    EXPECT_EQ(m_Platform.m_Created.front(), m_Home.File("temp.tmp"));
}

TEST_F(Loading, BlockedFolderAbandonsTheLoad)
{
    Open(m_Home.Write("frame.txt", PortalFrame()));
    StructureModel* model = m_State.m_Model.get();
    m_Platform.m_FolderBlocked = true;
    m_Platform.Forget();
    Open(m_Home.Write("beam.txt", kCantilever));
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].caption, "Warning!");
    EXPECT_EQ(m_Platform.m_Messages[0].text,
              "当前文件所在设备无法写入!这样会造成某些计算结果无法输出。\n"
              "The current file's device cannot be written to! Some results will not be written.");
    EXPECT_EQ(m_State.m_Model.get(), model);
    EXPECT_EQ(m_State.m_Model->m_NPOIN, 4);
    EXPECT_TRUE(m_Platform.m_Repaints.empty());
}

} // namespace
