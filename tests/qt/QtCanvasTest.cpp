#include "qt/QtCanvas.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr COLORREF kLoadColour = MakeColorRef(255, 1, 0);
constexpr COLORREF kElementColour = 0x00FF0000; // RGB 0, 0, 255
constexpr COLORREF kNodeNumberColour = 0x0000D7FF; // RGB 255, 215, 0

QImage Draw(int width, int height, QRgb background, const std::function<void(QtCanvas&)>& draw)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    {
        QtCanvas canvas(painter);
        draw(canvas);
    }
    painter.end();
    return image;
}

QRgb Pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// The columns of row y whose colour differs from the background.
std::vector<int> MarkedColumns(const QImage& image, int y, QRgb background)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (Pixel(image, x, y) != (background & 0xFFFFFF))
            columns.push_back(x);
    return columns;
}

QRect MarkedBox(const QImage& image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Pixel(image, x, y) != (background & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    return box;
}

// A background with every pixel different, so that an inversion that misses
// or doubles a pixel cannot go unnoticed.
QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 11) & 0xFF, (x * y) & 0xFF));
    return image;
}

} // namespace

TEST(QtCanvas, TurnsWindowsColourValuesIntoTheirRgb)
{
    EXPECT_EQ(ColorFromColorRef(kLoadColour), QColor(255, 1, 0));
    EXPECT_EQ(ColorFromColorRef(kElementColour), QColor(0, 0, 255));
    EXPECT_EQ(ColorFromColorRef(kNodeNumberColour), QColor(255, 215, 0));
    EXPECT_EQ(ColorFromColorRef(0x00FF00FF), QColor(255, 0, 255));
    EXPECT_EQ(ColorFromColorRef(0x00123456), QColor(0x56, 0x34, 0x12));
    // The unused top byte does not leak into the colour.
    EXPECT_EQ(ColorFromColorRef(0xAB00FF00), QColor(0, 255, 0));

    const QImage image = Draw(60, 30, qRgb(0, 0, 0), [](QtCanvas& canvas) {
        canvas.SelectPen({1, kLoadColour});
        canvas.MoveTo(10, 10);
        canvas.LineTo(50, 10);
    });
    for (int x = 10; x < 50; ++x)
        EXPECT_EQ(Pixel(image, x, 10), qRgb(255, 1, 0) & 0xFFFFFF) << x;
    EXPECT_EQ(Pixel(image, 30, 9), 0u);
    EXPECT_EQ(Pixel(image, 30, 11), 0u);
    EXPECT_EQ(Pixel(image, 5, 10), 0u);
    EXPECT_EQ(Pixel(image, 55, 10), 0u);
}

TEST(QtCanvas, PenWidthsArePixelsAcrossTheLine)
{
    for (const int width : {1, 3, 6, 9}) {
        const QImage image = Draw(100, 100, qRgb(0, 0, 0), [&](QtCanvas& canvas) {
            canvas.SelectPen({width, kElementColour});
            canvas.MoveTo(50, 20);
            canvas.LineTo(50, 80);
        });
        const std::vector<int> columns = MarkedColumns(image, 50, qRgb(0, 0, 0));
        ASSERT_EQ(static_cast<int>(columns.size()), width) << "width " << width;
        // Contiguous and around the line's own column; an even width puts
        // its extra column on the left.
        EXPECT_EQ(columns.back() - columns.front() + 1, width);
        EXPECT_EQ(columns.front(), 50 - width / 2) << "width " << width;
        for (const int x : columns)
            EXPECT_EQ(Pixel(image, x, 50), qRgb(0, 0, 255) & 0xFFFFFF);
    }
}

TEST(QtCanvas, PensAreCosmeticWhateverThePaintersScale)
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.scale(4, 4);
    {
        QtCanvas canvas(painter);
        canvas.SelectPen({3, kElementColour});
        canvas.MoveTo(12, 5);
        canvas.LineTo(12, 20);
    }
    painter.end();
    EXPECT_EQ(MarkedColumns(image, 50, qRgb(0, 0, 0)).size(), 3u);
}

TEST(QtCanvas, JoinsARunOfLinesAtItsCorners)
{
    // A closed square drawn as one run has every pixel of its outline,
    // corners included, and nothing inside.
    const QImage image = Draw(40, 40, qRgb(0, 0, 0), [](QtCanvas& canvas) {
        canvas.SelectPen({1, kGreen});
        canvas.MoveTo(10, 10);
        canvas.LineTo(30, 10);
        canvas.LineTo(30, 30);
        canvas.LineTo(10, 30);
        canvas.LineTo(10, 10);
    });
    const QRgb green = qRgb(0, 255, 0) & 0xFFFFFF;
    for (int i = 10; i <= 30; ++i) {
        EXPECT_EQ(Pixel(image, i, 10), green) << i;
        EXPECT_EQ(Pixel(image, i, 30), green) << i;
        EXPECT_EQ(Pixel(image, 10, i), green) << i;
        EXPECT_EQ(Pixel(image, 30, i), green) << i;
    }
    EXPECT_EQ(MarkedBox(image, qRgb(0, 0, 0)), QRect(QPoint(10, 10), QPoint(30, 30)));
    EXPECT_EQ(Pixel(image, 20, 20), 0u);
}

