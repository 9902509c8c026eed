// System calls from libraries that start-up does not need (the shell and the common controls),
// bound when first made instead of through the import table. Every library in the import table
// is loaded and initialised before the program's first line runs, and under Wine these two cost
// tens of milliseconds before the splash can show; now they load when the tray icon, a browser
// launch or the updater's progress bar first needs them. A library or entry that cannot be found
// is logged and the call fails as the system call would.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

namespace velm {

HINSTANCE LateShellExecuteA(HWND hwnd, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand);
BOOL LateShellNotifyIconA(DWORD message, NOTIFYICONDATAA* data);
BOOL LateInitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
// comctl32's _TrackMouseEvent, for systems whose user32 lacks TrackMouseEvent.
BOOL LateTrackMouseEvent(TRACKMOUSEEVENT* track);

} // namespace velm
