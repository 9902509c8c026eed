#include "base/SkinBitmap.h"

#include "base/Dib.h"
#include "base/Handles.h"

namespace velm {

SkinPixels ReadSkinPixels(HBITMAP bitmap) {
    SkinPixels out;
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0) {
        return out;
    }
    BITMAPINFO bi = TopDownDib32(info.bmWidth, info.bmHeight);
    out.pixels.resize(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    WindowDc screen(nullptr);
    if (!::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), out.pixels.data(),
                     &bi, DIB_RGB_COLORS)) {
        out.pixels.clear();
        return out;
    }
    for (std::uint32_t& p : out.pixels) {
        p &= 0xFFFFFFu;
    }
    out.width = info.bmWidth;
    out.height = info.bmHeight;
    return out;
}

void DrawSkin(HDC dest, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy,
              int sw, int sh) {
    if (!dest || dw <= 0 || dh <= 0 || sx >= src.width || sy >= src.height || sx + sw <= 0 ||
        sy + sh <= 0) {
        return;
    }
    std::vector<std::uint32_t> block(static_cast<std::size_t>(dw) * dh, 0);
    PixelView view{block.data(), dw, dh, dw};
    StretchSkin(view, 0, 0, dw, dh, src, sx, sy, sw, sh, KeyedPixels::kCopy);
    BITMAPINFO bi = TopDownDib32(dw, dh);
    ::SetDIBitsToDevice(dest, dx, dy, static_cast<DWORD>(dw), static_cast<DWORD>(dh), 0, 0, 0,
                        static_cast<UINT>(dh), block.data(), &bi, DIB_RGB_COLORS);
}

} // namespace velm
