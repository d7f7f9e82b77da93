#pragma once

#include "graphics/Canvas.h"

#include <QColor>
#include <QFont>
#include <QPolygon>

class QPainter;

// Converts a Windows colour value (0x00BBGGRR) to a Qt colour.
QColor ColorFromColorRef(COLORREF color);

// The Qt font that stands for a font description: the face (with "Times New
// Roman" falling back to a metric-compatible face where it is missing), the
// pixel size that gives the asked cell height (ascent + descent) and the
// stretch that gives the asked average character width.
QFont FontFromDesc(const FontDesc& desc);

// A Canvas on a QPainter that draws the way the layers expect a Windows
// device context to draw: antialiasing off, cosmetic pens whose width is in
// pixels whatever the painter's transform, GDI-like polylines and text cells
// placed by their top-left corner.
//
// Consecutive LineTo calls are gathered into one polyline and drawn when the
// run ends (the next MoveTo, any change of state, text, Flush or the
// destructor), so corners are joined and, in inverting mode, no pixel is hit
// twice. Call Flush (or destroy the canvas) before ending the painter.
class QtCanvas : public Canvas {
public:
    // Pixels: a raster device (image, window back buffer), where a line of
    // odd width through y = 20 fills the rows around row 20. Vector: SVG,
    // PDF, where coordinates are continuous; lines are placed so that the
    // picture, rasterised at its own size, covers the same pixels.
    enum class Surface { Pixels, Vector };

    explicit QtCanvas(QPainter& painter, Surface surface = Surface::Pixels);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    PenDesc SelectPen(const PenDesc& pen) override;
    FontDesc SelectFont(const FontDesc& font) override;
    COLORREF SetTextColor(COLORREF color) override;
    bool SetTransparentText(bool transparent) override;
    bool SetInvert(bool invert) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;
    // A raster surface whose pixels are the client's (no scaling, as on a
    // screen of more than one device pixel to the client pixel).
    bool PaintsPixels() const override;
    // Written straight into the image where the painter draws on one of 32
    // bits a pixel in the plain way (opaque pen, no clip, no inversion);
    // through the painter otherwise.
    void FillSpan(int y, int x0, int x1) override;

    // Draws the polyline gathered so far.
    void Flush();

private:
    void ApplyPen();
    // The image's pixels FillSpan may write into, or null.
    void FindRaster();

    QPainter& m_Painter;
    Surface m_Surface;
    PenDesc m_Pen;
    FontDesc m_FontDesc;
    QFont m_Font;
    COLORREF m_TextColor = 0;
    bool m_Transparent = true;
    bool m_Invert = false;
    QPoint m_Current;
    QPolygon m_Run;
    bool m_PaintsPixels = false;
    // Rows of the image the painter draws on, where spans can be written
    // directly; null where they go through the painter.
    uchar* m_Bits = nullptr;
    qsizetype m_BytesPerLine = 0;
    int m_RasterWidth = 0;
    int m_RasterHeight = 0;
    quint32 m_PenPixel = 0;
};
