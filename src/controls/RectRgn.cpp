#include "controls/RectRgn.h"

#include "base/Handles.h"

namespace velm {

void RectRgn(HWND hWnd, short right, short bottom, short x, short y) {
    UniqueRegion region(::CreateRoundRectRgn(0, 0, right, bottom, x, y));
    if (region && ::SetWindowRgn(hWnd, region.get(), TRUE)) {
        region.release(); // the window owns it now
    }
}

} // namespace velm
