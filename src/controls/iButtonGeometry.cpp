#include "controls/iButtonGeometry.h"

#include "base/Units.h"

#include <cmath>

namespace velm {
namespace {

// Rounding of a single-precision result to a whole number, halves to even.
long RoundHalfEven(double v) {
    return static_cast<long>(std::nearbyint(v));
}

} // namespace

int iButtonGeometry::SliceWidth(long pictureWidthHimetric, std::int32_t style) {
    return static_cast<int>(
        RoundHalfEven(pictureWidthHimetric / kHimetricPerPixel / SliceCount(style)));
}

int iButtonGeometry::SliceHeight(long pictureHeightHimetric) {
    return static_cast<int>(RoundHalfEven(pictureHeightHimetric / kHimetricPerPixel));
}

int iButtonGeometry::ImageIndex(std::int32_t look, std::int32_t style, bool value) {
    return (style == 1 && value) ? look + 3 : look;
}

std::int32_t iButtonGeometry::CurrentLook(bool enabled, bool leftHeld, bool over) {
    if (!enabled) {
        return kLookDisabled;
    }
    if (leftHeld) {
        return over ? kLookPressed : kLookNormal;
    }
    return over ? kLookOver : kLookNormal;
}

long iButtonGeometry::IconX(long width, long textWidth, long iconWidth) {
    return RoundHalfEven(width / 2.0 - textWidth / 2.0 - iconWidth / 2.0);
}

TwipPoint iButtonGeometry::CaptionPosition(long width, long height, long textWidth, long textHeight,
                                           bool hasIcon, long iconWidth, std::int32_t look) {
    double x = width / 2.0 - textWidth / 2.0 + (hasIcon ? iconWidth : 0);
    double y = height / 2.0 - textHeight / 2.0;
    TwipPoint p{RoundHalfEven(x), RoundHalfEven(y)};
    if (look == kLookPressed) {
        p.x += 15;
        p.y += 15;
    }
    return p;
}

iButtonGeometry::FocusRect iButtonGeometry::FocusRectangle(long width, long height,
                                                           int twipsPerPixelX, int twipsPerPixelY) {
    return {3, 3, static_cast<int>(RoundHalfEven(static_cast<double>(width) / twipsPerPixelX - 3)),
            static_cast<int>(RoundHalfEven(static_cast<double>(height) / twipsPerPixelY - 3))};
}

} // namespace velm
