// Skin bitmaps drawn through GDI at a display scale, with the one stretch of SkinScale.h.
#pragma once

#include "base/SkinScale.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace velm {

// A bitmap's pixels, 0x00RRGGBB, top row first.
struct SkinPixels {
    std::vector<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
    PixelView View() { return {pixels.data(), width, height, width}; }
};

// The pixels of a bitmap that is not selected into any device context; empty when it cannot be
// read.
SkinPixels ReadSkinPixels(HBITMAP bitmap);
// Draws the sw x sh block at (sx, sy) of `src` stretched to dw x dh at (dx, dy) of `dest`, key
// colour included (see StretchSkin): exactly the block's pixels when the sizes are equal.
void DrawSkin(HDC dest, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy,
              int sw, int sh);

} // namespace velm
