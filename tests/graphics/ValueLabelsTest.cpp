// The number format of labels, and which labels a picture keeps and where.
#include "Scene.h"

#include "graphics/Drawing.h"
#include "graphics/Layers.h"
#include "graphics/ReactionSymbols.h"
#include "graphics/ResultDiagrams.h"
#include "graphics/ValueLabels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

TEST(FormatValue, FourSignificantDigitsPlainFromAThousandthToAMillion)
{
    EXPECT_EQ(FormatValue(13.5931), "13.59");
    EXPECT_EQ(FormatValue(6.55667), "6.557");
    EXPECT_EQ(FormatValue(-11.3868), "-11.39");
    EXPECT_EQ(FormatValue(25), "25");
    EXPECT_EQ(FormatValue(1.5), "1.5");
    EXPECT_EQ(FormatValue(123456), "123500");
    EXPECT_EQ(FormatValue(999949), "999900");
    EXPECT_EQ(FormatValue(0.00123456), "0.001235");
    EXPECT_EQ(FormatValue(0.001), "0.001");
    // Rounding decides the notation: these round to 1e6 and 1e-3.
    EXPECT_EQ(FormatValue(999960), "1e+06");
    EXPECT_EQ(FormatValue(0.00099996), "0.001");
    EXPECT_EQ(FormatValue(1e6), "1e+06");
    EXPECT_EQ(FormatValue(2.5e7), "2.5e+07");
    EXPECT_EQ(FormatValue(0.0009999), "9.999e-04");
    EXPECT_EQ(FormatValue(1.23456e-5), "1.235e-05");
    EXPECT_EQ(FormatValue(-1e-5), "-1e-05");
    EXPECT_EQ(FormatValue(1e-300), "1e-300");
    EXPECT_EQ(FormatValue(-1.7976931348623157e308), "-1.798e+308");
    EXPECT_EQ(FormatValue(0.0), "0");
    EXPECT_EQ(FormatValue(-0.0), "0");
    EXPECT_EQ(FormatValue(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatValue(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(FormatValue(std::numeric_limits<double>::quiet_NaN()), "nan");
}

// A candidate label anchored at a pixel, standing off to the right.
LabelCandidate At(double x, double y, double priority, std::size_t index, int rank = kDiagramValueRank)
{
    LabelCandidate c;
    c.anchorX = c.baseX = x;
    c.anchorY = c.baseY = y;
    c.sideX = 1;
    c.priority = priority;
    c.rank = rank;
    c.index = index;
    return c;
}

std::vector<PlacedLabel> Select(const std::vector<LabelCandidate>& candidates, int width = 800, int height = 600)
{
    return SelectLabels(
        candidates, width, height,
        [](std::size_t i) {
            // Not "L" + to_string: GCC 12 warns wrongly about that.
            std::string text = "L";
            text += std::to_string(i);
            return text;
        },
        [](std::size_t) { return kLoadColor; });
}

std::vector<std::string> Texts(const std::vector<PlacedLabel>& labels)
{
    std::vector<std::string> texts;
    for (const PlacedLabel& l : labels)
        texts.push_back(l.text);
    return texts;
}

bool Overlap(const PlacedLabel& a, const PlacedLabel& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(SelectLabels, TheLargerOfTwoThatWouldOverlapIsKept)
{
    // Labels 0 and 1 would share the same place; 2 stands clear.
    const auto kept = Select({At(100, 100, 3.0, 0), At(104, 103, 7.0, 1), At(400, 300, 1.0, 2)});
    EXPECT_EQ(Texts(kept), (std::vector<std::string>{"L1", "L2"}));
    // Beside the anchor, clear of it by a few pixels, vertically centred.
    EXPECT_GE(kept[0].x, 104 + 2);
    EXPECT_LE(kept[0].x, 104 + 5);
    EXPECT_NEAR(kept[0].y + kept[0].height / 2.0, 103, 1);
    EXPECT_EQ(kept[0].height, kValueFontHeight);
    EXPECT_EQ(kept[0].width, EstimateTextWidth("L1"));
}

TEST(SelectLabels, TheStructuresLargestIsAlwaysShownAndFirst)
{
    // The largest value overlaps a label of a higher rank and lies partly
    // off the screen: it is still shown, on the screen, and the other
    // gives way.
    const auto kept = Select({At(795, 100, 1.0, 0, kReactionRank), At(790, 100, 9.0, 1, kAlwaysShown)});
    ASSERT_EQ(Texts(kept), std::vector<std::string>{"L1"});
    EXPECT_LE(kept[0].x + kept[0].width, 800);
}

TEST(SelectLabels, RanksComeBeforeMagnitudesAndNotANumberFirst)
{
    const auto kept = Select({At(100, 100, 50.0, 0), At(100, 100, 1.0, 1, kReactionRank)});
    EXPECT_EQ(Texts(kept), std::vector<std::string>{"L1"});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Texts(Select({At(100, 100, 50.0, 0), At(100, 100, nan, 1)})), std::vector<std::string>{"L1"});
}

TEST(SelectLabels, OffTheScreenUnlessItCanSlideTowardsItsBase)
{
    // Anchored above the top: left out, unless its base is on the screen,
    // in which case it slides down its ordinate just far enough.
    LabelCandidate off = At(300, -50, 1.0, 0);
    EXPECT_TRUE(Select({off}).empty());
    off.baseY = 200;
    const auto kept = Select({off});
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].y, 0);
    EXPECT_GT(kept[0].x, 300);
    // Nothing to draw on, or nothing finite: nothing.
    EXPECT_TRUE(Select({At(300, 300, 1.0, 0)}, 0, 600).empty());
    EXPECT_TRUE(Select({At(std::nan(""), 300, 1.0, 0)}).empty());
    EXPECT_TRUE(Select({At(300, std::numeric_limits<double>::infinity(), 1.0, 0, kAlwaysShown)}).empty());
}

TEST(SelectLabels, ManyCandidatesNeverOverlapAndKeepTheLargest)
{
    // More than the thinning threshold, crowded: whatever is kept lies on
    // the screen, overlaps nothing else kept, and includes the one label
    // that must be shown.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(-50, 850), y(-50, 650), p(0, 100);
    std::vector<LabelCandidate> candidates;
    for (std::size_t i = 0; i < 20000; ++i)
        candidates.push_back(At(x(random), y(random), p(random), i));
    candidates[12345].rank = kAlwaysShown;
    const auto kept = Select(candidates);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.front().text, "L12345");
    for (std::size_t a = 0; a < kept.size(); ++a) {
        EXPECT_GE(kept[a].x, 0);
        EXPECT_GE(kept[a].y, 0);
        EXPECT_LE(kept[a].x + kept[a].width, 800);
        EXPECT_LE(kept[a].y + kept[a].height, 600);
        for (std::size_t b = a + 1; b < kept.size(); ++b)
            ASSERT_FALSE(Overlap(kept[a], kept[b])) << kept[a].text << " and " << kept[b].text;
    }
    // A crowded screen is well filled, not emptied.
    EXPECT_GT(kept.size(), 200u);
}