TEST(QtCanvas, ARunKeepsThePenItWasStartedWith)
{
    // Changing the pen in the middle of a run draws what came before in the
    // old pen and goes on from the current point in the new one, as GDI does.
    PenDesc previous;
    const QImage image = Draw(60, 30, qRgb(0, 0, 0), [&](QtCanvas& canvas) {
        canvas.SelectPen({1, kLoadColour});
        canvas.MoveTo(5, 10);
        canvas.LineTo(25, 10);
        previous = canvas.SelectPen({1, kElementColour});
        canvas.LineTo(45, 10);
    });
    EXPECT_EQ(previous, (PenDesc{1, kLoadColour}));
    EXPECT_EQ(Pixel(image, 15, 10), qRgb(255, 1, 0) & 0xFFFFFF);
    EXPECT_EQ(Pixel(image, 35, 10), qRgb(0, 0, 255) & 0xFFFFFF);
}

TEST(QtCanvas, EverySettingHandsBackTheOneBefore)
{
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter);

    EXPECT_EQ(canvas.SelectPen({3, kRed}), (PenDesc{1, 0}));
    EXPECT_EQ(canvas.SelectPen({1, kGreen}), (PenDesc{3, kRed}));

    const FontDesc serif{"Times New Roman", 18, 0};
    EXPECT_EQ(canvas.SelectFont(serif), FontDesc{});
    EXPECT_EQ(canvas.SelectFont(FontDesc{"Times New Roman", 12, 6}), serif);

    EXPECT_EQ(canvas.SetTextColor(kNodeNumberColour), 0u);
    EXPECT_EQ(canvas.SetTextColor(0), kNodeNumberColour);

    EXPECT_TRUE(canvas.SetTransparentText(false));
    EXPECT_FALSE(canvas.SetTransparentText(true));

    EXPECT_FALSE(canvas.SetInvert(true));
    EXPECT_TRUE(canvas.SetInvert(false));
    canvas.Flush();
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
}

TEST(QtCanvas, APendingRunIsDrawnWhenTheCanvasEnds)
{
    const QImage image = Draw(30, 30, qRgb(255, 255, 255), [](QtCanvas& canvas) {
        canvas.SelectPen({1, 0});
        canvas.MoveTo(5, 5);
        canvas.LineTo(25, 5);
        // no Flush: the destructor must draw it
    });
    EXPECT_EQ(Pixel(image, 15, 5), 0u);
}

TEST(QtCanvas, AZeroLengthLineDrawsNothing)
{
    const QImage image = Draw(30, 30, qRgb(0, 0, 0), [](QtCanvas& canvas) {
        canvas.SelectPen({1, kLoadColour});
        canvas.MoveTo(12, 12);
        canvas.LineTo(12, 12);
        canvas.SelectPen({6, kLoadColour});
        canvas.MoveTo(20, 20);
        canvas.LineTo(20, 20);
    });
    EXPECT_TRUE(MarkedBox(image, qRgb(0, 0, 0)).isNull());
}

TEST(QtCanvas, InvertingTwiceRestoresTheImageExactly)
{
    const auto rubberBand = [](QtCanvas& canvas) {
        canvas.SelectPen({1, 0x00FFFFFF});
        const bool before = canvas.SetInvert(true);
        canvas.MoveTo(7, 9);
        canvas.LineTo(53, 9);
        canvas.LineTo(53, 41);
        canvas.LineTo(7, 41);
        canvas.LineTo(7, 9);
        // A slanted line and a wide one as well.
        canvas.MoveTo(10, 12);
        canvas.LineTo(50, 38);
        canvas.SelectPen({6, 0});
        canvas.MoveTo(15, 30);
        canvas.LineTo(45, 20);
        canvas.SetInvert(before);
    };

    for (const QImage& original : {Pattern(60, 50), [] {
                                       QImage white(60, 50, QImage::Format_RGB32);
                                       white.fill(Qt::white);
                                       return white;
                                   }()}) {
        QImage image = original;
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            rubberBand(canvas);
        }
        // Every outline pixel, corners included, is inverted exactly once.
        for (const QPoint p : {QPoint(7, 9), QPoint(53, 9), QPoint(53, 41), QPoint(7, 41), QPoint(30, 9),
                               QPoint(53, 25), QPoint(30, 41), QPoint(7, 25)})
            EXPECT_EQ(Pixel(image, p.x(), p.y()), ~original.pixel(p) & 0xFFFFFF) << p.x() << "," << p.y();
        EXPECT_EQ(Pixel(image, 3, 3), Pixel(original, 3, 3));
        EXPECT_NE(image, original);

        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            rubberBand(canvas);
        }
        EXPECT_EQ(image, original);
    }
}

