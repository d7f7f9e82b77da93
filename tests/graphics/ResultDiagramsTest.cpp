#include "graphics/BoundarySymbols.h"
#include "graphics/ResultDiagrams.h"
#include "graphics/Scene.h"
#include "graphics/StructureLayers.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

Matrix Vector3(double a, double b, double c)
{
    Matrix m;
    m.Resize(3, 1);
    m.At(0) = a;
    m.At(1) = b;
    m.At(2) = c;
    return m;
}

} // namespace

TEST(MomentDiagram, StandsOnTheLeftOfTheElementWhateverItsDirection)
{
    Scene scene;
    scene.AddNode(10, 0);
    scene.AddNode(0, 0);
    scene.AddNode(0, 5);
    BeamElement& element = scene.AddElement(0, 1); // runs in -x
    scene.Fit();
    // M1 = -5 and no shear: the moment is +5 all along; 0.2 per unit of
    // moment stands it 1 world unit (76 pixels) off the element.
    element.m_ForInGlobalCS.At(2) = -5;
    scene.model.m_VisualScaleofMoment = 0.2;

    DrawMomentDiagram(scene.canvas, scene.view, scene.model);
    const auto& s = scene.canvas.m_Segments;
    ASSERT_EQ(s.size(), 31u);
    EXPECT_EQ(scene.canvas.PolylineCount(), 1);
    const Scene::Pixel n1 = scene.At(10, 0), n2 = scene.At(0, 0);
    EXPECT_EQ((Scene::Pixel{s.front().x1, s.front().y1}), n1);
    EXPECT_EQ((Scene::Pixel{s.back().x2, s.back().y2}), n2);
    // Positive ordinates of an element running in -x point in -y: below
    // it on the screen.
    for (std::size_t i = 0; i < 30; ++i) {
        EXPECT_EQ(s[i].y2, n1.y + 76) << i;
        EXPECT_EQ(s[i].x2, scene.At(10 - 10.0 * static_cast<double>(i) / 29, 0).x) << i;
    }
    EXPECT_EQ(s.front().pen, (PenDesc{1, 0x000100FF}));
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(MomentDiagram, ZeroMomentAndZeroShearLieAlongTheElement)
{
    Scene scene;
    scene.AddNode(0, 0);
    scene.AddNode(10, 5);
    scene.AddElement(0, 1);
    scene.Fit();
    DrawMomentDiagram(scene.canvas, scene.view, scene.model);
    DrawShearDiagram(scene.canvas, scene.view, scene.model);
    ASSERT_EQ(scene.canvas.m_Segments.size(), 62u);
    const Scene::Pixel a = scene.At(0, 0), b = scene.At(10, 5);
    for (const Scene::Pixel& p : scene.Points()) {
        // On the chord to within the truncation of each end.
        const double cross =
            static_cast<double>(p.x - a.x) * (b.y - a.y) - static_cast<double>(p.y - a.y) * (b.x - a.x);
        EXPECT_LE(std::abs(cross) / std::hypot(b.x - a.x, b.y - a.y), 1.5);
    }
}

TEST(ShearDiagram, PlotsTheShearOfASimplySupportedUniformLoad)
{
    Scene scene;
    scene.AddNode(0, 0);
    scene.AddNode(10, 0);
    scene.AddNode(0, 5);
    BeamElement& element = scene.AddElement(0, 1);
    scene.Fit();
    // q = -1 on a span of 10: V1 = 5, M1 = 0, V(x) = 5 - x.
    element.SetDistributedLoad(-1, -1);
    element.m_ForInGlobalCS.At(1) = 5;
    scene.model.m_VisualScaleofShear = 0.2;

    DrawShearDiagram(scene.canvas, scene.view, scene.model);
    const auto& s = scene.canvas.m_Segments;
    ASSERT_EQ(s.size(), 31u);
    EXPECT_EQ(s[0].y2, scene.At(0, 1).y);   // +5 above the element
    EXPECT_EQ(s[29].y2, scene.At(0, -1).y); // -5 below it
    EXPECT_LT(s[14].y2, s[15].y2);
}

TEST(DeformedShape, AFixedFixedBeamUnderUniformLoadBulgesBetweenItsNodes)
{
    Scene scene;
    scene.AddNode(0, 0);
    scene.AddNode(10, 0);
    scene.AddNode(0, 5);
    BeamElement& element = scene.AddElement(0, 1); // E = A = I = 1
    scene.Fit();
    // q = -1, L = 10; the ends do not move and the fixed-end forces are the
    // negated equivalent loads: v(x) = -x^2 (L - x)^2 / 24.
    element.SetDistributedLoad(-1, -1);
    element.SetFixForInGlobalCS(Vector3(0, 5, 100.0 / 12), Vector3(0, 5, -100.0 / 12));
    element.ComputeEndForces();
    scene.model.m_VisualScaleofDisp = 0.01;

    DrawDeformedShape(scene.canvas, scene.view, scene.model);
    const auto& s = scene.canvas.m_Segments;
    ASSERT_EQ(s.size(), 29u);
    EXPECT_EQ(scene.canvas.PolylineCount(), 1);
    EXPECT_EQ((Scene::Pixel{s.front().x1, s.front().y1}), scene.At(0, 0));
    EXPECT_EQ((Scene::Pixel{s.back().x2, s.back().y2}), scene.At(10, 0));
    const double xi = 14.0 / 29, x = 10 * xi;
    const double v = -x * x * (10 - x) * (10 - x) / 24 * 0.01;
    EXPECT_EQ(s[13].y2, scene.At(x, v).y);
    // 0.26 world units (19 pixels) down in the middle, never up on the way
    // there from either end, symmetric about the middle.
    EXPECT_EQ(s[13].y2, 490 + 19);
    for (std::size_t i = 0; i < 14; ++i) {
        EXPECT_GE(s[i].y2, s[i].y1) << i;
        EXPECT_NEAR(s[i].y1, s[28 - i].y2, 1) << i;
    }
}

TEST(ResultDiagrams, LeaveOutAnElementWithoutLength)
{
    Scene scene;
    scene.AddNode(0, 0);
    scene.AddNode(10, 5);
    scene.AddNode(10, 5);
    scene.AddElement(0, 1);
    BeamElement& point = scene.AddElement(1, 2);
    scene.Fit();
    point.m_ForInGlobalCS.At(1) = 3;
    point.SetDistributedLoad(1, 2);

    DrawDeformedShape(scene.canvas, scene.view, scene.model);
    DrawMomentDiagram(scene.canvas, scene.view, scene.model);
    DrawShearDiagram(scene.canvas, scene.view, scene.model);
    EXPECT_EQ(scene.canvas.m_Segments.size(), 29u + 31 + 31);
}

TEST(Layers, DrawTheShippedPortalFrameAfterItsSolution)
{
    ScratchDir dir;
    Scene scene;
    StructureModel& m = scene.model;
    m.m_OutputDir = dir.Path();
    Load(m, VELA_EXAMPLES_DIR "/portal.txt");
    m.Solve();
    PostProcess(m);
    scene.view.SetUp(800, 600, m.m_XMin, m.m_XMax, m.m_YMin, m.m_YMax);

    DrawNodeNumbers(scene.canvas, scene.view, m);
    DrawElementNumbers(scene.canvas, scene.view, m);
    DrawStructure(scene.canvas, scene.view, m);
    EXPECT_EQ(scene.canvas.m_Texts.size(), 4u + 3u);
    // Columns (I = 8e-5) thin, the beam (I = 1.2e-4) one class wider.
    const auto& lines = scene.canvas.m_Segments;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].pen.width, 3);
    EXPECT_EQ(lines[1].pen.width, 6);
    EXPECT_EQ(lines[2].pen.width, 3);

    scene.canvas.ClearDrawing();
    DrawDeformedShape(scene.canvas, scene.view, m);
    DrawMomentDiagram(scene.canvas, scene.view, m);
    DrawShearDiagram(scene.canvas, scene.view, m);
    EXPECT_EQ(scene.canvas.m_Segments.size(), 3u * (29 + 31 + 31));
    DrawDistributedLoads(scene.canvas, scene.view, m);
    DrawForces(scene.canvas, scene.view, m);
    DrawSprings(scene.canvas, scene.view, m);
    DrawTorsionalSprings(scene.canvas, scene.view, m);
    DrawPrescribedDisplacements(scene.canvas, scene.view, m);
    DrawRestrictedNodes(scene.canvas, scene.view, m);
    // Everything stays in a few screens of the client area.
    const Scene::Box box = Scene::Bounds(scene.Points());
    EXPECT_GT(box.minX, -800);
    EXPECT_LT(box.maxX, 1600);
    EXPECT_GT(box.minY, -600);
    EXPECT_LT(box.maxY, 1200);
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}
