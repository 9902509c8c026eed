#include "tabstrip/CTabCompositor.h"

#include "tabstrip/CNineGrid.h"

#include <algorithm>
#include <iterator>

namespace velm {
void CTabCompositor::TransCopy(CPixelView dest, int x, int y, int w, int h, const CPixelView& src,
                               int sx, int sy) {
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (!dest.Contains(x + i, y + j) || !src.Contains(sx + i, sy + j)) {
                continue;
            }
            const std::uint32_t p = src.At(sx + i, sy + j);
            if (p != kKey) {
                dest.Set(x + i, y + j, p);
            }
        }
    }
}

void CTabCompositor::Stretch(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src,
                             int sx, int sy, int sw, int sh) {
    if (dw == sw && dh == sh) {
        TransCopy(dest, dx, dy, dw, dh, src, sx, sy);
    } else {
        StretchSkin(dest, dx, dy, dw, dh, src, sx, sy, sw, sh, KeyedPixels::kLeaveOut);
    }
}

void CTabCompositor::NineGrid(CPixelView dest, int dx, int dy, int dw, int dh,
                              const CPixelView& src, int sx, int sy, int sw, int sh, int left,
                              int top, int right, int bottom) {
    NineGrid(dest, dx, dy, dw, dh, src, sx, sy, sw, sh, left, top, right, bottom, left, top, right,
             bottom);
}

void CTabCompositor::NineGrid(CPixelView dest, int dx, int dy, int dw, int dh,
                              const CPixelView& src, int sx, int sy, int sw, int sh, int left,
                              int top, int right, int bottom, int dleft, int dtop, int dright,
                              int dbottom) {
    for (const CNineGrid::Piece& p : CNineGrid::Pieces(dw, dh, sx, sy, sw, sh, left, top, right,
                                                       bottom, dleft, dtop, dright, dbottom)) {
        Stretch(dest, dx + p.dx, dy + p.dy, p.dw, p.dh, src, p.sx, p.sy, p.sw, p.sh);
    }
}

void CTabBodyCache::NineGrid(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src,
                             int sx, int sy, int sw, int sh, int left, int top, int right,
                             int bottom) {
    NineGrid(dest, dx, dy, dw, dh, src, sx, sy, sw, sh, left, top, right, bottom, left, top, right,
             bottom);
}

void CTabBodyCache::NineGrid(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src,
                             int sx, int sy, int sw, int sh, int left, int top, int right,
                             int bottom, int dleft, int dtop, int dright, int dbottom) {
    if (dw <= 0 || dh <= 0) {
        return;
    }
    constexpr std::uint32_t kLeftOut = 0xFF000000u;
    const Key key{src.width, src.height, src.stride, sx,     sy,    sw,   sh,     dw,     dh,
                  left,      top,        right,      bottom, dleft, dtop, dright, dbottom};
    auto found = std::find_if(bodies_.begin(), bodies_.end(), [&](const Body& b) {
        return b.source == src.pixels && b.key == key;
    });
    if (found == bodies_.end()) {
        Body body{src.pixels, key,
                  std::vector<std::uint32_t>(static_cast<std::size_t>(dw) * dh, kLeftOut)};
        CPixelView block{body.pixels.data(), dw, dh, dw};
        CTabCompositor::NineGrid(block, 0, 0, dw, dh, src, sx, sy, sw, sh, left, top, right, bottom,
                                 dleft, dtop, dright, dbottom);
        if (bodies_.size() < kBodies) {
            found = bodies_.insert(bodies_.end(), std::move(body));
        } else {
            next_ %= kBodies;
            bodies_[next_] = std::move(body);
            found = bodies_.begin() + static_cast<std::ptrdiff_t>(next_++);
        }
    }
    const std::uint32_t* from = found->pixels.data();
    for (int y = 0; y < dh; ++y) {
        const int ty = dy + y;
        if (ty < 0 || ty >= dest.height) {
            continue;
        }
        for (int x = 0; x < dw; ++x) {
            const int tx = dx + x;
            const std::uint32_t p = from[y * dw + x];
            if ((p & kLeftOut) == 0 && tx >= 0 && tx < dest.width) {
                dest.pixels[ty * dest.stride + tx] = p;
            }
        }
    }
}

} // namespace velm
