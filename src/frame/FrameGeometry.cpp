#include "frame/FrameGeometry.h"

#include "base/Dpi.h"

#include <cmath>
#include <cstdlib>

namespace velm {
namespace {

bool Near(int a, int b, int band) {
    return std::abs(a - b) <= band;
}

// The top edges have no minimum size, but the outline never turns inside out: a window of no
// height or width could not be found and grabbed again.
int TopEdge(const FrameRect& o, int y) {
    return y < o.bottom ? y : o.bottom - 1;
}

} // namespace

int FrameGeometry::HitTestBorder(const FrameRect& r, int x, int y, int dpi) {
    const int band = ScaleDesignPixels(kBand, dpi);
    if (Near(x, r.left, band) && Near(y, r.bottom, band)) {
        return kBorderBottomLeft;
    }
    if (Near(x, r.left, band) && Near(y, r.top, band)) {
        return kBorderTopLeft;
    }
    if (Near(x, r.right, band) && Near(y, r.bottom, band)) {
        return kBorderBottomRight;
    }
    if (Near(x, r.right, band) && Near(y, r.top, band)) {
        return kBorderTopRight;
    }
    if (Near(y, r.top, band) && r.left + band < x && x < r.right - band) {
        return kBorderTop;
    }
    if (Near(x, r.right, band) && r.top + band < y && y < r.bottom - band) {
        return kBorderRight;
    }
    if (Near(y, r.bottom, band) && r.left + band < x && x < r.right - band) {
        return kBorderBottom;
    }
    if (Near(x, r.left, band) && r.top + band < y && y < r.bottom - band) {
        return kBorderLeft;
    }
    return kBorderNone;
}

int FrameGeometry::PointerFor(int code) {
    switch (code) {
    case kBorderTop:
    case kBorderBottom:
        return kPointerSizeNS;
    case kBorderTopRight:
    case kBorderBottomLeft:
        return kPointerSizeNESW;
    case kBorderRight:
    case kBorderLeft:
        return kPointerSizeWE;
    case kBorderBottomRight:
    case kBorderTopLeft:
        return kPointerSizeNWSE;
    default:
        return kPointerArrow;
    }
}

void FrameGeometry::UpdateOutline(FrameRect& o, int code, int x, int y, int dpi) {
    const int minWidth = ScaleDesignPixels(kMinWidth, dpi);
    const int minHeight = ScaleDesignPixels(kMinHeight, dpi);
    switch (code) {
    case kBorderTop:
        o.top = TopEdge(o, y);
        break;
    case kBorderTopRight:
        o.top = TopEdge(o, y);
        o.right = x > o.left ? x : o.left + 1;
        break;
    case kBorderRight:
        if (o.left + minWidth < x) {
            o.right = x;
        }
        break;
    case kBorderBottomRight:
        if (o.left + minWidth < x) {
            o.right = x;
        }
        if (o.top + minHeight < y) {
            o.bottom = y;
        }
        break;
    case kBorderBottom:
        if (o.top + minHeight < y) {
            o.bottom = y;
        }
        break;
    case kBorderBottomLeft:
        if (o.right - x > minWidth) {
            o.left = x;
        }
        if (o.top + minHeight < y) {
            o.bottom = y;
        }
        break;
    case kBorderLeft:
        if (o.right - x > minWidth) {
            o.left = x;
        }
        break;
    case kBorderTopLeft:
        o.top = TopEdge(o, y);
        o.left = x < o.right ? x : o.right - 1;
        break;
    default:
        break;
    }
}

short FrameGeometry::TaskbarHeightTwips(long screenHeightTwips, int twipsPerPixelX,
                                        long workAreaBottom) {
    if (twipsPerPixelX <= 0) {
        return 0;
    }
    double screenPixels = static_cast<double>(screenHeightTwips) / twipsPerPixelX;
    return static_cast<short>(std::nearbyint((screenPixels - workAreaBottom) * twipsPerPixelX));
}

} // namespace velm
