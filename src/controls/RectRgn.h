#pragma once

#include <windows.h>

namespace velm {

// Gives `hWnd` a rounded-rectangle outline from (0, 0) to (right, bottom) pixels with corner
// ellipses x by y; the window owns the region from then on and is redrawn.
void RectRgn(HWND hWnd, short right, short bottom, short x, short y);

} // namespace velm
