#include "graphics/Drawing.h"
#include "graphics/DrawnExtent.h"
#include "graphics/Layers.h"
#include "graphics/Scene.h"
#include "graphics/ValueLabels.h"
#include "input/Load.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The pixel rectangle of everything recorded: segment ends and text cells
// (as wide as the value font would make them, or as the font's character
// width says).
Scene::Box DrawnBox(const RecordingCanvas& canvas)
{
    Scene::Box box;
    auto take = [&](int x, int y) {
        box.minX = std::min(box.minX, x);
        box.maxX = std::max(box.maxX, x);
        box.minY = std::min(box.minY, y);
        box.maxY = std::max(box.maxY, y);
    };
    for (const RecordingCanvas::Segment& s : canvas.m_Segments) {
        take(s.x1, s.y1);
        take(s.x2, s.y2);
    }
    for (const RecordingCanvas::Text& t : canvas.m_Texts) {
        const int n = static_cast<int>(t.text.size());
        const int width = t.font.width > 0 ? t.font.width * n : EstimateTextWidth(t.text, t.font.height);
        take(t.x, t.y);
        take(t.x + width, t.y + t.font.height);
    }
    return box;
}

bool Inside(const Scene::Box& box, int width, int height)
{
    return box.minX >= 0 && box.minY >= 0 && box.maxX <= width && box.maxY <= height;
}

void ExpectSameView(const ViewTransform& a, const ViewTransform& b)
{
    EXPECT_EQ(a.m_Scale, b.m_Scale);
    EXPECT_EQ(a.m_CenterX, b.m_CenterX);
    EXPECT_EQ(a.m_CenterY, b.m_CenterY);
    EXPECT_EQ(a.m_OriginX, b.m_OriginX);
    EXPECT_EQ(a.m_OriginY, b.m_OriginY);
    EXPECT_EQ(a.m_XMin, b.m_XMin);
    EXPECT_EQ(a.m_XMax, b.m_XMax);
    EXPECT_EQ(a.m_YMin, b.m_YMin);
    EXPECT_EQ(a.m_YMax, b.m_YMax);
}

} // namespace

TEST(FitToDrawn, MembersAloneKeepTheBoxFitExactly)
{
    // A two-bay frame, wide and flat, and a tall single column: the tighter
    // axis is x in one and y in the other; numbers inside the margin too.
    for (const bool tall : {false, true}) {
        Scene scene;
        if (tall) {
            scene.AddNode(0, 0);
            scene.AddNode(0.5, 12);
            scene.AddElement(0, 1);
        } else {
            scene.AddNode(0, 0);
            scene.AddNode(0, 3);
            scene.AddNode(8, 3);
            scene.AddNode(16, 3);
            scene.AddNode(16, 0);
            for (int i = 0; i < 4; ++i)
                scene.AddElement(i, i + 1);
        }
        scene.Fit(800, 600);
        const ViewTransform before = scene.view;
        LayerFlags flags;
        flags.m_ShowStructure = true;
        FitToDrawn(scene.view,
                   [&](Canvas& canvas, const ViewTransform& view) { DrawLayers(canvas, view, scene.model, flags); });
        ExpectSameView(scene.view, before);
    }
}

TEST(FitToDrawn, WorldSizedOverhangGetsTheMarginOnItsTighterAxis)
{
    // Box x 0..10, y 0..1 in 800 x 600: the box alone fits at 76. A line
    // reaching up to y = 8 makes y the tighter axis: 0.95 * 600 / 8.
    Scene scene;
    scene.AddNode(0, 0);
    scene.AddNode(10, 1);
    scene.AddElement(0, 1);
    scene.Fit(800, 600);
    ASSERT_DOUBLE_EQ(scene.view.m_Scale, 76);
    auto draw = [](Canvas& canvas, const ViewTransform& view) {
        DrawWorldSegment(canvas, view, 0, 0, 10, 1);
        DrawWorldSegment(canvas, view, 5, 1, 5, 8);
    };
    FitToDrawn(scene.view, draw);
    // Filling the margin to within a hundredth, never beyond it.
    const double exact = 0.95 * 600 / 8;
    EXPECT_LE(scene.view.m_Scale, exact);
    EXPECT_GE(scene.view.m_Scale, 0.99 * exact);
    EXPECT_NEAR(scene.view.m_CenterX, 5, 1e-9);
    EXPECT_NEAR(scene.view.m_CenterY, 4, 0.05);
    EXPECT_EQ(scene.view.m_OriginX, 400);
    EXPECT_EQ(scene.view.m_OriginY, 300);
    // The box, and with it every symbol's size, is the model's still.
    EXPECT_EQ(scene.view.m_YMax, 1);
    EXPECT_EQ(SymbolSpan(scene.view), 10);

    draw(scene.canvas, scene.view);
    const Scene::Box box = DrawnBox(scene.canvas);
    EXPECT_NEAR(box.minY, 0.025 * 600, 4);
    EXPECT_NEAR(box.maxY, 0.975 * 600, 4);
}