TEST(LabelSieve, KeepsTheFirstFewOfEachSquareInTheOrderOfChoice)
{
    LabelSieve sieve(100, 100);
    // Six in one 16-pixel square: the four largest stay; one that must be
    // shown stays whatever its size.
    const double priorities[6] = {5, 1, 9, 3, 7, 2};
    for (std::size_t i = 0; i < 6; ++i)
        sieve.Offer(20 + static_cast<double>(i), 20, kDiagramValueRank, priorities[i], i);
    sieve.Offer(21, 21, kAlwaysShown, 0, 6);
    // Elsewhere, alone; far off the screen, sharing the edge's squares.
    sieve.Offer(70, 70, kDiagramValueRank, 0.5, 7);
    for (std::size_t i = 8; i < 14; ++i)
        sieve.Offer(1e6, 1e6, kDiagramValueRank, static_cast<double>(i), i);
    sieve.Offer(std::nan(""), 0, kReactionRank, 1, 14);
    EXPECT_EQ(sieve.Kept(), (std::vector<std::size_t>{0, 2, 3, 4, 6, 7, 10, 11, 12, 13, 14}));
}

TEST(ValueLabels, PlacedThroughTheViewAndDrawnInTheirColour)
{
    Scene scene;
    BuildFrame(scene); // box x 0..10, y 0..5, 76 px per unit, (0, 0) at (20, 490)
    ValueLabel above;
    above.x = 5;
    above.y = 0;
    above.sideY = 1; // up on the screen
    above.value = 12.3456;
    above.prefix = "M = ";
    above.color = kLoadColor;
    ValueLabel clear = above;
    clear.x = 9;
    clear.value = -0.5;
    clear.color = kReactionColor;
    const std::vector<PlacedLabel> placed = PlaceLabels(scene.view, {above, clear});
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].text, "M = 12.35");
    EXPECT_EQ(placed[0].y + placed[0].height, 490 - 3);
    EXPECT_NEAR(placed[0].x + placed[0].width / 2.0, 400, 1);

    DrawPlacedLabels(scene.canvas, placed);
    ASSERT_EQ(scene.canvas.m_Texts.size(), 2u);
    EXPECT_EQ(scene.canvas.m_Texts[0].text, "M = 12.35");
    EXPECT_EQ(scene.canvas.m_Texts[0].font, (FontDesc{kValueFace, kValueFontHeight, 0}));
    EXPECT_EQ(scene.canvas.m_Texts[0].color, kLoadColor);
    EXPECT_TRUE(scene.canvas.m_Texts[0].transparent);
    EXPECT_EQ(scene.canvas.m_Texts[1].text, "M = -0.5");
    EXPECT_EQ(scene.canvas.m_Texts[1].color, kReactionColor);
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(Reactions, ArrowsPointOntoTheNodeInTheForcesDirection)
{
    Scene scene;
    BuildFrame(scene);
    ReactionSymbol r;
    r.x = 0;
    r.y = 0;
    r.value[0] = -3; // to the left
    r.value[1] = 20; // upwards
    r.value[2] = 0;
    r.shown[0] = r.shown[1] = true;
    DrawReactions(scene.canvas, scene.view, {r});
    const auto segments = scene.canvas.SegmentsWith(PenDesc{1, kReactionColor});
    ASSERT_EQ(segments.size(), 8u); // two arrows, each a shaft and a three-line head
    // Fx: from the right of the node, towards it; tip 0.25 (0.025 S) right
    // of the node, tail 0.7 beyond.
    EXPECT_EQ(segments[0].x2, scene.At(0.25, 0).x);
    EXPECT_EQ(segments[0].x1, scene.At(0.95, 0).x);
    EXPECT_EQ(segments[0].y1, 490);
    // Fy: from below, upwards.
    EXPECT_EQ(segments[4].y2, scene.At(0, -0.25).y);
    EXPECT_EQ(segments[4].y1, scene.At(0, -0.95).y);
    EXPECT_TRUE(scene.canvas.StateIsInitial());

    // Their values stand beside the tails, free to slide along the shafts
    // towards the node, ranked before diagram values.
    const std::vector<ValueLabel> labels = ReactionLabels(scene.view, {r});
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_DOUBLE_EQ(labels[0].x, 0.95);
    EXPECT_DOUBLE_EQ(labels[0].baseX, 0.25);
    EXPECT_GT(labels[0].sideY, 0);
    EXPECT_STREQ(labels[0].prefix, "Fx = ");
    EXPECT_EQ(labels[1].rank, kReactionRank);
    EXPECT_DOUBLE_EQ(labels[1].y, -0.95);
    EXPECT_DOUBLE_EQ(labels[1].baseY, -0.25);
    EXPECT_GT(labels[1].sideX, 0);

    // A moment: the arc, turning its way; no arrows for components not shown.
    scene.canvas.ClearDrawing();
    ReactionSymbol m;
    m.value[2] = -4;
    m.shown[2] = true;
    DrawReactions(scene.canvas, scene.view, {m});
    EXPECT_EQ(scene.canvas.PolylineCount(), 1);
    EXPECT_EQ(ReactionLabels(scene.view, {m}).size(), 1u);
}

