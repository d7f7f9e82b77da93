// What a picture leaves out: members, symbols and labels that cannot reach
// the client rectangle, and symbols, numbers and values too small to read.
// The plain drawing (everything) is the reference.

#include "graphics/Detail.h"
#include "graphics/Drawing.h"
#include "graphics/Layers.h"
#include "graphics/RecordingCanvas.h"
#include "inspect/ModelResults.h"
#include "inspect/Scene.h"
#include "inspect/Solved.h"
#include "reports/FrameBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

namespace {

using Segment = RecordingCanvas::Segment;

auto Key(const Segment& s)
{
    return std::make_tuple(s.x1, s.y1, s.x2, s.y2, s.pen.width, s.pen.color, s.invert);
}

bool Before(const Segment& a, const Segment& b)
{
    return Key(a) < Key(b);
}

RecordingCanvas Draw(const StructureModel& model, const ModelResults& results, const ViewTransform& view,
                     const LayerFlags& flags, const DrawDetail& detail)
{
    RecordingCanvas canvas;
    DrawScene(canvas, view, model, flags, &results, -1, -1, detail);
    return canvas;
}

// The same picture: the same texts in the same order, the same segments
// (the members' lines, all of one colour and opaque, in any order and
// direction among themselves; everything else in order).
void ExpectSamePicture(const RecordingCanvas& plain, const RecordingCanvas& culled)
{
    EXPECT_EQ(plain.m_Texts, culled.m_Texts);
    // A member's line may be drawn from either end.
    const auto undirected = [](std::vector<Segment> segments) {
        for (Segment& s : segments)
            if (s.pen.color == kElementLineColor && std::tie(s.x2, s.y2) < std::tie(s.x1, s.y1)) {
                std::swap(s.x1, s.x2);
                std::swap(s.y1, s.y2);
            }
        return segments;
    };
    std::vector<Segment> a = undirected(plain.m_Segments), b = undirected(culled.m_Segments);
    std::sort(a.begin(), a.end(), Before);
    std::sort(b.begin(), b.end(), Before);
    EXPECT_EQ(a, b);
    const auto others = [](const RecordingCanvas& c) {
        std::vector<Segment> rest;
        for (const Segment& s : c.m_Segments)
            if (s.pen.color != kElementLineColor)
                rest.push_back(s);
        return rest;
    };
    EXPECT_EQ(others(plain), others(culled));
}

LayerFlags Only(bool LayerFlags::*diagram)
{
    LayerFlags flags = FreshStructureLayers();
    flags.*diagram = true;
    flags.m_ShowValues = true;
    flags.m_ShowReactions = true;
    return flags;
}

} // namespace

// The shipped examples at their fitted views: their members are long on the
// screen, and every layer draws exactly what the plain drawing draws.
TEST(PaintDetail, ExamplesAtTheirFittedViewsDrawEverything)
{
    for (const char* name : {"portal.txt", "综合算例.txt"}) {
        for (const auto& [width, height] : {std::pair{1280, 800}, std::pair{800, 600}}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(width) + "x" + std::to_string(height));
            SolvedFile solved(Example(name), width, height);
            const ModelResults results(*solved.model);
            const LayerFlags layerSets[] = {FreshStructureLayers(),
                                            AllLayers(true),
                                            Only(&LayerFlags::m_ShowDeformed),
                                            Only(&LayerFlags::m_ShowMoment),
                                            Only(&LayerFlags::m_ShowShear),
                                            Only(&LayerFlags::m_ShowAxial)};
            for (const LayerFlags& flags : layerSets) {
                const RecordingCanvas plain = Draw(*solved.model, results, solved.view, flags, kDrawEverything);
                const RecordingCanvas culled = Draw(*solved.model, results, solved.view, flags, DrawDetail{});
                ASSERT_FALSE(plain.m_Segments.empty());
                ExpectSamePicture(plain, culled);
            }
        }
    }
}

