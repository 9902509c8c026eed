#include "mainwindow/ModMsg.h"

#include "base/Log.h"
#include "browser/IBrowser.h"
#include "frame/WindowHook.h"
#include "mainwindow/MainMessages.h"
#include "mainwindow/SoundMute.h"

namespace velm {
namespace {
WindowHook g_hook;
void (*g_trayMenu)(HWND) = nullptr;
void (*g_taskbarCreated)(HWND) = nullptr;

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}
} // namespace

void SetTrayMenuHandler(void (*handler)(HWND)) {
    g_trayMenu = handler;
}
void SetTaskbarCreatedHandler(void (*handler)(HWND)) {
    g_taskbarCreated = handler;
}

void InstallMsgHook(HWND hWnd) {
    // A key already taken by another program leaves the window without it.
    ::RegisterHotKey(hWnd, HOTKEY_ID, 0, VK_F10);
    TaskbarCreatedMessage();
    g_hook.Install(hWnd, &MainWndProc);
}

void RemoveMsgHook(HWND hWnd) {
    ::UnregisterHotKey(hWnd, HOTKEY_ID);
    g_hook.Remove(hWnd);
}

void ToggleMainWindow(HWND hWnd) {
    const bool show = !::IsWindowVisible(hWnd);
    ::ShowWindow(hWnd, show ? SW_SHOW : SW_HIDE);
    // A page drawn by another process keeps drawing behind a hidden window unless told.
    ShowBrowsersIn(hWnd, show);
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (ClassifyMainMessage(uMsg, wParam, lParam)) {
        case MainMessageAction::Toggle:
            ToggleMainWindow(hWnd);
            break;
        case MainMessageAction::TrayMenu:
            if (g_trayMenu) {
                g_trayMenu(hWnd);
            }
            break;
        case MainMessageAction::PassOn:
            if (uMsg == TaskbarCreatedMessage() && g_taskbarCreated) {
                g_taskbarCreated(hWnd);
            }
            // Hidden (the boss key, the tray, the menu), the game is silent until shown again.
            if (uMsg == WM_SHOWWINDOW && lParam == 0) {
                SetHiddenMute(wParam == FALSE);
            }
            break;
        }
    } catch (...) {
        LogCaught("ModMsg.MainWndProc: message " + std::to_string(uMsg));
    }
    return g_hook.CallNext(hWnd, uMsg, wParam, lParam);
}

} // namespace velm
