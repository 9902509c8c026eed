// The height of the screen strip below the work area (the taskbar when it sits at the bottom).
#pragma once

namespace velm {

// In twips; a taskbar at the top, left or right gives 0.
short GetTaskbarHeight();

} // namespace velm
