#pragma once

#include "graphics/Canvas.h"

#include <functional>
#include <limits>

class ViewTransform;

// A canvas that draws nothing and keeps only the client-pixel rectangle
// that what is drawn on it covers: the end points of every line (pens'
// widths left aside, as the fitted view leaves them aside for members) and
// the cell of every text, its width estimated from the font.
class ExtentCanvas : public Canvas {
public:
    PenDesc SelectPen(const PenDesc& pen) override;
    FontDesc SelectFont(const FontDesc& font) override;
    COLORREF SetTextColor(COLORREF color) override;
    bool SetTransparentText(bool transparent) override;
    bool SetInvert(bool invert) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;

    // Nothing has been drawn yet.
    bool Empty() const { return m_Left > m_Right; }

    double m_Left = std::numeric_limits<double>::infinity();
    double m_Top = std::numeric_limits<double>::infinity();
    double m_Right = -std::numeric_limits<double>::infinity();
    double m_Bottom = -std::numeric_limits<double>::infinity();

private:
    void Take(double x, double y);

    PenDesc m_Pen{1, 0};
    FontDesc m_Font{};
    COLORREF m_TextColor = 0;
    bool m_Transparent = false;
    bool m_Invert = false;
    int m_CurrentX = 0;
    int m_CurrentY = 0;
};

// Draws a picture through the view it is given.
using DrawThroughView = std::function<void(Canvas&, const ViewTransform&)>;

// Widens the fitted view so that everything draw draws through it lies in
// the client area. The view must hold the fit of its world box (SetUp or
// FitToBox). When what is drawn stays inside the box's margin, the view is
// left exactly as it is; otherwise it is zoomed out (never in) and centred
// so that the drawn extent gets the same margin on its tighter axis. The
// world box, and with it every symbol's size, is unchanged. Symbols and
// labels have pixel sizes beside their world sizes, so the scale is found
// by a few measured drawings.
void FitToDrawn(ViewTransform& view, const DrawThroughView& draw);
