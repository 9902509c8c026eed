#include "support/SavePng.h"

#include "base/Dib.h"
#include "base/Handles.h"
#include "base/Png.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

namespace velm::test {

bool SavePng(const Pixels& pixels, const std::string& path) {
    if (pixels.bgra.size() != static_cast<size_t>(pixels.width) * pixels.height * 4) {
        return false;
    }
    std::optional<std::string> png = EncodePng(pixels.width, pixels.height, pixels.bgra.data());
    return png && WriteFileBytes(path, *png);
}

Pixels LoadPng(const std::wstring& path) {
    using namespace Gdiplus;
    Pixels px;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) {
        return px;
    }
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart));
    DWORD got = 0;
    void* bytes = memory ? ::GlobalLock(memory) : nullptr;
    bool read =
        bytes && ::ReadFile(file.get(), bytes, static_cast<DWORD>(size.QuadPart), &got, nullptr);
    if (memory) {
        ::GlobalUnlock(memory);
    }
    ComPtr<IStream> stream;
    if (!read || FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {
        ::GlobalFree(memory);
        return px;
    }
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    if (GdiplusStartup(&token, &input, nullptr) != Ok) {
        return px;
    }
    GpImage* image = nullptr;
    if (DllExports::GdipLoadImageFromStream(stream.get(), &image) == Ok) {
        UINT w = 0;
        UINT h = 0;
        DllExports::GdipGetImageWidth(image, &w);
        DllExports::GdipGetImageHeight(image, &h);
        BITMAPINFO bi = TopDownDib32(static_cast<int>(w), static_cast<int>(h));
        void* bits = nullptr;
        UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        UniqueBitmap dib(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (dib && bits) {
            SelectScope select(dc.get(), dib.get());
            GpGraphics* graphics = nullptr;
            if (DllExports::GdipCreateFromHDC(dc.get(), &graphics) == Ok) {
                DllExports::GdipDrawImageRectI(graphics, image, 0, 0, static_cast<INT>(w),
                                               static_cast<INT>(h));
                DllExports::GdipDeleteGraphics(graphics);
                ::GdiFlush();
                px.width = static_cast<int>(w);
                px.height = static_cast<int>(h);
                px.bgra.resize(static_cast<size_t>(w) * h * 4);
                std::memcpy(px.bgra.data(), bits, px.bgra.size());
            }
        }
        DllExports::GdipDisposeImage(image);
    }
    GdiplusShutdown(token);
    return px;
}

} // namespace velm::test
