#pragma once

#include "graphics/Canvas.h"

#include <string>
#include <vector>

// A canvas that draws nothing and remembers everything: every segment with
// the pen and mix mode it was drawn with, every text with its font, colour
// and background mode, and the calls in the order they came. Drawing code is
// checked against it to the pixel without rendering.
class RecordingCanvas : public Canvas {
public:
    struct Segment {
        int x1, y1, x2, y2;
        PenDesc pen;
        bool invert;
        bool operator==(const Segment&) const = default;
    };

    struct Text {
        int x, y;
        std::string text;
        FontDesc font;
        COLORREF color;
        bool transparent;
        bool operator==(const Text&) const = default;
    };

    // One drawing call: a move, a line (its end point) or a text (its
    // position).
    struct Call {
        enum Kind { Move, Line, TextOut } kind;
        int x, y;
        bool operator==(const Call&) const = default;
    };

    PenDesc SelectPen(const PenDesc& pen) override;
    FontDesc SelectFont(const FontDesc& font) override;
    COLORREF SetTextColor(COLORREF color) override;
    bool SetTransparentText(bool transparent) override;
    bool SetInvert(bool invert) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;

    // Forgets what was drawn; the state in force stays.
    void ClearDrawing();
    // The segments drawn with the given pen, in order.
    std::vector<Segment> SegmentsWith(const PenDesc& pen) const;
    // The number of polylines drawn (moves followed by at least one line).
    int PolylineCount() const;
    // The state in force compared with the state a fresh canvas starts in.
    bool StateIsInitial() const;

    std::vector<Segment> m_Segments;
    std::vector<Text> m_Texts;
    std::vector<Call> m_Calls;

    // The state in force; a fresh canvas starts like a fresh device context:
    // black 1-pixel pen, default font, black text on an opaque background,
    // no inversion, current point at the origin.
    PenDesc m_Pen{1, 0};
    FontDesc m_Font{};
    COLORREF m_TextColor = 0;
    bool m_Transparent = false;
    bool m_Invert = false;
    int m_CurrentX = 0;
    int m_CurrentY = 0;
};
