#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "core/Warnings.h"
#include "graphics/Layers.h"
#include "graphics/Picture.h"
#include "graphics/RecordingCanvas.h"
#include "graphics/SvgCanvas.h"
#include "graphics/ViewTransform.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// The elements of one kind ("<polyline", "<text"), each up to its end.
std::vector<std::string> Elements(const std::string& svg, const std::string& start)
{
    std::vector<std::string> found;
    for (std::size_t at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1))
        found.push_back(svg.substr(at, svg.find('\n', at) - at));
    return found;
}

std::string Hex(COLORREF color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<unsigned>(color & 0xFF),
                  static_cast<unsigned>((color >> 8) & 0xFF), static_cast<unsigned>((color >> 16) & 0xFF));
    return text;
}

std::string Attribute(const std::string& element, const std::string& name)
{
    const std::size_t at = element.find(" " + name + "=\"");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + name.size() + 3;
    return element.substr(start, element.find('"', start) - start);
}

// A segment of a polyline, back in the canvas's integer pixels, with its
// width and colour.
using Segment = std::tuple<int, int, int, int, int, std::string>;

std::vector<Segment> Segments(const std::string& svg)
{
    std::vector<Segment> segments;
    for (const std::string& line : Elements(svg, "<polyline")) {
        const int width = std::stoi(Attribute(line, "stroke-width"));
        const double offset = width % 2 == 1 ? 0.5 : 0.0;
        std::istringstream points(Attribute(line, "points"));
        std::vector<std::pair<int, int>> corners;
        double x = 0, y = 0;
        char comma = 0;
        while (points >> x >> comma >> y)
            corners.emplace_back(static_cast<int>(std::lround(x - offset)), static_cast<int>(std::lround(y - offset)));
        for (std::size_t i = 1; i < corners.size(); ++i)
            segments.emplace_back(corners[i - 1].first, corners[i - 1].second, corners[i].first, corners[i].second,
                                  width, Attribute(line, "stroke"));
    }
    return segments;
}

} // namespace

TEST(SvgCanvas, ADocumentOfThePicturesSizeOnItsBackground)
{
    SvgCanvas canvas(300, 200, MakeColorRef(255, 255, 255));
    const std::string svg = canvas.Finish();
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);
    EXPECT_NE(svg.find("width=\"300\" height=\"200\" viewBox=\"0 0 300 200\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<rect x=\"0\" y=\"0\" width=\"300\" height=\"200\" fill=\"#ffffff\"/>"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    // Colours are 0x00BBGGRR: red is the low byte.
    SvgCanvas red(1, 1, MakeColorRef(255, 16, 1));
    EXPECT_NE(red.Finish().find("fill=\"#ff1001\""), std::string::npos);
}

TEST(SvgCanvas, LinesAreGatheredIntoPolylinesOnTheWindowsPixels)
{
    SvgCanvas canvas(300, 200, 0);
    canvas.SelectPen({3, 0x00FF0000});
    canvas.MoveTo(20, 100);
    canvas.LineTo(280, 100);
    canvas.SelectPen({1, 0x0000FF00});
    canvas.MoveTo(40, 20);
    canvas.LineTo(80, 20);
    canvas.LineTo(80, 60);
    canvas.LineTo(-40, 60);
    canvas.SelectPen({2, 0x000000FF});
    canvas.MoveTo(5, 5);
    canvas.LineTo(5, 5); // no length: nothing drawn
    canvas.MoveTo(10, 10);
    canvas.LineTo(12, 10);
    canvas.SelectPen({0, 0});
    canvas.MoveTo(0, 0);
    canvas.LineTo(1, 1);
    const std::string svg = canvas.Finish();
    const std::vector<std::string> lines = Elements(svg, "<polyline");
    ASSERT_EQ(lines.size(), 4u) << svg;
    // Odd widths are centred on the pixel row, so they sit half a unit in.
    EXPECT_EQ(Attribute(lines[0], "points"), "20.5,100.5 280.5,100.5");
    EXPECT_EQ(Attribute(lines[0], "stroke"), "#0000ff");
    EXPECT_EQ(Attribute(lines[0], "stroke-width"), "3");
    EXPECT_EQ(Attribute(lines[0], "stroke-linecap"), "round");
    EXPECT_EQ(Attribute(lines[1], "points"), "40.5,20.5 80.5,20.5 80.5,60.5 -39.5,60.5");
    EXPECT_EQ(Attribute(lines[1], "stroke-linecap"), "square");
    EXPECT_EQ(Attribute(lines[1], "stroke-linejoin"), "miter");
    // Even widths lie on the line between two rows.
    EXPECT_EQ(Attribute(lines[2], "points"), "10,10 12,10");
    // Width 0 is GDI's one pixel.
    EXPECT_EQ(Attribute(lines[3], "stroke-width"), "1");
    EXPECT_EQ(Attribute(lines[3], "points"), "0.5,0.5 1.5,1.5");
    EXPECT_EQ(Count(svg, "fill=\"none\""), 4);
}

TEST(SvgCanvas, InvertedLinesUseTheDifferenceBlendInWhite)
{
    SvgCanvas canvas(10, 10, 0);
    canvas.SelectPen({1, kRed});
    EXPECT_FALSE(canvas.SetInvert(true));
    canvas.MoveTo(1, 1);
    canvas.LineTo(8, 1);
    EXPECT_TRUE(canvas.SetInvert(false));
    canvas.MoveTo(1, 2);
    canvas.LineTo(8, 2);
    const std::vector<std::string> lines = Elements(canvas.Finish(), "<polyline");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Attribute(lines[0], "stroke"), "#ffffff");
    EXPECT_EQ(Attribute(lines[0], "style"), "mix-blend-mode:difference");
    EXPECT_EQ(Attribute(lines[1], "stroke"), "#ff0000");
    EXPECT_EQ(Attribute(lines[1], "style"), "");
}

