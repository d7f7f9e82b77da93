// Picture export on Windows: PNG drawn by GDI and encoded by the Windows
// Imaging Component, SVG by the shared writer, PDF refused; and the render
// command end to end on the portal frame.
#include "win32/Render.h"

#include "cli/Render.h"
#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "graphics/Canvas.h"
#include "support/TestSupport.h"
#include "win32/Pixels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

const std::string kPortal = ReadFile(VELA_EXAMPLES_DIR "/portal.txt");

void DrawFakeLayer(Canvas& canvas)
{
    const PenDesc before = canvas.SelectPen({3, 0x00FF0000});
    canvas.MoveTo(20, 100);
    canvas.LineTo(280, 100);
    canvas.SelectPen({1, 0x0000FF00});
    canvas.MoveTo(40, 20);
    canvas.LineTo(80, 20);
    canvas.LineTo(80, 60);
    canvas.LineTo(40, 60);
    canvas.LineTo(40, 20);
    canvas.SelectPen(before);
}

PictureOptions Options(int width, int height, COLORREF background)
{
    PictureOptions options;
    options.width = width;
    options.height = height;
    options.background = background;
    return options;
}

void ExpectFakeLayerPixels(const Pixels& image, std::uint32_t background)
{
    ASSERT_EQ(image.width, 300);
    ASSERT_EQ(image.height, 200);
    EXPECT_EQ(image.At(150, 100), 0x0000FFu);
    EXPECT_EQ(image.At(150, 99), 0x0000FFu);
    EXPECT_EQ(image.At(150, 101), 0x0000FFu);
    EXPECT_EQ(image.At(150, 98), background);
    EXPECT_EQ(image.At(150, 102), background);
    EXPECT_EQ(image.At(60, 19), background);
    EXPECT_EQ(image.At(60, 20), 0x00FF00u);
    EXPECT_EQ(image.At(80, 40), 0x00FF00u);
    EXPECT_EQ(image.At(60, 40), background);
    EXPECT_EQ(image.At(0, 0), background);
    EXPECT_EQ(image.At(299, 199), background);
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder)))
        names.insert(Utf8FromPath(entry.path().filename()));
    return names;
}

int Render(const std::vector<std::string>& args, std::string* err = nullptr)
{
    testing::internal::CaptureStderr();
    const int status = RunRenderCommand(args);
    const std::string text = testing::internal::GetCapturedStderr();
    if (err)
        *err = text;
    else
        EXPECT_EQ(text, "");
    return status;
}

} // namespace

TEST(WindowsRender, WritesAPngOfTheAskedSizeOnEitherBackground)
{
    const ScratchDir dir;
    for (const std::uint32_t background : {0x000000u, 0xFFFFFFu}) {
        const std::string path = dir.File("frame.png");
        RenderPicture(Options(300, 200, background), path, DrawFakeLayer);
        EXPECT_EQ(ReadFile(path).substr(0, 8), "\x89PNG\r\n\x1A\n");
        ExpectFakeLayerPixels(DecodePng(path), background);
    }
    // Only the picture is left in the folder: no temporary file beside it.
    EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"frame.png"});
}

TEST(WindowsRender, SvgIsTheSharedWritersAndPdfIsRefusedLeavingTheFileAlone)
{
    const ScratchDir dir;
    const std::string svg = dir.File("框架.SVG");
    RenderPicture(Options(300, 200, 0xFFFFFF), svg, DrawFakeLayer);
    EXPECT_EQ(ReadFile(svg), DrawSvgPicture(Options(300, 200, 0xFFFFFF), DrawFakeLayer));

    const std::string pdf = dir.Write("frame.pdf", "keep");
    try {
        RenderPicture(Options(300, 200, 0), pdf, DrawFakeLayer);
        ADD_FAILURE() << "wrote a PDF";
    } catch (const FatalError& error) {
        EXPECT_EQ(error.Status(), 1);
        EXPECT_NE(std::string(error.Message()).find("Linux build"), std::string::npos) << error.Message();
    }
    EXPECT_EQ(ReadFile(pdf), "keep");
    const std::string png = dir.Write("frame.png", "keep");
    EXPECT_THROW(RenderPicture(Options(0, 100, 0), png, DrawFakeLayer), FatalError);
    EXPECT_THROW(RenderPicture(Options(100, kMaxPictureSide + 1, 0), png, DrawFakeLayer), FatalError);
    EXPECT_EQ(ReadFile(png), "keep");
    try {
        RenderPicture(Options(100, 100, 0), dir.File("missing/frame.png"), DrawFakeLayer);
        ADD_FAILURE() << "no error";
    } catch (const FatalError& error) {
        EXPECT_NE(std::string(error.Message()).find("missing/frame.png"), std::string::npos);
    }
}

