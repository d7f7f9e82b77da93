#include "Scene.h"

#include "core/Warnings.h"
#include "graphics/Layers.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// A cantilever so soft, under a load so large, that its solution
// overflows: infinite and undefined displacements, forces and scales.
const char* const kOverflowing = "### Vela release=1.07\nBeam\nNumber of element property:NEP=1\n\nE=1e-4\nA=1\nI=1\n"
                                 "Number of nodal points in the structure:NPOIN=2\n0:0,0\n1:2,0\n"
                                 "Number of elements in the structure:NELEM=1\n0:0,1,0\n"
                                 "Number of restricted nodal points:NRN=1\n0:1 1 1\n"
                                 "Number of force_2d:NFOR=1\n1:<0,-1e308,0>\nNumber of distributed load:NDIS=1\n"
                                 "0:-1e300,-1e300\nNumber of prescribed nodal points:NPRESC=0\n"
                                 "Number of Spring_2ds:NSPR=1\n1:1e-3<1,1>\n"
                                 "Number of Torsional_Spring_2ds:NTSPR=1\n1:5\n";

// Solves the text as the Solve command does and draws every layer.
void SolveAndDrawEverything(Scene& scene, const ScratchDir& dir, const std::string& text)
{
    StructureModel& m = scene.model;
    CollectingWarnings warnings;
    m.m_OutputDir = dir.Path();
    m.m_Warnings = &warnings;
    Load(m, dir.Write("model.txt", text).c_str());
    m.Solve();
    PostProcess(m);
    EXPECT_FALSE(warnings.m_Texts.empty()); // the solution is not passed off as sound
    scene.view.SetUp(800, 600, m.m_XMin, m.m_XMax, m.m_YMin, m.m_YMax);
    DrawLayers(scene.canvas, scene.view, m, AllLayers(true));
}

void ExpectPixelsInRange(const Scene& scene)
{
    // Every pixel is a converted finite value, pinned near the client area.
    const int limit = 1 << 25;
    for (const Scene::Pixel& px : scene.Points()) {
        EXPECT_LE(std::abs(px.x), limit);
        EXPECT_LE(std::abs(px.y), limit);
    }
    for (const RecordingCanvas::Text& t : scene.canvas.m_Texts) {
        EXPECT_LE(std::abs(t.x), limit);
        EXPECT_LE(std::abs(t.y), limit);
        EXPECT_GE(t.font.height, 0);
    }
    EXPECT_TRUE(scene.canvas.StateIsInitial());
}

TEST(NonFiniteResults, AnOverflowingSolutionDrawsOnlyWhatIsFinite)
{
    ScratchDir dir;
    Scene scene;
    SolveAndDrawEverything(scene, dir, kOverflowing);
    ASSERT_FALSE(std::isfinite(scene.model.m_D.At(4)));
    // The structure itself is still drawn.
    EXPECT_FALSE(scene.canvas.m_Segments.empty());
    ExpectPixelsInRange(scene);
}

TEST(NonFiniteResults, AFrameSlidingFarAwayDrawsWithinRange)
{
    // The portal frame on rollers: finite results some 1e11 times its size.
    std::string portal = ReadFile(VELA_EXAMPLES_DIR "/portal.txt");
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"0:1 1 1", "0:0 1 0"},
                                   {"3:1 1 0", "3:0 1 0"},
                                   {"NSPR=1\n2:5000<1,0>", "NSPR=0"}})
        portal.replace(portal.find(from), from.size(), to);
    ScratchDir dir;
    Scene scene;
    SolveAndDrawEverything(scene, dir, portal);
    ExpectPixelsInRange(scene);
}

} // namespace
