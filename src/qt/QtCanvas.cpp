#include "qt/QtCanvas.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <cmath>

namespace {

// A font description of height 0 asks for the platform's default size; GDI
// gives about 16 pixels of cell there, which keeps numbers readable.
constexpr int kDefaultCellHeight = 16;

void RegisterFaceSubstitutes()
{
    // fontconfig usually maps the face already; the explicit substitute
    // covers systems whose fontconfig rules do not.
    static const bool done = [] {
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)done;
}

// Qt's raster engine runs AVX code of its own and may return with the upper
// halves of the vector registers still in use. Until something clears them,
// the SSE arithmetic of the drawing code (built for plain x86-64) between
// two calls into the painter runs several times slower: half the time of a
// paint of a large frame went there. Clearing them costs a cycle.
void ClearUpperVectorHalves()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        __asm__ volatile("vzeroupper");
#endif
}

bool AllPointsEqual(const QPolygon& run)
{
    return std::all_of(run.cbegin(), run.cend(), [&](const QPoint& p) { return p == run.first(); });
}

} // namespace

QColor ColorFromColorRef(COLORREF color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QFont FontFromDesc(const FontDesc& desc)
{
    RegisterFaceSubstitutes();
    QFont font;
    if (!desc.face.empty())
        font.setFamily(QString::fromStdString(desc.face));

    if (desc.height < 0) {
        // A negative height is the em height itself, as GDI takes it.
        font.setPixelSize(-desc.height);
    } else {
        // A positive height is the whole cell, ascent plus descent, which for
        // most faces is somewhat taller than the em: measure the face that
        // was actually matched at that size and shrink the em to fit.
        const int cell = desc.height > 0 ? desc.height : kDefaultCellHeight;
        font.setPixelSize(cell);
        const QFontMetricsF metrics(font);
        const double ratio = (metrics.ascent() + metrics.descent()) / cell;
        if (ratio > 0 && std::isfinite(ratio))
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(cell / ratio))));
    }

    if (desc.width > 0) {
        const double average = QFontMetricsF(font).averageCharWidth();
        if (average > 0) {
            const long stretch = std::lround(100.0 * desc.width / average);
            font.setStretch(static_cast<int>(std::clamp(stretch, 1L, 4000L)));
        }
    }
    return font;
}

QtCanvas::QtCanvas(QPainter& painter, Surface surface)
    : m_Painter(painter), m_Surface(surface), m_Font(FontFromDesc(m_FontDesc))
{
    m_Painter.setRenderHint(QPainter::Antialiasing, false);
    m_Painter.setBrush(Qt::NoBrush);
    m_Painter.setBackgroundMode(Qt::TransparentMode);
    m_Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    FindRaster();
    ApplyPen();
}

void QtCanvas::FindRaster()
{
    QPaintDevice* device = m_Painter.device();
    if (m_Surface != Surface::Pixels || !device || !m_Painter.deviceTransform().isIdentity())
        return;
    m_PaintsPixels = true;
    if (device->devType() != QInternal::Image)
        return;
    QImage& image = *static_cast<QImage*>(device);
    const QImage::Format format = image.format();
    // Written only when the image's own buffer is the painter's: a shared
    // one would be copied by bits(), away from under the painter.
    if ((format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied) &&
        image.isDetached()) {
        m_Bits = image.bits();
        m_BytesPerLine = image.bytesPerLine();
        m_RasterWidth = image.width();
        m_RasterHeight = image.height();
    }
}

QtCanvas::~QtCanvas()
{
    Flush();
}

