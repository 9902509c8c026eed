// Where the main window was left: its restored rectangle, whether it filled the work area, and
// the monitor it was on, kept in the settings file between runs.
#pragma once

#include <windows.h>

namespace velm {

class cSetStyle;

// Puts `window` back where it was left, unless nothing is remembered or that place is on no
// monitor now. Returns true when the window is to fill the work area (the first run, an
// off-screen place, or a window left filling it).
bool RestorePlacement(HWND window);
// Remembers the place of `window` (its frame knows the rectangle a filled window restores to)
// and writes the settings file.
void RememberPlacement(HWND window, const cSetStyle* frame);

} // namespace velm
