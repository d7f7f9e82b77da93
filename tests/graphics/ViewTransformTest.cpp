#include "graphics/Drawing.h"
#include "graphics/RecordingCanvas.h"
#include "graphics/ViewTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Px {
    int x, y;
    bool operator==(const Px&) const = default;
};

Px ToScreen(const ViewTransform& view, double x, double y)
{
    const double world[2] = {x, y};
    int screen[2];
    view.WorldToScreen(world, screen);
    return {screen[0], screen[1]};
}

void ToWorld(const ViewTransform& view, int sx, int sy, double& x, double& y)
{
    const int screen[2] = {sx, sy};
    double world[2];
    view.ScreenToWorld(screen, world);
    x = world[0];
    y = world[1];
}

ViewTransform Example()
{
    ViewTransform view;
    view.SetUp(800, 600, 0, 10, 0, 5);
    return view;
}

void ExpectSameMapping(const ViewTransform& a, const ViewTransform& b)
{
    EXPECT_EQ(a.m_Scale, b.m_Scale);
    EXPECT_EQ(a.m_CenterX, b.m_CenterX);
    EXPECT_EQ(a.m_CenterY, b.m_CenterY);
    EXPECT_EQ(a.m_OriginX, b.m_OriginX);
    EXPECT_EQ(a.m_OriginY, b.m_OriginY);
}

} // namespace

TEST(ViewTransform, FitsTheBoxWithAFivePercentMarginOnTheTighterAxis)
{
    const ViewTransform view = Example();
    EXPECT_DOUBLE_EQ(view.m_Scale, 76);
    EXPECT_EQ(view.m_OriginX, 400);
    EXPECT_EQ(view.m_OriginY, 300);
    EXPECT_EQ(view.m_CenterX, 5);
    EXPECT_EQ(view.m_CenterY, 2.5);
    EXPECT_EQ(ToScreen(view, 0, 0), (Px{20, 490}));
    EXPECT_EQ(ToScreen(view, 10, 5), (Px{780, 110}));

    ViewTransform odd;
    odd.SetUp(801, 601, 0, 10, 0, 5);
    EXPECT_EQ(odd.m_OriginX, 400);
    EXPECT_EQ(odd.m_OriginY, 300);
}

TEST(ViewTransform, TruncatesTowardZeroAndMapsBackExactly)
{
    ViewTransform view = Example();
    view.m_Scale = 1;
    view.m_CenterX = 0;
    view.m_CenterY = 0;
    EXPECT_EQ(ToScreen(view, 0.7, 0.7), (Px{400, 300}));
    EXPECT_EQ(ToScreen(view, -0.7, -0.7), (Px{400, 300}));
    EXPECT_EQ(ToScreen(view, 1.7, -1.7), (Px{401, 301}));

    const ViewTransform example = Example();
    double x, y;
    ToWorld(example, 20, 490, x, y);
    EXPECT_DOUBLE_EQ(x, 0);
    EXPECT_DOUBLE_EQ(y, 0);

    int local[2];
    const int screen[2] = {410, 280};
    example.ScreenToLocal(screen, local);
    EXPECT_EQ(local[0], 10);
    EXPECT_EQ(local[1], 20);
    int back[2];
    example.LocalToScreen(local, back);
    EXPECT_EQ(back[0], 410);
    EXPECT_EQ(back[1], 280);
}

TEST(ViewTransform, PansZoomsAndFitsBack)
{
    ViewTransform view = Example();
    const ViewTransform fitted = view;

    const Px before = ToScreen(view, 3, 4);
    view.Pan(5, -3);
    EXPECT_EQ(ToScreen(view, 3, 4), (Px{before.x + 5, before.y - 3}));

    // Zooming in and out again about one pixel keeps the world point under
    // it throughout and restores the scale.
    double wx, wy;
    ToWorld(view, 123, 456, wx, wy);
    view.ZoomAt(123, 456, view.m_Scale * 1.1);
    double x, y;
    ToWorld(view, 123, 456, x, y);
    EXPECT_NEAR(x, wx, 1e-12);
    EXPECT_NEAR(y, wy, 1e-12);
    EXPECT_NEAR(view.m_Scale, 76 * 1.1, 1e-12);
    view.ZoomAt(123, 456, view.m_Scale / 1.1);
    ToWorld(view, 123, 456, x, y);
    EXPECT_NEAR(x, wx, 1e-12);
    EXPECT_NEAR(y, wy, 1e-12);
    EXPECT_NEAR(view.m_Scale, 76, 1e-12);

    view.ZoomToRect(100, 120, 300, 200);
    view.FitToBox();
    ExpectSameMapping(view, fitted);
}

