#pragma once

#include <cstdint>
#include <vector>

class Canvas;

// The pixels of many short one-pixel lines of one pen, gathered on a mask of
// the client rectangle and handed to a raster canvas as horizontal spans.
// A diagram of a large frame seen whole is hundreds of thousands of lines of
// a pixel or two, crowded into one picture; a raster engine pays for each
// line far more than for the few pixels it sets, and the same pixels as a
// few thousand spans cost next to nothing. Every line of the mask has the
// one colour and is opaque, so the order of the lines does not show.
class SpanMask {
public:
    // A mask of width x height pixels, all clear (none when either is not
    // positive).
    SpanMask(int width, int height);

    // The longest segment, along its longer axis, the mask takes: a longer
    // one is rare, costs a raster engine little more than its pixels, and
    // may reach far beyond the client rectangle.
    static constexpr int kLongest = 256;
    // The same for a wider pen: only members crowded into a few pixels, where
    // the rim of a stamped line (a diagonal one comes out a little bolder
    // than the raster engine's) does not show.
    static constexpr int kLongestWide = 8;
    static bool Takes(int x0, int y0, int x1, int y1, int width = 1);

    // Marks the pixels of a one-pixel line from (x0, y0) to (x1, y1), both
    // ends included, as Qt's raster engine draws an aliased cosmetic line
    // with square caps (the window's, on Linux): one pixel at each step
    // along the longer axis, across it where the line runs, worked out in
    // fixed point (1/64 pixel positions, 1/65536 steps) and rounded down.
    // Pixels off the mask are left out, and a line that never leaves its
    // first pixel marks nothing, as it draws nothing.
    void Line(int x0, int y0, int x1, int y1);
    // The same line drawn with a pen width pixels wide and round ends: every
    // pixel of it stamped with a disc of that width, centred on the pixel
    // for an odd width, on its top-left corner for an even one (the extra
    // row above and the extra column left, as the raster engine places
    // them). Close to the raster engine's wide lines, not exact: a pixel
    // more or less at the rim, where the member lines of a large frame seen
    // whole run into one another anyway.
    void WideLine(int x0, int y0, int x1, int y1, int width);

    bool Marked(int x, int y) const;
    bool Empty() const { return m_Top > m_Bottom; }

    // Fills every run of marked pixels, row by row from the top, with
    // Canvas::FillSpan in the pen in force, and clears the mask.
    void Flush(Canvas& canvas);

private:
    // Calls pixel for each pixel of the one-pixel line, the line first cut
    // where it leaves the mask by more than a pixel and margin.
    template <typename Pixel>
    void Walk(int x0, int y0, int x1, int y1, int margin, Pixel pixel);
    // Marks pixels x0 to x1 of row y, as much of them as is on the mask.
    void MarkRun(std::int64_t y, std::int64_t x0, std::int64_t x1);
    void Mark(std::int64_t x, std::int64_t y)
    {
        if (x < 0 || y < 0 || x >= m_Width || y >= m_Height)
            return;
        const int row = static_cast<int>(y);
        m_Bits[static_cast<std::size_t>(row) * m_Words + static_cast<std::size_t>(x >> 6)] |= std::uint64_t{1}
                                                                                              << (x & 63);
        m_Top = row < m_Top ? row : m_Top;
        m_Bottom = row > m_Bottom ? row : m_Bottom;
    }

    int m_Width = 0;
    int m_Height = 0;
    std::size_t m_Words = 0; // per row
    std::vector<std::uint64_t> m_Bits;
    // The rows marked lie from m_Top to m_Bottom (none when m_Top > m_Bottom).
    int m_Top;
    int m_Bottom;
    // The disc of the last width stamped: for each row from its top, the
    // columns it covers, both ends included, relative to its pixel.
    int m_DiscWidth = 0;
    struct DiscRow {
        int dy, dx0, dx1;
    };
    std::vector<DiscRow> m_Disc;
};

// MoveTo and LineTo for a layer that draws in one colour: the segments the
// mask takes go on it, the others to the canvas as lines. Without a mask
// every call goes straight to the canvas.
class MaskedLines {
public:
    MaskedLines(Canvas& canvas, SpanMask* mask) : m_Canvas(canvas), m_Mask(mask) {}

    // The width of the pen the layer has selected (1 to start with).
    void SetWidth(int width) { m_Width = width; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);

private:
    Canvas& m_Canvas;
    SpanMask* m_Mask;
    int m_Width = 1;
    int m_X = 0;
    int m_Y = 0;
    // Whether the canvas's current point is (m_X, m_Y), so that a long
    // segment continues its polyline there.
    bool m_CanvasAtPoint = false;
};
