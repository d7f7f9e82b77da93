// The values written on the diagrams and the reactions drawn at supports.
#include "Solved.h"

#include "core/NumberFormat.h"
#include "graphics/RecordingCanvas.h"
#include "graphics/ValueLabels.h"
#include "inspect/ModelResults.h"
#include "inspect/Scene.h"
#include "reports/FrameBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

std::vector<std::string> DrawnTexts(const SolvedFile& solved, const ModelResults& results, const LayerFlags& flags)
{
    RecordingCanvas canvas;
    DrawScene(canvas, solved.view, *solved.model, flags, &results);
    EXPECT_TRUE(canvas.StateIsInitial());
    // The values, not the numbers of nodes, elements and support codes.
    std::vector<std::string> texts;
    for (const RecordingCanvas::Text& t : canvas.m_Texts)
        if (t.font.face == kValueFace)
            texts.push_back(t.text);
    return texts;
}

LayerFlags Showing(bool LayerFlags::*diagram)
{
    LayerFlags flags;
    flags.m_ShowStructure = true;
    flags.*diagram = true;
    flags.m_ShowValues = true;
    return flags;
}

bool Has(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(DiagramValues, ThePortalFrameShowsEachMembersLargestMoment)
{
    const SolvedFile solved(Example("portal.txt"));
    const ModelResults results(*solved.model);
    const std::vector<std::string> texts = DrawnTexts(solved, results, Showing(&LayerFlags::m_ShowMoment));
    for (int e = 0; e < results.MemberCount(); ++e) {
        const std::string largest = FormatValue(results.Member(e).moment.value);
        EXPECT_TRUE(Has(texts, largest) || Has(texts, "-" + largest)) << "member " << e << ": " << largest;
    }
    // 13.59 at 2.838 along the beam, sagging: positive.
    EXPECT_TRUE(Has(texts, "13.59"));

    // Switched off, or with another diagram: not these.
    LayerFlags off = Showing(&LayerFlags::m_ShowMoment);
    off.m_ShowValues = false;
    EXPECT_TRUE(DrawnTexts(solved, results, off).empty());
    EXPECT_FALSE(Has(DrawnTexts(solved, results, Showing(&LayerFlags::m_ShowShear)), "13.59"));
}

TEST(DiagramValues, EndsTheLargestAndTheOtherTurningPoints)
{
    // A fixed-ended beam under a uniform load: hogging ends of qL^2/12
    // (the largest, reported at x = 0) and a sagging middle of qL^2/24,
    // where the shear is zero.
    const double L = 6, q = -4;
    ScratchDir out;
    FrameBuilder frame;
    frame.AddProperty(2e8, 0.01, 1e-4);
    frame.AddNode(0, 0);
    frame.AddNode(L, 0);
    frame.AddElement(0, 1, 0);
    frame.AddSupport(0, 1, 1, 1);
    frame.AddSupport(1, 1, 1, 1);
    frame.AddDistributedLoad(0, q, q);
    StructureModel& model = frame.Run(out.Path());
    const ModelResults results(model);
    ViewTransform view;
    view.SetUp(800, 600, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);

    const std::vector<ValueLabel> labels = DiagramValues(results, view, Diagram::Moment);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_NEAR(labels[0].value, q * L * L / 12, 1e-9);
    EXPECT_NEAR(labels[1].value, q * L * L / 12, 1e-9);
    EXPECT_NEAR(labels[2].value, -q * L * L / 24, 1e-9);
    // The structure's largest is the one reported: at x = 0, shown always.
    EXPECT_EQ(results.Member(0).moment.x, 0);
    EXPECT_EQ(labels[0].rank, kAlwaysShown);
    EXPECT_EQ(labels[1].rank, kDiagramValueRank);
    // Each stands at the tip of its ordinate, on the side it is drawn: the
    // hogging ends below the beam (on its right), the middle above.
    const double s = model.m_VisualScaleofMoment;
    EXPECT_DOUBLE_EQ(labels[0].baseX, 0);
    EXPECT_NEAR(labels[0].y, s * q * L * L / 12, 1e-12);
    EXPECT_LT(labels[0].sideY, 0);
    EXPECT_GT(labels[0].alongX, 0);
    EXPECT_LT(labels[1].alongX, 0);
    EXPECT_NEAR(labels[2].x, L / 2, 1e-9);
    EXPECT_GT(labels[2].sideY, 0);
    EXPECT_EQ(labels[2].alongX, 0);

    // The shear: its ends, the largest (qL/2, at x = 0) among them; the
    // uniform load has no turning point.
    const std::vector<ValueLabel> shear = DiagramValues(results, view, Diagram::Shear);
    ASSERT_EQ(shear.size(), 2u);
    EXPECT_NEAR(shear[0].value, -q * L / 2, 1e-9);
    EXPECT_NEAR(shear[1].value, q * L / 2, 1e-9);
    // No axial force anywhere: nothing to label.
    EXPECT_TRUE(DiagramValues(results, view, Diagram::Axial).empty());
    // The deformed shape: the ends do not move (the residue reads as 0),
    // the middle sags by q L^4 / (384 EI).
    const std::vector<ValueLabel> deformed = DiagramValues(results, view, Diagram::Deformed);
    ASSERT_EQ(deformed.size(), 3u);
    EXPECT_EQ(deformed[0].value, 0);
    EXPECT_NEAR(deformed[2].value, -q * L * L * L * L / (384 * 2e8 * 1e-4), 1e-12);
    EXPECT_EQ(deformed[2].rank, kAlwaysShown);
    EXPECT_LT(deformed[2].sideY, 0);
}

TEST(DiagramValues, AxialForceOncePerMemberAtItsMiddle)
{
    const SolvedFile solved(Example("portal.txt"));
    const ModelResults results(*solved.model);
    const std::vector<ValueLabel> labels = DiagramValues(results, solved.view, Diagram::Axial);
    ASSERT_EQ(labels.size(), 3u);
    // The left column is compressed by 14.19, the beam by 11.24.
    EXPECT_NEAR(labels[0].value, -14.195, 1e-3);
    EXPECT_NEAR(labels[1].value, -11.2356, 1e-3);
    EXPECT_DOUBLE_EQ(labels[1].baseX, 3);
    EXPECT_DOUBLE_EQ(labels[1].baseY, 4);
    EXPECT_EQ(labels[2].rank, kAlwaysShown); // 15.8 in the right column
    const std::vector<std::string> texts = DrawnTexts(solved, results, Showing(&LayerFlags::m_ShowAxial));
    EXPECT_TRUE(Has(texts, "-15.81"));
}

TEST(DiagramValues, ANodesDisplacementIsWrittenOnce)
{
    // The portal's four nodes, each reached by one or two members: four
    // end values (which stand over a member), the rest inside members.
    const SolvedFile solved(Example("portal.txt"));
    const ModelResults results(*solved.model);
    const std::vector<ValueLabel> labels = DiagramValues(results, solved.view, Diagram::Deformed);
    const auto ends =
        std::count_if(labels.begin(), labels.end(), [](const ValueLabel& l) { return l.alongX != 0 || l.alongY != 0; });
    EXPECT_EQ(ends, 4);
    // The moment differs from member to member at a joint: both ends of
    // every member are written.
    const std::vector<ValueLabel> moments = DiagramValues(results, solved.view, Diagram::Moment);
    EXPECT_EQ(std::count_if(moments.begin(), moments.end(),
                            [](const ValueLabel& l) { return l.alongX != 0 || l.alongY != 0; }),
              6);
}

TEST(DiagramValues, OnlyMembersOnTheScreen)
{
    SolvedFile solved(Example("综合算例.txt"));
    const ModelResults results(*solved.model);
    const std::size_t all = DiagramValues(results, solved.view, Diagram::Moment).size();
    // Zoomed far into the left column's foot: the members far away give
    // no labels.
    const double foot[2] = {0, 0};
    int pixel[2];
    solved.view.WorldToScreen(foot, pixel);
    solved.view.ZoomAt(pixel[0], pixel[1], solved.view.m_Scale * 200);
    const std::size_t zoomed = DiagramValues(results, solved.view, Diagram::Moment).size();
    EXPECT_LT(zoomed, all);
    EXPECT_GT(zoomed, 0u);
}

TEST(DiagramValues, NoLabelsWhenEverythingIsZero)
{
    const SolvedFile solved(Regression("unloaded-frame.txt"));
    const ModelResults results(*solved.model);
    for (Diagram d : {Diagram::Deformed, Diagram::Moment, Diagram::Shear, Diagram::Axial})
        EXPECT_TRUE(DiagramValues(results, solved.view, d).empty());
    EXPECT_TRUE(ReactionSymbols(results).empty());
    LayerFlags flags = AllLayers(true);
    flags.m_ShowNodeNumbers = flags.m_ShowElementNumbers = false;
    EXPECT_TRUE(DrawnTexts(solved, results, flags).empty());
}

TEST(DiagramValues, ResultsThatAreNotFiniteSayInfOrNan)
{
    const SolvedFile solved(Regression("solution-overflows-to-infinity.txt"));
    const ModelResults results(*solved.model);
    const std::vector<std::string> texts = DrawnTexts(solved, results, AllLayers(true));
    const bool any = std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.find("inf") != std::string::npos || t.find("nan") != std::string::npos;
    });
    EXPECT_TRUE(any);
}

