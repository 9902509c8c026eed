// Stretching a picture of premultiplied pixels to another size.
#pragma once

#include <cstdint>

namespace velm {

// Scales `src` (`srcWidth` x `srcHeight` premultiplied 0xAARRGGBB words, rows top-down, no gaps)
// into `dst` (`dstWidth` x `dstHeight`, same layout) with a bilinear filter: each destination pixel
// blends the four source pixels around its centre. Premultiplied channels blend without a dark or
// coloured fringe where transparent and opaque pixels meet, and no channel ever exceeds its alpha.
// Meant for enlarging (display scales above the design's); a reduction to under half the size
// would skip source pixels.
void ScalePremultiplied(const std::uint32_t* src, int srcWidth, int srcHeight, std::uint32_t* dst,
                        int dstWidth, int dstHeight);

} // namespace velm
