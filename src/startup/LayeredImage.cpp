#include "startup/LayeredImage.h"

#include "base/Dib.h"
#include "base/PixelScale.h"
#include "base/WindowDpi.h"
#include "startup/PublicData.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <cstring>
#include <future>
#include <mutex>

namespace velm {

using namespace Gdiplus;

// The GDI+ objects of one layered picture, and the bytes the image is decoded from, which must
// stay valid until the image is disposed.
struct LayeredImage::GdiplusState {
    ULONG_PTR token = 0;
    GpGraphics* graphics = nullptr;
    GpImage* image = nullptr;
    ComPtr<IStream> stream;
    UniqueGlobal bytes;

    ~GdiplusState() {
        if (image) {
            DllExports::GdipDisposeImage(image);
        }
        if (graphics) {
            DllExports::GdipDeleteGraphics(graphics);
        }
        if (token) {
            GdiplusShutdown(token);
        }
        stream.reset();
        bytes.reset();
    }
};

namespace {

// Copies the resource into a fixed global block and decodes it through a stream on that block.
GpImage* LoadPngRes(unsigned short id, const char* type, ComPtr<IStream>& stream,
                    UniqueGlobal& bytes) {
    std::string_view data = ResourceBytes(id, type);
    if (data.empty()) {
        return nullptr;
    }
    bytes.reset(::GlobalAlloc(GMEM_FIXED, data.size()));
    if (!bytes) {
        return nullptr;
    }
    std::memcpy(bytes.get(), data.data(), data.size());
    if (FAILED(::CreateStreamOnHGlobal(bytes.get(), FALSE, stream.put()))) {
        return nullptr;
    }
    GpImage* image = nullptr;
    if (DllExports::GdipLoadImageFromStream(stream.get(), &image) != Ok) {
        return nullptr;
    }
    return image;
}

// GDI+ started and the picture decoded, nothing drawn yet; an empty state when GDI+ did not
// start.
std::unique_ptr<LayeredImage::GdiplusState> StartAndDecode(unsigned short id);

// A picture being prepared ahead of its Show, at most one at a time.
struct Prepared {
    unsigned short id = 0;
    std::future<std::unique_ptr<LayeredImage::GdiplusState>> state;
};
std::mutex g_preparedLock;
Prepared g_prepared;

std::unique_ptr<LayeredImage::GdiplusState> TakePrepared(unsigned short id) {
    std::future<std::unique_ptr<LayeredImage::GdiplusState>> state;
    {
        std::lock_guard<std::mutex> lock(g_preparedLock);
        if (!g_prepared.state.valid() || g_prepared.id != id) {
            return nullptr;
        }
        state = std::move(g_prepared.state);
    }
    return state.get();
}

} // namespace

void LayeredImage::Prepare(unsigned short id) {
    std::lock_guard<std::mutex> lock(g_preparedLock);
    if (g_prepared.state.valid()) {
        return;
    }
    try {
        g_prepared.id = id;
        g_prepared.state = std::async(std::launch::async, [id] {
            try {
                return StartAndDecode(id);
            } catch (...) {
                return std::unique_ptr<GdiplusState>();
            }
        });
    } catch (...) {
        // No thread to be had: Show does the work itself.
        g_prepared.state = {};
    }
}

namespace {

std::unique_ptr<LayeredImage::GdiplusState> StartAndDecode(unsigned short id) {
    auto state = std::make_unique<LayeredImage::GdiplusState>();
    GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    if (GdiplusStartup(&state->token, &input, nullptr) != Ok) {
        state->token = 0;
        return state;
    }
    state->image = LoadPngRes(id, "PNG", state->stream, state->bytes);
    return state;
}

// A 32-bit DIB section rather than a display-compatible bitmap: the per-pixel alpha must survive
// on displays of fewer than 32 bits per pixel.
UniqueBitmap NewDib(HDC reference, int width, int height, void*& bits) {
    BITMAPINFO bi = TopDownDib32(width, height);
    return UniqueBitmap(::CreateDIBSection(reference, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// Draws `image` at its own size at (0, 0), premultiplied over the DIB's transparent black.
void DrawAtOwnSize(GpGraphics* graphics, GpImage* image, int width, int height) {
    DllExports::GdipDrawImageRectI(graphics, image, 0, 0, width, height);
    DllExports::GdipFlush(graphics, FlushIntentionSync);
}

} // namespace

LayeredImage::LayeredImage() = default;
LayeredImage::~LayeredImage() {
    Release();
}

void LayeredImage::Show(HWND hwnd, unsigned short id) {
    Release();
    ::SetWindowLongA(hwnd, GWL_EXSTYLE, ::GetWindowLongA(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);

    gdiplus_ = TakePrepared(id);
    if (!gdiplus_) {
        gdiplus_ = StartAndDecode(id);
    }
    if (!gdiplus_->token || !gdiplus_->image) {
        return;
    }
    UINT w = 0;
    UINT h = 0;
    DllExports::GdipGetImageWidth(gdiplus_->image, &w);
    DllExports::GdipGetImageHeight(gdiplus_->image, &h);
    // Shown at the window's scale: the picture is the 96-dpi design.
    const int dpi = WindowDpi(hwnd);
    width_ = ScaleDesignPixels(static_cast<int>(w), dpi);
    height_ = ScaleDesignPixels(static_cast<int>(h), dpi);

    WindowDc windowDc(hwnd);
    void* bits = nullptr;
    if (!surface_.Adopt(windowDc.get(), NewDib(windowDc.get(), width_, height_, bits))) {
        return;
    }
    if (DllExports::GdipCreateFromHDC(surface_.dc(), &gdiplus_->graphics) != Ok) {
        gdiplus_->graphics = nullptr;
        return;
    }
    if (width_ == static_cast<int>(w) && height_ == static_cast<int>(h)) {
        DrawAtOwnSize(gdiplus_->graphics, gdiplus_->image, width_, height_);
    } else {
        // GDI+ draws the design as it is, and our bilinear filter stretches it: GDI+'s own
        // stretching took a tenth of a second for the splash at 150 % under Wine, while the
        // splash waited for it.
        MemorySurface design;
        void* designBits = nullptr;
        GpGraphics* graphics = nullptr;
        if (!design.Adopt(windowDc.get(), NewDib(windowDc.get(), static_cast<int>(w),
                                                 static_cast<int>(h), designBits)) ||
            DllExports::GdipCreateFromHDC(design.dc(), &graphics) != Ok) {
            return;
        }
        DrawAtOwnSize(graphics, gdiplus_->image, static_cast<int>(w), static_cast<int>(h));
        DllExports::GdipDeleteGraphics(graphics);
        ::GdiFlush();
        ScalePremultiplied(static_cast<const std::uint32_t*>(designBits), static_cast<int>(w),
                           static_cast<int>(h), static_cast<std::uint32_t*>(bits), width_, height_);
    }

    SIZE size{width_, height_};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd, windowDc.get(), nullptr, &size, surface_.dc(), &source, 0, &blend,
                          ULW_ALPHA);
}

void LayeredImage::Release() noexcept {
    gdiplus_.reset();
    surface_.Reset();
    width_ = height_ = 0;
}

} // namespace velm
