#include "graphics/Drawing.h"
#include "graphics/ResultDiagrams.h"
#include "graphics/Scene.h"
#include "graphics/StructureLayers.h"

#include <gtest/gtest.h>

#include <cmath>

using Segment = RecordingCanvas::Segment;

TEST(DirectionAngle, GivesThePolarAngleOnEveryAxis)
{
    const double pi = std::acos(-1.0);
    EXPECT_DOUBLE_EQ(DirectionAngle(1, 1), pi / 4);
    EXPECT_DOUBLE_EQ(DirectionAngle(-1, 0), pi);
    EXPECT_DOUBLE_EQ(DirectionAngle(-1, -1), pi + pi / 4);
    EXPECT_DOUBLE_EQ(DirectionAngle(0, -3), -pi / 2);
    EXPECT_DOUBLE_EQ(DirectionAngle(0, 3), pi / 2);
    // A negative zero (a "-0" in a file) must not turn an upward force down.
    EXPECT_DOUBLE_EQ(DirectionAngle(-0.0, 3), pi / 2);
    EXPECT_EQ(DirectionAngle(0, 0), 0);
}

TEST(ElementLines, AreWiderForEachLargerMomentOfInertia)
{
    Scene scene;
    for (int i = 0; i < 5; ++i)
        scene.AddNode(i, i % 2);
    scene.AddProperty(2);
    scene.AddProperty(1);
    scene.AddProperty(3);
    scene.AddProperty(2.0005); // within a thousandth of 2: the same level
    scene.AddElement(0, 1, 0);
    scene.AddElement(1, 2, 1);
    scene.AddElement(2, 3, 2);
    scene.AddElement(3, 4, 3);
    scene.Fit();
    // ComputeInertiaLevels keeps 2.0005 as a level of its own; the match
    // is the first level within the tolerance.
    ASSERT_EQ(scene.model.m_NumInertiaLevels, 4);

    DrawStructure(scene.canvas, scene.view, scene.model);
    const auto& segments = scene.canvas.m_Segments;
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].pen, (PenDesc{6, 0x00FF0000}));
    EXPECT_EQ(segments[1].pen, (PenDesc{3, 0x00FF0000}));
    EXPECT_EQ(segments[2].pen, (PenDesc{12, 0x00FF0000}));
    EXPECT_EQ(segments[3].pen, (PenDesc{6, 0x00FF0000}));
    const Scene::Pixel a = scene.At(0, 0), b = scene.At(1, 1);
    EXPECT_EQ(segments[0], (Segment{a.x, a.y, b.x, b.y, PenDesc{6, 0x00FF0000}, false}));
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(ElementLines, ThreeLevelsGiveThreeSixAndNineAndNoMatchFallsBehindTheLast)
{
    Scene scene;
    for (int i = 0; i < 5; ++i)
        scene.AddNode(i, 0);
    scene.AddProperty(30);
    scene.AddProperty(10);
    scene.AddProperty(20);
    scene.AddElement(0, 1, 0);
    scene.AddElement(1, 2, 1);
    scene.AddElement(2, 3, 2);
    scene.AddElement(3, 4, 2);
    scene.Fit();
    scene.model.m_Properties[2].I = 0; // a non-positive I matches nothing

    DrawStructure(scene.canvas, scene.view, scene.model);
    const auto& segments = scene.canvas.m_Segments;
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].pen.width, 9);
    EXPECT_EQ(segments[1].pen.width, 3);
    EXPECT_EQ(segments[2].pen.width, 3 + 3 * 3);
    EXPECT_EQ(segments[3].pen.width, 3 + 3 * 3);
}

