#include "graphics/BoundarySymbols.h"
#include "graphics/Drawing.h"
#include "graphics/Layers.h"
#include "graphics/Scene.h"
#include "graphics/SymbolOutlines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Expected {
    const SymbolOutline& outline;
    std::size_t points;
    std::size_t polylines;
    int segments;
};

void ExpectOnCircle(const SymbolOutline& outline, int first, int last, double radius)
{
    for (int i = first; i <= last; ++i) {
        const OutlinePoint& p = outline.points[static_cast<std::size_t>(i)];
        EXPECT_NEAR(std::hypot(p.u, p.v), radius, 2e-4) << i;
    }
}

// A node in the middle of the standard frame, at pixel (400, 300).
constexpr double kX = 5, kY = 2.5;

} // namespace

TEST(SymbolOutlines, HaveTheirPointsAndPolylines)
{
    const Expected all[] = {
        {MomentArcOutline(), 25, 1, 25},     {HandOutline(), 85, 18, 93},   {TranslationArrowOutline(), 7, 1, 7},
        {RotationArrowOutline(), 29, 1, 29}, {SpringOutline(), 31, 10, 22}, {TorsionalSpringOutline(), 18, 3, 18},
    };
    for (const Expected& e : all) {
        EXPECT_EQ(e.outline.points.size(), e.points);
        EXPECT_EQ(e.outline.polylines.size(), e.polylines);
        EXPECT_EQ(e.outline.SegmentCount(), e.segments);
        for (const std::vector<int>& line : e.outline.polylines)
            for (int index : line)
                EXPECT_TRUE(index >= 0 && static_cast<std::size_t>(index) < e.points);
    }

    // Arcs and circles where the figures say so.
    ExpectOnCircle(MomentArcOutline(), 0, 20, 2.25);
    ExpectOnCircle(RotationArrowOutline(), 0, 12, 3.7427);
    ExpectOnCircle(RotationArrowOutline(), 13, 25, 3.1427);
    ExpectOnCircle(TorsionalSpringOutline(), 0, 15, 5);

    // The hand's extent and a few points as tabled.
    double minU = 0, maxU = -10, minV = 0, maxV = -10;
    for (const OutlinePoint& p : HandOutline().points) {
        minU = std::min(minU, p.u);
        maxU = std::max(maxU, p.u);
        minV = std::min(minV, p.v);
        maxV = std::max(maxV, p.v);
    }
    EXPECT_EQ(minU, -1.8077);
    EXPECT_EQ(maxU, -0.221);
    EXPECT_EQ(minV, -4.1347);
    EXPECT_EQ(maxV, -1.7357);
    EXPECT_EQ(HandOutline().points[35].u, -1.3936);
    EXPECT_EQ(HandOutline().points[84].v, -2.4581);
    EXPECT_EQ(HandOutline().polylines[2].size(), 17u);
    EXPECT_EQ(HandOutline().polylines[17], (std::vector<int>{14, 12, 9, 81, 80, 79}));
    EXPECT_EQ(SpringOutline().points[24].v, -10.4645);
    EXPECT_EQ(SpringOutline().points[25].v, -11.5858);
    EXPECT_EQ(RotationArrowOutline().points[27].u, -2.7128);
    EXPECT_EQ(TorsionalSpringOutline().points[17].u, 7.9575);
    EXPECT_EQ(MomentArcOutline().polylines[0].back(), 20);
}

