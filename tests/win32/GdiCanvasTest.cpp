#include "win32/GdiCanvas.h"

#include "graphics/Drawing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A 300 x 200 top-down 32-bit bitmap in memory, filled with one colour,
// with a device context on it: what the window's back buffer and the
// picture export draw on.
class Bitmap {
public:
    explicit Bitmap(COLORREF background, int width = 300, int height = 200) : m_Width(width), m_Height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_Dc = ::CreateCompatibleDC(nullptr);
        m_Bitmap = ::CreateDIBSection(m_Dc, &info, DIB_RGB_COLORS, &m_Bits, nullptr, 0);
        m_Old = ::SelectObject(m_Dc, m_Bitmap);
        HBRUSH brush = ::CreateSolidBrush(background);
        const RECT all{0, 0, width, height};
        ::FillRect(m_Dc, &all, brush);
        ::DeleteObject(brush);
    }
    ~Bitmap()
    {
        ::SelectObject(m_Dc, m_Old);
        ::DeleteObject(m_Bitmap);
        ::DeleteDC(m_Dc);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    HDC Dc() const { return m_Dc; }
    // 0x00RRGGBB, as the tests write colours.
    std::uint32_t Rgb(int x, int y) const
    {
        ::GdiFlush();
        return static_cast<const std::uint32_t*>(m_Bits)[y * m_Width + x] & 0xFFFFFF;
    }
    std::vector<std::uint32_t> All() const
    {
        ::GdiFlush();
        const auto* bits = static_cast<const std::uint32_t*>(m_Bits);
        return std::vector<std::uint32_t>(bits, bits + m_Width * m_Height);
    }
    int Count(std::uint32_t rgb, int left, int top, int right, int bottom) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += Rgb(x, y) == rgb;
        return count;
    }

private:
    int m_Width;
    int m_Height;
    HDC m_Dc;
    HBITMAP m_Bitmap;
    HGDIOBJ m_Old;
    void* m_Bits = nullptr;
};

// The stand-in layer of the picture tests: a 3-pixel blue member across the
// middle and a 1-pixel green square, at fixed pixels.
void DrawFakeLayer(Canvas& canvas)
{
    const PenDesc before = canvas.SelectPen({3, 0x00FF0000});
    canvas.MoveTo(20, 100);
    canvas.LineTo(280, 100);
    canvas.SelectPen({1, 0x0000FF00});
    canvas.MoveTo(40, 20);
    canvas.LineTo(80, 20);
    canvas.LineTo(80, 60);
    canvas.LineTo(40, 60);
    canvas.LineTo(40, 20);
    canvas.SelectPen(before);
}

} // namespace

TEST(GdiCanvas, DrawsPensOnTheSamePixelsAsTheOtherCanvases)
{
    for (const std::uint32_t background : {0x000000u, 0xFFFFFFu}) {
        Bitmap bitmap(background);
        {
            GdiCanvas canvas(bitmap.Dc());
            DrawFakeLayer(canvas);
        }
        EXPECT_EQ(bitmap.Rgb(150, 100), 0x0000FFu);
        EXPECT_EQ(bitmap.Rgb(150, 99), 0x0000FFu);
        EXPECT_EQ(bitmap.Rgb(150, 101), 0x0000FFu);
        EXPECT_EQ(bitmap.Rgb(150, 98), background);
        EXPECT_EQ(bitmap.Rgb(150, 102), background);
        EXPECT_EQ(bitmap.Rgb(60, 19), background);
        EXPECT_EQ(bitmap.Rgb(60, 21), background);
        EXPECT_EQ(bitmap.Rgb(60, 20), 0x00FF00u);
        EXPECT_EQ(bitmap.Rgb(80, 40), 0x00FF00u);
        EXPECT_EQ(bitmap.Rgb(40, 20), 0x00FF00u);
        EXPECT_EQ(bitmap.Rgb(60, 40), background);
        EXPECT_EQ(bitmap.Rgb(0, 0), background);
    }
}

