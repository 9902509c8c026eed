// One scale per window: the design is in twips (or in pixels at 96 dpi, 15 twips each), and a
// window shows it at its own DPI, 1440 / dpi twips to a pixel. At 96 dpi every figure is what
// the fixed 15 twips to a pixel give.
#pragma once

#include "base/Units.h"

namespace velm {

inline constexpr int kDesignDpi = 96;
inline constexpr long kTwipsPerInch = 1440;

// Twips to whole pixels at `dpi`: the nearest pixel, halves up, as TwipsToPixels rounds.
constexpr int TwipsToPixelsAt(long twips, int dpi) {
    const long long t = 2LL * twips * dpi + kTwipsPerInch;
    const long long d = 2LL * kTwipsPerInch;
    const long long q = t / d;
    return static_cast<int>((t % d != 0 && t < 0) ? q - 1 : q);
}
// A length designed in pixels at 96 dpi, at `dpi`.
constexpr int ScaleDesignPixels(int pixels, int dpi) {
    return TwipsToPixelsAt(PixelsToTwips(pixels), dpi);
}
// Pixels at `dpi` back to twips, to the nearest twip (halves up).
constexpr long PixelsToTwipsAt(int pixels, int dpi) {
    if (dpi <= 0) {
        return PixelsToTwips(pixels);
    }
    const long long t = 2LL * pixels * kTwipsPerInch + dpi;
    const long long d = 2LL * dpi;
    const long long q = t / d;
    return static_cast<long>((t % d != 0 && t < 0) ? q - 1 : q);
}

} // namespace velm