TEST(QtCanvas, TimesNewRomanIsDrawnInAMetricCompatibleFace)
{
    const QFont font = FontFromDesc({"Times New Roman", 20, 0});
    const QFontInfo info(font);
    // Either the face itself or its metric twin, never an unrelated default.
    EXPECT_TRUE(info.family() == "Times New Roman" || info.family() == "Liberation Serif")
        << info.family().toStdString();

    // The height is the whole cell, ascent plus descent.
    for (const int height : {12, 20, 33}) {
        const QFontMetricsF metrics(FontFromDesc({"Times New Roman", height, 0}));
        EXPECT_NEAR(metrics.ascent() + metrics.descent(), height, 1.0) << height;
    }

    // A character width narrows or widens the average character.
    for (const int width : {4, 6, 10}) {
        const QFontMetricsF metrics(FontFromDesc({"Times New Roman", 16, width}));
        EXPECT_NEAR(metrics.averageCharWidth(), width, 1.0) << width;
    }

    // Height 0 is the platform's default size, not an invisible font.
    const QFontMetricsF defaults(FontFromDesc({"Times New Roman", 0, 0}));
    EXPECT_GE(defaults.ascent() + defaults.descent(), 10.0);
}

TEST(QtCanvas, TextHangsBelowAndRightOfItsTopLeftCorner)
{
    const int height = 30;
    COLORREF previous = 1;
    const QImage image = Draw(200, 100, qRgb(0, 0, 0), [&](QtCanvas& canvas) {
        canvas.SelectFont({"Times New Roman", height, 0});
        previous = canvas.SetTextColor(kNodeNumberColour);
        canvas.SetTransparentText(true);
        canvas.TextOut(40, 30, "1 0 1");
    });
    EXPECT_EQ(previous, 0u);
    const QRect box = MarkedBox(image, qRgb(0, 0, 0));
    ASSERT_FALSE(box.isNull());
    EXPECT_GE(box.left(), 40);
    EXPECT_LE(box.left(), 40 + height / 3);
    EXPECT_GE(box.top(), 30);
    // The digits end at the baseline, inside the cell.
    EXPECT_LT(box.bottom(), 30 + height);
    EXPECT_GT(box.bottom(), 30 + height / 2);

    // The glyphs' solid pixels are the text colour.
    int solid = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (Pixel(image, x, y) == (qRgb(255, 215, 0) & 0xFFFFFF))
                ++solid;
    EXPECT_GT(solid, 20);
}

TEST(QtCanvas, TextBackgroundIsTransparentUnlessAskedOtherwise)
{
    const auto draw = [](bool transparent) {
        return Draw(120, 60, qRgb(0, 0, 255), [&](QtCanvas& canvas) {
            canvas.SelectFont({"Times New Roman", 24, 0});
            canvas.SetTextColor(0);
            canvas.SetTransparentText(transparent);
            canvas.TextOut(10, 10, "M");
        });
    };
    const QImage transparent = draw(true);
    const QImage opaque = draw(false);
    int opaqueWhite = 0;
    int transparentWhite = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            opaqueWhite += Pixel(opaque, x, y) == 0xFFFFFF;
            transparentWhite += Pixel(transparent, x, y) == 0xFFFFFF;
        }
    EXPECT_EQ(transparentWhite, 0);
    EXPECT_GT(opaqueWhite, 0);
    // Nothing is painted outside the text's cell in either mode.
    EXPECT_EQ(Pixel(opaque, 5, 5), 0x0000FFu);
    EXPECT_EQ(Pixel(opaque, 100, 50), 0x0000FFu);
}

TEST(QtCanvas, TextIsNotInvertedInInvertingMode)
{
    const QImage image = Draw(120, 60, qRgb(0, 0, 0), [](QtCanvas& canvas) {
        canvas.SetInvert(true);
        canvas.SelectFont({"Times New Roman", 30, 0});
        canvas.SetTextColor(kLoadColour);
        canvas.TextOut(10, 10, "H");
        // Lines after the text are inverted again.
        canvas.MoveTo(0, 55);
        canvas.LineTo(100, 55);
    });
    int red = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 120; ++x)
            red += Pixel(image, x, y) == (qRgb(255, 1, 0) & 0xFFFFFF);
    EXPECT_GT(red, 10);
    EXPECT_EQ(Pixel(image, 50, 55), 0xFFFFFFu);
}
