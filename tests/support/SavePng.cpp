#include "support/SavePng.h"

#include "base/Text.h"

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

namespace velm::test {

using namespace Gdiplus;

namespace {
bool PngEncoder(CLSID& clsid) {
    UINT count = 0;
    UINT size = 0;
    if (DllExports::GdipGetImageEncodersSize(&count, &size) != Ok || size == 0) {
        return false;
    }
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (DllExports::GdipGetImageEncoders(count, size, codecs) != Ok) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wstring(codecs[i].MimeType) == L"image/png") {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}
} // namespace

bool SavePng(const Pixels& pixels, const std::string& path) {
    if (pixels.width <= 0 || pixels.height <= 0) {
        return false;
    }
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    if (GdiplusStartup(&token, &input, nullptr) != Ok) {
        return false;
    }
    bool ok = false;
    {
        std::vector<unsigned char> bits(pixels.bgra);
        GpBitmap* bitmap = nullptr;
        if (DllExports::GdipCreateBitmapFromScan0(pixels.width, pixels.height, pixels.width * 4,
                                                  PixelFormat32bppRGB, bits.data(),
                                                  &bitmap) == Ok) {
            CLSID png{};
            if (PngEncoder(png)) {
                ok = DllExports::GdipSaveImageToFile(bitmap, Widen(path).c_str(), &png, nullptr) ==
                     Ok;
            }
            DllExports::GdipDisposeImage(bitmap);
        }
    }
    GdiplusShutdown(token);
    return ok;
}

} // namespace velm::test
