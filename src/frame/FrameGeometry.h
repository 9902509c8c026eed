// The borderless frame's arithmetic: which border a point is on, the cursor shown there, how the
// resize outline follows the pointer (with its minimum sizes) and the taskbar strip's height.
// Screen pixels unless named otherwise.
#pragma once

namespace velm {

// Border codes, clockwise from the top; -1 is none.
enum BorderCode : int {
    kBorderNone = -1,
    kBorderTop = 0,
    kBorderTopRight = 1,
    kBorderRight = 2,
    kBorderBottomRight = 3,
    kBorderBottom = 4,
    kBorderBottomLeft = 5,
    kBorderLeft = 6,
    kBorderTopLeft = 7,
};

// A form's mouse-pointer values.
enum MousePointer : int {
    kPointerArrow = 1,
    kPointerSizeNESW = 6,
    kPointerSizeNS = 7,
    kPointerSizeNWSE = 8,
    kPointerSizeWE = 9,
};

struct FrameRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const FrameRect&, const FrameRect&) = default;
};

class FrameGeometry {
public:
    static constexpr int kBand = 5;
    static constexpr int kMinWidth = 800;
    static constexpr int kMinHeight = 600;

    // The border under (x, y) of the window rectangle r; corners first, then edges. The band
    // and the minimum sizes are 96-dpi pixels, shown at the window's `dpi`.
    static int HitTestBorder(const FrameRect& r, int x, int y, int dpi = 96);
    static int PointerFor(int code);
    // Moves the outline's edges for a pointer at (x, y) while dragging border `code`.
    static void UpdateOutline(FrameRect& outline, int code, int x, int y, int dpi = 96);
    // Height in twips of the screen strip below the work area.
    static short TaskbarHeightTwips(long screenHeightTwips, int twipsPerPixelX,
                                    long workAreaBottom);
};

} // namespace velm
