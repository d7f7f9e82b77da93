// The window's fitted view takes in what is drawn, and stays fitted while
// layers change until the user moves it.
#include "FakePlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "graphics/RecordingCanvas.h"
#include "graphics/ValueLabels.h"
#include "graphics/ViewTransform.h"
#include "inspect/Scene.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

struct PixelBox {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;

    void Take(int x, int y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    bool Inside(int width, int height) const { return left >= 0 && top >= 0 && right <= width && bottom <= height; }
};

PixelBox Painted(AppState& state)
{
    RecordingCanvas canvas;
    state.Paint(canvas);
    PixelBox box;
    for (const RecordingCanvas::Segment& s : canvas.m_Segments) {
        box.Take(s.x1, s.y1);
        box.Take(s.x2, s.y2);
    }
    for (const RecordingCanvas::Text& t : canvas.m_Texts) {
        const int n = static_cast<int>(t.text.size());
        box.Take(t.x, t.y);
        box.Take(t.x + (t.font.width > 0 ? t.font.width * n : EstimateTextWidth(t.text, t.font.height)),
                 t.y + t.font.height);
    }
    return box;
}

class FittedWindow : public ::testing::Test {
protected:
    FittedWindow() : m_State(m_Platform)
    {
        m_Platform.m_CurrentDirectory = m_Home.Path();
        m_State.OnSize(800, 600);
        m_Platform.m_Choices.push_back(m_Home.Write("portal.txt", ReadFile(VELA_EXAMPLES_DIR "/portal.txt")));
        m_State.OnCommand(MenuId::Open);
    }

    ScratchDir m_Home;
    FakePlatform m_Platform;
    AppState m_State;
};

} // namespace

TEST_F(FittedWindow, ThePortalsLoadIsInsideAtLoadAfterXAndAfterAResize)
{
    ASSERT_TRUE(m_State.m_Loaded);
    PixelBox box = Painted(m_State);
    EXPECT_TRUE(box.Inside(800, 600)) << box.left << ", " << box.top << " .. " << box.right << ", " << box.bottom;

    m_State.OnMouseWheel(400, 300, 120);
    m_State.OnMouseWheel(400, 300, 120);
    ASSERT_FALSE(Painted(m_State).Inside(800, 600));
    m_State.OnChar('x');
    EXPECT_TRUE(Painted(m_State).Inside(800, 600));

    m_State.OnSize(500, 900);
    box = Painted(m_State);
    EXPECT_TRUE(box.Inside(500, 900)) << box.left << ", " << box.top << " .. " << box.right << ", " << box.bottom;
}

TEST_F(FittedWindow, ShowingADiagramRefitsUntilTheUserMovesTheView)
{
    m_State.OnCommand(MenuId::Solve);
    ASSERT_TRUE(m_State.m_Solved);
    m_State.OnCommand(MenuId::BendingMoment);
    ASSERT_TRUE(m_State.m_ShowMoment && m_State.m_ShowValues);
    const PixelBox box = Painted(m_State);
    EXPECT_TRUE(box.Inside(800, 600)) << box.left << ", " << box.top << " .. " << box.right << ", " << box.bottom;
    // As the picture of the same layers would be fitted.
    ViewTransform twin;
    twin.SetUp(800, 600, m_State.m_Box.m_XMin, m_State.m_Box.m_XMax, m_State.m_Box.m_YMin, m_State.m_Box.m_YMax);
    FitScene(twin, *m_State.m_Model, m_State, m_State.Results());
    EXPECT_DOUBLE_EQ(m_State.m_View->m_Scale, twin.m_Scale);
    EXPECT_DOUBLE_EQ(m_State.m_View->m_CenterY, twin.m_CenterY);

    // Once panned, the view is the user's: another layer leaves it alone.
    m_State.OnChar('p');
    m_State.OnLeftButtonDown(100, 100);
    m_State.OnLeftButtonDown(130, 90);
    const ViewTransform panned = *m_State.m_View;
    m_State.OnCommand(MenuId::ShearingForce);
    Painted(m_State);
    EXPECT_EQ(m_State.m_View->m_Scale, panned.m_Scale);
    EXPECT_EQ(m_State.m_View->m_OriginX, panned.m_OriginX);
    EXPECT_EQ(m_State.m_View->m_OriginY, panned.m_OriginY);
}
