// The main window's keys for its tabs and the page zoom, taken before the page sees them:
// Ctrl+Tab and Ctrl+Shift+Tab select the next and previous tab (wrapping), Ctrl+F4 closes the
// selected one as its close glyph does, Ctrl+= and Ctrl+- zoom in and out, Ctrl+0 goes back to
// 100 %, and Ctrl with the wheel zooms too.
#pragma once

#include <windows.h>

namespace velm {

// A message filter (see AddMessageFilter) for the main window.
bool MainKeys(MSG& msg);

} // namespace velm
