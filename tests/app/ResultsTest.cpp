// The commands and gestures of reading results: the axial-force diagram,
// reactions, values, the read-out and halo under the pointer, the results
// panel and its export.
#include "FakePlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "core/StructureModel.h"
#include "graphics/ValueLabels.h"
#include "graphics/ViewTransform.h"
#include "inspect/ModelResults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The box says the program's words and, under them, their English.
const std::string kNotSolved = "结构还未求解!\nThe structure has not been solved yet!";

// The portal frame in an 800 x 600 area, opened from a scratch folder.
class Reading : public ::testing::Test {
protected:
    Reading() : m_State(m_Platform)
    {
        m_Platform.m_CurrentDirectory = m_Home.Path();
        m_State.OnSize(800, 600);
        m_Platform.m_Choices.push_back(m_Home.Write("frame.txt", PortalFrame()));
        m_State.OnCommand(MenuId::Open);
        EXPECT_TRUE(m_State.m_Loaded);
        m_Platform.Forget();
    }

    void Solve()
    {
        m_State.OnCommand(MenuId::Solve);
        ASSERT_TRUE(m_State.m_Solved);
        m_Platform.Forget();
    }

    // The pixel of a world point.
    std::pair<int, int> At(double x, double y) const
    {
        const double world[2] = {x, y};
        int pixel[2];
        m_State.m_View->WorldToScreen(world, pixel);
        return {pixel[0], pixel[1]};
    }

    std::vector<std::string> ValueTexts()
    {
        RecordingCanvas canvas;
        m_State.Paint(canvas);
        std::vector<std::string> texts;
        for (const RecordingCanvas::Text& t : canvas.m_Texts)
            if (t.font.face == kValueFace)
                texts.push_back(t.text);
        return texts;
    }

    ScratchDir m_Home;
    FakePlatform m_Platform;
    AppState m_State;
};

TEST_F(Reading, AxialForceAndReactionsNeedASolution)
{
    for (int id : {MenuId::AxialForce, MenuId::Reactions}) {
        m_Platform.Forget();
        m_State.OnCommand(id);
        ASSERT_EQ(m_Platform.m_Messages.size(), 1u) << id;
        EXPECT_EQ(m_Platform.m_Messages[0].text, kNotSolved);
        EXPECT_FALSE(m_State.m_ShowAxial || m_State.m_ShowReactions);
        EXPECT_TRUE(m_Platform.m_CheckCalls.empty());
    }
    m_Platform.Forget();
    m_State.OnCommand(MenuId::ExportResults);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_EQ(m_Platform.m_Messages[0].text, kNotSolved);
    EXPECT_TRUE(m_Platform.m_SaveDialogs.empty());
}

TEST_F(Reading, AxialForceIsADiagramLikeTheOthers)
{
    Solve();
    m_State.OnCommand(MenuId::BendingMoment);
    m_State.OnCommand(MenuId::AxialForce);
    EXPECT_TRUE(m_State.m_ShowAxial && m_State.m_ShowStructure);
    EXPECT_FALSE(m_State.m_ShowMoment || m_State.m_ShowShear || m_State.m_ShowDeformed);
    EXPECT_FALSE(m_State.m_ShowForces || m_State.m_ShowSupports);
    // Values are on from the start: the right column's -15.81 is there.
    EXPECT_TRUE(m_State.IsChecked(MenuId::Values));
    const std::vector<std::string> texts = ValueTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "-15.81"), texts.end());
    m_State.OnCommand(MenuId::ShearingForce);
    EXPECT_FALSE(m_State.m_ShowAxial);
    m_State.OnCommand(MenuId::AxialForce);
    m_State.OnCommand(MenuId::OriginStructure);
    EXPECT_FALSE(m_State.m_ShowAxial);
}

