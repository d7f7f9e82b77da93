#include "win32/Pixels.h"

#include "core/PlatformFiles.h"
#include "win32/WindowsHeaders.h"

#include <objbase.h>
#include <wincodec.h>

namespace {

template <typename T>
struct Released {
    T* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
};

} // namespace

Pixels DecodePng(const std::string& path)
{
    Pixels pixels;
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        Released<IWICImagingFactory> factory;
        Released<IWICBitmapDecoder> decoder;
        Released<IWICBitmapFrameDecode> frame;
        Released<IWICFormatConverter> converter;
        UINT width = 0, height = 0;
        if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                         reinterpret_cast<void**>(&factory.p))) &&
            SUCCEEDED(factory.p->CreateDecoderFromFilename(PathFromUtf8(path).c_str(), &GUID_ContainerFormatPng,
                                                           GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder.p)) &&
            SUCCEEDED(decoder.p->GetFrame(0, &frame.p)) && SUCCEEDED(frame.p->GetSize(&width, &height)) &&
            SUCCEEDED(factory.p->CreateFormatConverter(&converter.p)) &&
            SUCCEEDED(converter.p->Initialize(frame.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr,
                                              0.0, WICBitmapPaletteTypeCustom))) {
            std::vector<std::uint32_t> rgb(static_cast<std::size_t>(width) * height);
            if (SUCCEEDED(converter.p->CopyPixels(nullptr, width * 4, static_cast<UINT>(rgb.size() * 4),
                                                  reinterpret_cast<BYTE*>(rgb.data())))) {
                for (std::uint32_t& p : rgb)
                    p &= 0xFFFFFF;
                pixels.width = static_cast<int>(width);
                pixels.height = static_cast<int>(height);
                pixels.rgb = std::move(rgb);
            }
        }
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return pixels;
}
