// A window's DPI, and what follows from a change of it.
#pragma once

#include <windows.h>

#include "base/Dpi.h"

namespace velm {

// WM_DPICHANGED_AFTERPARENT: Windows 10 sends it to the children of a window whose scale changed;
// the headers declare it only for builds that require Windows 10.
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The DPI the system shows `window` at: its monitor's where Windows 10 says so, else the
// system DPI (Windows 7 and 8.1, a null window, or a failed call); 96 when nothing answers.
int WindowDpi(HWND window);
// The system DPI, for a window that does not exist yet.
int SystemDpi();
// Moves and sizes `parent`'s own children from `fromDpi` to `toDpi`, so each keeps its design
// after the window moved to a monitor of another scale, then tells each of them
// (kDpiChangedAfterParent, which Windows 10 sends as well: its handlers may run twice).
void RescaleChildren(HWND parent, int fromDpi, int toDpi);

} // namespace velm