TEST(SymbolTransform, MirrorsScalesTurnsAndMoves)
{
    double w[2];
    SymbolTransform upright(2, false, 10, 20);
    upright.Apply({1, 3}, w);
    EXPECT_EQ(w[0], 12);
    EXPECT_EQ(w[1], 26);

    SymbolTransform turned(2, true, 10, 20);
    turned.TurnTowards(3, 0); // +v onto +x, +u onto -y
    turned.Apply({1, 3}, w);
    EXPECT_DOUBLE_EQ(w[0], 16);
    EXPECT_DOUBLE_EQ(w[1], 22);

    // No length, no turn: not even for directions whose squares underflow
    // or overflow does the turn lose its length.
    SymbolTransform none(1, false, 0, 0);
    none.TurnTowards(0, 0);
    none.TurnTowards(std::numeric_limits<double>::quiet_NaN(), 1);
    none.Apply({1, 2}, w);
    EXPECT_EQ(w[0], 1);
    EXPECT_EQ(w[1], 2);
    SymbolTransform tiny(1, false, 0, 0);
    tiny.TurnTowards(-1e-200, 0);
    tiny.Apply({0, 1}, w);
    EXPECT_DOUBLE_EQ(w[0], -1);
    SymbolTransform huge(1, false, 0, 0);
    huge.TurnTowards(0, -1e300);
    huge.Apply({0, 1}, w);
    EXPECT_DOUBLE_EQ(w[1], -1);
}

TEST(Springs, HangFromTheNodeAgainstTheirDirection)
{
    Scene scene;
    BuildFrame(scene);
    Spring_2d spring;
    spring.Node = Node{kX, kY, 3};
    spring.DirX = 0;
    spring.DirY = 1;
    scene.model.m_Springs.push_back(spring);
    scene.model.m_NSPR = 1;

    DrawSprings(scene.canvas, scene.view, scene.model);
    ASSERT_EQ(scene.canvas.m_Segments.size(), 22u);
    EXPECT_EQ(scene.canvas.m_Segments[0].pen, (PenDesc{1, 0x0000FF00}));
    // 0.06 S = 0.6 world units below the node: 45 pixels.
    Scene::Box box = Scene::Bounds(scene.Points());
    EXPECT_EQ(box.minY, 300);
    EXPECT_EQ(box.maxY, 345);
    EXPECT_EQ(scene.canvas.m_Calls.front().x, 400); // the apex on the node
    EXPECT_EQ(scene.canvas.m_Calls.front().y, 300);
    // The ground line, at v = -10, the widest stroke.
    const RecordingCanvas::Segment ground = scene.canvas.m_Segments[14];
    EXPECT_EQ(ground.y1, ground.y2);
    EXPECT_EQ(ground.y1, scene.At(kX, kY - 10 * 0.6 / 11.5858).y);
    EXPECT_TRUE(scene.canvas.StateIsInitial());

    // Direction (1, 0): lying to the left of the node.
    scene.canvas.ClearDrawing();
    scene.model.m_Springs[0].DirX = 1;
    scene.model.m_Springs[0].DirY = 0;
    DrawSprings(scene.canvas, scene.view, scene.model);
    box = Scene::Bounds(scene.Points());
    EXPECT_EQ(box.maxX, 400);
    EXPECT_EQ(box.minX, 400 - 45);

    // A spring without a direction stands upright rather than vanish.
    scene.canvas.ClearDrawing();
    scene.model.m_Springs[0].DirX = 0;
    DrawSprings(scene.canvas, scene.view, scene.model);
    EXPECT_EQ(Scene::Bounds(scene.Points()).maxY, 345);
}

TEST(Springs, TheRotationalSpringIsACircleWithLegsAroundItsNode)
{
    Scene scene;
    BuildFrame(scene);
    Torsional_Spring_2d spring;
    spring.Node = Node{kX, kY, 3};
    spring.Color = 0x00ABCDEF;
    scene.model.m_TorsionalSprings.push_back(spring);
    scene.model.m_NTSPR = 1;

    DrawTorsionalSprings(scene.canvas, scene.view, scene.model);
    ASSERT_EQ(scene.canvas.m_Segments.size(), 18u);
    EXPECT_EQ(scene.canvas.m_Segments[0].pen, (PenDesc{1, 0x00ABCDEF}));
    // Radius 5 * 0.08 / 15.9149 * S: 19 pixels.
    using Call = RecordingCanvas::Call;
    EXPECT_EQ(scene.canvas.m_Calls[0], (Call{Call::Move, 400, 300 - 19}));
    EXPECT_EQ(scene.canvas.m_Calls[16], (Call{Call::Line, 400, 300 - 19}));
}

