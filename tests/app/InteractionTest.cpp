#include "FakePlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "inspect/Scene.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The cantilever's box is x 0..10, y 0..1 in an 800 x 600 area. Every
// gesture is checked against a twin view given the operations the gesture
// stands for, so the tests follow the gestures, not the arithmetic.
class Gestures : public ::testing::Test {
protected:
    Gestures() : m_State(m_Platform)
    {
        m_Platform.m_CurrentDirectory = m_Home.Path();
        m_State.OnSize(800, 600);
        m_Platform.m_Choices.push_back(m_Home.Write("beam.txt", kCantilever));
        m_State.OnCommand(MenuId::Open);
        EXPECT_TRUE(m_State.m_Loaded);
        m_Twin = *m_State.m_View;
        m_Platform.Forget();
    }

    void ExpectTwin() const
    {
        const ViewTransform& view = *m_State.m_View;
        EXPECT_EQ(view.m_OriginX, m_Twin.m_OriginX);
        EXPECT_EQ(view.m_OriginY, m_Twin.m_OriginY);
        EXPECT_DOUBLE_EQ(view.m_CenterX, m_Twin.m_CenterX);
        EXPECT_DOUBLE_EQ(view.m_CenterY, m_Twin.m_CenterY);
        EXPECT_DOUBLE_EQ(view.m_Scale, m_Twin.m_Scale);
    }

    bool RubberBandShown()
    {
        RecordingCanvas canvas;
        m_State.Paint(canvas);
        return std::any_of(canvas.m_Segments.begin(), canvas.m_Segments.end(),
                           [](const RecordingCanvas::Segment& segment) { return segment.invert; });
    }

    ScratchDir m_Home;
    FakePlatform m_Platform;
    AppState m_State;
    ViewTransform m_Twin;
};

TEST_F(Gestures, KeysSetTheModes)
{
    m_State.OnChar('p');
    EXPECT_EQ(m_State.m_Mode, 1);
    m_State.OnChar('Z');
    EXPECT_EQ(m_State.m_Mode, 2);
    m_State.OnChar('P');
    EXPECT_EQ(m_State.m_Mode, 1);
    m_State.OnChar('z');
    EXPECT_EQ(m_State.m_Mode, 2);
    EXPECT_TRUE(m_Platform.m_Repaints.empty());
    m_State.OnChar(27);
    EXPECT_EQ(m_State.m_Mode, 0);
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{false});
    m_State.OnChar('q');
    m_State.OnChar('1');
    EXPECT_EQ(m_State.m_Mode, 0);
    EXPECT_EQ(m_Platform.m_Repaints.size(), 1u);
}

TEST_F(Gestures, PanFollowsTheMouseAndStaysInPanMode)
{
    m_State.OnChar('P');
    m_State.OnLeftButtonDown(100, 100);
    EXPECT_EQ(m_State.m_ClickCount, 1);
    EXPECT_TRUE(m_Platform.m_Repaints.empty());
    m_State.OnMouseMove(130, 90);
    m_Twin.Pan(30, -10);
    ExpectTwin();
    m_State.OnMouseMove(140, 95);
    m_State.OnLeftButtonDown(141, 97);
    m_Twin.Pan(10, 5);
    m_Twin.Pan(1, 2);
    ExpectTwin();
    EXPECT_EQ(m_State.m_ClickCount, 0);
    EXPECT_EQ(m_Platform.m_Repaints, (std::vector<bool>{false, false, false}));

    // Still panning: the next click starts another pan.
    EXPECT_EQ(m_State.m_Mode, 1);
    m_State.OnLeftButtonDown(10, 10);
    m_State.OnLeftButtonDown(20, 30);
    m_Twin.Pan(10, 20);
    ExpectTwin();
}

TEST_F(Gestures, MovesWithoutAGestureDoNothing)
{
    m_State.OnMouseMove(5, 5);
    m_State.OnChar('P');
    m_State.OnMouseMove(50, 50);
    EXPECT_EQ(m_State.m_MouseX, 50);
    EXPECT_EQ(m_State.m_MouseY, 50);
    ExpectTwin();
    EXPECT_TRUE(m_Platform.m_Repaints.empty());
}