namespace {

// A random frame: a grid of nodes jittered, members between neighbours of
// random sections, supports along the bottom, a force, a moment, a
// distributed load on some members, a spring, a torsional spring and a
// settlement.
StructureModel& RandomFrame(FrameBuilder& b, std::mt19937& random, const std::string& folder)
{
    std::uniform_real_distribution<double> jitter(-0.3, 0.3), load(-20, 20), unit(0, 1);
    const int columns = 3 + static_cast<int>(random() % 5), rows = 2 + static_cast<int>(random() % 4);
    const int p0 = b.AddProperty(2e8, 0.01, 1e-4), p1 = b.AddProperty(2e8, 0.02, 4e-4);
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
            b.AddNode(c * 4 + (r > 0 ? jitter(random) : 0), r * 3 + (r > 0 ? jitter(random) : 0));
    const auto node = [&](int r, int c) { return r * (columns + 1) + c; };
    int elements = 0;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            if (r > 0) {
                b.AddElement(node(r - 1, c), node(r, c), random() % 2 ? p0 : p1);
                ++elements;
            }
            if (r > 0 && c > 0) {
                b.AddElement(node(r, c - 1), node(r, c), random() % 2 ? p0 : p1);
                if (unit(random) < 0.6)
                    b.AddDistributedLoad(elements, load(random), load(random));
                ++elements;
            }
        }
    for (int c = 0; c <= columns; ++c)
        b.AddSupport(node(0, c), 1, 1, c % 2);
    b.AddForce(node(rows, 0), load(random), load(random), load(random));
    b.AddForce(node(rows / 2 + 1, columns), 0, 0, load(random));
    b.AddSpring(node(rows, columns), 1e4, unit(random) - 0.5, unit(random) - 0.5);
    b.AddTorsionalSpring(node(1, 1), 1e3);
    b.AddPrescribed(node(0, 1), std::nullopt, -0.001, std::nullopt);
    return b.Run(folder);
}

// Where segment (x1, y1)-(x2, y2), widened by half its pen, meets the
// client rectangle.
bool MeetsClient(const Segment& s, int width, int height)
{
    const double grow = s.pen.width / 2.0 + 1;
    double t0 = 0, t1 = 1;
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {s.x1 + grow, width + grow - s.x1, s.y1 + grow, height + grow - s.y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    return t0 <= t1;
}

} // namespace

// Over random frames and random views, everything the plain drawing puts
// on or next to the client rectangle is still drawn when culling: each
// segment there (a line from a pixel to itself as a one-pixel line from
// it), each text starting there.
TEST(PaintDetail, CullingNeverLeavesOutWhatMeetsTheClient)
{
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> unit(0, 1);
    int dropped = 0;
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        ScratchDir out;
        FrameBuilder b;
        StructureModel& model = RandomFrame(b, random, out.Path());
        const ModelResults results(model);
        ViewTransform view;
        const int width = 300 + static_cast<int>(random() % 700), height = 200 + static_cast<int>(random() % 500);
        view.SetUp(width, height, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
        const int x = static_cast<int>(unit(random) * width), y = static_cast<int>(unit(random) * height);
        view.ZoomAt(x, y, view.m_Scale * std::pow(10.0, unit(random) * 3 - 1.5));
        view.Pan(static_cast<int>((unit(random) - 0.5) * width), static_cast<int>((unit(random) - 0.5) * height));

        LayerFlags flags = AllLayers(true);
        flags.m_ShowShear = trial % 3 == 0;
        flags.m_ShowDeformed = trial % 3 == 1;
        const DrawDetail cullOnly{true, false};
        const RecordingCanvas plain = Draw(model, results, view, flags, kDrawEverything);
        const RecordingCanvas culled = Draw(model, results, view, flags, cullOnly);

        std::vector<Segment> kept = culled.m_Segments;
        std::sort(kept.begin(), kept.end(), Before);
        const auto has = [&](const Segment& s) { return std::binary_search(kept.begin(), kept.end(), s, Before); };
        for (const Segment& s : plain.m_Segments) {
            if (!MeetsClient(s, width, height))
                continue;
            Segment point = s;
            ++point.x2;
            Segment reversed = s;
            std::swap(reversed.x1, reversed.x2);
            std::swap(reversed.y1, reversed.y2);
            const bool zeroLength = s.x1 == s.x2 && s.y1 == s.y2;
            const bool member = s.pen.color == kElementLineColor;
            EXPECT_TRUE(has(s) || (member && has(reversed)) || (zeroLength && has(point)))
                << s.x1 << "," << s.y1 << " - " << s.x2 << "," << s.y2 << " width " << s.pen.width << " colour "
                << s.pen.color;
        }
        for (const RecordingCanvas::Text& t : plain.m_Texts) {
            if (t.x >= 0 && t.x < width && t.y >= 0 && t.y < height) {
                EXPECT_NE(std::find(culled.m_Texts.begin(), culled.m_Texts.end(), t), culled.m_Texts.end()) << t.text;
            }
        }
        dropped += static_cast<int>(plain.m_Segments.size() - culled.m_Segments.size());
    }
    // The views reach far off the frame often enough that culling has
    // something to do.
    EXPECT_GT(dropped, 0);
}

