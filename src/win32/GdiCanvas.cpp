#include "win32/GdiCanvas.h"

#include "win32/Utf16.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>

LOGFONTW LogFontFromDesc(const FontDesc& desc)
{
    LOGFONTW font{};
    // A positive height is the whole cell, a negative one the em, 0 the
    // default size; a width of 0 lets GDI choose it from the height.
    font.lfHeight = desc.height;
    font.lfWidth = desc.width;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = Utf16FromUtf8(desc.face);
    const std::size_t length = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::wmemcpy(font.lfFaceName, face.data(), length);
    font.lfFaceName[length] = L'\0';
    return font;
}

GdiCanvas::GdiCanvas(HDC dc) : m_Dc(dc)
{
    m_OriginalTextColor = ::SetTextColor(m_Dc, m_TextColor);
    m_OriginalBkMode = ::SetBkMode(m_Dc, TRANSPARENT);
    m_OriginalRop = ::SetROP2(m_Dc, R2_COPYPEN);
    m_OriginalAlign = ::SetTextAlign(m_Dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    // The default pen and font, made like any other so that every object
    // selected into the device context is one of this canvas's own.
    m_Pens.push_back({m_Pen, ::CreatePen(PS_SOLID, m_Pen.width, m_Pen.color)});
    m_OriginalPen = ::SelectObject(m_Dc, m_Pens.back().object);
    const LOGFONTW font = LogFontFromDesc(m_Font);
    m_Fonts.push_back({m_Font, ::CreateFontIndirectW(&font)});
    m_OriginalFont = ::SelectObject(m_Dc, m_Fonts.back().object);
}

GdiCanvas::~GdiCanvas()
{
    ::SelectObject(m_Dc, m_OriginalPen);
    ::SelectObject(m_Dc, m_OriginalFont);
    ::SetTextColor(m_Dc, m_OriginalTextColor);
    ::SetBkMode(m_Dc, m_OriginalBkMode);
    ::SetROP2(m_Dc, m_OriginalRop);
    ::SetTextAlign(m_Dc, m_OriginalAlign);
    for (const auto& pen : m_Pens)
        ::DeleteObject(pen.object);
    for (const auto& font : m_Fonts)
        ::DeleteObject(font.object);
}

PenDesc GdiCanvas::SelectPen(const PenDesc& pen)
{
    const PenDesc previous = m_Pen;
    auto made = std::find_if(m_Pens.begin(), m_Pens.end(), [&](const auto& m) { return m.desc == pen; });
    if (made == m_Pens.end()) {
        // Width 0 and 1 are both GDI's one-pixel cosmetic pen; wider ones
        // are geometric, with round ends and joins.
        HPEN object = ::CreatePen(PS_SOLID, std::max(0, pen.width), pen.color);
        if (!object)
            return previous; // out of GDI objects: keep drawing with the old pen
        m_Pens.push_back({pen, object});
        made = m_Pens.end() - 1;
    }
    ::SelectObject(m_Dc, made->object);
    m_Pen = pen;
    return previous;
}

FontDesc GdiCanvas::SelectFont(const FontDesc& font)
{
    const FontDesc previous = m_Font;
    auto made = std::find_if(m_Fonts.begin(), m_Fonts.end(), [&](const auto& m) { return m.desc == font; });
    if (made == m_Fonts.end()) {
        const LOGFONTW description = LogFontFromDesc(font);
        HFONT object = ::CreateFontIndirectW(&description);
        if (!object)
            return previous;
        m_Fonts.push_back({font, object});
        made = m_Fonts.end() - 1;
    }
    ::SelectObject(m_Dc, made->object);
    m_Font = font;
    return previous;
}

COLORREF GdiCanvas::SetTextColor(COLORREF color)
{
    const COLORREF previous = m_TextColor;
    m_TextColor = color;
    ::SetTextColor(m_Dc, color);
    return previous;
}

bool GdiCanvas::SetTransparentText(bool transparent)
{
    const bool previous = m_Transparent;
    m_Transparent = transparent;
    // Opaque text fills its cell with the background colour, white unless
    // the device context was given another.
    ::SetBkMode(m_Dc, transparent ? TRANSPARENT : OPAQUE);
    return previous;
}

bool GdiCanvas::SetInvert(bool invert)
{
    const bool previous = m_Invert;
    m_Invert = invert;
    // R2_NOT governs lines only; text keeps its colour.
    ::SetROP2(m_Dc, invert ? R2_NOT : R2_COPYPEN);
    return previous;
}

void GdiCanvas::MoveTo(int x, int y)
{
    ::MoveToEx(m_Dc, x, y, nullptr);
}

void GdiCanvas::LineTo(int x, int y)
{
    ::LineTo(m_Dc, x, y);
}

void GdiCanvas::TextOut(int x, int y, std::string_view text)
{
    const std::wstring wide = Utf16FromUtf8(text);
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX))
        return;
    ::TextOutW(m_Dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}