void QtCanvas::ApplyPen()
{
    QPen pen(ColorFromColorRef(m_Pen.color));
    // GDI draws a width of 0 as one pixel.
    pen.setWidth(std::max(1, m_Pen.width));
    pen.setCosmetic(true);
    pen.setStyle(Qt::SolidLine);
    if (pen.width() == 1) {
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    m_Painter.setPen(pen);
    m_PenPixel = 0xFF000000u | (static_cast<quint32>(m_Pen.color & 0xFF) << 16) | (m_Pen.color & 0xFF00u) |
                 ((m_Pen.color >> 16) & 0xFFu);
    // A layer selects its pen once and then runs its own arithmetic over
    // every member until the next call.
    ClearUpperVectorHalves();
}

PenDesc QtCanvas::SelectPen(const PenDesc& pen)
{
    Flush();
    const PenDesc previous = m_Pen;
    m_Pen = pen;
    ApplyPen();
    return previous;
}

FontDesc QtCanvas::SelectFont(const FontDesc& font)
{
    Flush();
    const FontDesc previous = m_FontDesc;
    if (!(font == m_FontDesc)) {
        m_FontDesc = font;
        m_Font = FontFromDesc(font);
        ClearUpperVectorHalves();
    }
    return previous;
}

COLORREF QtCanvas::SetTextColor(COLORREF color)
{
    Flush();
    const COLORREF previous = m_TextColor;
    m_TextColor = color;
    return previous;
}

bool QtCanvas::SetTransparentText(bool transparent)
{
    Flush();
    const bool previous = m_Transparent;
    m_Transparent = transparent;
    return previous;
}

bool QtCanvas::SetInvert(bool invert)
{
    Flush();
    const bool previous = m_Invert;
    m_Invert = invert;
    m_Painter.setCompositionMode(invert ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver);
    ClearUpperVectorHalves();
    return previous;
}

void QtCanvas::MoveTo(int x, int y)
{
    Flush();
    m_Current = QPoint(x, y);
}

void QtCanvas::LineTo(int x, int y)
{
    if (m_Run.isEmpty())
        m_Run << m_Current;
    m_Current = QPoint(x, y);
    m_Run << m_Current;
}

void QtCanvas::Flush()
{
    // A run that never leaves its first pixel draws nothing, like a
    // zero-length GDI line.
    if (m_Run.size() >= 2 && !AllPointsEqual(m_Run)) {
        // On pixels an odd width is centred on the pixel row (from y to
        // y + 1) and an even one on the line between two rows, its extra row
        // above. A vector line of odd width through y would straddle two rows
        // and blur into both: half a pixel puts it where the pixels are.
        if (m_Surface == Surface::Vector && std::max(1, m_Pen.width) % 2 == 1)
            m_Painter.drawPolyline(QPolygonF(m_Run).translated(0.5, 0.5));
        else
            m_Painter.drawPolyline(m_Run);
        ClearUpperVectorHalves();
    }
    m_Run.clear();
}

bool QtCanvas::PaintsPixels() const
{
    return m_PaintsPixels;
}

void QtCanvas::FillSpan(int y, int x0, int x1)
{
    Flush();
    if (m_Bits && !m_Invert && !m_Painter.hasClipping()) {
        if (y < 0 || y >= m_RasterHeight)
            return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, m_RasterWidth);
        if (x0 >= x1)
            return;
        quint32* row = reinterpret_cast<quint32*>(m_Bits + static_cast<qsizetype>(y) * m_BytesPerLine);
        std::fill(row + x0, row + x1, m_PenPixel);
        return;
    }
    if (x1 > x0)
        m_Painter.fillRect(QRect(x0, y, x1 - x0, 1), m_Invert ? QColor(Qt::white) : ColorFromColorRef(m_Pen.color));
    ClearUpperVectorHalves();
}

void QtCanvas::TextOut(int x, int y, std::string_view text)
{
    Flush();
    if (text.empty())
        return;
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));

    // The mix mode governs lines only; text is always drawn in its colour.
    if (m_Invert)
        m_Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_Painter.save();
    m_Painter.setFont(m_Font);
    m_Painter.setPen(ColorFromColorRef(m_TextColor));
    if (m_Transparent) {
        m_Painter.setBackgroundMode(Qt::TransparentMode);
    } else {
        // GDI's default background colour for opaque text is white.
        m_Painter.setBackgroundMode(Qt::OpaqueMode);
        m_Painter.setBackground(Qt::white);
    }
    const QFontMetrics metrics(m_Font, m_Painter.device());
    m_Painter.drawText(QPoint(x, y + metrics.ascent()), string);
    m_Painter.restore();
    ClearUpperVectorHalves();
    if (m_Invert)
        m_Painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    ClearUpperVectorHalves();
}
