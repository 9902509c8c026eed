#include "base/SkinScale.h"

#include <algorithm>
#include <vector>

namespace velm {
namespace {

// One axis of the filter: for each destination position, its nearest source position and the
// source positions it averages with their weights (in 256ths of a source pixel).
struct Axis {
    std::vector<int> nearest;
    std::vector<int> first; // taps of position i: [first[i], first[i + 1])
    std::vector<int> index;
    std::vector<int> weight;
};

// `from` and `count` give the source positions that exist; `s0` and `sn` the block.
Axis MakeAxis(int dn, int s0, int sn, int from, int count) {
    Axis a;
    a.nearest.resize(static_cast<std::size_t>(dn));
    a.first.reserve(static_cast<std::size_t>(dn) + 1);
    const long long lo = std::max(s0, from);
    const long long hi = std::min<long long>(static_cast<long long>(s0) + sn, from + count) - 1;
    auto clamp = [&](long long i) { return static_cast<int>(std::clamp(i, lo, hi)); };
    for (int d = 0; d < dn; ++d) {
        a.first.push_back(static_cast<int>(a.index.size()));
        // Centres: destination pixel d sits at (d + 0.5) * sn / dn in the block.
        a.nearest[static_cast<std::size_t>(d)] = clamp(s0 + (2LL * d + 1) * sn / (2LL * dn));
        if (dn == sn) {
            a.index.push_back(clamp(s0 + d));
            a.weight.push_back(256);
        } else if (dn > sn) {
            // Bilinear: between the two source centres around this one.
            const long long num = (2LL * d + 1) * sn - dn; // (d + 0.5) * sn / dn - 0.5, over 2 dn
            const long long den = 2LL * dn;
            long long i0 = num >= 0 ? num / den : -((-num + den - 1) / den);
            long long frac = (num - i0 * den) * 256 / den;
            if (i0 < 0) {
                i0 = 0;
                frac = 0;
            } else if (i0 >= sn - 1) {
                i0 = sn - 1;
                frac = 0;
            }
            a.index.push_back(clamp(s0 + i0));
            a.weight.push_back(static_cast<int>(256 - frac));
            if (frac > 0) {
                a.index.push_back(clamp(s0 + i0 + 1));
                a.weight.push_back(static_cast<int>(frac));
            }
        } else {
            // Area: the source pixels this one covers, each by the part it covers. In units of
            // 1 / dn source pixel the destination spans [d * sn, (d + 1) * sn).
            const long long start = static_cast<long long>(d) * sn;
            const long long end = start + sn;
            for (long long i = start / dn; i * dn < end; ++i) {
                const long long cover = std::min(end, (i + 1) * dn) - std::max(start, i * dn);
                if (cover > 0) {
                    a.index.push_back(clamp(s0 + i));
                    a.weight.push_back(static_cast<int>(std::max(1LL, cover * 256 / sn)));
                }
            }
        }
    }
    a.first.push_back(static_cast<int>(a.index.size()));
    return a;
}

} // namespace

void StretchSkin(PixelView dest, int dx, int dy, int dw, int dh, const PixelView& src, int sx,
                 int sy, int sw, int sh, KeyedPixels keyed) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) {
        return;
    }
    // The part of the block that lies in the source picture.
    if (sx >= src.width || sy >= src.height || sx + sw <= 0 || sy + sh <= 0) {
        return;
    }
    const Axis ax = MakeAxis(dw, sx, sw, 0, src.width);
    const Axis ay = MakeAxis(dh, sy, sh, 0, src.height);
    for (int y = 0; y < dh; ++y) {
        const int ty = dy + y;
        if (ty < 0 || ty >= dest.height) {
            continue;
        }
        const std::size_t yi = static_cast<std::size_t>(y);
        const int ny = ay.nearest[yi];
        for (int x = 0; x < dw; ++x) {
            const int tx = dx + x;
            if (tx < 0 || tx >= dest.width) {
                continue;
            }
            const std::size_t xi = static_cast<std::size_t>(x);
            const std::uint32_t near = src.At(ax.nearest[xi], ny);
            if (near == kSkinKey) {
                if (keyed == KeyedPixels::kCopy) {
                    dest.Set(tx, ty, kSkinKey);
                }
                continue;
            }
            std::uint32_t r = 0, g = 0, b = 0, total = 0;
            for (int j = ay.first[yi]; j < ay.first[yi + 1]; ++j) {
                const int row = ay.index[static_cast<std::size_t>(j)];
                const std::uint32_t wy =
                    static_cast<std::uint32_t>(ay.weight[static_cast<std::size_t>(j)]);
                for (int i = ax.first[xi]; i < ax.first[xi + 1]; ++i) {
                    const std::uint32_t s = src.At(ax.index[static_cast<std::size_t>(i)], row);
                    if (s == kSkinKey) {
                        continue;
                    }
                    const std::uint32_t w =
                        wy * static_cast<std::uint32_t>(ax.weight[static_cast<std::size_t>(i)]);
                    r += ((s >> 16) & 0xFF) * w;
                    g += ((s >> 8) & 0xFF) * w;
                    b += (s & 0xFF) * w;
                    total += w;
                }
            }
            std::uint32_t p = near;
            if (total > 0) {
                p = ((r + total / 2) / total) << 16 | ((g + total / 2) / total) << 8 |
                    ((b + total / 2) / total);
            }
            // An average that happens to hit the key colour would turn into a hole.
            dest.Set(tx, ty, p == kSkinKey ? kSkinKey - 1 : p);
        }
    }
}

} // namespace velm
