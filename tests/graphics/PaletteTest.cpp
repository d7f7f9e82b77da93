// What is drawn on the white background reads against it; the black
// background keeps the colours it had.
#include "graphics/Drawing.h"
#include "graphics/Layers.h"
#include "graphics/Palette.h"
#include "graphics/Scene.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

constexpr COLORREF kWhite = MakeColorRef(255, 255, 255);
constexpr COLORREF kBlack = MakeColorRef(0, 0, 0);

// WCAG 2: relative luminance of an sRGB colour and the contrast of two.
double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Contrast(COLORREF a, COLORREF b)
{
    auto luminance = [](COLORREF c) {
        return 0.2126 * Linear(c & 0xFF) + 0.7152 * Linear((c >> 8) & 0xFF) + 0.0722 * Linear((c >> 16) & 0xFF);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The portal frame, solved, with every layer on, a reaction, a value and
// the halo of a member and a node: every colour a picture can have.
struct Everything {
    ScratchDir dir;
    Scene scene;

    Everything()
    {
        scene.model.m_OutputDir = dir.Path();
        Load(scene.model, VELA_EXAMPLES_DIR "/portal.txt");
        scene.model.Solve();
        PostProcess(scene.model);
        scene.view.SetUp(800, 600, scene.model.m_XMin, scene.model.m_XMax, scene.model.m_YMin, scene.model.m_YMax);
    }

    void Draw(Canvas& canvas) const
    {
        ResultOverlay overlay;
        ReactionSymbol reaction;
        reaction.x = 0;
        reaction.y = 0;
        reaction.value[0] = 3;
        reaction.value[1] = 14;
        reaction.value[2] = -2;
        reaction.shown[0] = reaction.shown[1] = reaction.shown[2] = true;
        overlay.reactions.push_back(reaction);
        ValueLabel value;
        value.x = 3;
        value.y = 4;
        value.value = 13.59;
        value.color = kLoadColor;
        value.rank = kAlwaysShown;
        overlay.values.push_back(value);
        overlay.highlightElement = 1;
        overlay.highlightNode = 2;
        DrawLayers(canvas, scene.view, scene.model, AllLayers(true), overlay);
    }
};

// The colours of every line (but the inverted rubber band's) and text.
std::set<COLORREF> Colours(const RecordingCanvas& canvas)
{
    std::set<COLORREF> colours;
    for (const RecordingCanvas::Segment& s : canvas.m_Segments)
        if (!s.invert)
            colours.insert(s.pen.color & 0xFFFFFF);
    for (const RecordingCanvas::Text& t : canvas.m_Texts)
        colours.insert(t.color & 0xFFFFFF);
    return colours;
}

} // namespace

TEST(Palette, EveryColourOnWhiteStandsAtLeastThreeToOne)
{
    const Everything everything;
    RecordingCanvas plain;
    everything.Draw(plain);
    const std::set<COLORREF> chosenForBlack = Colours(plain);
    // The yellow node numbers and the green supports vanish on white.
    EXPECT_LT(Contrast(kNodeNumberColor, kWhite), 2);
    EXPECT_LT(Contrast(kGreen, kWhite), 2);
    ASSERT_TRUE(chosenForBlack.count(kNodeNumberColor) && chosenForBlack.count(kGreen));
    ASSERT_GE(chosenForBlack.size(), 7u);

    RecordingCanvas recorded;
    {
        PaletteCanvas onWhite(recorded, kWhite);
        everything.Draw(onWhite);
    }
    const std::set<COLORREF> shown = Colours(recorded);
    EXPECT_EQ(shown.size(), chosenForBlack.size()); // no two made one
    for (const COLORREF colour : shown)
        EXPECT_GE(Contrast(colour, kWhite), 3) << std::hex << colour;
    // The same picture otherwise, and the canvas left as it was found.
    ASSERT_EQ(recorded.m_Segments.size(), plain.m_Segments.size());
    ASSERT_EQ(recorded.m_Texts.size(), plain.m_Texts.size());
    for (std::size_t i = 0; i < plain.m_Texts.size(); ++i)
        EXPECT_EQ(recorded.m_Texts[i].text, plain.m_Texts[i].text);
    EXPECT_TRUE(recorded.StateIsInitial());

    // A colour no layer uses is darkened until it reads.
    for (const COLORREF odd : {MakeColorRef(255, 255, 128), MakeColorRef(200, 255, 200), kWhite})
        EXPECT_GE(Contrast(ColorOnBackground(odd, kWhite), kWhite), 3) << std::hex << odd;
}

TEST(Palette, TheBlackBackgroundKeepsEveryColourExactly)
{
    const Everything everything;
    RecordingCanvas plain, recorded;
    everything.Draw(plain);
    {
        PaletteCanvas onBlack(recorded, kBlack);
        everything.Draw(onBlack);
    }
    EXPECT_EQ(recorded.m_Segments, plain.m_Segments);
    EXPECT_EQ(recorded.m_Texts, plain.m_Texts);
    EXPECT_EQ(recorded.m_Calls, plain.m_Calls);
}
