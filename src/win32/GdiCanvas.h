#pragma once

#include "graphics/Canvas.h"
#include "win32/WindowsHeaders.h"

#include <vector>

// A Canvas on a GDI device context: the window's back buffer or a bitmap
// in memory. The layers' operations are GDI's own (cosmetic solid pens,
// MoveToEx and LineTo, fonts by face, cell height and character width,
// text placed by its cell's top-left corner, R2_NOT for the inverting
// rubber band), so this is a thin layer: it creates each pen and font once,
// keeps them while the canvas lives, and puts the device context back as
// it found it (objects, colours, modes) when it is destroyed.
class GdiCanvas : public Canvas {
public:
    // The device context must outlive the canvas.
    explicit GdiCanvas(HDC dc);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    PenDesc SelectPen(const PenDesc& pen) override;
    FontDesc SelectFont(const FontDesc& font) override;
    COLORREF SetTextColor(COLORREF color) override;
    bool SetTransparentText(bool transparent) override;
    bool SetInvert(bool invert) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;

private:
    template <typename Desc>
    struct Made {
        Desc desc;
        HGDIOBJ object;
    };

    HDC m_Dc;
    PenDesc m_Pen;
    FontDesc m_Font;
    COLORREF m_TextColor = 0;
    bool m_Transparent = true;
    bool m_Invert = false;
    std::vector<Made<PenDesc>> m_Pens;
    std::vector<Made<FontDesc>> m_Fonts;

    // What the device context held before.
    HGDIOBJ m_OriginalPen;
    HGDIOBJ m_OriginalFont;
    COLORREF m_OriginalTextColor;
    int m_OriginalBkMode;
    int m_OriginalRop;
    UINT m_OriginalAlign;
};

// The GDI font a font description stands for (lfHeight, lfWidth and the
// face as GDI takes them), for the window's own text as well.
LOGFONTW LogFontFromDesc(const FontDesc& desc);
