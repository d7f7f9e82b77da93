#include "graphics/DrawnExtent.h"

#include "graphics/ValueLabels.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <cmath>
#include <utility>

PenDesc ExtentCanvas::SelectPen(const PenDesc& pen)
{
    return std::exchange(m_Pen, pen);
}

FontDesc ExtentCanvas::SelectFont(const FontDesc& font)
{
    return std::exchange(m_Font, font);
}

COLORREF ExtentCanvas::SetTextColor(COLORREF color)
{
    return std::exchange(m_TextColor, color);
}

bool ExtentCanvas::SetTransparentText(bool transparent)
{
    return std::exchange(m_Transparent, transparent);
}

bool ExtentCanvas::SetInvert(bool invert)
{
    return std::exchange(m_Invert, invert);
}

void ExtentCanvas::MoveTo(int x, int y)
{
    m_CurrentX = x;
    m_CurrentY = y;
}

void ExtentCanvas::LineTo(int x, int y)
{
    Take(m_CurrentX, m_CurrentY);
    Take(x, y);
    m_CurrentX = x;
    m_CurrentY = y;
}

void ExtentCanvas::TextOut(int x, int y, std::string_view text)
{
    if (text.empty())
        return;
    // A font of no stated height gets a common default cell.
    const int height = m_Font.height > 0 ? m_Font.height : 16;
    const double width = m_Font.width > 0 ? static_cast<double>(m_Font.width) * static_cast<double>(text.size())
                                          : EstimateTextWidth(text, height);
    Take(x, y);
    Take(x + width, static_cast<double>(y) + height);
}

void ExtentCanvas::Take(double x, double y)
{
    m_Left = std::min(m_Left, x);
    m_Right = std::max(m_Right, x);
    m_Top = std::min(m_Top, y);
    m_Bottom = std::max(m_Bottom, y);
}

namespace {

// The part of each axis the drawing may fill: the margin of FitToBox.
constexpr double kFill = 0.95;
// Rounding to whole pixels may put a point this far beyond the margin.
constexpr double kSlack = 1;
// Zooming out stops here, whatever does not fit by then (labels larger than
// a tiny window): a part of the box's own fitted scale.
constexpr double kSmallestZoom = 0.05;
// The widest border around the client area that is measured as if on it.
constexpr int kPad = 1024;
// Measured drawings after the first, at most.
constexpr int kRounds = 6;

// What is drawn at one scale, about the view's own centre, in pixel offsets
// from the origin pixel (x to the right, y upwards).
struct Extent {
    double scale = 0;
    bool empty = true;
    double left = 0, right = 0, bottom = 0, top = 0;

    // The larger part of an axis the drawing takes, 1 when it just fits.
    double Fill(int width, int height) const
    {
        if (empty)
            return 0;
        return std::max((right - left) / (kFill * width), (top - bottom) / (kFill * height));
    }
};

Extent Measure(const ViewTransform& fitted, double scale, const DrawThroughView& draw)
{
    // Drawn on a client area larger by the whole client on every side (at
    // most kPad pixels: what places labels keeps a grid over the area), so
    // that whatever culls or places by the screen (labels kept only where
    // they fit) treats what lies just beyond the window as drawn.
    const int pad = std::min(std::max(fitted.m_Width, fitted.m_Height), kPad);
    ViewTransform view = fitted;
    view.m_Width = fitted.m_Width + 2 * pad;
    view.m_Height = fitted.m_Height + 2 * pad;
    view.m_OriginX = fitted.m_OriginX + pad;
    view.m_OriginY = fitted.m_OriginY + pad;
    view.m_Scale = scale;

    ExtentCanvas canvas;
    draw(canvas, view);
    Extent extent;
    extent.scale = scale;
    extent.empty = canvas.Empty();
    if (!extent.empty) {
        extent.left = canvas.m_Left - view.m_OriginX;
        extent.right = canvas.m_Right - view.m_OriginX;
        extent.top = view.m_OriginY - canvas.m_Top;
        extent.bottom = view.m_OriginY - canvas.m_Bottom;
    }
    return extent;
}

bool InsideMargin(const Extent& e, int width, int height)
{
    const double halfX = kFill * width / 2 + kSlack, halfY = kFill * height / 2 + kSlack;
    return e.empty || (e.left >= -halfX && e.right <= halfX && e.bottom >= -halfY && e.top <= halfY);
}

} // namespace

void FitToDrawn(ViewTransform& view, const DrawThroughView& draw)
{
    const double fitted = view.m_Scale;
    if (view.m_Width <= 0 || view.m_Height <= 0 || !std::isfinite(fitted) || fitted <= 0 ||
        !std::isfinite(view.m_CenterX) || !std::isfinite(view.m_CenterY))
        return;
    const int width = view.m_Width, height = view.m_Height;

    const Extent first = Measure(view, fitted, draw);
    if (InsideMargin(first, width, height))
        return;

    // The scale at which the drawing just fills its margin. The fill grows
    // with the scale in straight pieces (world sizes grow with it, pixel
    // sizes do not), so a secant search, kept inside the bracket of the
    // largest scale that fits and the smallest that does not, finds it in a
    // few drawings.
    Extent best = first;
    bool fits = first.Fill(width, height) <= 1;
    if (!fits) {
        const double smallest = fitted * kSmallestZoom;
        // Within a hundredth of filling the margin is close enough: each
        // drawing costs as much as a paint.
        const double enough = 0.99;
        Extent over = first;
        Extent previous = first;
        double next = fitted * (1 + enough) / 2 / first.Fill(width, height);
        for (int round = 0; round < kRounds; ++round) {
            next = std::clamp(next, smallest, fitted);
            const Extent e = Measure(view, next, draw);
            const double fill = e.Fill(width, height);
            if (fill <= 1) {
                if (!fits || e.scale > best.scale)
                    best = e;
                fits = true;
                if (fill >= enough)
                    break;
            } else {
                if (e.scale < over.scale)
                    over = e;
                if (e.scale <= smallest)
                    break;
            }
            const double previousFill = previous.Fill(width, height);
            const double slope = (fill - previousFill) / (e.scale - previous.scale);
            // Aimed at the middle of what is close enough, so that a drawing
            // whose labels jump a little as the scale changes still lands in it.
            const double aim = (1 + enough) / 2;
            double guess = std::isfinite(slope) && slope > 0 ? e.scale + (aim - fill) / slope : e.scale * aim / fill;
            if (fits && !(guess > best.scale && guess < over.scale))
                guess = (best.scale + over.scale) / 2;
            else if (!fits && !(guess < over.scale))
                guess = over.scale / over.Fill(width, height);
            previous = e;
            next = guess;
        }
        // Nothing fits (labels larger than the window): the furthest out.
        if (!fits)
            best = over;
    }

    // Centred on the drawing's middle at that scale; the offsets of pixel
    // size move with the world points they belong to.
    const double shiftX = (best.left + best.right) / 2 / best.scale;
    const double shiftY = (best.bottom + best.top) / 2 / best.scale;
    view.m_Scale = best.scale;
    view.m_CenterX += shiftX;
    view.m_CenterY += shiftY;
    view.m_OriginX = width / 2;
    view.m_OriginY = height / 2;
}
