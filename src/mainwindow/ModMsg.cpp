#include "mainwindow/ModMsg.h"

#include "base/Log.h"
#include "mainwindow/MainMessages.h"

namespace velm {
namespace {
LONG_PTR g_previousProc = 0;
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
    g_previousProc =
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWndProc));
}

void RemoveMsgHook(HWND hWnd) {
    ::UnregisterHotKey(hWnd, HOTKEY_ID);
    if (g_previousProc) {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, g_previousProc);
        g_previousProc = 0;
    }
}

void ToggleMainWindow(HWND hWnd) {
    ::ShowWindow(hWnd, ::IsWindowVisible(hWnd) ? SW_HIDE : SW_SHOW);
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
            break;
        }
    } catch (...) {
        LogError("ModMsg.MainWndProc: handler failed");
    }
    if (!g_previousProc) {
        return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
    return ::CallWindowProcA(reinterpret_cast<WNDPROC>(g_previousProc), hWnd, uMsg, wParam, lParam);
}

} // namespace velm
