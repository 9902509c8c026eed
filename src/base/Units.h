// The units the windows measure in: twips (fixed at 15 to a pixel) for forms and skinned
// controls, HIMETRIC (1/100 mm, 26.45836 to a pixel at 96 dpi) for picture sizes and extents.
#pragma once

#include <cmath>

namespace velm {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr double kHimetricPerPixel = 26.45836;

// Twips to whole pixels, truncating toward zero as the platform calls take them.
constexpr int TwipsToPixels(long twips) {
    return static_cast<int>(twips / kTwipsPerPixel);
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