TEST(ViewTransform, ZoomsToARectangleGivenByEitherPairOfCorners)
{
    ViewTransform a = Example(), b = Example(), c = Example();
    a.ZoomToRect(100, 100, 300, 250);
    b.ZoomToRect(300, 250, 100, 100);
    c.ZoomToRect(100, 250, 300, 100);
    ExpectSameMapping(a, b);
    ExpectSameMapping(a, c);

    // 200 x 150 pixels at scale 76: no margin, the tighter axis fills the
    // client area.
    EXPECT_DOUBLE_EQ(a.m_Scale, 76 * std::min(800.0 / 200, 600.0 / 150));
    EXPECT_EQ(a.m_OriginX, 400);
    EXPECT_EQ(a.m_OriginY, 300);
    double x, y;
    ToWorld(Example(), 200, 175, x, y);
    EXPECT_DOUBLE_EQ(a.m_CenterX, x);
    EXPECT_DOUBLE_EQ(a.m_CenterY, y);
}

TEST(ViewTransform, IgnoresZoomsThatLeaveNoUsableScale)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ViewTransform view = Example();
    const ViewTransform before = view;

    view.ZoomToRect(250, 250, 250, 250); // two clicks on one pixel
    view.ZoomAt(10, 10, 0);
    view.ZoomAt(10, 10, -3);
    view.ZoomAt(10, 10, nan);
    view.ZoomAt(10, 10, inf);
    ExpectSameMapping(view, before);

    // A rectangle that is a line still has an extent along it.
    view.ZoomToRect(100, 250, 300, 250);
    EXPECT_DOUBLE_EQ(view.m_Scale, 76 * 4);
}

TEST(ViewTransform, AClientAreaWithoutPixelsOrABoxWithoutExtentStaysFinite)
{
    ViewTransform minimised;
    minimised.SetUp(0, 0, 0, 10, 0, 5);
    EXPECT_EQ(minimised.m_Scale, 0);
    double x, y;
    ToWorld(minimised, 17, -4, x, y);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
    minimised.ZoomAt(0, 0, minimised.m_Scale * 1.1);
    minimised.ZoomToRect(0, 0, 5, 5);
    EXPECT_EQ(minimised.m_Scale, 0);

    ViewTransform empty; // before any model: the box is one point
    empty.SetUp(800, 600, 0, 0, 0, 0);
    EXPECT_TRUE(std::isfinite(empty.m_Scale));
    EXPECT_GT(empty.m_Scale, 0);

    ViewTransform flat; // a zero extent on one axis leaves the other to decide
    flat.SetUp(800, 600, 0, 10, 3, 3);
    EXPECT_DOUBLE_EQ(flat.m_Scale, 76);
}

TEST(ViewTransform, NeverConvertsWhatIsNotANumberOrOutOfRange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const ViewTransform view = Example();
    EXPECT_EQ(ToScreen(view, nan, nan), (Px{400, 300}));
    const int limit = 1 << 24;
    EXPECT_EQ(ToScreen(view, inf, -inf), (Px{400 + limit, 300 + limit}));
    EXPECT_EQ(ToScreen(view, -1e300, 1e300), (Px{400 - limit, 300 - limit}));

    ViewTransform panned = Example();
    for (int i = 0; i < 2; ++i)
        panned.Pan(std::numeric_limits<int>::max(), std::numeric_limits<int>::min());
    EXPECT_EQ(panned.m_OriginX, std::numeric_limits<int>::max());
    EXPECT_EQ(panned.m_OriginY, std::numeric_limits<int>::min());
    EXPECT_EQ(ToScreen(panned, 1e300, 1e300).x, std::numeric_limits<int>::max());
}

TEST(ViewTransform, RubberBandIsOneInvertedOutlineThatRestoresTheCanvas)
{
    RecordingCanvas canvas;
    canvas.SelectPen(PenDesc{4, 0x00123456});
    DrawRubberBand(canvas, 10, 20, 110, 70);
    using Call = RecordingCanvas::Call;
    const std::vector<Call> outline = {
        {Call::Move, 10, 20}, {Call::Line, 110, 20}, {Call::Line, 110, 70}, {Call::Line, 10, 70}, {Call::Line, 10, 20},
    };
    EXPECT_EQ(canvas.m_Calls, outline);
    for (const RecordingCanvas::Segment& s : canvas.m_Segments) {
        EXPECT_TRUE(s.invert);
        EXPECT_EQ(s.pen, (PenDesc{1, 0x00FFFFFF}));
    }
    EXPECT_EQ(canvas.m_Pen, (PenDesc{4, 0x00123456}));
    EXPECT_FALSE(canvas.m_Invert);

    // Drawn again with the same corners: the same outline once more, which
    // on an inverting surface puts every pixel back.
    DrawRubberBand(canvas, 10, 20, 110, 70);
    ASSERT_EQ(canvas.m_Segments.size(), 8u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(canvas.m_Segments[static_cast<std::size_t>(i)], canvas.m_Segments[static_cast<std::size_t>(i + 4)]);
}