TEST(Numbers, StandBelowTheNodesAndOnTheLeftOfTheElements)
{
    Scene scene;
    BuildFrame(scene); // mean element length 7.5: cell height 7.5 / 15 * 76 = 38
    scene.AddNode(5.001, 2.5);
    scene.AddNode(5, 2.5); // both at pixel (400, 300)
    scene.AddElement(3, 4);

    DrawNodeNumbers(scene.canvas, scene.view, scene.model);
    const auto& nodes = scene.canvas.m_Texts;
    ASSERT_EQ(nodes.size(), 5u);
    const FontDesc nodeFont{"Times New Roman", 38, 0};
    EXPECT_EQ(nodes[0], (RecordingCanvas::Text{20, 490 + 7, "0", nodeFont, 0x0000D7FF, true}));
    EXPECT_EQ(nodes[1], (RecordingCanvas::Text{780, 497, "1", nodeFont, 0x0000D7FF, true}));
    EXPECT_EQ(nodes[2], (RecordingCanvas::Text{780, 117, "2", nodeFont, 0x0000D7FF, true}));
    EXPECT_TRUE(scene.canvas.StateIsInitial());

    scene.canvas.ClearDrawing();
    DrawElementNumbers(scene.canvas, scene.view, scene.model);
    const auto& elements = scene.canvas.m_Texts;
    ASSERT_EQ(elements.size(), 3u);
    const FontDesc elementFont{"Times New Roman", 38, 19};
    // Left to right: centred on (400, 490), then 22 pixels up.
    EXPECT_EQ(elements[0], (RecordingCanvas::Text{400 - 9, 490 - 19 - 22, "0", elementFont, 0x00FF00FF, true}));
    // Upwards on screen: its left is to the left.
    EXPECT_EQ(elements[1], (RecordingCanvas::Text{780 - 9 - 22, 300 - 19, "1", elementFont, 0x00FF00FF, true}));
    // Both ends on one pixel: no normal, the number stays centred.
    EXPECT_EQ(elements[2], (RecordingCanvas::Text{400 - 9, 300 - 19, "2", elementFont, 0x00FF00FF, true}));
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(RestrictedNodes, DrawASquareAndTheCodeAtItsLowerRightCorner)
{
    Scene scene;
    BuildFrame(scene);
    RestrictedNode support;
    support.Fix[0] = 1;
    support.Fix[2] = 1;
    support.NodeNo = 0;
    scene.model.m_RestrictedNodes.push_back(support);
    scene.model.m_NRN = 1;

    DrawRestrictedNodes(scene.canvas, scene.view, scene.model);
    // S / 25 = 0.4: the square spans 0.2 either side, 15.2 pixels.
    using Call = RecordingCanvas::Call;
    const std::vector<Call> square = {{Call::Move, 5, 505}, {Call::Line, 36, 505}, {Call::Line, 36, 474},
                                      {Call::Line, 5, 474}, {Call::Line, 5, 505},  {Call::TextOut, 35, 505}};
    EXPECT_EQ(scene.canvas.m_Calls, square);
    EXPECT_EQ(scene.canvas.m_Segments[0].pen, (PenDesc{1, 0x0000FF00}));
    ASSERT_EQ(scene.canvas.m_Texts.size(), 1u);
    EXPECT_EQ(scene.canvas.m_Texts[0],
              (RecordingCanvas::Text{35, 505, " 1 0 1", FontDesc{"Times New Roman", 21, 0}, 0x0000FF00, true}));
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(Forces, ADownwardForceIsAnArrowFromTheNodeWithAClosedHead)
{
    Scene scene;
    BuildFrame(scene);
    scene.model.m_VisualScaleofForce = 0.2;
    force_2d force;
    force.Node = Node{5, 2.5, 3};
    force.Fy = -10; // 2 world units long: 152 pixels
    scene.model.m_Forces.push_back(force);
    scene.model.m_NFOR = 1;

    DrawForces(scene.canvas, scene.view, scene.model);
    const PenDesc pen{1, 0x000100FF};
    // Head: 0.2 long at 11 degrees either side, so its base is 0.196 above
    // the tip and 0.038 either side of the shaft.
    const std::vector<Segment> arrow = {
        {400, 300, 400, 452, pen, false},
        {400, 452, 402, 437, pen, false},
        {400, 452, 398, 437, pen, false},
        {402, 437, 398, 437, pen, false},
    };
    EXPECT_EQ(scene.canvas.m_Segments, arrow);
    EXPECT_EQ(scene.canvas.PolylineCount(), 4);
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(Forces, AMomentAloneIsAnArcTurningWithItsSign)
{
    Scene scene;
    BuildFrame(scene);
    force_2d moment;
    moment.Node = Node{5, 2.5, 3};
    moment.Mz = 4;
    scene.model.m_Forces.push_back(moment);
    force_2d nothing = moment;
    nothing.Mz = 0;
    scene.model.m_Forces.push_back(nothing);
    scene.model.m_NFOR = 2;

    DrawForces(scene.canvas, scene.view, scene.model);
    // One polyline: points 0 to 24 and back to 20, radius 0.03 S = 0.3.
    ASSERT_EQ(scene.canvas.m_Segments.size(), 25u);
    EXPECT_EQ(scene.canvas.PolylineCount(), 1);
    using Call = RecordingCanvas::Call;
    const double f = 10 * 0.06 / 4.5;
    EXPECT_EQ(scene.canvas.m_Calls.front(), (Call{Call::Move, 400 + int(1.591 * f * 76), 300 + int(1.591 * f * 76)}));
    const Scene::Pixel tip = scene.At(5 - 0.7695 * f, 2.5 - 2.1143 * f);
    EXPECT_EQ(scene.canvas.m_Calls.back(), (Call{Call::Line, tip.x, tip.y}));
    EXPECT_EQ(scene.canvas.m_Calls[20], scene.canvas.m_Calls.back());

    // Negative: mirrored about the vertical through the node.
    scene.canvas.ClearDrawing();
    scene.model.m_Forces[0].Mz = -4;
    DrawForces(scene.canvas, scene.view, scene.model);
    EXPECT_EQ(scene.canvas.m_Calls.front(), (Call{Call::Move, 400 - int(1.591 * f * 76), 300 + int(1.591 * f * 76)}));
}

TEST(DistributedLoads, ATriangularLoadIsATriangleWithOneHead)
{
    Scene scene;
    BuildFrame(scene);
    scene.model.m_VisualScaleofPress = 0.1;
    DistributedLoad load;
    load.Node1 = scene.model.m_Nodes[0];
    load.Node2 = scene.model.m_Nodes[1];
    load.q2 = 10; // 1 world unit: positive hangs below an element running in +x
    scene.model.m_DistributedLoads.push_back(load);
    scene.model.m_NDIS = 1;

    DrawDistributedLoads(scene.canvas, scene.view, scene.model);
    const PenDesc pen{1, 0x000100FF};
    const auto& s = scene.canvas.m_Segments;
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0], (Segment{20, 490, 780, 566, pen, false}));
    EXPECT_EQ(s[1], (Segment{20, 490, 20, 490, pen, false})); // zero intensity: zero length
    EXPECT_EQ(s[2], (Segment{780, 566, 780, 490, pen, false}));
    // The head at N2 only, pointing onto the element from the load's side.
    for (std::size_t i = 3; i < 6; ++i) {
        EXPECT_GE(s[i].y1, 490);
        EXPECT_GE(s[i].y2, 490);
        EXPECT_NEAR(s[i].x1, 780, 15);
    }
    EXPECT_EQ(s[3].x2, 780);
    EXPECT_EQ(s[3].y2, 490);
    EXPECT_EQ(s[4].x2, 780);
    EXPECT_EQ(s[4].y2, 490);
    EXPECT_TRUE(scene.canvas.StateIsInitial());

    // A negative intensity turns the head over: barbs above.
    scene.canvas.ClearDrawing();
    scene.model.m_DistributedLoads[0].q2 = -10;
    DrawDistributedLoads(scene.canvas, scene.view, scene.model);
    ASSERT_EQ(s.size(), 6u);
    EXPECT_LT(s[3].y1, 490);
}

TEST(Layers, DrawNothingWithoutPixels)
{
    Scene scene;
    BuildFrame(scene);
    force_2d force;
    force.Node = scene.model.m_Nodes[1];
    force.Fx = 1;
    scene.model.m_Forces.push_back(force);
    scene.model.m_NFOR = 1;

    auto drawAll = [&] {
        DrawNodeNumbers(scene.canvas, scene.view, scene.model);
        DrawElementNumbers(scene.canvas, scene.view, scene.model);
        DrawStructure(scene.canvas, scene.view, scene.model);
        DrawForces(scene.canvas, scene.view, scene.model);
        DrawDeformedShape(scene.canvas, scene.view, scene.model);
        DrawMomentDiagram(scene.canvas, scene.view, scene.model);
    };

    scene.view.SetUp(0, 600, 0, 10, 0, 5); // minimised
    drawAll();
    EXPECT_TRUE(scene.canvas.m_Calls.empty());

    scene.view.SetUp(800, 600, 0, 10, 0, 5);
    scene.view.m_Scale = 0; // no usable mapping
    drawAll();
    EXPECT_TRUE(scene.canvas.m_Calls.empty());

    scene.view.SetUp(800, 600, 0, 10, 0, 5);
    drawAll();
    EXPECT_FALSE(scene.canvas.m_Calls.empty());
}