namespace {

// A building frame of many short members: 12 storeys of 20 bays, a load on
// every beam, fixed bases.
StructureModel& LargeFrame(FrameBuilder& b, const std::string& folder)
{
    constexpr int kStoreys = 12, kBays = 20;
    const int p = b.AddProperty(2e8, 0.01, 1e-4);
    for (int r = 0; r <= kStoreys; ++r)
        for (int c = 0; c <= kBays; ++c)
            b.AddNode(c * 6.0, r * 3.5);
    int elements = 0;
    for (int r = 1; r <= kStoreys; ++r)
        for (int c = 0; c <= kBays; ++c) {
            b.AddElement((r - 1) * (kBays + 1) + c, r * (kBays + 1) + c, p);
            ++elements;
            if (c > 0) {
                b.AddElement(r * (kBays + 1) + c - 1, r * (kBays + 1) + c, p);
                b.AddDistributedLoad(elements++, -10, -10);
            }
        }
    for (int c = 0; c <= kBays; ++c)
        b.AddSupport(c, 1, 1, 1);
    for (int r = 1; r <= kStoreys; ++r)
        b.AddForce(r * (kBays + 1), 5, 0, 0);
    StructureModel& model = b.Run(folder);
    // What loading a file works out for the drawing.
    model.m_AverageElemLength = model.ComputeAverageElemLength();
    return model;
}

int SegmentsOf(const RecordingCanvas& canvas, COLORREF color)
{
    return static_cast<int>(std::count_if(canvas.m_Segments.begin(), canvas.m_Segments.end(),
                                          [&](const Segment& s) { return s.pen.color == color; }));
}

} // namespace

