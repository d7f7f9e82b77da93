#include "graphics/Detail.h"
#include "graphics/Drawing.h"
#include "graphics/Palette.h"
#include "graphics/ResultDiagrams.h"
#include "graphics/Scene.h"
#include "graphics/SpanMask.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Pixels = std::set<std::pair<int, int>>;

struct Span {
    int y, x0, x1;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& span)
{
    return out << "row " << span.y << " [" << span.x0 << ", " << span.x1 << ")";
}

// A recording canvas that says it paints pixels and keeps the spans it is
// handed, with the pen they came in.
class SpanCanvas : public RecordingCanvas {
public:
    bool PaintsPixels() const override { return true; }
    void FillSpan(int y, int x0, int x1) override
    {
        m_Spans.push_back({y, x0, x1});
        m_SpanPens.push_back(m_Pen);
    }

    std::vector<Span> m_Spans;
    std::vector<PenDesc> m_SpanPens;
};

Pixels Marks(const SpanMask& mask, int width, int height)
{
    Pixels marked;
    for (int y = -2; y < height + 2; ++y)
        for (int x = -2; x < width + 2; ++x)
            if (mask.Marked(x, y))
                marked.insert({x, y});
    return marked;
}

Pixels LinePixels(int x0, int y0, int x1, int y1, int width = 64, int height = 64)
{
    SpanMask mask(width, height);
    mask.Line(x0, y0, x1, y1);
    return Marks(mask, width, height);
}

} // namespace

