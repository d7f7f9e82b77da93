#pragma once

#include "graphics/Canvas.h"

#include <string>
#include <vector>

// A Canvas that writes an SVG document of lines and text, in the units of
// the window's pixels (one user unit is one CSS pixel), so that the
// picture, rasterised at its own size, covers the pixels the window would.
// Platform-free: the same drawing gives the same bytes on every system.
//
// Like the window's canvases it gathers consecutive LineTo calls into one
// polyline, so corners are joined. Text is placed by the top-left corner of
// its cell, with the ascent and average character width of Times New Roman
// (the face the layers ask for; the file names the face, and a viewer
// without it substitutes a metric-compatible one such as Liberation Serif).
// SVG has no inverting mix mode: inverted lines are drawn white with the
// "difference" blend, which viewers that know it show as an inversion.
// Text is always drawn on a transparent background.
class SvgCanvas : public Canvas {
public:
    // Starts the document with a width x height picture filled with the
    // background colour.
    SvgCanvas(int width, int height, COLORREF background);

    PenDesc SelectPen(const PenDesc& pen) override;
    FontDesc SelectFont(const FontDesc& font) override;
    COLORREF SetTextColor(COLORREF color) override;
    bool SetTransparentText(bool transparent) override;
    bool SetInvert(bool invert) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;

    // The finished document; the canvas takes no more drawing after it.
    std::string Finish();

private:
    void Flush();

    std::string m_Document;
    PenDesc m_Pen;
    FontDesc m_Font;
    COLORREF m_TextColor = 0;
    bool m_Transparent = true;
    bool m_Invert = false;
    int m_X = 0;
    int m_Y = 0;
    std::vector<int> m_Run; // x, y pairs of the polyline being gathered
};