TEST_F(Gestures, ZoomWindowShowsARubberBandThenZooms)
{
    m_State.OnChar('Z');
    m_State.OnLeftButtonDown(100, 100);
    EXPECT_TRUE(m_Platform.m_Repaints.empty());
    m_State.OnMouseMove(250, 180);
    EXPECT_EQ(m_State.m_Corner2X, 250);
    EXPECT_EQ(m_State.m_Corner2Y, 180);
    EXPECT_TRUE(RubberBandShown());
    ExpectTwin();

    m_State.OnLeftButtonDown(300, 200);
    m_Twin.ZoomToRect(100, 100, 300, 200);
    ExpectTwin();
    EXPECT_FALSE(RubberBandShown());
    EXPECT_EQ(m_State.m_Mode, 2);
    EXPECT_EQ(m_State.m_ClickCount, 0);
}

TEST_F(Gestures, TwoZoomClicksWithoutAMoveUseBothClickPositions)
{
    m_State.OnChar('Z');
    m_State.OnLeftButtonDown(100, 100);
    m_State.OnMouseMove(500, 500);
    m_State.OnLeftButtonDown(600, 400);
    m_Twin.ZoomToRect(100, 100, 600, 400);
    // Second gesture, no move in between: the stale corner 2 does not count.
    m_State.OnLeftButtonDown(200, 150);
    m_State.OnLeftButtonDown(400, 300);
    m_Twin.ZoomToRect(200, 150, 400, 300);
    ExpectTwin();
    EXPECT_EQ(m_State.m_Corner2X, 400);
    EXPECT_EQ(m_State.m_Corner2Y, 300);
}

TEST_F(Gestures, ZOnAFirstPanClickCompletesAZoomFromTheLastCorner)
{
    // Corner 1 is remembered from an earlier zoom window.
    m_State.OnChar('Z');
    m_State.OnLeftButtonDown(50, 60);
    m_State.OnLeftButtonDown(700, 500);
    m_Twin.ZoomToRect(50, 60, 700, 500);

    m_State.OnChar('P');
    m_State.OnLeftButtonDown(300, 300);
    m_State.OnChar('Z');
    EXPECT_EQ(m_State.m_ClickCount, 1);
    m_State.OnLeftButtonDown(400, 350);
    m_Twin.ZoomToRect(50, 60, 400, 350);
    ExpectTwin();
    EXPECT_EQ(m_State.m_ClickCount, 0);
}

TEST_F(Gestures, EscDuringAZoomHidesTheBandAndTheNextClickOnlyClears)
{
    m_State.OnChar('Z');
    m_State.OnLeftButtonDown(100, 100);
    m_State.OnMouseMove(200, 200);
    ASSERT_TRUE(RubberBandShown());
    m_Platform.Forget();
    m_State.OnChar(27);
    EXPECT_EQ(m_Platform.m_Repaints, std::vector<bool>{false});
    EXPECT_FALSE(RubberBandShown());
    EXPECT_EQ(m_State.m_ClickCount, 1);

    m_State.OnLeftButtonDown(300, 300);
    EXPECT_EQ(m_State.m_ClickCount, 0);
    ExpectTwin();
    m_State.OnLeftButtonDown(400, 300);
    EXPECT_EQ(m_State.m_ClickCount, 0);
    ExpectTwin();
}

TEST_F(Gestures, ClicksOnOnePixelDoNotZoom)
{
    m_State.OnChar('Z');
    m_State.OnLeftButtonDown(100, 100);
    m_State.OnLeftButtonDown(100, 100);
    ExpectTwin();
    EXPECT_TRUE(std::isfinite(m_State.m_View->m_Scale));
    EXPECT_EQ(m_State.m_ClickCount, 0);
}

