#include "base/Png.h"

#include "base/Handles.h"
#include "base/Log.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <vector>

namespace velm {
namespace {

using namespace Gdiplus;

// GDI+ for the length of one call.
class GdiplusSession {
public:
    GdiplusSession() {
        GdiplusStartupInput input;
        if (GdiplusStartup(&token_, &input, nullptr) != Ok) {
            token_ = 0;
        }
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession() {
        if (token_) {
            GdiplusShutdown(token_);
        }
    }
    explicit operator bool() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

struct BitmapTraits {
    using Handle = GpBitmap*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DllExports::GdipDisposeImage(h); }
};

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

std::optional<std::string> EncodePng(int width, int height, const unsigned char* bgra) {
    if (width <= 0 || height <= 0 || !bgra) {
        return std::nullopt;
    }
    GdiplusSession gdiplus;
    CLSID png{};
    if (!gdiplus || !PngEncoder(png)) {
        LogError("EncodePng: no PNG encoder");
        return std::nullopt;
    }
    // The encoder only reads the pixels; the flat API takes them as writable all the same.
    std::vector<unsigned char> bits(bgra, bgra + static_cast<size_t>(width) * height * 4);
    GpBitmap* raw = nullptr;
    Status status = DllExports::GdipCreateBitmapFromScan0(width, height, width * 4,
                                                          PixelFormat32bppRGB, bits.data(), &raw);
    Unique<BitmapTraits> bitmap(raw);
    if (status != Ok) {
        LogCallFailed("EncodePng: GdipCreateBitmapFromScan0", status);
        return std::nullopt;
    }
    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    if (FAILED(hr)) {
        LogCallFailed("EncodePng: CreateStreamOnHGlobal", hr);
        return std::nullopt;
    }
    status = DllExports::GdipSaveImageToStream(bitmap.get(), stream.get(), &png, nullptr);
    if (status != Ok) {
        LogCallFailed("EncodePng: GdipSaveImageToStream", status);
        return std::nullopt;
    }
    HGLOBAL memory = nullptr;
    hr = ::GetHGlobalFromStream(stream.get(), &memory);
    STATSTG stat{};
    if (FAILED(hr) || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        LogCallFailed("EncodePng: GetHGlobalFromStream", hr);
        return std::nullopt;
    }
    const auto* data = static_cast<const char*>(::GlobalLock(memory));
    if (!data) {
        LogCallFailed("EncodePng: GlobalLock", ::GetLastError());
        return std::nullopt;
    }
    std::string bytes(data, static_cast<size_t>(stat.cbSize.QuadPart));
    ::GlobalUnlock(memory);
    return bytes;
}

} // namespace velm
