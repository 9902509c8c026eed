#include "base/PixelScale.h"

#include <algorithm>
#include <vector>

namespace velm {
namespace {

// Where a destination column (or row) samples the source: the two neighbours and the weight of the
// second in 1/256.
struct Tap {
    int first;
    int second;
    std::uint32_t weight;
};

std::vector<Tap> Taps(int srcSize, int dstSize) {
    std::vector<Tap> taps(static_cast<std::size_t>(dstSize));
    for (int d = 0; d < dstSize; ++d) {
        // The centre of destination pixel d in source pixels, in 1/256, less half a pixel.
        const long long centre =
            (static_cast<long long>(2 * d + 1) * srcSize * 256) / (2LL * dstSize) - 128;
        const long long clamped = std::clamp<long long>(centre, 0, (srcSize - 1) * 256LL);
        Tap& t = taps[static_cast<std::size_t>(d)];
        t.first = static_cast<int>(clamped >> 8);
        t.second = std::min(t.first + 1, srcSize - 1);
        t.weight = static_cast<std::uint32_t>(clamped & 255);
    }
    return taps;
}

} // namespace

void ScalePremultiplied(const std::uint32_t* src, int srcWidth, int srcHeight, std::uint32_t* dst,
                        int dstWidth, int dstHeight) {
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) {
        return;
    }
    const std::vector<Tap> columns = Taps(srcWidth, dstWidth);
    const std::vector<Tap> rows = Taps(srcHeight, dstHeight);
    for (int y = 0; y < dstHeight; ++y) {
        const Tap& r = rows[static_cast<std::size_t>(y)];
        const std::uint32_t* top = src + static_cast<std::size_t>(r.first) * srcWidth;
        const std::uint32_t* bottom = src + static_cast<std::size_t>(r.second) * srcWidth;
        std::uint32_t* out = dst + static_cast<std::size_t>(y) * dstWidth;
        for (int x = 0; x < dstWidth; ++x) {
            const Tap& c = columns[static_cast<std::size_t>(x)];
            const std::uint32_t w11 = c.weight * r.weight;
            const std::uint32_t w10 = (256 - c.weight) * r.weight;
            const std::uint32_t w01 = c.weight * (256 - r.weight);
            const std::uint32_t w00 = (256 - c.weight) * (256 - r.weight);
            const std::uint32_t p00 = top[c.first];
            const std::uint32_t p01 = top[c.second];
            const std::uint32_t p10 = bottom[c.first];
            const std::uint32_t p11 = bottom[c.second];
            std::uint32_t pixel = 0;
            // The weights add up to 65536: each channel is rounded the same way, so a colour that
            // was no more than its alpha stays so.
            for (int shift = 0; shift < 32; shift += 8) {
                const std::uint32_t sum =
                    ((p00 >> shift) & 255) * w00 + ((p01 >> shift) & 255) * w01 +
                    ((p10 >> shift) & 255) * w10 + ((p11 >> shift) & 255) * w11;
                pixel |= ((sum + 32768) >> 16) << shift;
            }
            out[x] = pixel;
        }
    }
}

} // namespace velm