TEST(FitToDrawn, PixelSizedLabelsAreSolvedForBesideWorldSizes)
{
    // A 100-pixel label right of the end of a 10-unit member: 10 s + 100
    // must take 95% of 800 pixels, so s = 66, whatever zoom it starts from.
    Scene scene;
    scene.AddNode(0, 0);
    scene.AddNode(10, 0);
    scene.AddElement(0, 1);
    scene.Fit(800, 600);
    auto draw = [](Canvas& canvas, const ViewTransform& view) {
        DrawWorldSegment(canvas, view, 0, 0, 10, 0);
        const double end[2] = {10, 0};
        int pixel[2];
        view.WorldToScreen(end, pixel);
        TextScope text(canvas, FontDesc{"Arial", 20, 10}, 0);
        canvas.TextOut(pixel[0], pixel[1], "0123456789");
    };
    FitToDrawn(scene.view, draw);
    EXPECT_LE(scene.view.m_Scale, 66.05);
    EXPECT_GE(scene.view.m_Scale, 0.99 * 66);
    draw(scene.canvas, scene.view);
    const Scene::Box box = DrawnBox(scene.canvas);
    EXPECT_TRUE(Inside(box, 800, 600));
    EXPECT_NEAR(box.minX, 20, 5);
    EXPECT_NEAR(box.maxX, 780, 5);

    // Labels that can never fit (a window narrower than the label) stop the
    // zoom at a twentieth of the box's fit, never at nothing.
    Scene narrow;
    narrow.AddNode(0, 0);
    narrow.AddNode(10, 0);
    narrow.AddElement(0, 1);
    narrow.Fit(60, 60);
    const double fitted = narrow.view.m_Scale;
    FitToDrawn(narrow.view, draw);
    EXPECT_NEAR(narrow.view.m_Scale, fitted * 0.05, 1e-9);
}

TEST(FitToDrawn, ThePortalsLoadsSupportsAndSpringsLieInsideThePicture)
{
    ScratchDir dir;
    for (const auto& [width, height] : {std::pair{800, 600}, std::pair{1024, 768}, std::pair{500, 900}}) {
        Scene scene;
        scene.model.m_OutputDir = dir.Path();
        Load(scene.model, VELA_EXAMPLES_DIR "/portal.txt");
        scene.view.SetUp(width, height, scene.model.m_XMin, scene.model.m_XMax, scene.model.m_YMin, scene.model.m_YMax);
        LayerFlags flags = FreshStructureLayers();
        flags.m_ShowNodeNumbers = true;
        auto draw = [&](Canvas& canvas, const ViewTransform& view) { DrawLayers(canvas, view, scene.model, flags); };

        // In a landscape picture the box's fit leaves the 5 kN/m load above
        // the top edge; a portrait one has room above the frame.
        draw(scene.canvas, scene.view);
        if (width > height) {
            ASSERT_LT(DrawnBox(scene.canvas).minY, 0) << width << "x" << height;
        }

        scene.canvas.ClearDrawing();
        FitToDrawn(scene.view, draw);
        draw(scene.canvas, scene.view);
        const Scene::Box box = DrawnBox(scene.canvas);
        EXPECT_TRUE(Inside(box, width, height))
            << width << "x" << height << ": " << box.minX << ", " << box.minY << " .. " << box.maxX << ", " << box.maxY;
        // Taken in, not shrunk away: the drawing fills its margin on one axis.
        const double fillX = (box.maxX - box.minX) / (0.95 * width);
        const double fillY = (box.maxY - box.minY) / (0.95 * height);
        EXPECT_GT(std::max(fillX, fillY), 0.98) << width << "x" << height;
        EXPECT_LE(std::max(fillX, fillY), 1.01) << width << "x" << height;
    }
}
