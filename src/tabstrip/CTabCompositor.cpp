#include "tabstrip/CTabCompositor.h"

#include "tabstrip/CNineGrid.h"

#include <algorithm>
#include <iterator>

namespace velm {
namespace {

// One destination block from a source block of any size.
void Resample(CPixelView& dest, const CPixelView& src, const CNineGrid::Piece& p, int ox, int oy) {
    for (int y = 0; y < p.dh; ++y) {
        const int ty = oy + p.dy + y;
        if (ty < 0 || ty >= dest.height) {
            continue;
        }
        // Source rows [y0, y1) in fixed point: this row's share of the source block.
        const int y0 = p.sy + y * p.sh / p.dh;
        int y1 = p.sy + ((y + 1) * p.sh + p.dh - 1) / p.dh;
        if (y1 <= y0) {
            y1 = y0 + 1;
        }
        for (int x = 0; x < p.dw; ++x) {
            const int tx = ox + p.dx + x;
            if (tx < 0 || tx >= dest.width) {
                continue;
            }
            const int x0 = p.sx + x * p.sw / p.dw;
            int x1 = p.sx + ((x + 1) * p.sw + p.dw - 1) / p.dw;
            if (x1 <= x0) {
                x1 = x0 + 1;
            }
            unsigned r = 0, g = 0, b = 0, n = 0, keyed = 0;
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    if (!src.Contains(sx, sy)) {
                        continue;
                    }
                    const std::uint32_t s = src.At(sx, sy);
                    if (s == CTabCompositor::kKey) {
                        ++keyed;
                        continue;
                    }
                    r += (s >> 16) & 0xFF;
                    g += (s >> 8) & 0xFF;
                    b += s & 0xFF;
                    ++n;
                }
            }
            if (n == 0 || keyed > n) {
                continue;
            }
            dest.Set(tx, ty, ((r + n / 2) / n) << 16 | ((g + n / 2) / n) << 8 | ((b + n / 2) / n));
        }
    }
}

} // namespace

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

void CTabCompositor::NineGrid(CPixelView dest, int dx, int dy, int dw, int dh,
                              const CPixelView& src, int sx, int sy, int sw, int sh, int left,
                              int top, int right, int bottom) {
    for (const CNineGrid::Piece& p :
         CNineGrid::Pieces(dw, dh, sx, sy, sw, sh, left, top, right, bottom)) {
        if (p.dw == p.sw && p.dh == p.sh) {
            TransCopy(dest, dx + p.dx, dy + p.dy, p.dw, p.dh, src, p.sx, p.sy);
        } else {
            Resample(dest, src, p, dx, dy);
        }
    }
}

void CTabBodyCache::NineGrid(CPixelView dest, int dx, int dy, int dw, int dh, const CPixelView& src,
                             int sx, int sy, int sw, int sh, int left, int top, int right,
                             int bottom) {
    if (dw <= 0 || dh <= 0) {
        return;
    }
    constexpr std::uint32_t kLeftOut = 0xFF000000u;
    const Key key{src.width, src.height, src.stride, sx,  sy,    sw,    sh,
                  dw,        dh,         left,       top, right, bottom};
    auto found = std::find_if(bodies_.begin(), bodies_.end(), [&](const Body& b) {
        return b.source == src.pixels && b.key == key;
    });
    if (found == bodies_.end()) {
        Body body{src.pixels, key,
                  std::vector<std::uint32_t>(static_cast<std::size_t>(dw) * dh, kLeftOut)};
        CPixelView block{body.pixels.data(), dw, dh, dw};
        CTabCompositor::NineGrid(block, 0, 0, dw, dh, src, sx, sy, sw, sh, left, top, right,
                                 bottom);
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