TEST(ReactionSymbols, HeldComponentsOfSupportsAndPrescribedNodes)
{
    const SolvedFile solved(Example("portal.txt"));
    const ModelResults results(*solved.model);
    const std::vector<ReactionSymbol> symbols = ReactionSymbols(results);
    ASSERT_EQ(symbols.size(), 2u);
    // Node 0, fully fixed: as "Nodal_Reaction.txt" has it.
    EXPECT_DOUBLE_EQ(symbols[0].x, 0);
    EXPECT_TRUE(symbols[0].shown[0] && symbols[0].shown[1] && symbols[0].shown[2]);
    EXPECT_EQ(FormatNumber(symbols[0].value[1]), "14.195");
    // Node 3, codes 1 1 0 and a settlement: no moment, though its rotational
    // spring carries one.
    EXPECT_DOUBLE_EQ(symbols[1].x, 6);
    EXPECT_TRUE(symbols[1].shown[0] && symbols[1].shown[1]);
    EXPECT_FALSE(symbols[1].shown[2]);
    EXPECT_EQ(FormatNumber(symbols[1].value[0]), "-3.22177");

    LayerFlags flags;
    flags.m_ShowStructure = true;
    flags.m_ShowReactions = true;
    const std::vector<std::string> texts = DrawnTexts(solved, results, flags);
    // At the foot of the fitted view the arrows' tails are off the screen:
    // the values slide up the shafts to stay on it.
    for (const char* value : {"Fx = 1.236", "Fy = 14.19", "Mz = 1.614", "Fx = -3.222", "Fy = 15.81"})
        EXPECT_TRUE(Has(texts, value)) << value << " in " << ::testing::PrintToString(texts);
}

TEST(ReactionSymbols, APrescribedNodeWithoutASupportIsHeldToo)
{
    ScratchDir out;
    FrameBuilder frame;
    frame.AddProperty(2e8, 0.01, 1e-4);
    frame.AddNode(0, 0);
    frame.AddNode(4, 0);
    frame.AddElement(0, 1, 0);
    frame.AddSupport(0, 1, 1, 1);
    frame.AddPrescribed(1, std::nullopt, -0.01, std::nullopt);
    StructureModel& model = frame.Run(out.Path());
    const ModelResults results(model);
    ASSERT_EQ(results.Supports().size(), 2u);
    const NodeSupport* tip = results.SupportAt(1);
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(tip->supported);
    EXPECT_FALSE(tip->held[0]);
    EXPECT_TRUE(tip->held[1]);
    // Pushing the tip down by 0.01 takes 3EI (0.01) / L^3.
    EXPECT_NEAR(tip->reaction[1], -3 * 2e8 * 1e-4 * 0.01 / 64, 1e-6);
    EXPECT_EQ(results.SupportAt(2), nullptr);
    EXPECT_EQ(results.SupportAt(-1), nullptr);
}

} // namespace
