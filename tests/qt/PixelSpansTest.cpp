// Spans of pixels on the Qt canvas: the mask that gathers a diagram's lines
// marks the pixels Qt's own lines cover, the canvas writes spans where its
// image is, and the window's picture with spans is the picture with lines.

#include "app/AppState.h"
#include "app/FakePlatform.h"
#include "app/Menu.h"
#include "app/Platform.h"
#include "core/PlatformFiles.h"
#include "graphics/SpanMask.h"
#include "graphics/ViewTransform.h"
#include "qt/QtCanvas.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <utility>

namespace {

constexpr QRgb kBlack = 0xFF000000;

QImage Draw(int width, int height, const std::function<void(QtCanvas&)>& draw)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kBlack);
    QPainter painter(&image);
    {
        QtCanvas canvas(painter);
        draw(canvas);
    }
    painter.end();
    return image;
}

// The pixels a mask marks, white on black.
QImage MaskImage(const SpanMask& mask, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kBlack);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (mask.Marked(x, y))
                image.setPixel(x, y, 0xFFFFFFFF);
    return image;
}

int Differences(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

int Painted(const QImage& image, QRgb background)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != background;
    return count;
}

// Hands everything on but says it is no raster: the layers then draw every
// line as a line, through the same Qt canvas.
class LinesOnly : public Canvas {
public:
    explicit LinesOnly(Canvas& target) : m_Target(target) {}
    PenDesc SelectPen(const PenDesc& pen) override { return m_Target.SelectPen(pen); }
    FontDesc SelectFont(const FontDesc& font) override { return m_Target.SelectFont(font); }
    COLORREF SetTextColor(COLORREF color) override { return m_Target.SetTextColor(color); }
    bool SetTransparentText(bool transparent) override { return m_Target.SetTransparentText(transparent); }
    bool SetInvert(bool invert) override { return m_Target.SetInvert(invert); }
    void MoveTo(int x, int y) override { m_Target.MoveTo(x, y); }
    void LineTo(int x, int y) override { m_Target.LineTo(x, y); }
    void TextOut(int x, int y, std::string_view text) override { m_Target.TextOut(x, y, text); }

private:
    Canvas& m_Target;
};

} // namespace

TEST(SpanMaskOnQt, MarksThePixelsOfQtsOwnLines)
{
    constexpr int kWidth = 320, kHeight = 200;
    std::mt19937 random(20261208);
    int lines = 0;
    auto check = [&](int x0, int y0, int x1, int y1) {
        SpanMask mask(kWidth, kHeight);
        mask.Line(x0, y0, x1, y1);
        const QImage qt = Draw(kWidth, kHeight, [&](QtCanvas& canvas) {
            canvas.SelectPen(PenDesc{1, 0x00FFFFFF});
            canvas.MoveTo(x0, y0);
            canvas.LineTo(x1, y1);
        });
        ++lines;
        EXPECT_EQ(Differences(MaskImage(mask, kWidth, kHeight), qt), 0)
            << "(" << x0 << ", " << y0 << ")-(" << x1 << ", " << y1 << ")";
    };
    // Every direction a short segment of a diagram can take.
    for (int dx = -9; dx <= 9; ++dx)
        for (int dy = -9; dy <= 9; ++dy)
            check(100, 100, 100 + dx, 100 + dy);
    // Random lines up to the longest the mask takes, inside the image.
    std::uniform_int_distribution<int> length(-SpanMask::kLongest, SpanMask::kLongest);
    std::uniform_int_distribution<int> x(0, kWidth - 1), y(0, kHeight - 1);
    for (int i = 0; i < 300; ++i) {
        const int x0 = x(random), y0 = y(random);
        const int x1 = std::clamp(x0 + length(random) / (1 + i % 8), 0, kWidth - 1);
        const int y1 = std::clamp(y0 + length(random) / (1 + i % 5), 0, kHeight - 1);
        check(x0, y0, x1, y1);
    }
    // Lines that leave the image across each edge and at the corners.
    std::uniform_int_distribution<int> near(-12, 12);
    for (int i = 0; i < 200; ++i) {
        const int edgeX = i % 4 == 0 ? 0 : i % 4 == 1 ? kWidth - 1 : x(random);
        const int edgeY = i % 4 == 2 ? 0 : i % 4 == 3 ? kHeight - 1 : y(random);
        check(edgeX + near(random), edgeY + near(random), edgeX + near(random), edgeY + near(random));
    }
    // And lines that cross the image or pass by its corners far out.
    std::uniform_int_distribution<int> far(-120, 120);
    for (int i = 0; i < 200; ++i) {
        const int cornerX = i % 2 == 0 ? 0 : kWidth - 1, cornerY = i % 4 < 2 ? 0 : kHeight - 1;
        check(cornerX + far(random), cornerY + far(random), cornerX + far(random), cornerY + far(random));
    }
    EXPECT_EQ(lines, 19 * 19 + 700);
}

