// Skin pictures at a display scale. A block of a picture is stretched to another size with a
// smoothing filter (bilinear where it grows, area averaging where it shrinks) while the key
// colour stays exact: a destination pixel is the key colour exactly where its nearest source
// pixel is, so a keyed edge keeps its shape and gets no hole, and every other pixel averages only
// the source pixels that are not the key colour, so no key colour bleeds into it as a fringe.
// A block of the same size is copied as it is. Window-free.
#pragma once

#include <cstdint>

namespace velm {

// The key colour of every skin picture, as a pixel value (0x00RRGGBB).
inline constexpr std::uint32_t kSkinKey = 0xFF00FF;

// 32-bit pixels 0x00RRGGBB, top row first.
struct PixelView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0; // pixels per row
    std::uint32_t At(int x, int y) const { return pixels[y * stride + x] & 0xFFFFFFu; }
    void Set(int x, int y, std::uint32_t p) { pixels[y * stride + x] = p & 0xFFFFFFu; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// What becomes of destination pixels that are the key colour.
enum class KeyedPixels {
    kCopy,    // written as the key colour, for a later mask or region to find
    kLeaveOut // not written: what lies beneath shows through
};

// Stretches the sw x sh block at (sx, sy) of `src` to dw x dh at (dx, dy) of `dest`. Source
// pixels outside `src` and destination pixels outside `dest` take no part.
void StretchSkin(PixelView dest, int dx, int dy, int dw, int dh, const PixelView& src, int sx,
                 int sy, int sw, int sh, KeyedPixels keyed);

} // namespace velm
