#include "graphics/SvgCanvas.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// Times New Roman's vertical metrics (and Liberation Serif's, which match
// them): ascent 1825 and descent 443 of 2048 units to the em, so a cell is
// 1.1074 em high; its average character width is 821 units.
constexpr double kAscentPerEm = 1825.0 / 2048.0;
constexpr double kCellPerEm = (1825.0 + 443.0) / 2048.0;
constexpr double kAverageWidthPerEm = 821.0 / 2048.0;
// A font description of height 0 asks for the platform's default size;
// GDI gives about 16 pixels of cell there.
constexpr int kDefaultCellHeight = 16;

void AppendNumber(std::string& out, double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendNumber(std::string& out, int value)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendColor(std::string& out, COLORREF color)
{
    static const char kHex[] = "0123456789abcdef";
    out += '#';
    for (const int shift : {0, 8, 16}) { // red, green, blue
        const unsigned byte = static_cast<unsigned>(color >> shift) & 0xFFu;
        out += kHex[byte >> 4];
        out += kHex[byte & 0xFu];
    }
}

// The length of the well-formed UTF-8 sequence at the start of text, or 0.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned minimum = 0, code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, minimum = 0x80, code = lead & 0x1Fu;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, minimum = 0x800, code = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, minimum = 0x10000, code = lead & 0x07u;
    else
        return 0;
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// Text as XML character data or attribute value: markup characters
// escaped, control characters (which XML cannot hold) left out, and bytes
// that are not UTF-8 shown as the replacement character.
void AppendEscaped(std::string& out, std::string_view text)
{
    while (!text.empty()) {
        const char c = text.front();
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
            continue;
        }
        if (length == 1) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
                    out += c;
            }
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
}

bool AllPointsEqual(const std::vector<int>& run)
{
    for (std::size_t i = 2; i + 1 < run.size(); i += 2)
        if (run[i] != run[0] || run[i + 1] != run[1])
            return false;
    return true;
}

} // namespace

SvgCanvas::SvgCanvas(int width, int height, COLORREF background)
{
    m_Document = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" xml:space=\"preserve\" width=\"";
    AppendNumber(m_Document, width);
    m_Document += "\" height=\"";
    AppendNumber(m_Document, height);
    m_Document += "\" viewBox=\"0 0 ";
    AppendNumber(m_Document, width);
    m_Document += ' ';
    AppendNumber(m_Document, height);
    m_Document += "\">\n<title>Vela</title>\n<rect x=\"0\" y=\"0\" width=\"";
    AppendNumber(m_Document, width);
    m_Document += "\" height=\"";
    AppendNumber(m_Document, height);
    m_Document += "\" fill=\"";
    AppendColor(m_Document, background);
    m_Document += "\"/>\n";
}

PenDesc SvgCanvas::SelectPen(const PenDesc& pen)
{
    Flush();
    const PenDesc previous = m_Pen;
    m_Pen = pen;
    return previous;
}

FontDesc SvgCanvas::SelectFont(const FontDesc& font)
{
    const FontDesc previous = m_Font;
    m_Font = font;
    return previous;
}

COLORREF SvgCanvas::SetTextColor(COLORREF color)
{
    const COLORREF previous = m_TextColor;
    m_TextColor = color;
    return previous;
}

bool SvgCanvas::SetTransparentText(bool transparent)
{
    const bool previous = m_Transparent;
    m_Transparent = transparent;
    return previous;
}

bool SvgCanvas::SetInvert(bool invert)
{
    Flush();
    const bool previous = m_Invert;
    m_Invert = invert;
    return previous;
}

void SvgCanvas::MoveTo(int x, int y)
{
    Flush();
    m_X = x;
    m_Y = y;
}

void SvgCanvas::LineTo(int x, int y)
{
    if (m_Run.empty()) {
        m_Run.push_back(m_X);
        m_Run.push_back(m_Y);
    }
    m_X = x;
    m_Y = y;
    m_Run.push_back(x);
    m_Run.push_back(y);
}

void SvgCanvas::Flush()
{
    // A run that never leaves its first pixel draws nothing, like a
    // zero-length GDI line.
    if (m_Run.size() >= 4 && !AllPointsEqual(m_Run)) {
        const int width = std::max(1, m_Pen.width);
        // An odd width is centred on a pixel row (from y to y + 1), an even
        // one on the line between two rows: half a pixel puts an odd one
        // where the window's pixels are.
        const double offset = width % 2 == 1 ? 0.5 : 0.0;
        m_Document += "<polyline fill=\"none\" stroke=\"";
        AppendColor(m_Document, m_Invert ? 0x00FFFFFF : m_Pen.color);
        m_Document += "\" stroke-width=\"";
        AppendNumber(m_Document, width);
        m_Document += width == 1 ? "\" stroke-linecap=\"square\" stroke-linejoin=\"miter\""
                                 : "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"";
        if (m_Invert)
            m_Document += " style=\"mix-blend-mode:difference\"";
        m_Document += " points=\"";
        for (std::size_t i = 0; i + 1 < m_Run.size(); i += 2) {
            if (i > 0)
                m_Document += ' ';
            AppendNumber(m_Document, m_Run[i] + offset);
            m_Document += ',';
            AppendNumber(m_Document, m_Run[i + 1] + offset);
        }
        m_Document += "\"/>\n";
    }
    m_Run.clear();
}

void SvgCanvas::TextOut(int x, int y, std::string_view text)
{
    Flush();
    if (text.empty())
        return;
    // A positive height is the whole cell, a negative one the em itself,
    // as GDI takes them.
    const int cell = m_Font.height > 0 ? m_Font.height : kDefaultCellHeight;
    const double em =
        m_Font.height < 0 ? -static_cast<double>(m_Font.height) : std::max(1.0, std::round(cell / kCellPerEm));
    const double baseline = y + std::round(em * kAscentPerEm);

    m_Document += "<text";
    if (m_Font.width > 0) {
        // GDI widens or narrows every glyph so that the average character
        // is that wide.
        const double scale = m_Font.width / (em * kAverageWidthPerEm);
        m_Document += " transform=\"translate(";
        AppendNumber(m_Document, x);
        m_Document += ' ';
        AppendNumber(m_Document, baseline);
        m_Document += ") scale(";
        AppendNumber(m_Document, std::round(scale * 10000) / 10000);
        m_Document += " 1)\" x=\"0\" y=\"0\"";
    } else {
        m_Document += " x=\"";
        AppendNumber(m_Document, x);
        m_Document += "\" y=\"";
        AppendNumber(m_Document, baseline);
        m_Document += '"';
    }
    if (!m_Font.face.empty()) {
        m_Document += " font-family=\"";
        AppendEscaped(m_Document, m_Font.face);
        m_Document += '"';
    }
    m_Document += " font-size=\"";
    AppendNumber(m_Document, em);
    m_Document += "\" fill=\"";
    AppendColor(m_Document, m_TextColor);
    m_Document += "\">";
    AppendEscaped(m_Document, text);
    m_Document += "</text>\n";
}

std::string SvgCanvas::Finish()
{
    Flush();
    m_Document += "</svg>\n";
    return std::move(m_Document);
}
