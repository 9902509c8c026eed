// The units the windows measure in: twips (fixed at 15 to a pixel) for forms and skinned
// controls, HIMETRIC (1/100 mm, 26.45836 to a pixel at 96 dpi) for picture sizes and extents.
#pragma once

#include <cmath>

namespace velm {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr double kHimetricPerPixel = 26.45836;

// Twips to whole pixels at the platform call: the nearest pixel, halves up, computed as
// floor(twips / 15 + 1/2) in whole numbers so a shift by whole pixels never changes a width.
constexpr int TwipsToPixels(long twips) {
    const long t = 2 * twips + kTwipsPerPixel;
    const long q = t / (2 * kTwipsPerPixel);
    return static_cast<int>((t % (2 * kTwipsPerPixel) != 0 && t < 0) ? q - 1 : q);
}
constexpr long PixelsToTwips(int pixels) {
    return static_cast<long>(pixels) * kTwipsPerPixel;
}
// HIMETRIC to pixels and back, rounded to the nearest whole (halves to even).
inline int HimetricToPixels(double himetric) {
    return static_cast<int>(std::nearbyint(himetric / kHimetricPerPixel));
}
inline long PixelsToHimetric(int pixels) {
    return static_cast<long>(std::nearbyint(pixels * kHimetricPerPixel));
}

} // namespace velm
