#include "graphics/Palette.h"

#include "graphics/Drawing.h"

#include <cmath>
#include <utility>

namespace {

double Channel(COLORREF color, int shift)
{
    const double c = static_cast<double>((color >> shift) & 0xFF) / 255;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF color)
{
    return 0.2126 * Channel(color, 0) + 0.7152 * Channel(color, 8) + 0.0722 * Channel(color, 16);
}

// What stands out least from a light background and still reads.
constexpr double kLeastContrast = 3;

// The shades chosen for a light background, for the colours the layers use.
struct Shade {
    COLORREF onDark;
    COLORREF onLight;
};
constexpr Shade kShades[] = {
    {kNodeNumberColor, MakeColorRef(150, 100, 0)},    // dark gold
    {kGreen, MakeColorRef(0, 128, 0)},                // supports, springs, prescribed
    {kReactionColor, MakeColorRef(0, 120, 120)},      // teal
    {kHighlightColor, MakeColorRef(200, 80, 0)},      // burnt orange
    {kElementNumberColor, MakeColorRef(170, 0, 170)}, // deep magenta
};

} // namespace

double ContrastRatio(COLORREF a, COLORREF b)
{
    double la = Luminance(a), lb = Luminance(b);
    if (la < lb)
        std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

COLORREF ColorOnBackground(COLORREF color, COLORREF background)
{
    color &= 0xFFFFFF;
    // A dark background keeps the colours they were chosen for.
    if (Luminance(background) < 0.5)
        return color;
    for (const Shade& shade : kShades)
        if (shade.onDark == color)
            return shade.onLight;
    // Any other colour: darkened in steps, its hue kept, until it reads.
    COLORREF shaded = color;
    for (double f = 0.9; ContrastRatio(shaded, background) < kLeastContrast && f > 0; f -= 0.1)
        shaded = MakeColorRef(static_cast<int>((color & 0xFF) * f), static_cast<int>(((color >> 8) & 0xFF) * f),
                              static_cast<int>(((color >> 16) & 0xFF) * f));
    return ContrastRatio(shaded, background) < kLeastContrast ? 0 : shaded;
}

PaletteCanvas::~PaletteCanvas()
{
    if (m_PenSelected)
        m_Target.SelectPen(m_TargetPen);
    if (m_TextColorSet)
        m_Target.SetTextColor(m_TargetTextColor);
}

PenDesc PaletteCanvas::SelectPen(const PenDesc& pen)
{
    const PenDesc previous = m_Target.SelectPen(PenDesc{pen.width, ColorOnBackground(pen.color, m_Background)});
    if (!m_PenSelected) {
        m_PenSelected = true;
        m_TargetPen = previous;
        m_Pen = previous;
    }
    return std::exchange(m_Pen, pen);
}

COLORREF PaletteCanvas::SetTextColor(COLORREF color)
{
    const COLORREF previous = m_Target.SetTextColor(ColorOnBackground(color, m_Background));
    if (!m_TextColorSet) {
        m_TextColorSet = true;
        m_TargetTextColor = previous;
        m_TextColor = previous;
    }
    return std::exchange(m_TextColor, color);
}
