// The fitted view of a solved model takes in its diagrams, values and
// reactions.
#include "Solved.h"

#include "graphics/RecordingCanvas.h"
#include "graphics/ValueLabels.h"
#include "inspect/ModelResults.h"
#include "inspect/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

struct PixelBox {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;

    void Take(int x, int y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    bool Inside(int width, int height) const { return left >= 0 && top >= 0 && right <= width && bottom <= height; }
};

// What the scene draws, as the pixel rectangle of its segment ends and its
// text cells, and the texts written.
struct Drawn {
    PixelBox box;
    std::vector<std::string> texts;
};

Drawn Draw(const SolvedFile& solved, const ViewTransform& view, const LayerFlags& flags, const ModelResults& results)
{
    RecordingCanvas canvas;
    DrawScene(canvas, view, *solved.model, flags, &results);
    Drawn drawn;
    for (const RecordingCanvas::Segment& s : canvas.m_Segments) {
        drawn.box.Take(s.x1, s.y1);
        drawn.box.Take(s.x2, s.y2);
    }
    for (const RecordingCanvas::Text& t : canvas.m_Texts) {
        const int n = static_cast<int>(t.text.size());
        drawn.box.Take(t.x, t.y);
        drawn.box.Take(t.x + (t.font.width > 0 ? t.font.width * n : EstimateTextWidth(t.text, t.font.height)),
                       t.y + t.font.height);
        drawn.texts.push_back(t.text);
    }
    return drawn;
}

LayerFlags MomentWithValues()
{
    LayerFlags flags;
    flags.m_ShowStructure = true;
    flags.m_ShowMoment = true;
    flags.m_ShowValues = true;
    return flags;
}

// A column fixed at its foot, pushed sideways at its head.
const char* const kColumn = R"(### Vela release=1.07
Beam
Number of element property:NEP=1
P0
E=2.0e8
A=0.01
I=8.0e-5
Number of nodal points in the structure:NPOIN=2
0:0,0
1:0,10
Number of elements in the structure:NELEM=1
0:0,1,0
Number of restricted nodal points:NRN=1
0:1 1 1
Number of force_2d:NFOR=1
1:<10,0,0>
Number of distributed load:NDIS=0
Number of prescribed nodal points:NPRESC=0
Number of Spring_2ds:NSPR=0
Number of Torsional_Spring_2ds:NTSPR=0
)";

} // namespace

TEST(FitScene, ThePortalsMomentPeakAndItsValueLieInside)
{
    SolvedFile solved(Example("portal.txt"), 1024, 768);
    const ModelResults results(*solved.model);
    const LayerFlags flags = MomentWithValues();

    // The box's fit puts the sagging peak above the picture.
    ASSERT_LT(Draw(solved, solved.view, flags, results).box.top, 0);

    FitScene(solved.view, *solved.model, flags, &results);
    const Drawn drawn = Draw(solved, solved.view, flags, results);
    EXPECT_TRUE(drawn.box.Inside(1024, 768))
        << drawn.box.left << ", " << drawn.box.top << " .. " << drawn.box.right << ", " << drawn.box.bottom;
    EXPECT_NE(std::find(drawn.texts.begin(), drawn.texts.end(), "13.59"), drawn.texts.end());
}

TEST(FitScene, ACantileversMomentValuesAndReactionsLieInside)
{
    ScratchDir dir;
    SolvedFile solved(dir.Write("column.txt", kColumn), 800, 600);
    const ModelResults results(*solved.model);
    LayerFlags flags = MomentWithValues();
    flags.m_ShowReactions = true;
    flags.m_ShowSupports = true;
    flags.m_ShowForces = true;

    // The foot's vertical reaction hangs below the box's fit.
    ASSERT_GT(Draw(solved, solved.view, flags, results).box.bottom, 600);

    FitScene(solved.view, *solved.model, flags, &results);
    const Drawn drawn = Draw(solved, solved.view, flags, results);
    EXPECT_TRUE(drawn.box.Inside(800, 600))
        << drawn.box.left << ", " << drawn.box.top << " .. " << drawn.box.right << ", " << drawn.box.bottom;
    // The moment at the foot, 10 kN x 10 m, and the reactions are written.
    for (const char* text : {"-100", "Fx = -10", "Mz = 100"})
        EXPECT_NE(std::find(drawn.texts.begin(), drawn.texts.end(), text), drawn.texts.end()) << text;
}

TEST(FitScene, SceneViewZoomsAboutTheFittedCentre)
{
    SolvedFile solved(Example("portal.txt"), 1024, 768);
    const ModelResults results(*solved.model);
    const LayerFlags flags = MomentWithValues();
    const ViewTransform fitted = SceneView(*solved.model, flags, &results, 1024, 768);
    const ViewTransform half = SceneView(*solved.model, flags, &results, 1024, 768, 0.5);
    EXPECT_DOUBLE_EQ(half.m_Scale, fitted.m_Scale / 2);
    // The same world point stays in the middle of the picture.
    const int middle[2] = {512, 384};
    double a[2], b[2];
    fitted.ScreenToWorld(middle, a);
    half.ScreenToWorld(middle, b);
    EXPECT_NEAR(a[0], b[0], 1e-9);
    EXPECT_NEAR(a[1], b[1], 1e-9);
    // A zoom that is no positive number leaves the fit.
    for (const double bad : {0.0, -1.0, std::nan("")})
        EXPECT_DOUBLE_EQ(SceneView(*solved.model, flags, &results, 1024, 768, bad).m_Scale, fitted.m_Scale);
}
