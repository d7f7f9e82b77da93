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
    static bool Takes(int x0, int y0, int x1, int y1);

    // Marks the pixels of a one-pixel line from (x0, y0) to (x1, y1), both
    // ends included, as Qt's raster engine draws an aliased cosmetic line
    // with square caps (the window's, on Linux): one pixel at each step
    // along the longer axis, across it where the line runs, worked out in
    // fixed point (1/64 pixel positions, 1/65536 steps) and rounded down.
    // Pixels off the mask are left out, and a line that never leaves its
    // first pixel marks nothing, as it draws nothing.
    void Line(int x0, int y0, int x1, int y1);

    bool Marked(int x, int y) const;
    bool Empty() const { return m_Top > m_Bottom; }

    // Fills every run of marked pixels, row by row from the top, with
    // Canvas::FillSpan in the pen in force, and clears the mask.
    void Flush(Canvas& canvas);

private:
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
};

// MoveTo and LineTo for a layer that draws in one width-1 pen: the segments
// the mask takes go on it, the others to the canvas as lines. Without a mask
// every call goes straight to the canvas.
class MaskedLines {
public:
    MaskedLines(Canvas& canvas, SpanMask* mask) : m_Canvas(canvas), m_Mask(mask) {}

    void MoveTo(int x, int y);
    void LineTo(int x, int y);

private:
    Canvas& m_Canvas;
    SpanMask* m_Mask;
    int m_X = 0;
    int m_Y = 0;
    // Whether the canvas's current point is (m_X, m_Y), so that a long
    // segment continues its polyline there.
    bool m_CanvasAtPoint = false;
};
