// The image button's arithmetic: slices of the back picture, which slice a look shows, and where
// the icon, the caption and the focus rectangle go. Lengths in twips unless named otherwise.
#pragma once

#include <cstdint>

namespace velm {

enum ButtonLook : std::int32_t {
    kLookNormal = 0,
    kLookOver = 1,
    kLookPressed = 2,
    kLookDisabled = 3,
};

struct TwipPoint {
    long x = 0;
    long y = 0;
    friend bool operator==(const TwipPoint&, const TwipPoint&) = default;
};

class iButtonGeometry {
public:
    // Slices in the strip: 6 for a toggle (any non-zero style), else 3.
    static int SliceCount(std::int32_t style) { return style != 0 ? 6 : 3; }
    // State images taken from the strip: indices 0 to 3 for a push button, 0 to 7 for a toggle.
    // Other non-zero styles get the toggle's eight too: no look shows an image beyond index 6,
    // and a stored style in the thousands must not cost thousands of bitmaps.
    static int ImageCount(std::int32_t style) { return style == 0 ? 4 : 8; }
    // One slice in pixels, from the picture's size in HIMETRIC.
    static int SliceWidth(long pictureWidthHimetric, std::int32_t style);
    static int SliceHeight(long pictureHeightHimetric);
    // The state image a look shows.
    static int ImageIndex(std::int32_t look, std::int32_t style, bool value);
    // The look the background takes: pressed while locked.
    static std::int32_t BackgroundLook(std::int32_t look, bool locked) {
        return locked ? kLookPressed : look;
    }
    // The look after a change: disabled, else pressed while the left button is held over the
    // control, else over or normal.
    static std::int32_t CurrentLook(bool enabled, bool leftHeld, bool over);

    // An icon's width in twips from its width in HIMETRIC (whole 26ths, 15 twips each).
    static long IconWidthTwips(long iconWidthHimetric) { return iconWidthHimetric / 26 * 15; }
    // Left edge of the icon in a control `width` wide with a caption `textWidth` wide.
    static long IconX(long width, long textWidth, long iconWidth);
    // Top-left corner of the caption.
    static TwipPoint CaptionPosition(long width, long height, long textWidth, long textHeight,
                                     bool hasIcon, long iconWidth, std::int32_t look);
    // The focus rectangle in pixels (left, top, right, bottom).
    struct FocusRect {
        int left, top, right, bottom;
    };
    static FocusRect FocusRectangle(long width, long height, int twipsPerPixelX,
                                    int twipsPerPixelY);
};

} // namespace velm
