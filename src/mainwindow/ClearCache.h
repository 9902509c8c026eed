// The program menu's "清除缓存": the system's URL cache and the modern browser runtime's disk
// caches are emptied (cookies and history stay), and the player is told once both are done.
#pragma once

#include <windows.h>

namespace velm {

void ClearCachesAndReport(HWND owner);

} // namespace velm
