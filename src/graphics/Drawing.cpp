#include "graphics/Drawing.h"

#include "graphics/ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTextPixelLimit = 1 << 24;

} // namespace

double SymbolSpan(const ViewTransform& view)
{
    return std::max(view.m_XMax - view.m_XMin, view.m_YMax - view.m_YMin);
}

double DirectionAngle(double dx, double dy)
{
    // Tested as a zero rather than through dy / dx: a negative zero dx would
    // otherwise turn an upward direction downward.
    if (dx == 0) {
        if (dy > 0)
            return std::acos(-1.0) / 2;
        if (dy < 0)
            return -std::acos(-1.0) / 2;
        return dy == 0 ? 0.0 : dy; // NaN stays NaN
    }
    double angle = std::atan(dy / dx);
    if (dx < 0)
        angle += std::acos(-1.0);
    return angle;
}

bool CanDraw(const ViewTransform& view)
{
    return view.m_Width > 0 && view.m_Height > 0 && std::isfinite(view.m_Scale) && view.m_Scale > 0 &&
           std::isfinite(view.m_CenterX) && std::isfinite(view.m_CenterY);
}

int TruncatePixels(double pixels)
{
    if (std::isnan(pixels))
        return 0;
    return static_cast<int>(std::clamp(pixels, -kTextPixelLimit, kTextPixelLimit));
}

WorldPolyline::WorldPolyline(Canvas& canvas, const ViewTransform& view) : m_Canvas(canvas), m_View(view) {}

void WorldPolyline::To(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) {
        m_Open = false;
        return;
    }
    const double world[2] = {x, y};
    int pixel[2];
    m_View.WorldToScreen(world, pixel);
    if (m_Open) {
        m_Canvas.LineTo(pixel[0], pixel[1]);
    } else {
        m_Canvas.MoveTo(pixel[0], pixel[1]);
        m_Open = true;
    }
}

void DrawWorldSegment(Canvas& canvas, const ViewTransform& view, double x1, double y1, double x2, double y2)
{
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return;
    WorldPolyline line(canvas, view);
    line.To(x1, y1);
    line.To(x2, y2);
}

void DrawRubberBand(Canvas& canvas, int x1, int y1, int x2, int y2)
{
    const PenDesc previousPen = canvas.SelectPen(PenDesc{1, kRubberBandColor});
    const bool previousTransparent = canvas.SetTransparentText(true);
    const bool previousInvert = canvas.SetInvert(true);
    // One polyline, so that an inverting canvas flips every pixel once and a
    // second identical call restores the surface.
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y1);
    canvas.LineTo(x2, y2);
    canvas.LineTo(x1, y2);
    canvas.LineTo(x1, y1);
    canvas.SetInvert(previousInvert);
    canvas.SetTransparentText(previousTransparent);
    canvas.SelectPen(previousPen);
}
