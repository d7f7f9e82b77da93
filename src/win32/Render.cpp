#include "win32/Render.h"

#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "graphics/Palette.h"
#include "graphics/ViewTransform.h"
#include "inspect/Scene.h"
#include "win32/GdiCanvas.h"
#include "win32/WindowsHeaders.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One reference to a COM object, released at the end of its scope.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_Object)
            m_Object->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &m_Object; }
    T* operator->() const { return m_Object; }
    T* Get() const { return m_Object; }

private:
    T* m_Object = nullptr;
};

// COM for the duration of one picture, in whatever apartment the thread is
// already in (the window's single-threaded one, or a new one for a batch
// run).
class ComScope {
public:
    ComScope() : m_Result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_Result))
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_Result;
};

void Check(HRESULT result, const char* step)
{
    if (FAILED(result)) {
        if (result == E_OUTOFMEMORY)
            throw FatalError("Not enough memory to encode the picture as PNG.", 1);
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(result));
        throw FatalError(std::string("Could not encode the picture as PNG (") + step + ": error 0x" + code + ").", 1);
    }
}

// A device-independent bitmap in memory with a device context to draw on
// it: 32 bits per pixel, blue, green, red and an unused byte, top row first.
class MemoryBitmap {
public:
    MemoryBitmap(int width, int height) : m_Width(width), m_Height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_Dc = ::CreateCompatibleDC(nullptr);
        if (m_Dc)
            m_Bitmap = ::CreateDIBSection(m_Dc, &info, DIB_RGB_COLORS, &m_Bits, nullptr, 0);
        if (!m_Dc || !m_Bitmap || !m_Bits) {
            Release();
            throw FatalError("Not enough memory for a picture of " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels.",
                             1);
        }
        m_Original = ::SelectObject(m_Dc, m_Bitmap);
    }
    ~MemoryBitmap() { Release(); }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    HDC Dc() const { return m_Dc; }
    const unsigned char* Pixels() const
    {
        ::GdiFlush();
        return static_cast<const unsigned char*>(m_Bits);
    }

private:
    void Release()
    {
        if (m_Dc && m_Original)
            ::SelectObject(m_Dc, m_Original);
        if (m_Bitmap)
            ::DeleteObject(m_Bitmap);
        if (m_Dc)
            ::DeleteDC(m_Dc);
        m_Dc = nullptr;
        m_Bitmap = nullptr;
    }

    int m_Width;
    int m_Height;
    HDC m_Dc = nullptr;
    HBITMAP m_Bitmap = nullptr;
    HGDIOBJ m_Original = nullptr;
    void* m_Bits = nullptr;
};

// 24-bit PNG of 32-bit blue-green-red-unused pixels, through the Windows
// Imaging Component, into memory.
std::string EncodePng(const unsigned char* pixels, int width, int height)
{
    const ComScope com;
    ComPtr<IWICImagingFactory> factory;
    Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                             reinterpret_cast<void**>(factory.Out())),
          "imaging factory");
    ComPtr<IStream> stream;
    Check(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()), "memory stream");
    ComPtr<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out()), "PNG encoder");
    Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "encoder");
    ComPtr<IWICBitmapFrameEncode> frame;
    Check(encoder->CreateNewFrame(frame.Out(), nullptr), "frame");
    Check(frame->Initialize(nullptr), "frame");
    Check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "size");
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    Check(frame->SetPixelFormat(&format), "pixel format");
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        Check(E_FAIL, "the PNG encoder takes no 24-bit pixels");

    // Row by row, so that a large picture needs no second copy of itself.
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<BYTE> row(stride, 0);
    for (int y = 0; y < height; ++y) {
        const unsigned char* from = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < width; ++x)
            std::memcpy(&row[static_cast<std::size_t>(x) * 3], from + static_cast<std::size_t>(x) * 4, 3);
        Check(frame->WritePixels(1, static_cast<UINT>(stride), static_cast<UINT>(stride), row.data()), "pixels");
    }
    Check(frame->Commit(), "frame");
    Check(encoder->Commit(), "file");

    STATSTG status{};
    Check(stream->Stat(&status, STATFLAG_NONAME), "size of the file");
    HGLOBAL memory = nullptr;
    Check(::GetHGlobalFromStream(stream.Get(), &memory), "memory of the file");
    const void* bytes = ::GlobalLock(memory);
    if (!bytes)
        Check(E_OUTOFMEMORY, "memory of the file");
    std::string png(static_cast<const char*>(bytes), static_cast<std::size_t>(status.cbSize.QuadPart));
    ::GlobalUnlock(memory);
    return png;
}

} // namespace

std::string EncodePngPicture(const PictureOptions& options, const std::function<void(Canvas&)>& draw)
{
    CheckPictureSize(options);
    MemoryBitmap bitmap(options.width, options.height);
    {
        HBRUSH background = ::CreateSolidBrush(options.background);
        const RECT all{0, 0, options.width, options.height};
        ::FillRect(bitmap.Dc(), &all, background ? background : static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        if (background)
            ::DeleteObject(background);
        GdiCanvas canvas(bitmap.Dc());
        draw(canvas);
    }
    return EncodePng(bitmap.Pixels(), options.width, options.height);
}

void RenderPicture(const PictureOptions& options, const std::string& path, const std::function<void(Canvas&)>& draw)
{
    const PictureFormat format = PictureFormatOf(path);
    if (format == PictureFormat::Pdf)
        throw FatalError(
            "Cannot write \"" + path +
                "\": PDF pictures are made by the Linux build of Vela only; this one writes .png and .svg.",
            1);
    CheckPictureSize(options);
    const std::string bytes =
        format == PictureFormat::Png ? EncodePngPicture(options, draw) : DrawSvgPicture(options, draw);
    WriteTextFile(path, bytes, "Cannot write the picture file \"" + path + "\".");
}

void RenderModelPicture(const StructureModel& model, const LayerFlags& layers, const PictureOptions& options,
                        const std::string& path, const ModelResults* results)
{
    const ViewTransform view = SceneView(model, layers, results, options.width, options.height, options.zoom);
    RenderPicture(options, path, [&](Canvas& canvas) {
        PaletteCanvas shown(canvas, options.background);
        DrawScene(shown, view, model, layers, results);
    });
}