TEST(SvgCanvas, TextSitsInItsCellWithTheFontsMetricsAndIsEscaped)
{
    SvgCanvas canvas(100, 100, 0);
    EXPECT_EQ(canvas.SetTextColor(MakeColorRef(255, 215, 0)), 0u);
    canvas.SelectFont({"Times New Roman", 16, 0});
    canvas.TextOut(10, 20, "12");
    // A 16-pixel cell is a 14-pixel em, whose ascent rounds to 12 pixels.
    canvas.SelectFont({"Times New Roman", -20, 0});
    canvas.TextOut(0, 0, "a<b & \"c\">d");
    canvas.SelectFont({"Times New Roman", 20, 6});
    canvas.TextOut(5, 5, "7");
    canvas.SelectFont({});
    canvas.TextOut(1, 1, "节点\x01\xFF");
    canvas.TextOut(1, 1, "");
    const std::string svg = canvas.Finish();
    const std::vector<std::string> texts = Elements(svg, "<text");
    ASSERT_EQ(texts.size(), 4u) << svg;

    EXPECT_EQ(Attribute(texts[0], "x"), "10");
    EXPECT_EQ(Attribute(texts[0], "y"), "32"); // 20 + round(14 * 1825 / 2048)
    EXPECT_EQ(Attribute(texts[0], "font-size"), "14");
    EXPECT_EQ(Attribute(texts[0], "font-family"), "Times New Roman");
    EXPECT_EQ(Attribute(texts[0], "fill"), "#ffd700");
    EXPECT_NE(texts[0].find(">12</text>"), std::string::npos);

    // A negative height is the em itself.
    EXPECT_EQ(Attribute(texts[1], "font-size"), "20");
    EXPECT_EQ(Attribute(texts[1], "y"), "18");
    EXPECT_NE(texts[1].find(">a&lt;b &amp; &quot;c&quot;&gt;d</text>"), std::string::npos) << texts[1];

    // A character width narrows the glyphs: 6 pixels against the face's
    // 0.401 em at 18 pixels.
    EXPECT_EQ(Attribute(texts[2], "transform"), "translate(5 21) scale(0.8315 1)");

    // The default font: no face, a 16-pixel cell; control characters are
    // left out and a byte that is not UTF-8 shows as U+FFFD.
    EXPECT_EQ(Attribute(texts[3], "font-family"), "");
    EXPECT_EQ(Attribute(texts[3], "font-size"), "14");
    EXPECT_NE(texts[3].find(">节点\xEF\xBF\xBD</text>"), std::string::npos) << texts[3];
}

TEST(SvgCanvas, DrawsExactlyWhatTheLayersDrawOnTheRecordingCanvas)
{
    // The comprehensive example, solved, with every layer: each segment the
    // layers draw is in the document with its pen, and each text.
    const ScratchDir dir;
    CollectingWarnings warnings;
    StructureModel model;
    model.m_OutputDir = dir.Path();
    model.m_Warnings = &warnings;
    Load(model, (std::string(VELA_EXAMPLES_DIR) + "/综合算例.txt").c_str());
    model.Solve();
    PostProcess(model);
    ViewTransform view;
    view.SetUp(1024, 768, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);

    RecordingCanvas recording;
    DrawLayers(recording, view, model, AllLayers(true));
    PictureOptions options;
    const std::string svg =
        DrawSvgPicture(options, [&](Canvas& canvas) { DrawLayers(canvas, view, model, AllLayers(true)); });

    std::map<Segment, int> expected, written;
    for (const RecordingCanvas::Segment& s : recording.m_Segments)
        if (s.x1 != s.x2 || s.y1 != s.y2) {
            ++expected[{s.x1, s.y1, s.x2, s.y2, std::max(1, s.pen.width), Hex(s.pen.color)}];
        }
    for (const Segment& s : Segments(svg))
        if (std::get<0>(s) != std::get<2>(s) || std::get<1>(s) != std::get<3>(s))
            ++written[s];
    ASSERT_GT(expected.size(), 100u);
    EXPECT_EQ(written, expected);

    const std::vector<std::string> texts = Elements(svg, "<text");
    ASSERT_EQ(texts.size(), recording.m_Texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_NE(texts[i].find(">" + recording.m_Texts[i].text + "</text>"), std::string::npos) << texts[i];
}

TEST(Picture, TellsTheFormatByTheExtensionAndRefusesImpossibleSizes)
{
    EXPECT_EQ(PictureFormatOf("frame.png"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatOf("out/Frame.PNG"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatOf("a.b.Svg"), PictureFormat::Svg);
    EXPECT_EQ(PictureFormatOf("结果/框架.pdf"), PictureFormat::Pdf);
    for (const char* bad : {"frame.bmp", "frame", "frame.png.txt", "dir.png/frame", "dir.png\\frame", "png"})
        EXPECT_THROW(PictureFormatOf(bad), FatalError) << bad;

    PictureOptions options;
    EXPECT_NO_THROW(CheckPictureSize(options));
    for (const auto& [width, height] : {std::pair{0, 10}, std::pair{10, -1}, std::pair{kMaxPictureSide + 1, 10}}) {
        options.width = width;
        options.height = height;
        EXPECT_THROW(CheckPictureSize(options), FatalError) << width << " x " << height;
    }
}