TEST_F(Gestures, WheelStepsByOneTenthAboutThePointer)
{
    const int at[2] = {200, 150};
    double before[2];
    m_State.m_View->ScreenToWorld(at, before);

    m_State.OnMouseWheel(200, 150, 120);
    m_Twin.ZoomAt(200, 150, m_Twin.m_Scale * 1.1);
    ExpectTwin();
    // A large delta is still one step; a negative one shrinks.
    m_State.OnMouseWheel(200, 150, 960);
    m_Twin.ZoomAt(200, 150, m_Twin.m_Scale * 1.1);
    ExpectTwin();
    m_State.OnMouseWheel(200, 150, -120);
    m_Twin.ZoomAt(200, 150, m_Twin.m_Scale / 1.1);
    ExpectTwin();
    m_State.OnMouseWheel(200, 150, -1);
    m_Twin.ZoomAt(200, 150, m_Twin.m_Scale / 1.1);
    ExpectTwin();

    double after[2];
    m_State.m_View->ScreenToWorld(at, after);
    EXPECT_NEAR(after[0], before[0], 1e-9);
    EXPECT_NEAR(after[1], before[1], 1e-9);
    EXPECT_EQ(m_Platform.m_Repaints.size(), 4u);
}

TEST_F(Gestures, XRefitsAndKeepsTheMode)
{
    const ViewTransform fitted = m_Twin;
    m_State.OnChar('P');
    m_State.OnLeftButtonDown(0, 0);
    m_State.OnLeftButtonDown(40, 40);
    m_State.OnMouseWheel(10, 10, 120);
    m_State.OnChar('x');
    m_Twin = fitted;
    ExpectTwin();
    EXPECT_EQ(m_State.m_Mode, 1);
    EXPECT_EQ(m_Platform.m_Repaints.back(), false);
}

TEST_F(Gestures, ResizingRefits)
{
    m_State.OnMouseWheel(10, 10, 120);
    m_State.OnSize(1000, 500);
    // The box's fit, widened for the support and the load.
    const WorldBox& b = m_State.m_Box;
    m_Twin.SetUp(1000, 500, b.m_XMin, b.m_XMax, b.m_YMin, b.m_YMax);
    FitScene(m_Twin, *m_State.m_Model, m_State, m_State.Results());
    ExpectTwin();
    EXPECT_EQ(m_State.m_ClientRect.right, 1000);
    EXPECT_EQ(m_State.m_ClientRect.bottom, 500);
}

TEST_F(Gestures, ZeroSizeAreaPaintsNothingAndIgnoresZooms)
{
    m_State.OnSize(0, 0);
    m_Twin = *m_State.m_View;
    m_State.OnMouseWheel(0, 0, 120);
    m_State.OnMouseWheel(0, 0, -120);
    m_State.OnChar('Z');
    m_State.OnLeftButtonDown(0, 0);
    m_State.OnMouseMove(3, 3);
    m_State.OnLeftButtonDown(5, 5);
    ExpectTwin();
    RecordingCanvas canvas;
    m_State.Paint(canvas);
    EXPECT_TRUE(canvas.m_Segments.empty());
}

TEST(GesturesWithoutFile, ChangeTheViewButDrawNothing)
{
    ScratchDir home;
    FakePlatform platform;
    platform.m_CurrentDirectory = home.Path();
    AppState state(platform);
    state.OnSize(800, 600);
    state.OnChar('P');
    state.OnLeftButtonDown(10, 10);
    state.OnMouseMove(20, 30);
    state.OnLeftButtonDown(25, 35);
    state.OnMouseWheel(50, 50, 120);
    state.OnChar('Z');
    state.OnLeftButtonDown(10, 10);
    state.OnLeftButtonDown(100, 100);
    state.OnChar('X');
    state.OnCommand(MenuId::OriginStructure);
    RecordingCanvas canvas;
    state.Paint(canvas);
    EXPECT_TRUE(canvas.m_Segments.empty());
    EXPECT_TRUE(canvas.m_Texts.empty());
}

} // namespace