TEST(PrescribedDisplacements, ASettlementTurnsTheHandsAboveTheNodeAndTheArrowDown)
{
    Scene scene;
    BuildFrame(scene);
    PrescribedDisplacement settlement;
    settlement.Node = Node{kX, kY, 3};
    settlement.Dy = -0.001;
    settlement.HasDy = true;
    scene.model.m_Prescribed.push_back(settlement);
    scene.model.m_NPRESC = 1;

    DrawPrescribedDisplacements(scene.canvas, scene.view, scene.model);
    const auto& s = scene.canvas.m_Segments;
    ASSERT_EQ(s.size(), 2u * 93 + 7);
    const std::vector<Scene::Pixel> points = scene.Points();
    const std::vector<Scene::Pixel> hands(points.begin(), points.begin() + 2 * 2 * 93);
    const std::vector<Scene::Pixel> arrow(points.begin() + 2 * 2 * 93, points.end());
    const Scene::Box handBox = Scene::Bounds(hands);
    EXPECT_LT(handBox.maxY, 300);
    // The hands' rows, 1.7357 to 4.1347 units (0.14 to 0.33 world) above.
    const double f = 10 * 0.04 / 4.9388;
    EXPECT_EQ(handBox.maxY, scene.At(kX, kY + 1.7357 * f).y);
    EXPECT_EQ(handBox.minY, scene.At(kX, kY + 4.1347 * f).y);
    EXPECT_EQ(handBox.minX, 400 - int(1.8077 * f * 76));
    EXPECT_EQ(handBox.maxX, 400 + int(1.8077 * f * 76));
    // The block arrow's tip 2.985 units below the node.
    const Scene::Box arrowBox = Scene::Bounds(arrow);
    EXPECT_EQ(arrowBox.maxY, scene.At(kX, kY - 2.985 * f).y);
    EXPECT_EQ(scene.canvas.m_Calls[2 * 18 + 2 * 93].x, 400);
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(PrescribedDisplacements, WithoutATranslationTheHandsStandUpright)
{
    Scene scene;
    BuildFrame(scene);
    PrescribedDisplacement rotation;
    rotation.Node = Node{kX, kY, 3};
    rotation.Rz = 0.01;
    rotation.HasRz = true;
    scene.model.m_Prescribed.push_back(rotation);
    scene.model.m_NPRESC = 1;

    DrawPrescribedDisplacements(scene.canvas, scene.view, scene.model);
    std::vector<Scene::Pixel> points = scene.Points();
    ASSERT_EQ(points.size(), 2u * (2 * 93 + 29));
    EXPECT_GT(Scene::Bounds({points.begin(), points.begin() + 4 * 93}).minY, 300);
    // The band arrow's head (point 27) on the left: counter-clockwise.
    const double f = 10 * 0.04 / 4.9388;
    const Scene::Pixel tip = scene.At(kX - 2.7128 * f, kY - 2.1197 * f);
    const auto& calls = scene.canvas.m_Calls;
    const std::size_t band = 2 * (18 + 93);
    EXPECT_EQ(calls[band + 27].x, tip.x);
    EXPECT_EQ(calls[band + 27].y, tip.y);

    // Clockwise for a negative rotation: the head on the right.
    scene.canvas.ClearDrawing();
    scene.model.m_Prescribed[0].Rz = -0.01;
    DrawPrescribedDisplacements(scene.canvas, scene.view, scene.model);
    EXPECT_EQ(calls[band + 27].x, scene.At(kX + 2.7128 * f, kY).x);

    // Dx given as 0 and Dy absent: upright hands, arrow pointing up.
    scene.canvas.ClearDrawing();
    PrescribedDisplacement& p = scene.model.m_Prescribed[0];
    p.HasRz = false;
    p.HasDx = true;
    DrawPrescribedDisplacements(scene.canvas, scene.view, scene.model);
    points = scene.Points();
    ASSERT_EQ(points.size(), 2u * (2 * 93 + 7));
    EXPECT_GT(Scene::Bounds({points.begin(), points.begin() + 4 * 93}).minY, 300);
    EXPECT_EQ(Scene::Bounds({points.begin() + 4 * 93, points.end()}).minY, scene.At(kX, kY + 2.985 * f).y);
}

TEST(Drawing, NonFiniteInputsDrawNoGarbage)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Scene scene;
    BuildFrame(scene);
    scene.AddNode(nan, 1);
    scene.AddElement(2, 3);
    BeamElement& far = scene.AddElement(0, 1);
    far.m_ForInGlobalCS.At(2) = 1e300;
    StructureModel& m = scene.model;
    m.m_Nodes[3].x = nan;

    force_2d force;
    force.Node = Node{nan, 0, 0};
    force.Fx = 1;
    force.Mz = 1;
    m.m_Forces.push_back(force);
    force.Node = Node{1, 1, 0};
    force.Fx = inf;
    force.Fy = nan;
    m.m_Forces.push_back(force);
    m.m_NFOR = 2;
    DistributedLoad load;
    load.Node1 = m.m_Nodes[0];
    load.Node2 = m.m_Nodes[1];
    load.q1 = nan;
    load.q2 = inf;
    m.m_DistributedLoads.push_back(load);
    load.Node2 = load.Node1; // an element without length
    load.q1 = load.q2 = 1;
    m.m_DistributedLoads.push_back(load);
    m.m_NDIS = 2;
    Spring_2d spring;
    spring.Node = Node{2, 2, 0};
    spring.DirX = inf;
    spring.DirY = nan;
    m.m_Springs.push_back(spring);
    m.m_NSPR = 1;
    PrescribedDisplacement p;
    p.Node = Node{3, 3, 0};
    p.Dx = nan;
    p.Dy = inf;
    p.Rz = nan;
    p.HasDx = p.HasDy = p.HasRz = true;
    m.m_Prescribed.push_back(p);
    m.m_NPRESC = 1;
    RestrictedNode support;
    support.x = inf;
    m.m_RestrictedNodes.push_back(support);
    m.m_NRN = 1;
    m.m_AverageElemLength = nan;
    scene.model.m_VisualScaleofMoment = inf;
    scene.model.m_VisualScaleofForce = 1e308;

    // Everything, so that every layer meets the bad values (the window's
    // detail would leave the numbers out: a mean length that is not a
    // number gives them no readable size).
    auto drawAll = [&] { DrawLayers(scene.canvas, scene.view, m, AllLayers(true), kDrawEverything); };
    DrawLayers(scene.canvas, scene.view, m, AllLayers(true));
    EXPECT_TRUE(scene.canvas.StateIsInitial());
    for (const Scene::Pixel& px : scene.Points())
        EXPECT_LE(std::abs(px.x), 1 << 25);
    scene.canvas.ClearDrawing();
    drawAll();
    EXPECT_FALSE(scene.canvas.m_Segments.empty());
    const int limit = 1 << 25;
    for (const Scene::Pixel& px : scene.Points()) {
        EXPECT_LE(std::abs(px.x), limit);
        EXPECT_LE(std::abs(px.y), limit);
    }
    for (const RecordingCanvas::Text& t : scene.canvas.m_Texts) {
        EXPECT_GE(t.font.height, 0);
        EXPECT_LE(std::abs(t.x), limit);
    }
    // The node that is not a number gets no number, and the support at
    // infinity no code.
    EXPECT_EQ(scene.canvas.m_Texts.size(), 3u + 3u);
    EXPECT_TRUE(scene.canvas.StateIsInitial());

    // A view whose box is not a number shows nothing at all.
    scene.canvas.ClearDrawing();
    scene.view.SetUp(800, 600, nan, 10, 0, 5);
    drawAll();
    EXPECT_TRUE(scene.canvas.m_Calls.empty());
}
