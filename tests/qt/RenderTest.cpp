#include "qt/Render.h"

#include "core/FatalError.h"
#include "graphics/Canvas.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

// A stand-in layer: a 3-pixel blue member across the middle and a green
// square, both at fixed pixels, so the pictures can be checked pixel by pixel.
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

QRgb Rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

void ExpectFakeLayerPixels(const QImage& image, QRgb background)
{
    EXPECT_EQ(Rgb(image, 150, 100), 0x0000FFu);
    EXPECT_EQ(Rgb(image, 150, 99), 0x0000FFu);
    EXPECT_EQ(Rgb(image, 150, 101), 0x0000FFu);
    // Nothing bleeds beside the member, whether the picture was drawn on
    // pixels or rendered from a vector file.
    EXPECT_EQ(Rgb(image, 150, 98), background);
    EXPECT_EQ(Rgb(image, 150, 102), background);
    EXPECT_EQ(Rgb(image, 60, 19), background);
    EXPECT_EQ(Rgb(image, 60, 21), background);
    EXPECT_EQ(Rgb(image, 60, 20), 0x00FF00u);
    EXPECT_EQ(Rgb(image, 80, 40), 0x00FF00u);
    EXPECT_EQ(Rgb(image, 60, 40), background);
    EXPECT_EQ(Rgb(image, 150, 150), background);
    EXPECT_EQ(Rgb(image, 0, 0), background);
    EXPECT_EQ(Rgb(image, image.width() - 1, image.height() - 1), background);
}

} // namespace

TEST(Render, TellsTheFormatByTheExtensionInAnyCase)
{
    EXPECT_EQ(PictureFormatOf("frame.png"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatOf("out/Frame.PNG"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatOf("a.b.Svg"), PictureFormat::Svg);
    EXPECT_EQ(PictureFormatOf("/tmp/x.pdf"), PictureFormat::Pdf);
    for (const char* bad : {"frame.bmp", "frame", "frame.png.txt", "dir.png/frame", ".png/x", "png"}) {
        try {
            PictureFormatOf(bad);
            ADD_FAILURE() << bad << " was accepted";
        } catch (const FatalError& error) {
            EXPECT_EQ(error.Status(), 1);
            EXPECT_NE(std::string(error.Message()).find(".png, .svg or .pdf"), std::string::npos);
        }
    }
}

TEST(Render, WritesAPngOfTheAskedSizeOnEitherBackground)
{
    const ScratchDir dir;
    for (const auto& [background, rgb] :
         {std::pair{COLORREF{0}, QRgb{0}}, std::pair{COLORREF{0xFFFFFF}, QRgb{0xFFFFFF}}}) {
        const std::string path = dir.File("frame.png");
        RenderPicture(Options(300, 200, background), path, DrawFakeLayer);
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(path), "PNG"));
        EXPECT_EQ(image.size(), QSize(300, 200));
        ExpectFakeLayerPixels(image, rgb);
    }
    // Only the picture is left in the folder: no temporary file beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

TEST(Render, WritesAnSvgOfTheAskedSizeInCssPixels)
{
    const ScratchDir dir;
    const std::string path = dir.File("frame.SVG");
    RenderPicture(Options(300, 200, 0xFFFFFF), path, DrawFakeLayer);
    const std::string svg = ReadFile(path);
    ASSERT_EQ(svg.rfind("<?xml", 0), 0u) << svg.substr(0, 100);
    EXPECT_NE(svg.find("viewBox=\"0 0 300 200\""), std::string::npos);

    QSvgRenderer renderer(QString::fromStdString(path));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), QSize(300, 200));
    QImage image(renderer.defaultSize(), QImage::Format_RGB32);
    image.fill(Qt::red);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    ExpectFakeLayerPixels(image, 0xFFFFFF);
}

TEST(Render, WritesAPdfWhosePageIsTheClientAreaAt96Dpi)
{
    const ScratchDir dir;
    const std::string path = dir.File("frame.pdf");
    RenderPicture(Options(300, 200, 0), path, DrawFakeLayer);
    const std::string pdf = ReadFile(path);
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    // 300 x 200 pixels at 96 per inch are 225 x 150 points.
    const QRegularExpression mediaBox(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]"));
    const QRegularExpressionMatch match =
        mediaBox.match(QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size())));
    ASSERT_TRUE(match.hasMatch());
    EXPECT_NEAR(match.captured(1).toDouble(), 225.0, 0.5);
    EXPECT_NEAR(match.captured(2).toDouble(), 150.0, 0.5);
    // One page only.
    const QString text = QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size()));
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type /Page\\s"))), 1);
}

TEST(Render, APdfRasterisesToTheSamePixelsAsThePicture)
{
    // poppler's rasteriser, antialiasing off, at the 96 dpi the page was
    // laid out for: the members must land on the pixels the window uses.
    if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const ScratchDir dir;
    const std::string path = dir.File("frame.pdf");
    RenderPicture(Options(300, 200, 0xFFFFFF), path, DrawFakeLayer);
    const std::string command =
        "pdftoppm -r 96 -png -singlefile -aa no -aaVector no '" + path + "' '" + dir.File("page") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    QImage image(QString::fromStdString(dir.File("page.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 300);
    EXPECT_EQ(image.height(), 200);
    ExpectFakeLayerPixels(image, 0xFFFFFF);
}

TEST(Render, FailsClearlyWithoutTouchingAnExistingFile)
{
    const ScratchDir dir;
    // A folder that does not exist.
    try {
        RenderPicture(Options(100, 100, 0), dir.File("missing/frame.png"), DrawFakeLayer);
        ADD_FAILURE() << "no error";
    } catch (const FatalError& error) {
        EXPECT_EQ(error.Status(), 1);
        EXPECT_NE(std::string(error.Message()).find("missing/frame.png"), std::string::npos);
    }
    // An unknown extension leaves the file alone.
    const std::string existing = dir.Write("frame.gif", "keep");
    EXPECT_THROW(RenderPicture(Options(100, 100, 0), existing, DrawFakeLayer), FatalError);
    EXPECT_EQ(ReadFile(existing), "keep");
    // So does a size no picture can have.
    const std::string png = dir.Write("frame.png", "keep");
    EXPECT_THROW(RenderPicture(Options(0, 100, 0), png, DrawFakeLayer), FatalError);
    EXPECT_THROW(RenderPicture(Options(100, kMaxPictureSide + 1, 0), png, DrawFakeLayer), FatalError);
    EXPECT_EQ(ReadFile(png), "keep");
}