TEST_F(Reading, ValuesAndReactionsToggleWithTheirCheckMarks)
{
    Solve();
    m_State.OnCommand(MenuId::BendingMoment);
    EXPECT_FALSE(ValueTexts().empty());
    m_State.OnCommand(MenuId::Values);
    EXPECT_FALSE(m_State.m_ShowValues);
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::Values));
    EXPECT_TRUE(ValueTexts().empty());

    m_State.OnCommand(MenuId::Reactions);
    EXPECT_TRUE(m_State.m_ShowReactions);
    EXPECT_TRUE(m_Platform.m_Checks.at(MenuId::Reactions));
    EXPECT_TRUE(m_State.IsChecked(MenuId::Reactions));
    // Reactions bring their values whatever the Values switch says.
    const std::vector<std::string> texts = ValueTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Fy = 14.19"), texts.end());
    // The Draw items and Origin Structure leave both switches alone.
    m_State.OnCommand(MenuId::Deformed);
    m_State.OnCommand(MenuId::OriginStructure);
    EXPECT_TRUE(m_State.m_ShowReactions);
    EXPECT_FALSE(m_State.m_ShowValues);

    // A new file: no reactions (nothing solved), values as the user left
    // them.
    m_Platform.m_Choices.push_back(m_Home.Write("beam.txt", kCantilever));
    m_State.OnCommand(MenuId::Open);
    EXPECT_FALSE(m_State.m_ShowReactions);
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::Reactions));
    EXPECT_FALSE(m_State.m_ShowValues);
}

TEST_F(Reading, ResultsFollowTheSolution)
{
    EXPECT_EQ(m_State.Results(), nullptr);
    EXPECT_TRUE(m_State.ResultTables().empty());
    m_State.OnCommand(MenuId::Solve);
    ASSERT_NE(m_State.Results(), nullptr);
    EXPECT_EQ(&m_State.Results()->Model(), m_State.m_Model.get());
    EXPECT_EQ(m_Platform.m_ResultsChanged, 1);
    EXPECT_EQ(m_State.ResultTables().size(), 5u);
    // Another file drops them.
    m_Platform.m_Choices.push_back(m_Home.Write("beam.txt", kCantilever));
    m_State.OnCommand(MenuId::Open);
    EXPECT_EQ(m_State.Results(), nullptr);
    EXPECT_TRUE(m_State.ResultTables().empty());
    EXPECT_EQ(m_Platform.m_ResultsChanged, 2);

    // A solution that fails leaves none, and switches off what needed one.
    m_Platform.m_Choices.push_back(m_Home.Write("loose.txt", LooseNode()));
    m_State.OnCommand(MenuId::Open);
    m_State.OnCommand(MenuId::Solve);
    EXPECT_FALSE(m_State.m_Solved);
    EXPECT_EQ(m_State.Results(), nullptr);
}

TEST_F(Reading, ReadOutAndHaloFollowThePointer)
{
    // Before the solution: the member's length and property.
    const auto [mx, my] = At(3, 4); // middle of the beam
    m_State.OnMouseMove(mx, my);
    ASSERT_FALSE(m_Platform.m_StatusTexts.empty());
    EXPECT_EQ(m_Platform.m_StatusTexts.back().rfind("Element 1 (nodes 1-2): length 6", 0), 0u);
    EXPECT_EQ(m_State.m_HoverElement, 1);
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{false});

    // Moving along the member changes the text, not the halo.
    Solve();
    m_State.OnMouseMove(mx + 1, my);
    EXPECT_EQ(m_Platform.m_StatusTexts.back().rfind("Element 1 (nodes 1-2): x = 3.0", 0), 0u)
        << m_Platform.m_StatusTexts.back();
    EXPECT_NE(m_Platform.m_StatusTexts.back().find("N = -11.24"), std::string::npos);
    EXPECT_TRUE(m_Platform.m_Repaints.empty());

    // Over a node: its displacements and, for a support, its reaction.
    const auto [nx, ny] = At(0, 0);
    m_State.OnMouseMove(nx, ny);
    EXPECT_EQ(m_State.m_HoverNode, 0);
    EXPECT_EQ(m_State.m_HoverElement, -1);
    EXPECT_NE(m_Platform.m_StatusTexts.back().find("reaction Fx = 1.236   Fy = 14.19   Mz = 1.614"), std::string::npos)
        << m_Platform.m_StatusTexts.back();
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{false});
    // The halo is drawn.
    RecordingCanvas canvas;
    m_State.Paint(canvas);
    EXPECT_FALSE(canvas.SegmentsWith(PenDesc{3, MakeColorRef(255, 140, 0)}).empty());

    // Leaving the area clears both.
    m_State.OnMouseLeave();
    EXPECT_EQ(m_State.m_HoverNode, -1);
    EXPECT_EQ(m_Platform.m_StatusTexts.back(), "");
    EXPECT_EQ(m_State.StatusText(), "");
}

