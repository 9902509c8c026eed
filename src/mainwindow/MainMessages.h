// What the main window's procedure does with a message: the F10 boss key and the tray icon's
// mouse reports. Window-free, so the table is tested natively.
#pragma once

#include <cstdint>

namespace velm {

inline constexpr int HOTKEY_ID = 1000;
inline constexpr unsigned kHotKeyVirtualKey = 0x79; // VK_F10
inline constexpr unsigned WM_TRAYNOTIFY = 0x1862;

enum class MainMessageAction { PassOn, Toggle, TrayMenu };

// WM_HOTKEY with F10 in the high word of lParam toggles (the identifier in wParam is not looked
// at); the tray's left button release toggles, its right button release pops up the menu.
// Everything is passed on to the previous procedure afterwards in every case.
MainMessageAction ClassifyMainMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

} // namespace velm