// Seen whole in a small window, a large frame is its members: no load or support symbols, no
// numbers, and of the values only the largest. Zoomed in until its members
// are a few tens of pixels long, they all come back.
TEST(PaintDetail, SymbolsNumbersAndValuesOnlyWhereReadable)
{
    ScratchDir out;
    FrameBuilder b;
    StructureModel& model = LargeFrame(b, out.Path());
    const ModelResults results(model);
    ViewTransform view;
    view.SetUp(320, 200, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
    ASSERT_LT(MeanMemberPixels(view, model), kReadableMemberPixels);

    LayerFlags flags = FreshStructureLayers();
    flags.m_ShowMoment = true;
    flags.m_ShowValues = true;
    flags.m_ShowNodeNumbers = true;
    const COLORREF supportColor = static_cast<COLORREF>(model.m_RestrictedNodes[0].Color);

    const RecordingCanvas whole = Draw(model, results, view, flags, DrawDetail{});
    LayerFlags withoutValues = flags; // placing every value is slow and beside the point
    withoutValues.m_ShowValues = false;
    const RecordingCanvas plainWhole = Draw(model, results, view, withoutValues, kDrawEverything);
    EXPECT_EQ(SegmentsOf(whole, kElementLineColor), SegmentsOf(plainWhole, kElementLineColor));
    EXPECT_EQ(SegmentsOf(whole, supportColor), 0);
    EXPECT_GT(SegmentsOf(plainWhole, supportColor), 0);
    // The moment diagram stays; the load symbols (of its colour) go, and
    // the crowded diagram is drawn through fewer stations.
    EXPECT_GT(SegmentsOf(whole, kLoadColor), 0);
    EXPECT_LT(SegmentsOf(whole, kLoadColor), SegmentsOf(plainWhole, kLoadColor) / 2);
    // Only the values of the member with the largest moment: its ends and
    // its extreme at most.
    ASSERT_GE(whole.m_Texts.size(), 1u);
    ASSERT_LE(whole.m_Texts.size(), 3u);
    EXPECT_GT(plainWhole.m_Texts.size(), 250u); // the node numbers

    // Zoomed in about a node near a corner of the frame until members are
    // long.
    const double corner[2] = {18, 7};
    int at[2];
    view.WorldToScreen(corner, at);
    ViewTransform near = view;
    near.ZoomAt(at[0], at[1], view.m_Scale * 2 * kReadableMemberPixels / MeanMemberPixels(view, model));
    ASSERT_GE(MeanMemberPixels(near, model), kReadableMemberPixels);
    const RecordingCanvas zoomed = Draw(model, results, near, flags, DrawDetail{});
    EXPECT_GT(SegmentsOf(zoomed, supportColor), 0);
    const auto texts = [](const RecordingCanvas& c, COLORREF color) {
        return std::count_if(c.m_Texts.begin(), c.m_Texts.end(),
                             [&](const RecordingCanvas::Text& t) { return t.color == color; });
    };
    EXPECT_GT(texts(zoomed, kLoadColor), 5);       // moment values
    EXPECT_EQ(texts(zoomed, kNodeNumberColor), 0); // cells still below readable
    ViewTransform closer = near;
    closer.ZoomAt(at[0], at[1], near.m_Scale * 8);
    EXPECT_GT(texts(Draw(model, results, closer, flags, DrawDetail{}), kNodeNumberColor), 0);
}

// A member shorter than a pixel is that pixel: drawn as a one-pixel line
// (a line from a pixel to itself shows nothing), once however many members
// fall in it.
TEST(PaintDetail, MembersShorterThanAPixelArePointsDrawnOnce)
{
    ScratchDir out;
    FrameBuilder b;
    const int p = b.AddProperty(2e8, 0.01, 1e-4);
    for (int i = 0; i <= 4; ++i)
        b.AddNode(700 + i * 1e-4, 0);
    b.AddNode(0, 0);
    b.AddNode(1000, 500);
    for (int i = 0; i < 4; ++i)
        b.AddElement(i, i + 1, p);
    b.AddElement(5, 6, p);
    b.AddElement(6, 0, p);
    b.AddSupport(5, 1, 1, 1);
    b.AddSupport(4, 1, 1, 1);
    StructureModel& model = b.Prepare(out.Path());
    ViewTransform view;
    view.SetUp(800, 600, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
    LayerFlags flags;
    flags.m_ShowStructure = true;
    RecordingCanvas canvas;
    DrawLayers(canvas, view, model, flags, DrawDetail{});
    const double corner[2] = {700, 0};
    int pixel[2];
    view.WorldToScreen(corner, pixel);
    int points = 0;
    for (const Segment& s : canvas.m_Segments)
        if (s.y1 == s.y2 && s.x2 == s.x1 + 1) {
            ++points;
            EXPECT_EQ(s.x1, pixel[0]);
            EXPECT_EQ(s.y1, pixel[1]);
        }
    EXPECT_EQ(points, 1);
    EXPECT_EQ(canvas.m_Segments.size(), 3u);
}
