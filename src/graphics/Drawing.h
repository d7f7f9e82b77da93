#pragma once

#include "core/Records.h"
#include "graphics/Canvas.h"

class ViewTransform;

// Colours of the layers whose colour is not a record's own.
inline constexpr COLORREF kElementLineColor = 0x00FF0000;
inline constexpr COLORREF kNodeNumberColor = 0x0000D7FF;
inline constexpr COLORREF kElementNumberColor = 0x00FF00FF;
inline constexpr COLORREF kLoadColor = 0x000100FF; // loads and every result diagram
inline constexpr COLORREF kRubberBandColor = 0x00FFFFFF;
inline constexpr COLORREF kReactionColor = MakeColorRef(0, 210, 210);
// The member or node under the pointer: a halo around it.
inline constexpr COLORREF kHighlightColor = MakeColorRef(255, 140, 0);

inline constexpr const char* kLabelFace = "Times New Roman";

// The unit of every symbol size: the larger side of the view's world box.
// Zooming does not change the box, so symbols zoom with the structure.
double SymbolSpan(const ViewTransform& view);

// Polar angle of (dx, dy) in radians: arctan(dy / dx), plus pi when dx < 0.
// A zero dx of either sign gives +pi/2 or -pi/2 by the sign of dy; the zero
// vector gives 0.
double DirectionAngle(double dx, double dy);

// True when the view's mapping can show anything: a client area with
// pixels, a finite positive scale and a finite centre. Every layer draws
// nothing otherwise.
bool CanDraw(const ViewTransform& view);

// Converts a length in pixels to int for a font or a text offset:
// truncated toward zero, pinned to a finite range, 0 for what is not a
// number.
int TruncatePixels(double pixels);

// Selects a pen for the lifetime of the object and puts the previous one
// back afterwards.
class PenScope {
public:
    PenScope(Canvas& canvas, const PenDesc& pen) : m_Canvas(canvas), m_Previous(canvas.SelectPen(pen)) {}
    ~PenScope() { m_Canvas.SelectPen(m_Previous); }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

private:
    Canvas& m_Canvas;
    PenDesc m_Previous;
};

// Selects a font, a text colour and a transparent text background for the
// lifetime of the object and puts the previous three back afterwards.
class TextScope {
public:
    TextScope(Canvas& canvas, const FontDesc& font, COLORREF color)
        : m_Canvas(canvas), m_Font(canvas.SelectFont(font)), m_Color(canvas.SetTextColor(color)),
          m_Transparent(canvas.SetTransparentText(true))
    {
    }
    ~TextScope()
    {
        m_Canvas.SetTransparentText(m_Transparent);
        m_Canvas.SetTextColor(m_Color);
        m_Canvas.SelectFont(m_Font);
    }
    TextScope(const TextScope&) = delete;
    TextScope& operator=(const TextScope&) = delete;

private:
    Canvas& m_Canvas;
    FontDesc m_Font;
    COLORREF m_Color;
    bool m_Transparent;
};

// Draws a polyline through world points. A point that is not finite is
// left out and breaks the line, so that nothing undefined ever reaches the
// canvas: the next finite point starts a new run.
class WorldPolyline {
public:
    WorldPolyline(Canvas& canvas, const ViewTransform& view);

    void To(double x, double y);
    // Ends the current run; the next point starts a new one.
    void Break() { m_Open = false; }

private:
    Canvas& m_Canvas;
    const ViewTransform& m_View;
    bool m_Open = false;
};

// One segment between two world points; nothing when either is not finite.
void DrawWorldSegment(Canvas& canvas, const ViewTransform& view, double x1, double y1, double x2, double y2);

// The zoom window's outline from corner (x1, y1) to (x2, y2), client pixels,
// drawn by inverting pixels, so that it shows on any background and a
// second identical call restores the surface.
void DrawRubberBand(Canvas& canvas, int x1, int y1, int x2, int y2);