TEST(WindowsRender, TheRenderCommandDrawsThePortalFrameAndItsMoment)
{
    const ScratchDir work;
    const std::string input = work.Write("门式刚架.txt", kPortal);

    // Members alone keep the box's fit: in a 1024 x 768 client the 6 x 4
    // frame is drawn at 162.13 pixels per unit about (512, 384): the beam
    // runs along y = 60 from x = 26 to 998, the columns down to y = 708.
    {
        const std::string output = work.File("杆件.png");
        ASSERT_EQ(Render({input, "-o", output, "--layers", "structure"}), 0);
        const Pixels image = DecodePng(output);
        ASSERT_EQ(image.width, 1024);
        ASSERT_EQ(image.height, 768);
        EXPECT_EQ(image.At(512, 60), 0x0000FFu); // the beam, 6 pixels wide
        EXPECT_EQ(image.At(512, 58), 0x0000FFu);
        EXPECT_EQ(image.At(512, 62), 0x0000FFu);
        EXPECT_EQ(image.At(26, 384), 0x0000FFu); // a column, 3 pixels wide
        EXPECT_EQ(image.At(998, 384), 0x0000FFu);
        EXPECT_EQ(image.At(300, 300), 0u); // black background
    }

    // With the loads and supports, or the diagram, the fit takes them in:
    // the frame is drawn smaller, and nothing touches the picture's edges.
    for (const char* layers : {"structure,loads,supports", "moment"}) {
        const std::string output = work.File(std::string(layers) == "moment" ? "弯矩.png" : "结构.png");
        ASSERT_EQ(Render({input, "-o", output, "--layers", layers}), 0);
        const Pixels image = DecodePng(output);
        ASSERT_EQ(image.width, 1024);
        ASSERT_EQ(image.height, 768);
        int beam = 0;
        while (beam < image.height && image.At(512, beam) != 0x0000FFu)
            ++beam;
        EXPECT_GT(beam, 60) << layers;
        EXPECT_LT(beam, 384) << layers;
        int column = 0;
        while (column < image.width && image.At(column, beam + 150) != 0x0000FFu)
            ++column;
        EXPECT_GT(column, 26) << layers;
        EXPECT_LT(column, 512) << layers;
        int edge = 0;
        for (int x = 0; x < image.width; ++x)
            edge += (image.At(x, 0) != 0u) + (image.At(x, image.height - 1) != 0u);
        for (int y = 0; y < image.height; ++y)
            edge += (image.At(0, y) != 0u) + (image.At(image.width - 1, y) != 0u);
        EXPECT_EQ(edge, 0) << layers;
        int green = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                green += image.At(x, y) == 0x00FF00u;
        if (std::string(layers) == "moment") {
            EXPECT_GT(image.RedPixels(), 200);
            EXPECT_EQ(green, 0) << "no support under a diagram";
        } else {
            EXPECT_GT(green, 20);             // the supports
            EXPECT_GT(image.RedPixels(), 50); // the loads
        }
    }
    EXPECT_EQ(Names(work.Path()), (std::set<std::string>{"门式刚架.txt", "杆件.png", "结构.png", "弯矩.png"}));

    // Size, background, and a PDF refused before anything is solved.
    ASSERT_EQ(Render({input, "-o", work.File("small.png"), "--layers", "structure", "--size", "300x200", "--background",
                      "white"}),
              0);
    const Pixels small = DecodePng(work.File("small.png"));
    EXPECT_EQ(small.width, 300);
    EXPECT_EQ(small.At(150, 150), 0xFFFFFFu);
    EXPECT_EQ(small.At(150, 5), 0x0000FFu); // 300 / 6 * 0.95 = 47.5 per unit: the beam at y = 100 - 95
    std::string err;
    EXPECT_EQ(Render({input, "-o", work.File("moment.pdf"), "--layers", "moment"}, &err), 1);
    EXPECT_NE(err.find("PDF pictures are made by the Linux build"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(work.File("moment.pdf")));
}