TEST_F(Reading, AClickSelectsTheRowButNotDuringPanOrZoom)
{
    const auto [bx, by] = At(3, 4);
    m_State.OnLeftButtonDown(bx, by);
    EXPECT_TRUE(m_Platform.m_Selections.empty()) << "nothing to select before a solution";

    Solve();
    m_State.OnLeftButtonDown(bx, by);
    ASSERT_EQ(m_Platform.m_Selections.size(), 1u);
    EXPECT_EQ(m_Platform.m_Selections[0], std::make_pair(RowKind::Element, 1));
    const auto [nx, ny] = At(6, 0);
    m_State.OnLeftButtonDown(nx, ny);
    EXPECT_EQ(m_Platform.m_Selections.back(), std::make_pair(RowKind::Node, 3));
    m_State.OnLeftButtonDown(400, 300);
    EXPECT_EQ(m_Platform.m_Selections.size(), 2u);

    m_State.OnChar('P');
    m_State.OnLeftButtonDown(bx, by);
    m_State.OnLeftButtonDown(bx, by);
    m_State.OnChar('Z');
    m_State.OnLeftButtonDown(bx, by);
    EXPECT_EQ(m_Platform.m_Selections.size(), 2u);
}

TEST_F(Reading, ThePanelShowsAndHides)
{
    m_State.OnCommand(MenuId::Results);
    EXPECT_EQ(m_Platform.m_PanelShown, std::vector<bool>{true});
    EXPECT_TRUE(m_Platform.m_Checks.at(MenuId::Results));
    m_State.OnCommand(MenuId::Results);
    EXPECT_EQ(m_Platform.m_PanelShown, (std::vector<bool>{true, false}));
    m_State.OnCommand(MenuId::Results);
    // Closed by its own button.
    m_State.OnResultsPanelClosed();
    EXPECT_FALSE(m_State.IsChecked(MenuId::Results));
    EXPECT_FALSE(m_Platform.m_Checks.at(MenuId::Results));
}

TEST_F(Reading, ExportWritesTheTablesWhereTheUserSays)
{
    Solve();
    // Cancelled: nothing.
    m_State.OnCommand(MenuId::ExportResults);
    ASSERT_EQ(m_Platform.m_SaveDialogs.size(), 1u);
    EXPECT_EQ(m_Platform.m_SaveDialogs[0].title, "Export Results");
    EXPECT_EQ(m_Platform.m_SaveDialogs[0].filter, "CSV Files (*.csv)");
    EXPECT_EQ(m_Platform.m_SaveDialogs[0].lastPath, m_Home.File("Results.csv"));
    EXPECT_FALSE(FileExists(m_Home.File("Results.csv")));

    m_Platform.m_SaveChoice = m_Home.File("portal results.csv");
    m_State.OnCommand(MenuId::ExportResults);
    const std::string csv = ReadFile(m_Home.File("portal results.csv"));
    EXPECT_EQ(csv.rfind("Nodal displacements\nNode,dx,dy,rz\n", 0), 0u);
    EXPECT_NE(csv.find("\nMember maxima\nElement,N,ABSmax(M),x(M),ABSmax(V),x(V),Dmax,x(D)\n"), std::string::npos);
    EXPECT_NE(csv.find("\n1,-11.2356,13.5931,2.838,15.805,6,"), std::string::npos);
    EXPECT_TRUE(m_Platform.m_Messages.empty());

    // A folder that is not there: told, nothing written.
    m_Platform.m_SaveChoice = m_Home.File("missing/results.csv");
    m_State.OnCommand(MenuId::ExportResults);
    ASSERT_EQ(m_Platform.m_Messages.size(), 1u);
    EXPECT_NE(m_Platform.m_Messages[0].text.find("missing/results.csv"), std::string::npos);
}

} // namespace
