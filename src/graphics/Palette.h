#pragma once

#include "core/Records.h"
#include "graphics/Canvas.h"

// The layers' colours were chosen for the black background; on a light one
// several of them (the yellow node numbers, the green supports, the cyan
// reactions, the orange halo) all but vanish. A light background gets darker
// shades of them instead, every one at least 3:1 against it.

// The contrast ratio of two colours, 1 (the same) to 21 (black on white),
// from their relative luminances.
double ContrastRatio(COLORREF a, COLORREF b);

// The colour something drawn in color is shown in on the background: color
// itself on a dark background, on a light one the darker shade chosen for
// it (or, for a colour no layer uses, it darkened until it reads).
COLORREF ColorOnBackground(COLORREF color, COLORREF background);

// Passes every call on to another canvas, with pen and text colours shown
// as ColorOnBackground says for the background. The drawing code gets back
// the colours it selected; the target gets its own pen and text colour back
// when this canvas goes.
class PaletteCanvas : public Canvas {
public:
    PaletteCanvas(Canvas& target, COLORREF background) : m_Target(target), m_Background(background) {}
    ~PaletteCanvas() override;
    PaletteCanvas(const PaletteCanvas&) = delete;
    PaletteCanvas& operator=(const PaletteCanvas&) = delete;

    PenDesc SelectPen(const PenDesc& pen) override;
    FontDesc SelectFont(const FontDesc& font) override { return m_Target.SelectFont(font); }
    COLORREF SetTextColor(COLORREF color) override;
    bool SetTransparentText(bool transparent) override { return m_Target.SetTransparentText(transparent); }
    bool SetInvert(bool invert) override { return m_Target.SetInvert(invert); }
    void MoveTo(int x, int y) override { m_Target.MoveTo(x, y); }
    void LineTo(int x, int y) override { m_Target.LineTo(x, y); }
    void TextOut(int x, int y, std::string_view text) override { m_Target.TextOut(x, y, text); }
    bool PaintsPixels() const override { return m_Target.PaintsPixels(); }
    void FillSpan(int y, int x0, int x1) override { m_Target.FillSpan(y, x0, x1); }

private:
    Canvas& m_Target;
    COLORREF m_Background;
    // What the drawing code selected, handed back as it gave it, and the
    // target's own state before the first selection.
    bool m_PenSelected = false;
    PenDesc m_Pen;
    PenDesc m_TargetPen;
    bool m_TextColorSet = false;
    COLORREF m_TextColor = 0;
    COLORREF m_TargetTextColor = 0;
};
