// Draws skin parts straight into 32-bit pixel memory: the nine-grid of a tab body and unscaled
// blocks, both leaving out pixels of the key colour. The strip composes its tabs this way, as a
// graphics call per part costs far more than the few hundred pixels it moves. Window-free.
#pragma once

#include "base/SkinScale.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velm {

using CPixelView = PixelView;

class CTabCompositor {
public:
    // The key colour as a pixel value (0x00RRGGBB).
    static constexpr std::uint32_t kKey = kSkinKey;

    // Copies the w x h block at (sx, sy) of `src` to (x, y) of `dest` without scaling, leaving
    // out key-coloured pixels. Parts outside either view are skipped.
    static void TransCopy(CPixelView dest, int x, int y, int w, int h, const CPixelView& src,
                          int sx, int sy);
    // Nine-grid copy of the sw x sh block at (sx, sy) into dw x dh at (dx, dy): corners unscaled,
    // edges and centre stretched by StretchSkin, key colour left out.
    static void NineGrid(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src,
                         int sx, int sy, int sw, int sh, int left, int top, int right, int bottom);
    // The same with the destination's borders at a display scale: the corners are stretched too.
    static void NineGrid(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src,
                         int sx, int sy, int sw, int sh, int left, int top, int right, int bottom,
                         int dleft, int dtop, int dright, int dbottom);
    // The w x h block at (sx, sy) stretched to dw x dh at (dx, dy), key colour left out.
    static void Stretch(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src,
                        int sx, int sy, int sw, int sh);
};

// Tab bodies of one size and look are alike, and resampling the nine-grid's middle is the
// dearest part of composing one: each distinct body is composed once into a block of its own
// and copied from there, leaving out what the nine-grid leaves out. The result is the pixels
// CTabCompositor::NineGrid gives. Keeps a handful of bodies (the looks of one strip's tabs and
// its close glyphs at a display scale).
class CTabBodyCache {
public:
    void NineGrid(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src, int sx,
                  int sy, int sw, int sh, int left, int top, int right, int bottom);
    void NineGrid(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src, int sx,
                  int sy, int sw, int sh, int left, int top, int right, int bottom, int dleft,
                  int dtop, int dright, int dbottom);
    void Clear() { bodies_.clear(); }

private:
    using Key = std::array<int, 17>;
    struct Body {
        const std::uint32_t* source;
        Key key;
        std::vector<std::uint32_t> pixels; // 0xFF000000 marks a pixel left out
    };
    static constexpr std::size_t kBodies = 16;
    std::vector<Body> bodies_;
    std::size_t next_ = 0;
};

} // namespace velm
