#include "tabstrip/mdlTabAPI.h"

#include "base/Dib.h"
#include "base/SkinBitmap.h"
#include "tabstrip/CNineGrid.h"
#include "tabstrip/CTabError.h"

#include <string>

namespace velm::mdlTabAPI {
namespace {

[[noreturn]] void Fail(const char* description) {
    throw CTabError(CTabError::kDrawFailed, description);
}

} // namespace

Surface CreateMemDC(int width, int height) {
    WindowDc screen(nullptr);
    if (!screen) {
        Fail("GetDC调用失败");
    }
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap) {
        Fail("CreateCompatibleBitmap调用失败");
    }
    auto surface = std::make_unique<MemorySurface>();
    if (!surface->Adopt(screen.get(), std::move(bitmap))) {
        Fail("CreateCompatibleDC调用失败");
    }
    return surface;
}

Surface CreateDibDC(int width, int height, std::uint32_t** bits) {
    WindowDc screen(nullptr);
    if (!screen) {
        Fail("GetDC调用失败");
    }
    BITMAPINFO bi = TopDownDib32(width, height);
    void* memory = nullptr;
    UniqueBitmap bitmap(
        width > 0 && height > 0
            ? ::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &memory, nullptr, 0)
            : nullptr);
    if (!bitmap) {
        Fail("CreateCompatibleBitmap调用失败");
    }
    auto surface = std::make_unique<MemorySurface>();
    if (!surface->Adopt(screen.get(), std::move(bitmap))) {
        Fail("CreateCompatibleDC调用失败");
    }
    *bits = static_cast<std::uint32_t*>(memory);
    return surface;
}

std::vector<std::uint32_t> ReadBitmapPixels(HBITMAP bitmap, int& width, int& height) {
    SkinPixels read = ReadSkinPixels(bitmap);
    width = read.width;
    height = read.height;
    return std::move(read.pixels);
}

Surface CreateImageDC(UniqueBitmap bitmap) {
    WindowDc screen(nullptr);
    if (!screen) {
        Fail("GetDC调用失败");
    }
    auto surface = std::make_unique<MemorySurface>();
    if (!surface->Adopt(screen.get(), std::move(bitmap))) {
        Fail("CreateCompatibleDC调用失败");
    }
    return surface;
}

bool DeleteMemDC(Surface& surface) noexcept {
    surface.reset();
    return true;
}

int NineGridBlt(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh,
                int left, int top, int right, int bottom, std::optional<COLORREF> key) {
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) {
        return 0;
    }
    Surface surface = CreateMemDC(dw, dh);
    HDC t = surface->dc();
    ::SetStretchBltMode(t, HALFTONE);
    ::SetBrushOrgEx(t, 0, 0, nullptr);
    for (const CNineGrid::Piece& p :
         CNineGrid::Pieces(dw, dh, sx, sy, sw, sh, left, top, right, bottom)) {
        if (p.dw == p.sw && p.dh == p.sh) {
            ::BitBlt(t, p.dx, p.dy, p.dw, p.dh, src, p.sx, p.sy, SRCCOPY);
        } else {
            ::StretchBlt(t, p.dx, p.dy, p.dw, p.dh, src, p.sx, p.sy, p.sw, p.sh, SRCCOPY);
        }
    }
    if (key) {
        return TransBlt(dest, dx, dy, dw, dh, t, 0, 0, *key);
    }
    return ::BitBlt(dest, dx, dy, dw, dh, t, 0, 0, SRCCOPY);
}

BOOL TransBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, COLORREF key) {
    return ::GdiTransparentBlt(dest, x, y, w, h, src, sx, sy, w, h, key);
}

int DrawTextInRect(HDC dc, std::string_view text, int length, int x, int y, int width, int height,
                   UINT format) {
    RECT r;
    ::SetRect(&r, x, y, x + width, y + height);
    std::string copy(text.substr(0, static_cast<std::size_t>(length < 0 ? 0 : length)));
    return ::DrawTextA(dc, copy.c_str(), static_cast<int>(copy.size()), &r, format);
}

} // namespace velm::mdlTabAPI
