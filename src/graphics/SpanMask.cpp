#include "graphics/SpanMask.h"

#include "graphics/Canvas.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <utility>

namespace {

// Cuts the line from (u0, v0) to (u1, v1) where u leaves [low, high]; false
// when nothing of it is left.
bool Clip(double& u0, double& v0, double& u1, double& v1, double low, double high)
{
    if (u0 < low) {
        if (u1 <= low)
            return false;
        v0 += (v1 - v0) / (u1 - u0) * (low - u0);
        u0 = low;
    } else if (u0 > high) {
        if (u1 >= high)
            return false;
        v0 += (v1 - v0) / (u1 - u0) * (high - u0);
        u0 = high;
    }
    if (u1 < low) {
        v1 += (v1 - v0) / (u1 - u0) * (low - u1);
        u1 = low;
    } else if (u1 > high) {
        v1 += (v1 - v0) / (u1 - u0) * (high - u1);
        u1 = high;
    }
    return true;
}

} // namespace

SpanMask::SpanMask(int width, int height)
    : m_Width(std::max(0, width)), m_Height(std::max(0, height)),
      m_Words((static_cast<std::size_t>(m_Width) + 63) / 64), m_Bits(m_Words * static_cast<std::size_t>(m_Height), 0),
      m_Top(m_Height), m_Bottom(-1)
{
}

bool SpanMask::Takes(int x0, int y0, int x1, int y1, int width)
{
    const std::int64_t du = std::llabs(std::int64_t{x1} - x0);
    const std::int64_t dv = std::llabs(std::int64_t{y1} - y0);
    return std::max(du, dv) <= (width > 1 ? kLongestWide : kLongest);
}

void SpanMask::Line(int x0, int y0, int x1, int y1)
{
    Walk(x0, y0, x1, y1, 0, [this](std::int64_t x, std::int64_t y) { Mark(x, y); });
}

void SpanMask::WideLine(int x0, int y0, int x1, int y1, int width)
{
    if (width <= 1) {
        Line(x0, y0, x1, y1);
        return;
    }
    if (width != m_DiscWidth) {
        // Pixels whose middle lies within half the width of the disc's
        // centre: the pixel's middle for an odd width, its top-left corner
        // for an even one.
        m_DiscWidth = width;
        m_Disc.clear();
        const double shift = width % 2 == 0 ? 0.5 : 0;
        const double r2 = width * width / 4.0;
        const int reach = width / 2 + 1;
        for (int dy = -reach; dy <= reach; ++dy) {
            int dx0 = reach + 1, dx1 = -reach - 1;
            for (int dx = -reach; dx <= reach; ++dx) {
                const double ex = dx + shift, ey = dy + shift;
                if (ex * ex + ey * ey <= r2) {
                    dx0 = std::min(dx0, dx);
                    dx1 = std::max(dx1, dx);
                }
            }
            if (dx0 <= dx1)
                m_Disc.push_back({dy, dx0, dx1});
        }
    }
    // Cut so far out that the discs of what is cut off miss the mask.
    Walk(x0, y0, x1, y1, width / 2 + 1, [this](std::int64_t x, std::int64_t y) {
        for (const DiscRow& row : m_Disc)
            MarkRun(y + row.dy, x + row.dx0, x + row.dx1);
    });
    // A line that never leaves its pixel is a dot of the pen's width.
    if (x0 == x1 && y0 == y1)
        for (const DiscRow& row : m_Disc)
            MarkRun(std::int64_t{y0} + row.dy, std::int64_t{x0} + row.dx0, std::int64_t{x0} + row.dx1);
}

void SpanMask::MarkRun(std::int64_t y, std::int64_t x0, std::int64_t x1)
{
    if (y < 0 || y >= m_Height)
        return;
    x0 = std::max<std::int64_t>(x0, 0);
    x1 = std::min<std::int64_t>(x1, m_Width - 1);
    if (x0 > x1)
        return;
    const int row = static_cast<int>(y);
    std::uint64_t* bits = m_Bits.data() + static_cast<std::size_t>(row) * m_Words;
    const std::size_t first = static_cast<std::size_t>(x0 >> 6), last = static_cast<std::size_t>(x1 >> 6);
    const std::uint64_t head = ~std::uint64_t{0} << (x0 & 63);
    const std::uint64_t tail = ~std::uint64_t{0} >> (63 - (x1 & 63));
    if (first == last) {
        bits[first] |= head & tail;
    } else {
        bits[first] |= head;
        for (std::size_t w = first + 1; w < last; ++w)
            bits[w] = ~std::uint64_t{0};
        bits[last] |= tail;
    }
    m_Top = std::min(m_Top, row);
    m_Bottom = std::max(m_Bottom, row);
}

