// The render command end to end on the portal frame: read, solve when a
// result is asked, draw through the real layers, write the picture.
#include "cli/Render.h"

#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "input/Load.h"
#include "qt/Render.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

// The worked example shipped with the program.
const std::string kPortal = ReadFile(VELA_EXAMPLES_DIR "/portal.txt");

// Points the temporary folder at a folder of the test's own while it lives,
// so that the command's private folder can be seen to go away.
class TemporaryFolderOverride {
public:
    explicit TemporaryFolderOverride(const std::string& folder)
    {
        if (const char* old = std::getenv("TMPDIR"))
            m_Old = old;
        ::setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TemporaryFolderOverride()
    {
        if (m_Old)
            ::setenv("TMPDIR", m_Old->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> m_Old;
};

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
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

QRgb Rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// Pixels in the loads' and diagrams' colour (pure red but for a trace of one
// other channel).
int RedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qRed(p) == 255 && qGreen(p) <= 1 && qBlue(p) <= 1;
        }
    return count;
}

QImage Load(const std::string& path)
{
    QImage image;
    EXPECT_TRUE(image.load(QString::fromStdString(path))) << path;
    return image.convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels of one colour (empty when there are none).
template <typename Colour>
QRect BoxWhere(const QImage& image, Colour colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (colour(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

QRect BoxOf(const QImage& image, QRgb colour)
{
    return BoxWhere(image, [colour](QRgb p) { return (p & 0xFFFFFF) == colour; });
}

// Whatever else is drawn, the 6 x 4 frame is drawn whole, in its
// proportions, inside the picture: the members' centre lines 3:2 (the
// columns' 3-pixel and the beam's 6-pixel pens add a few pixels).
QRect ExpectPortalFrame(const QImage& image, QSize size = QSize(1024, 768))
{
    EXPECT_EQ(image.size(), size);
    const QRect frame = BoxOf(image, 0x0000FF);
    EXPECT_FALSE(frame.isEmpty());
    EXPECT_TRUE(image.rect().contains(frame));
    EXPECT_NEAR((frame.width() - 3) / static_cast<double>(frame.height() - 3), 1.5, 0.02)
        << frame.width() << " x " << frame.height();
    return frame;
}

// The members alone keep the box's fit: in a 1024 x 768 client the 6 x 4
// frame is drawn at 162.13 pixels per unit about (512, 384): the beam runs
// along y = 60 from x = 26 to 998, the columns down to y = 708.
void ExpectPortalStructure(const QImage& image)
{
    ASSERT_EQ(image.size(), QSize(1024, 768));
    EXPECT_EQ(Rgb(image, 512, 60), 0x0000FFu); // the beam, 6 pixels wide
    EXPECT_EQ(Rgb(image, 512, 57), 0x0000FFu);
    EXPECT_EQ(Rgb(image, 512, 62), 0x0000FFu);
    EXPECT_EQ(Rgb(image, 26, 384), 0x0000FFu); // a column, 3 pixels wide
    EXPECT_EQ(Rgb(image, 998, 384), 0x0000FFu);
    ExpectPortalFrame(image);
}

} // namespace

TEST(RenderPortal, DrawsTheFreshStructureWithoutLitteringTheUsersFolder)
{
    const ScratchDir work;
    const ScratchDir temp;
    const TemporaryFolderOverride tmp(temp.Path());
    const std::string input = work.Write("portal.txt", kPortal);
    const std::string output = work.File("portal.png");

    ASSERT_EQ(Render({input, "-o", output}), 0);
    const QImage image = Load(output);
    const QRect frame = ExpectPortalFrame(image);
    // The loads (the 5 kN/m over the beam) and the supports (the squares
    // and their codes below the feet) lie inside the picture, with room.
    const QRect loads = BoxWhere(image, [](QRgb p) { return qRed(p) == 255 && qGreen(p) <= 1 && qBlue(p) <= 1; });
    const QRect supports = BoxOf(image, 0x00FF00);
    EXPECT_LT(loads.top(), frame.top() - 50);
    EXPECT_GT(supports.bottom(), frame.bottom() + 10);
    ASSERT_FALSE(loads.isEmpty());
    ASSERT_FALSE(supports.isEmpty());
    for (const QRect& drawn : {loads, supports, frame}) {
        EXPECT_GE(drawn.top(), 10);
        EXPECT_GE(drawn.left(), 10);
        EXPECT_LE(drawn.bottom(), 768 - 10);
        EXPECT_LE(drawn.right(), 1024 - 10);
    }
    EXPECT_EQ(Rgb(image, 300, 300), 0u); // black background
    EXPECT_GT(RedPixels(image), 50);     // the loads

    // No side, dump or result file beside the input, and the private folder
    // they went to is gone.
    EXPECT_EQ(Names(work.Path()), (std::set<std::string>{"portal.txt", "portal.png"}));
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}

TEST(RenderPortal, SolvesFirstForAResultAndDrawsItOverTheStructure)
{
    const ScratchDir work;
    const std::string input = work.Write("portal.txt", kPortal);

    ASSERT_EQ(Render({input, "-o", work.File("structure.png"), "--layers", "structure"}), 0);
    const QImage structure = Load(work.File("structure.png"));
    ExpectPortalStructure(structure);
    EXPECT_EQ(RedPixels(structure), 0);

    for (const char* result : {"moment", "shear", "deformed"}) {
        const std::string output = work.File(std::string(result) + ".png");
        ASSERT_EQ(Render({input, "-o", output, "--layers", result}), 0) << result;
        const QImage image = Load(output);
        ExpectPortalFrame(image);
        EXPECT_GT(RedPixels(image), 200) << result;
        // Loads and supports stay hidden, as after the Draw menu's commands.
        EXPECT_TRUE(BoxOf(image, 0x00FF00).isEmpty()) << result;
    }
    EXPECT_EQ(Names(work.Path()),
              (std::set<std::string>{"portal.txt", "structure.png", "moment.png", "shear.png", "deformed.png"}));
}

TEST(RenderPortal, ValuesAndReactionsAreTextInAnSvg)
{
    const ScratchDir work;
    const std::string input = work.Write("portal.txt", kPortal);
    ASSERT_EQ(Render({input, "-o", work.File("moment.svg"), "--layers", "moment,values,reactions"}), 0);
    const std::string svg = ReadFile(work.File("moment.svg"));
    // The beam's largest moment, the right column's end moment and a
    // reaction, as text a report can search.
    for (const char* text : {">13.59</text>", ">-11.39</text>", ">Fy = 14.19</text>"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;

    // Without values: the diagram, no numbers.
    ASSERT_EQ(Render({input, "-o", work.File("plain.svg"), "--layers", "moment"}), 0);
    EXPECT_EQ(ReadFile(work.File("plain.svg")).find(">13.59</text>"), std::string::npos);

    // The axial-force diagram is drawn in the diagrams' colour.
    ASSERT_EQ(Render({input, "-o", work.File("axial.png"), "--layers", "axial"}), 0);
    const QImage axial = Load(work.File("axial.png"));
    ExpectPortalFrame(axial);
    EXPECT_GT(RedPixels(axial), 200);
}

TEST(RenderPortal, HonoursSizeAndBackground)
{
    const ScratchDir work;
    const std::string input = work.Write("portal.txt", kPortal);
    const std::string output = work.File("small.PNG");
    ASSERT_EQ(Render({input, "-o", output, "--size", "300x200", "--background", "white", "--layers", "structure"}), 0);
    const QImage image = Load(output);
    EXPECT_EQ(image.size(), QSize(300, 200));
    EXPECT_EQ(Rgb(image, 150, 150), 0xFFFFFFu);
    // Fitted to the smaller client: 300 / 6 · 0.95 = 47.5 pixels per unit
    // about (150, 100), the beam at y = 100 − 95 = 5.
    EXPECT_EQ(Rgb(image, 150, 5), 0x0000FFu);

    // With its loads and supports, on white: the supports in a green that
    // reads there, not the black background's bright one.
    ASSERT_EQ(Render({input, "-o", output, "--size", "300x200", "--background", "white"}), 0);
    const QImage loaded = Load(output);
    ExpectPortalFrame(loaded, QSize(300, 200));
    EXPECT_FALSE(BoxOf(loaded, 0x008000).isEmpty());
    EXPECT_TRUE(BoxOf(loaded, 0x00FF00).isEmpty());
}

// The pixel rectangle of the members (the blue polylines) in an SVG.
QRectF MemberExtent(const std::string& svg)
{
    static const QRegularExpression polyline(
        QStringLiteral("<polyline[^>]*stroke=\"#0000ff\"[^>]*points=\"([^\"]*)\""));
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    auto matches = polyline.globalMatch(QString::fromStdString(svg));
    while (matches.hasNext()) {
        for (const QString& point : matches.next().captured(1).split(QLatin1Char(' '))) {
            const QStringList xy = point.split(QLatin1Char(','));
            left = std::min(left, xy.value(0).toDouble());
            right = std::max(right, xy.value(0).toDouble());
            top = std::min(top, xy.value(1).toDouble());
            bottom = std::max(bottom, xy.value(1).toDouble());
        }
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

TEST(RenderPortal, ZoomsOutAboutTheMiddleOfTheFit)
{
    const ScratchDir work;
    const std::string input = work.Write("portal.txt", kPortal);
    ASSERT_EQ(Render({input, "-o", work.File("fit.svg"), "--layers", "structure"}), 0);
    ASSERT_EQ(Render({input, "-o", work.File("half.svg"), "--layers", "structure", "--zoom", "0.5"}), 0);
    const QRectF fit = MemberExtent(ReadFile(work.File("fit.svg")));
    const QRectF half = MemberExtent(ReadFile(work.File("half.svg")));
    // The members alone keep the box's fit: 6 x 4 units at 162.13 pixels.
    EXPECT_NEAR(fit.width(), 972, 1.5);
    EXPECT_NEAR(fit.height(), 648, 1.5);
    EXPECT_NEAR(half.width(), fit.width() / 2, 1.5);
    EXPECT_NEAR(half.height(), fit.height() / 2, 1.5);
    EXPECT_NEAR(half.center().x(), fit.center().x(), 1);
    EXPECT_NEAR(half.center().y(), fit.center().y(), 1);

    // And in, a little: more would take the portal's outline, which is all
    // its members, off the picture, where nothing is drawn.
    ASSERT_EQ(Render({input, "-o", work.File("larger.svg"), "--layers", "structure", "--zoom=1.04"}), 0);
    EXPECT_NEAR(MemberExtent(ReadFile(work.File("larger.svg"))).width(), 1.04 * fit.width(), 2);
}

TEST(RenderPortal, WritesSvgAndPdfOfTheClientSize)
{
    const ScratchDir work;
    const std::string input = work.Write("portal.txt", kPortal);

    ASSERT_EQ(Render({input, "-o", work.File("portal.svg"), "--layers", "structure,nodes,moment"}), 0);
    const std::string svg = ReadFile(work.File("portal.svg"));
    EXPECT_NE(svg.find("width=\"1024\" height=\"768\""), std::string::npos);
    EXPECT_NE(svg.find(">3</text>"), std::string::npos); // node numbers stay text
    QSvgRenderer renderer(QString::fromStdString(work.File("portal.svg")));
    ASSERT_TRUE(renderer.isValid());
    QImage image(renderer.defaultSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    ExpectPortalFrame(image);
    EXPECT_EQ(Rgb(image, 300, 300), 0u);

    ASSERT_EQ(Render({input, "-o", work.File("portal.pdf")}), 0);
    const std::string pdf = ReadFile(work.File("portal.pdf"));
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u);
    // 1024 x 768 pixels at 96 per inch: 768 x 576 points.
    const QRegularExpression mediaBox(QStringLiteral("/MediaBox \\[0 0 768(\\.0+)? 576(\\.0+)?\\]"));
    EXPECT_TRUE(mediaBox.match(QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size()))).hasMatch());
    // Rasterised by poppler at the page's 96 dpi, the PDF shows the
    // structure on its pixels and the moment diagram over it.
    ASSERT_EQ(Render({input, "-o", work.File("moment.pdf"), "--layers", "moment"}), 0);
    if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const std::string command = "pdftoppm -r 96 -png -singlefile -aa no -aaVector no '" + work.File("moment.pdf") +
                                "' '" + work.File("moment-page") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage page = Load(work.File("moment-page.png"));
    EXPECT_EQ(page.size(), QSize(1024, 768));
    ExpectPortalFrame(page);
    EXPECT_GT(RedPixels(page), 200);
}

TEST(RenderPortal, PrintsWarningsAndReportsModelErrors)
{
    const ScratchDir work;
    // A force of zero leaves no force scale: warned about, drawn all the same.
    ASSERT_NE(kPortal.find("1:<10,0,0>"), std::string::npos);
    std::string noForce = kPortal;
    noForce.replace(noForce.find("1:<10,0,0>"), 10, "1:<0,0,0>");
    const std::string input = work.Write("zero.txt", noForce);
    std::string err;
    ASSERT_EQ(Render({input, "-o", work.File("zero.png")}, &err), 0);
    EXPECT_NE(err.find("warning: "), std::string::npos) << err;
    EXPECT_EQ(err.back(), '\n');
    EXPECT_TRUE(FileExists(work.File("zero.png")));

    // A support on a node that does not exist is the reader's error: its
    // text and status, and no picture.
    std::string badSupport = kPortal;
    badSupport.replace(badSupport.find("3:1 1 0"), 7, "9:1 1 0");
    const std::string bad = work.Write("bad.txt", badSupport);
    EXPECT_EQ(Render({bad, "-o", work.File("bad.png")}, &err), 1);
    EXPECT_NE(err.find("节点号错误!"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(work.File("bad.png")));
}
