// The main window's own procedure: the system-wide F10 boss key and the tray icon's clicks. It
// serves exactly one window.
#pragma once

#include <windows.h>

namespace velm {

// Registers F10 for `hWnd` and puts MainWndProc in front of its procedure.
void InstallMsgHook(HWND hWnd);
// Unregisters F10 and puts the kept procedure back.
void RemoveMsgHook(HWND hWnd);
LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Hides a visible window, shows a hidden one, its pages' views with it; its minimised or normal
// state stays.
void ToggleMainWindow(HWND hWnd);

// What the main window does for a right button release on the tray icon (pops up its menu), and
// when the taskbar has been re-created (adds its tray icon again).
void SetTrayMenuHandler(void (*handler)(HWND hWnd));
void SetTaskbarCreatedHandler(void (*handler)(HWND hWnd));

} // namespace velm