template <typename Pixel>
void SpanMask::Walk(int x0, int y0, int x1, int y1, int margin, Pixel pixel)
{
    // Positions in 1/64 of a pixel, steps in 1/65536, and a cap of half a
    // pixel at either end, so that both end pixels are covered.
    std::int64_t ax = std::int64_t{x0} * 64, ay = std::int64_t{y0} * 64;
    std::int64_t bx = std::int64_t{x1} * 64, by = std::int64_t{y1} * 64;
    const double left = -1.0 - margin, top = -1.0 - margin, right = m_Width + 1.0 + margin,
                 bottom = m_Height + 1.0 + margin;
    if (x0 < left || x0 > right || x1 < left || x1 > right || y0 < top || y0 > bottom || y1 < top || y1 > bottom) {
        // A line that leaves the pixels (and the pixel around them) is cut
        // at that border first, in floating point, and its ends then taken
        // to the 1/64 below: where it comes back in, the steps fall as the
        // raster engine's do.
        double px = x0, py = y0, qx = x1, qy = y1;
        if (!Clip(px, py, qx, qy, left, right) || !Clip(py, px, qy, qx, top, bottom))
            return;
        ax = static_cast<std::int64_t>(px * 64);
        ay = static_cast<std::int64_t>(py * 64);
        bx = static_cast<std::int64_t>(qx * 64);
        by = static_cast<std::int64_t>(qy * 64);
    }
    const bool steep = std::llabs(bx - ax) < std::llabs(by - ay);
    if (steep) {
        std::swap(ax, ay);
        std::swap(bx, by);
    }
    // Along u (the longer axis), v across it.
    if (ax == bx)
        return;
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const std::int64_t step = (by - ay) * 65536 / (bx - ax);
    std::int64_t v = ay * 1024 - (step >> 1);
    ax -= 32;
    bx += 32;
    const std::int64_t first = (ax + 32) >> 6;
    const std::int64_t last = (bx + 32) >> 6; // one past
    // A line that climbs is placed by the middle of each pixel, one that
    // falls by its near edge.
    const std::int64_t middle = step > 0 ? 32 : 0;
    v += ((first * 64 + middle - ax) * step) >> 6;
    for (std::int64_t u = first; u < last; ++u, v += step) {
        const std::int64_t across = v >> 16;
        if (steep)
            pixel(across, u);
        else
            pixel(u, across);
    }
}

bool SpanMask::Marked(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_Width || y >= m_Height)
        return false;
    return (m_Bits[static_cast<std::size_t>(y) * m_Words + static_cast<std::size_t>(x >> 6)] >> (x & 63)) & 1;
}

void SpanMask::Flush(Canvas& canvas)
{
    for (int y = m_Top; y <= m_Bottom; ++y) {
        std::uint64_t* row = m_Bits.data() + static_cast<std::size_t>(y) * m_Words;
        // A run may go on across words: it starts at start and is still open
        // while start >= 0.
        int start = -1;
        for (std::size_t w = 0; w < m_Words; ++w) {
            std::uint64_t bits = row[w];
            row[w] = 0;
            const int base = static_cast<int>(w * 64);
            int at = 0; // the bits below at are done
            while (at < 64) {
                if (start < 0) {
                    const std::uint64_t rest = at == 0 ? bits : bits >> at;
                    if (rest == 0)
                        break;
                    at += std::countr_zero(rest);
                    start = base + at;
                } else {
                    const std::uint64_t rest = at == 0 ? ~bits : (~bits) >> at;
                    if (rest == 0)
                        break; // the run goes on into the next word
                    at += std::countr_zero(rest);
                    canvas.FillSpan(y, start, base + at);
                    start = -1;
                }
            }
        }
        if (start >= 0)
            canvas.FillSpan(y, start, m_Width);
    }
    m_Top = m_Height;
    m_Bottom = -1;
}

void MaskedLines::MoveTo(int x, int y)
{
    m_X = x;
    m_Y = y;
    if (m_Mask) {
        // The canvas hears of it when a long segment starts here.
        m_CanvasAtPoint = false;
    } else {
        m_Canvas.MoveTo(x, y);
    }
}

void MaskedLines::LineTo(int x, int y)
{
    if (!m_Mask) {
        m_Canvas.LineTo(x, y);
    } else if (SpanMask::Takes(m_X, m_Y, x, y, m_Width)) {
        m_Mask->WideLine(m_X, m_Y, x, y, m_Width);
        m_CanvasAtPoint = false;
    } else {
        if (!m_CanvasAtPoint)
            m_Canvas.MoveTo(m_X, m_Y);
        m_Canvas.LineTo(x, y);
        m_CanvasAtPoint = true;
    }
    m_X = x;
    m_Y = y;
}