TEST(SpanMask, ALineCoversOnePixelAStepWithBothEnds)
{
    // Level and upright: every pixel from end to end, whichever way drawn.
    EXPECT_EQ(LinePixels(2, 3, 6, 3), (Pixels{{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}));
    EXPECT_EQ(LinePixels(6, 3, 2, 3), LinePixels(2, 3, 6, 3));
    EXPECT_EQ(LinePixels(4, 9, 4, 6), (Pixels{{4, 6}, {4, 7}, {4, 8}, {4, 9}}));
    // A diagonal steps along both axes at once.
    EXPECT_EQ(LinePixels(1, 1, 4, 4), (Pixels{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    // Shallow lines, as the window's raster engine draws them: one that
    // climbs (y growing) is placed by the middle of each column, one that
    // falls by its near edge, both rounded down. (0,0)-(4,1) crosses y = 0.5
    // at x = 2 and is at 0.875 in the middle of column 3.
    EXPECT_EQ(LinePixels(10, 10, 14, 11), (Pixels{{10, 10}, {11, 10}, {12, 10}, {13, 10}, {14, 11}}));
    EXPECT_EQ(LinePixels(10, 10, 14, 8), (Pixels{{10, 10}, {11, 9}, {12, 9}, {13, 8}, {14, 8}}));
    EXPECT_EQ(LinePixels(10, 10, 6, 12), (Pixels{{10, 10}, {9, 10}, {8, 11}, {7, 11}, {6, 12}}));
    // Steep lines the same way across.
    EXPECT_EQ(LinePixels(10, 10, 11, 14), (Pixels{{10, 10}, {10, 11}, {10, 12}, {10, 13}, {11, 14}}));
    // As many pixels as the longer side has, plus one.
    EXPECT_EQ(LinePixels(0, 0, 37, 11, 64, 64).size(), 38u);
    EXPECT_EQ(LinePixels(50, 60, 39, 3, 64, 64).size(), 58u);
    // A line that never leaves its pixel draws nothing, as on the canvas.
    EXPECT_TRUE(LinePixels(5, 5, 5, 5).empty());
}

TEST(SpanMask, AWideLineIsItsPixelsEachStampedWithADiscOfThePensWidth)
{
    auto wide = [](int x0, int y0, int x1, int y1, int width) {
        SpanMask mask(64, 64);
        mask.WideLine(x0, y0, x1, y1, width);
        return Marks(mask, 64, 64);
    };
    auto box = [](int left, int top, int right, int bottom) {
        Pixels pixels;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                pixels.insert({x, y});
        return pixels;
    };
    // Three pixels wide: a dot is 3 x 3, a level line three rows from one
    // end's column before to the other's after.
    EXPECT_EQ(wide(10, 10, 10, 10, 3), box(9, 9, 11, 11));
    EXPECT_EQ(wide(10, 10, 20, 10, 3), box(9, 9, 21, 11));
    EXPECT_EQ(wide(10, 10, 10, 20, 3), box(9, 9, 11, 21));
    // Six: the extra row above, the extra column left; rows 7 to 12 all
    // along, round ends reaching three columns out in their middle rows.
    const Pixels six = wide(10, 10, 20, 10, 6);
    const Pixels body = box(10, 7, 20, 12);
    EXPECT_TRUE(std::includes(six.begin(), six.end(), body.begin(), body.end()));
    EXPECT_TRUE(std::includes(box(7, 7, 22, 12).begin(), box(7, 7, 22, 12).end(), six.begin(), six.end()));
    EXPECT_TRUE(six.count({7, 9}) && six.count({22, 10}) && six.count({7, 10}));
    EXPECT_FALSE(six.count({7, 7}) || six.count({22, 12}) || six.count({7, 12}));
    // Nine: a round end, narrower at its tip (4.5 pixels of radius).
    const Pixels nine = wide(30, 30, 30, 30, 9);
    EXPECT_EQ(nine.size(), 69u);
    EXPECT_TRUE(nine.count({34, 30}) && nine.count({33, 33}) && nine.count({34, 32}));
    EXPECT_FALSE(nine.count({34, 33}) || nine.count({35, 30}));
    // A width of one is the one-pixel line.
    EXPECT_EQ(wide(3, 4, 17, 9, 1), LinePixels(3, 4, 17, 9));
    // A line just off the mask still marks what its width reaches onto it.
    SpanMask mask(20, 10);
    mask.WideLine(-30, -3, 50, -3, 9);
    EXPECT_EQ(Marks(mask, 20, 10), box(0, 0, 19, 1));
}

TEST(SpanMask, LeavesOutWhatFallsOffIt)
{
    SpanMask mask(4, 3);
    mask.Line(-5, -5, 5, 5);
    EXPECT_EQ(Marks(mask, 4, 3), (Pixels{{0, 0}, {1, 1}, {2, 2}}));
    SpanMask outside(4, 3);
    outside.Line(-9, 1, -2, 1);
    outside.Line(1, 3, 3, 7);
    outside.Line(4, 0, 9, 2);
    EXPECT_TRUE(outside.Empty());
    SpanCanvas canvas;
    outside.Flush(canvas);
    EXPECT_TRUE(canvas.m_Spans.empty());
    // No pixels at all: nothing to mark, nothing to fill.
    SpanMask none(0, -3);
    none.Line(0, 0, 3, 3);
    EXPECT_TRUE(none.Empty());
}

TEST(SpanMask, HandsEachRunOfARowOverAsOneSpanAndClears)
{
    // 130 pixels: three words a row, the last one part used.
    SpanMask mask(130, 4);
    mask.Line(60, 1, 70, 1);   // across the first two words
    mask.Line(0, 1, 0, 1);     // a point: nothing
    mask.Line(0, 0, 1, 0);     // at the left edge
    mask.Line(63, 0, 64, 0);   // the two sides of a word boundary
    mask.Line(66, 0, 67, 0);   // after a gap of one
    mask.Line(120, 3, 140, 3); // up to the right edge and past it
    mask.Line(5, 2, 5, 2);     // nothing again
    mask.Line(0, 2, 129, 2);   // the whole row
    SpanCanvas canvas;
    canvas.SelectPen(PenDesc{1, 0x00123456});
    mask.Flush(canvas);
    EXPECT_EQ(canvas.m_Spans,
              (std::vector<Span>{{0, 0, 2}, {0, 63, 65}, {0, 66, 68}, {1, 60, 71}, {2, 0, 130}, {3, 120, 130}}));
    for (const PenDesc& pen : canvas.m_SpanPens)
        EXPECT_EQ(pen, (PenDesc{1, 0x00123456}));
    EXPECT_TRUE(mask.Empty());
    EXPECT_TRUE(Marks(mask, 130, 4).empty());
    canvas.m_Spans.clear();
    mask.Flush(canvas);
    EXPECT_TRUE(canvas.m_Spans.empty());

    // Marked again after a flush, only the new pixels come out.
    mask.Line(3, 3, 5, 3);
    mask.Flush(canvas);
    EXPECT_EQ(canvas.m_Spans, (std::vector<Span>{{3, 3, 6}}));

    // Rows of whole words: a run up to the right edge ends with the row.
    SpanMask words(128, 2);
    words.Line(100, 0, 127, 0);
    words.Line(0, 1, 63, 1);
    canvas.m_Spans.clear();
    words.Flush(canvas);
    EXPECT_EQ(canvas.m_Spans, (std::vector<Span>{{0, 100, 128}, {1, 0, 64}}));
}

TEST(MaskedLines, PutShortSegmentsOnTheMaskAndDrawLongOnesFromWhereTheyStart)
{
    RecordingCanvas canvas;
    SpanMask mask(1000, 100);
    MaskedLines lines(canvas, &mask);
    lines.MoveTo(10, 10);
    lines.LineTo(13, 12);                          // short: the mask
    lines.LineTo(13 + SpanMask::kLongest + 1, 12); // long: the canvas, from (13, 12)
    lines.LineTo(600, 50);                         // long again: continues the canvas's polyline
    lines.LineTo(601, 50);                         // short
    lines.MoveTo(0, 0);
    lines.LineTo(0, 2); // short
    using Call = RecordingCanvas::Call;
    EXPECT_EQ(canvas.m_Calls,
              (std::vector<Call>{
                  {Call::Move, 13, 12}, {Call::Line, 13 + SpanMask::kLongest + 1, 12}, {Call::Line, 600, 50}}));
    EXPECT_TRUE(mask.Marked(10, 10) && mask.Marked(13, 12) && mask.Marked(601, 50) && mask.Marked(0, 1));
    EXPECT_FALSE(mask.Marked(14, 12));

    // A wide pen puts only the shortest segments on the mask.
    canvas.m_Calls.clear();
    lines.SetWidth(3);
    lines.MoveTo(100, 60);
    lines.LineTo(100 + SpanMask::kLongestWide, 62);
    lines.LineTo(101 + 2 * SpanMask::kLongestWide, 62);
    EXPECT_EQ(canvas.m_Calls, (std::vector<Call>{{Call::Move, 100 + SpanMask::kLongestWide, 62},
                                                 {Call::Line, 101 + 2 * SpanMask::kLongestWide, 62}}));
    EXPECT_TRUE(mask.Marked(100, 59) && mask.Marked(100 + SpanMask::kLongestWide, 63));

    // Without a mask every call goes straight through.
    RecordingCanvas direct;
    MaskedLines plain(direct, nullptr);
    plain.MoveTo(1, 2);
    plain.LineTo(3, 4);
    EXPECT_EQ(direct.m_Calls, (std::vector<Call>{{Call::Move, 1, 2}, {Call::Line, 3, 4}}));
}

TEST(Canvas, FillsASpanByDefaultWithAOnePixelLineAndPutsThePenBack)
{
    // The default serves a canvas that draws lines as GDI does, stopping
    // short of the end: x1 is one past the last pixel.
    RecordingCanvas canvas;
    canvas.SelectPen(PenDesc{5, 0x000000FF});
    EXPECT_FALSE(canvas.PaintsPixels());
    canvas.FillSpan(7, 2, 9);
    canvas.FillSpan(8, 4, 4);
    ASSERT_EQ(canvas.m_Segments.size(), 1u);
    EXPECT_EQ(canvas.m_Segments[0], (RecordingCanvas::Segment{2, 7, 9, 7, PenDesc{1, 0x000000FF}, false}));
    EXPECT_EQ(canvas.m_Pen, (PenDesc{5, 0x000000FF}));
}

TEST(Canvas, APaletteCanvasPassesSpansOnInTheShadeOfThePen)
{
    SpanCanvas target;
    {
        PaletteCanvas shown(target, 0x00FFFFFF);
        EXPECT_TRUE(shown.PaintsPixels());
        shown.SelectPen(PenDesc{1, kLoadColor});
        shown.FillSpan(4, 1, 3);
    }
    EXPECT_EQ(target.m_Spans, (std::vector<Span>{{4, 1, 3}}));
    ASSERT_EQ(target.m_SpanPens.size(), 1u);
    EXPECT_EQ(target.m_SpanPens[0].color, ColorOnBackground(kLoadColor, 0x00FFFFFF));
    EXPECT_TRUE(target.m_Segments.empty());
    RecordingCanvas lines;
    EXPECT_FALSE(PaletteCanvas(lines, 0).PaintsPixels());
}

// Every diagram a pixel canvas gets as spans and lines covers the pixels
// the same layer's lines cover on a canvas of lines: nothing dropped, nothing
// added, nothing off the client rectangle, all in the layer's pen.
TEST(SpanMask, ADiagramOnAPixelCanvasCoversThePixelsOfItsLines)
{
    ScratchDir dir;
    Scene scene;
    StructureModel& m = scene.model;
    m.m_OutputDir = dir.Path();
    // Twelve storeys of sixteen bays: a few pixels a member, crowded.
    Load(m, dir.Write("frame.txt", BuildingFrame(12, 16)).c_str());
    m.Solve();
    PostProcess(m);
    for (const auto& [width, height, zoom] : {std::tuple{120, 90, 1.0}, {200, 150, 1.0}, {160, 100, 4.0}}) {
        scene.view.SetUp(width, height, m.m_XMin, m.m_XMax, m.m_YMin, m.m_YMax);
        scene.view.ZoomAt(width / 3, height / 2, scene.view.m_Scale * zoom);
        for (auto draw : {DrawMomentDiagram, DrawShearDiagram, DrawAxialDiagram, DrawDeformedShape}) {
            RecordingCanvas lines;
            draw(lines, scene.view, m, DrawDetail{}, INFINITY);
            ASSERT_FALSE(lines.m_Segments.empty());
            SpanMask expected(width, height);
            for (const RecordingCanvas::Segment& s : lines.m_Segments)
                expected.Line(s.x1, s.y1, s.x2, s.y2);

            SpanCanvas pixels;
            draw(pixels, scene.view, m, DrawDetail{}, INFINITY);
            EXPECT_FALSE(pixels.m_Spans.empty());
            Pixels drawn;
            for (const Span& span : pixels.m_Spans) {
                ASSERT_TRUE(span.y >= 0 && span.y < height && span.x0 >= 0 && span.x0 < span.x1 && span.x1 <= width)
                    << span;
                for (int x = span.x0; x < span.x1; ++x)
                    drawn.insert({x, span.y});
            }
            for (const PenDesc& pen : pixels.m_SpanPens)
                EXPECT_EQ(pen, lines.m_Segments[0].pen);
            SpanMask longOnes(width, height);
            for (const RecordingCanvas::Segment& s : pixels.m_Segments) {
                EXPECT_EQ(s.pen, lines.m_Segments[0].pen);
                longOnes.Line(s.x1, s.y1, s.x2, s.y2);
            }
            const Pixels rest = Marks(longOnes, width, height);
            drawn.insert(rest.begin(), rest.end());
            EXPECT_EQ(drawn, Marks(expected, width, height)) << width << " x " << height << " zoom " << zoom;
        }
    }
}