TEST(QtCanvasSpans, AreWrittenInThePensColourInsideTheImage)
{
    const QImage image = Draw(40, 10, [](QtCanvas& canvas) {
        EXPECT_TRUE(canvas.PaintsPixels());
        canvas.SelectPen(PenDesc{7, MakeColorRef(10, 200, 30)});
        canvas.FillSpan(2, 5, 9);
        canvas.FillSpan(4, -3, 2);  // off the left edge
        canvas.FillSpan(5, 38, 45); // off the right edge
        canvas.FillSpan(-1, 0, 40); // rows off the image
        canvas.FillSpan(10, 0, 40);
        canvas.FillSpan(6, 9, 9); // empty
    });
    const QRgb green = qRgb(10, 200, 30);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = (y == 2 && x >= 5 && x < 9) || (y == 4 && x < 2) || (y == 5 && x >= 38);
            EXPECT_EQ(image.pixel(x, y), inside ? green : kBlack) << x << ", " << y;
        }

    // Inverting: spans flip their pixels like lines do, twice back.
    QImage flipped(20, 4, QImage::Format_RGB32);
    flipped.fill(qRgb(1, 2, 3));
    {
        QPainter painter(&flipped);
        QtCanvas canvas(painter);
        canvas.SetInvert(true);
        canvas.FillSpan(1, 2, 6);
        canvas.FillSpan(2, 4, 5);
        canvas.FillSpan(2, 4, 5);
    }
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(flipped.pixel(x, 1), x >= 2 && x < 6 ? qRgb(254, 253, 252) : qRgb(1, 2, 3)) << x;
        EXPECT_EQ(flipped.pixel(x, 2), qRgb(1, 2, 3)) << x;
    }
}

TEST(QtCanvasSpans, GoOnlyWhereOneClientPixelIsOneDevicePixel)
{
    // A screen of two device pixels to the client pixel: the layers draw
    // lines, which the painter scales.
    QImage doubled(40, 40, QImage::Format_RGB32);
    doubled.setDevicePixelRatio(2);
    {
        QPainter painter(&doubled);
        QtCanvas canvas(painter);
        EXPECT_FALSE(canvas.PaintsPixels());
    }
    QSvgGenerator svg;
    svg.setSize(QSize(40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    svg.setOutputDevice(&buffer);
    {
        QPainter painter(&svg);
        QtCanvas canvas(painter, QtCanvas::Surface::Vector);
        EXPECT_FALSE(canvas.PaintsPixels());
    }
    // Another kind of image: through the painter, same pixels.
    QImage rgb888(12, 3, QImage::Format_RGB888);
    rgb888.fill(Qt::black);
    {
        QPainter painter(&rgb888);
        QtCanvas canvas(painter);
        EXPECT_TRUE(canvas.PaintsPixels());
        canvas.SelectPen(PenDesc{1, 0x000000FF});
        canvas.FillSpan(1, 3, 7);
    }
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(rgb888.pixel(x, 1), x >= 3 && x < 7 ? qRgb(255, 0, 0) : kBlack) << x;
}

// Pixels that differ between a and b with no neighbour (of the eight)
// painted in both: a line moved or lost, rather than a pixel at the rim of
// a line or at a join drawn another way.
int StrayDifferences(const QImage& a, const QImage& b, QRgb background)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == b.pixel(x, y))
                continue;
            bool beside = false;
            for (int dy = -1; dy <= 1 && !beside; ++dy)
                for (int dx = -1; dx <= 1 && !beside; ++dx) {
                    const QPoint n(x + dx, y + dy);
                    beside = a.valid(n) && a.pixel(n) != background && b.pixel(n) != background;
                }
            count += !beside;
        }
    return count;
}

// The window's picture of a frame of 2,500 members, each a few pixels long
// at the fitted view, with every diagram and its values: drawn with spans
// it is the picture drawn with Qt's lines, fitted and zoomed. Each segment
// on the mask covers exactly the pixels Qt's line would; where segments
// meet, Qt's polyline leaves out or adds a pixel by rules of its own (a
// segment of a pixel that adds nothing moves no point), which the mask
// does not follow: a few pixels at joins, each beside the line it belongs
// to, under one in a hundred of the pixels painted (0.2 to 0.5 here).
TEST(WindowPicture, WithSpansIsThePictureWithLines)
{
    ScratchDir home;
    FakePlatform platform;
    platform.m_CurrentDirectory = home.Path();
    AppState app(platform);
    constexpr int kWidth = 400, kHeight = 300;
    app.OnSize(kWidth, kHeight);
    ASSERT_TRUE(app.OpenChosenFile(home.Write("frame.txt", BuildingFrame(40, 30))));
    app.OnCommand(MenuId::Solve);
    ASSERT_TRUE(app.m_Solved);

    for (int layer : {MenuId::BendingMoment, MenuId::ShearingForce, MenuId::AxialForce, MenuId::Deformed}) {
        app.OnCommand(layer);
        for (double zoom : {1.0, 3.0, 12.0, 60.0}) {
            app.m_View->FitToBox();
            app.m_View->ZoomAt(kWidth / 3, kHeight / 2, app.m_View->m_Scale * zoom);
            QImage spans(kWidth, kHeight, QImage::Format_RGB32);
            QImage lines(kWidth, kHeight, QImage::Format_RGB32);
            for (QImage* image : {&spans, &lines}) {
                image->fill(ColorFromColorRef(app.BackgroundColor()));
                QPainter painter(image);
                QtCanvas canvas(painter);
                if (image == &spans) {
                    app.Paint(canvas);
                } else {
                    LinesOnly plain(canvas);
                    app.Paint(plain);
                }
            }
            const QRgb background = ColorFromColorRef(app.BackgroundColor()).rgb();
            EXPECT_GT(Painted(lines, background), kWidth * kHeight / 200) << layer << " x" << zoom;
            EXPECT_LE(Differences(spans, lines), Painted(lines, background) / 100) << layer << " x" << zoom;
            EXPECT_EQ(StrayDifferences(spans, lines, background), 0) << layer << " x" << zoom;
        }
    }
}