TEST(Layers, ValuesComeLastAndTheHaloUnderTheStructure)
{
    Scene scene;
    BuildFrame(scene);
    ResultOverlay overlay;
    ValueLabel label;
    label.x = 5;
    label.value = 1;
    overlay.values.push_back(label);
    overlay.highlightElement = 1;
    overlay.highlightNode = 0;
    LayerFlags flags = FreshStructureLayers();
    DrawLayers(scene.canvas, scene.view, scene.model, flags, overlay);
    EXPECT_TRUE(scene.canvas.m_Texts.empty()) << "values only when switched on";

    scene.canvas.ClearDrawing();
    flags.m_ShowValues = true;
    DrawLayers(scene.canvas, scene.view, scene.model, flags, overlay);
    ASSERT_FALSE(scene.canvas.m_Texts.empty());
    EXPECT_EQ(scene.canvas.m_Calls.back().kind, RecordingCanvas::Call::TextOut);
    // The halo: the element's line 6 pixels wider, drawn before the
    // structure's own line, and a square ring around the node.
    const auto halo = scene.canvas.SegmentsWith(PenDesc{9, kHighlightColor});
    ASSERT_EQ(halo.size(), 1u);
    EXPECT_EQ(halo[0].x1, scene.At(10, 0).x);
    EXPECT_EQ(halo[0].y2, scene.At(10, 5).y);
    EXPECT_EQ(scene.canvas.SegmentsWith(PenDesc{3, kHighlightColor}).size(), 4u);
    EXPECT_EQ(scene.canvas.m_Segments.front().pen.color, kHighlightColor);
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(AxialDiagram, ABandOfConstantHeightOnTheSideOfTheSign)
{
    Scene scene;
    BuildFrame(scene);
    // Element 0 along +x: a tension of 2 (N2 = 2) at a scale of 0.5 stands
    // one unit on its left, above it.
    BeamElement& element = scene.model.m_Elements[0];
    element.m_ForInGlobalCS.At(0) = -2;
    element.m_ForInGlobalCS.At(3) = 2;
    EXPECT_DOUBLE_EQ(element.AxialForce(), 2);
    DrawAxial(scene.canvas, scene.view, element, 0.5);
    std::vector<Scene::Pixel> points = scene.Points();
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front(), scene.At(0, 0));
    EXPECT_EQ(points[1], scene.At(0, 1));
    for (std::size_t i = 1; i + 1 < points.size(); ++i)
        EXPECT_EQ(points[i].y, scene.At(0, 1).y) << i;
    EXPECT_EQ(points.back(), scene.At(10, 0));

    // The layer uses the model's axial scale; compression lies on the right.
    scene.canvas.ClearDrawing();
    element.m_ForInGlobalCS.At(0) = 2;
    element.m_ForInGlobalCS.At(3) = -2;
    scene.model.m_VisualScaleofAxial = 1;
    DrawAxialDiagram(scene.canvas, scene.view, scene.model);
    points = scene.Points();
    ASSERT_GT(points.size(), 2u);
    EXPECT_EQ(points[1], scene.At(0, -2));
}

} // namespace
