#include "graphics/RecordingCanvas.h"

#include <utility>

PenDesc RecordingCanvas::SelectPen(const PenDesc& pen)
{
    return std::exchange(m_Pen, pen);
}

FontDesc RecordingCanvas::SelectFont(const FontDesc& font)
{
    return std::exchange(m_Font, font);
}

COLORREF RecordingCanvas::SetTextColor(COLORREF color)
{
    return std::exchange(m_TextColor, color);
}

bool RecordingCanvas::SetTransparentText(bool transparent)
{
    return std::exchange(m_Transparent, transparent);
}

bool RecordingCanvas::SetInvert(bool invert)
{
    return std::exchange(m_Invert, invert);
}

void RecordingCanvas::MoveTo(int x, int y)
{
    m_CurrentX = x;
    m_CurrentY = y;
    m_Calls.push_back({Call::Move, x, y});
}

void RecordingCanvas::LineTo(int x, int y)
{
    m_Segments.push_back({m_CurrentX, m_CurrentY, x, y, m_Pen, m_Invert});
    m_CurrentX = x;
    m_CurrentY = y;
    m_Calls.push_back({Call::Line, x, y});
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text)
{
    m_Texts.push_back({x, y, std::string(text), m_Font, m_TextColor, m_Transparent});
    m_Calls.push_back({Call::TextOut, x, y});
}

void RecordingCanvas::ClearDrawing()
{
    m_Segments.clear();
    m_Texts.clear();
    m_Calls.clear();
}

std::vector<RecordingCanvas::Segment> RecordingCanvas::SegmentsWith(const PenDesc& pen) const
{
    std::vector<Segment> result;
    for (const Segment& s : m_Segments)
        if (s.pen == pen)
            result.push_back(s);
    return result;
}

int RecordingCanvas::PolylineCount() const
{
    int count = 0;
    for (std::size_t i = 0; i + 1 < m_Calls.size(); ++i)
        if (m_Calls[i].kind == Call::Move && m_Calls[i + 1].kind == Call::Line)
            ++count;
    return count;
}

bool RecordingCanvas::StateIsInitial() const
{
    const RecordingCanvas fresh;
    return m_Pen == fresh.m_Pen && m_Font == fresh.m_Font && m_TextColor == fresh.m_TextColor &&
           m_Transparent == fresh.m_Transparent && m_Invert == fresh.m_Invert;
}
