#include "graphics/ViewTransform.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Pixel offsets from the origin are kept within this range, so that no
// value outside an int (and nothing that is not a number) is ever converted
// and any 2D canvas can still clip the lines it is given. At any sensible
// zoom the picture lies far inside it; points beyond it are pinned to its
// edge.
constexpr int kOffsetLimit = 1 << 24;

int ToPixelOffset(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= kOffsetLimit)
        return kOffsetLimit;
    if (v <= -kOffsetLimit)
        return -kOffsetLimit;
    return static_cast<int>(v); // truncates toward zero
}

int Saturate(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

bool UsableScale(double s)
{
    return std::isfinite(s) && s > 0;
}

double Midpoint(double a, double b)
{
    const double m = (a + b) / 2;
    return std::isfinite(m) ? m : a / 2 + b / 2;
}

} // namespace

void ViewTransform::SetUp(int width, int height, double xMin, double xMax, double yMin, double yMax)
{
    m_Width = width;
    m_Height = height;
    m_XMin = xMin;
    m_XMax = xMax;
    m_YMin = yMin;
    m_YMax = yMax;
    FitToBox();
}

void ViewTransform::FitToBox()
{
    // The tighter axis decides. An axis of zero extent does not constrain
    // the fit; when neither does (a box that is one point, or no box at all
    // before a model is loaded) one pixel per unit is shown. A client area
    // without pixels gets a scale of 0, which the drawing takes as "nothing
    // to draw".
    double scale = 0;
    if (m_Width > 0 && m_Height > 0) {
        const double candidates[2] = {m_Width / std::fabs(m_XMax - m_XMin), m_Height / std::fabs(m_YMax - m_YMin)};
        double fit = INFINITY;
        for (double c : candidates)
            if (c > 0 && c < fit)
                fit = c;
        scale = 0.95 * fit;
        if (!UsableScale(scale))
            scale = 1;
    }
    m_Scale = scale;
    m_OriginX = m_Width / 2;
    m_OriginY = m_Height / 2;
    m_CenterX = Midpoint(m_XMin, m_XMax);
    m_CenterY = Midpoint(m_YMin, m_YMax);
}

void ViewTransform::WorldToScreen(const double world[2], int screen[2]) const
{
    const int lx = ToPixelOffset((world[0] - m_CenterX) * m_Scale);
    const int ly = ToPixelOffset((world[1] - m_CenterY) * m_Scale);
    screen[0] = Saturate(static_cast<long long>(m_OriginX) + lx);
    screen[1] = Saturate(static_cast<long long>(m_OriginY) - ly);
}

void ViewTransform::ScreenToWorld(const int screen[2], double world[2]) const
{
    // Without a usable scale every pixel shows the centre.
    if (!UsableScale(m_Scale)) {
        world[0] = m_CenterX;
        world[1] = m_CenterY;
        return;
    }
    const double lx = static_cast<double>(static_cast<long long>(screen[0]) - m_OriginX);
    const double ly = static_cast<double>(static_cast<long long>(m_OriginY) - screen[1]);
    world[0] = lx / m_Scale + m_CenterX;
    world[1] = ly / m_Scale + m_CenterY;
}

void ViewTransform::LocalToScreen(const int local[2], int screen[2]) const
{
    screen[0] = Saturate(static_cast<long long>(m_OriginX) + local[0]);
    screen[1] = Saturate(static_cast<long long>(m_OriginY) - local[1]);
}

void ViewTransform::ScreenToLocal(const int screen[2], int local[2]) const
{
    local[0] = Saturate(static_cast<long long>(screen[0]) - m_OriginX);
    local[1] = Saturate(static_cast<long long>(m_OriginY) - screen[1]);
}

void ViewTransform::Pan(int dx, int dy)
{
    m_OriginX = Saturate(static_cast<long long>(m_OriginX) + dx);
    m_OriginY = Saturate(static_cast<long long>(m_OriginY) + dy);
}

void ViewTransform::ZoomAt(int sx, int sy, double newScale)
{
    // A zoom that would leave no usable mapping is ignored, so the view
    // stays where it was.
    if (!UsableScale(newScale) || !UsableScale(m_Scale))
        return;
    const int pixel[2] = {sx, sy};
    double world[2];
    ScreenToWorld(pixel, world);
    if (!std::isfinite(world[0]) || !std::isfinite(world[1]))
        return;
    m_CenterX = world[0];
    m_CenterY = world[1];
    m_OriginX = sx;
    m_OriginY = sy;
    m_Scale = newScale;
}

void ViewTransform::ZoomToRect(int x1, int y1, int x2, int y2)
{
    if (!UsableScale(m_Scale) || m_Width <= 0 || m_Height <= 0)
        return;
    const int p1[2] = {x1, y1};
    const int p2[2] = {x2, y2};
    double a[2], b[2];
    ScreenToWorld(p1, a);
    ScreenToWorld(p2, b);
    // A rectangle that is a line still fixes the scale through its other
    // axis; one that is a single point (two clicks on one pixel) fixes
    // nothing and is ignored.
    const double scaleX = m_Width / std::fabs(b[0] - a[0]);
    const double scaleY = m_Height / std::fabs(b[1] - a[1]);
    if (std::isnan(scaleX) || std::isnan(scaleY))
        return;
    const double scale = std::min(scaleX, scaleY);
    const double centerX = (a[0] + b[0]) / 2;
    const double centerY = (a[1] + b[1]) / 2;
    if (!UsableScale(scale) || !std::isfinite(centerX) || !std::isfinite(centerY))
        return;
    m_CenterX = centerX;
    m_CenterY = centerY;
    m_Scale = scale;
    m_OriginX = m_Width / 2;
    m_OriginY = m_Height / 2;
}