TEST(GdiCanvas, TheRubberBandInvertsAndDrawingItAgainRestoresThePicture)
{
    Bitmap bitmap(0x000000);
    GdiCanvas canvas(bitmap.Dc());
    DrawFakeLayer(canvas);
    const std::vector<std::uint32_t> before = bitmap.All();
    // What the zoom gesture draws: an outline in the rubber band's mode,
    // across the member and the square, whatever the pen's colour.
    for (int pass = 0; pass < 2; ++pass) {
        DrawRubberBand(canvas, 30, 10, 200, 150);
        if (pass == 0) {
            EXPECT_EQ(bitmap.Rgb(100, 10), 0xFFFFFFu); // black inverted
            EXPECT_EQ(bitmap.Rgb(30, 100), 0xFFFF00u); // the blue member inverted
        }
    }
    EXPECT_EQ(bitmap.All(), before);
    EXPECT_FALSE(canvas.SetInvert(false)) << "the rubber band puts the mode back";
}

TEST(GdiCanvas, TextIsDrawnInItsColourFromTheTopLeftOfItsCell)
{
    Bitmap bitmap(0x000000);
    {
        GdiCanvas canvas(bitmap.Dc());
        canvas.SelectFont({"Times New Roman", 20, 0});
        EXPECT_EQ(canvas.SetTextColor(MakeColorRef(255, 215, 0)), 0u);
        EXPECT_TRUE(canvas.SetTransparentText(true));
        canvas.TextOut(100, 100, "88");
        // Opaque text fills its cell with the device context's background
        // colour, white.
        EXPECT_TRUE(canvas.SetTransparentText(false));
        canvas.TextOut(10, 10, "8");
        canvas.TextOut(10, 150, "");
    }
    EXPECT_GT(bitmap.Count(0xFFD700, 100, 100, 140, 120), 10);
    EXPECT_EQ(bitmap.Count(0xFFD700, 0, 0, 300, 99), bitmap.Count(0xFFD700, 0, 0, 30, 30));
    EXPECT_EQ(bitmap.Count(0xFFD700, 0, 121, 300, 200), 0) << "nothing below the cell";
    EXPECT_EQ(bitmap.Count(0xFFFFFF, 100, 100, 140, 120), 0) << "transparent text keeps the background";
    EXPECT_GT(bitmap.Count(0xFFFFFF, 10, 10, 20, 30), 20) << "opaque text fills its cell";
}

TEST(GdiCanvas, PutsTheDeviceContextBackAsItFoundIt)
{
    Bitmap bitmap(0x000000);
    HDC dc = bitmap.Dc();
    const HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ font = ::GetCurrentObject(dc, OBJ_FONT);
    ::SetTextColor(dc, RGB(1, 2, 3));
    {
        GdiCanvas canvas(dc);
        canvas.SelectPen({5, kRed});
        canvas.SelectFont({"Arial", 30, 10});
        canvas.SetTextColor(kGreen);
        canvas.SetTransparentText(true);
        canvas.SetInvert(true);
        // The same pen and font again are the objects made before.
        canvas.SelectPen({1, 0});
        const HGDIOBJ first = ::GetCurrentObject(dc, OBJ_PEN);
        canvas.SelectPen({5, kRed});
        canvas.SelectPen({1, 0});
        EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), first);
        EXPECT_EQ(::GetROP2(dc), R2_NOT);
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    }
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(::GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(::GetROP2(dc), R2_COPYPEN);
    EXPECT_EQ(::GetBkMode(dc), OPAQUE);
}

TEST(GdiCanvas, AFontDescriptionIsTheLogicalFontGdiTakes)
{
    const LOGFONTW cell = LogFontFromDesc({"Times New Roman", 16, 0});
    EXPECT_EQ(cell.lfHeight, 16);
    EXPECT_EQ(cell.lfWidth, 0);
    EXPECT_STREQ(cell.lfFaceName, L"Times New Roman");
    const LOGFONTW em = LogFontFromDesc({"宋体", -12, 5});
    EXPECT_EQ(em.lfHeight, -12);
    EXPECT_EQ(em.lfWidth, 5);
    EXPECT_STREQ(em.lfFaceName, L"\u5b8b\u4f53");
    // A face name longer than GDI holds is cut, never overrun.
    const LOGFONTW longName = LogFontFromDesc({std::string(100, 'x'), 0, 0});
    EXPECT_EQ(std::wstring(longName.lfFaceName).size(), static_cast<std::size_t>(LF_FACESIZE - 1));
}
