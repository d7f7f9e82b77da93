#pragma once

#include "core/Records.h"

#include <string>
#include <string_view>

// A solid pen: width in pixels (cosmetic, never scaled) and colour.
struct PenDesc {
    int width = 1;
    COLORREF color = 0;
    bool operator==(const PenDesc&) const = default;
};

// A font: face name, cell height in pixels (0: the platform's default
// height) and character width in pixels (0: chosen from the height).
struct FontDesc {
    std::string face;
    int height = 0;
    int width = 0;
    bool operator==(const FontDesc&) const = default;
};

// The drawing surface the layers draw on, with the few GDI-like operations
// they need. Positions are integer client pixels, y downwards. Each Select or
// Set returns what was in force before, so that a routine can put it back.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual PenDesc SelectPen(const PenDesc& pen) = 0;
    virtual FontDesc SelectFont(const FontDesc& font) = 0;
    virtual COLORREF SetTextColor(COLORREF color) = 0;
    // Text background: transparent (true) or opaque.
    virtual bool SetTransparentText(bool transparent) = 0;
    // Inverting mix mode: every pixel a line touches is inverted, whatever
    // the pen's colour, so drawing the same lines twice restores the surface.
    virtual bool SetInvert(bool invert) = 0;

    // Starts a polyline at a pixel; LineTo draws from the current point and
    // makes its end the new current point.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // Text with its cell's top-left corner at (x, y).
    virtual void TextOut(int x, int y, std::string_view text) = 0;

    // Whether the canvas writes a raster of client pixels one to one (a
    // window's back buffer, a PNG), where handing it whole spans of pixels
    // beats handing it many lines of a pixel or two. Vector surfaces (SVG,
    // PDF) and canvases that record or measure say no, and never see spans.
    virtual bool PaintsPixels() const { return false; }
    // Fills pixels x0 to x1 - 1 of row y in the pen's colour, whatever the
    // pen's width. Here drawn as a one-pixel line that, as a GDI line does,
    // stops short of its end; a raster canvas writes the pixels itself.
    virtual void FillSpan(int y, int x0, int x1)
    {
        if (x1 <= x0)
            return;
        const PenDesc pen = SelectPen(PenDesc{});
        SelectPen(PenDesc{1, pen.color});
        MoveTo(x0, y);
        LineTo(x1, y);
        SelectPen(pen);
    }
};
