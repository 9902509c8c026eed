#include "mainwindow/ModMsg.h"

#include "base/Log.h"
#include "frame/CSubclass.h"
#include "mainwindow/MainMessages.h"

#include <memory>

namespace velm {
namespace {
// The hook goes through the program's one interception family: its removal puts the previous
// procedure back only while ours is still the current one, so a frame layered on top later is
// never cut out of the chain.
std::unique_ptr<CSubclass> g_hook;
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
    g_hook = std::make_unique<CSubclass>();
    g_hook->SetWindowProc([](bool bBefore, bool& bHandled, LRESULT& lReturn, HWND h, UINT uMsg,
                             WPARAM wParam, LPARAM lParam, LONG&) {
        if (bBefore) {
            bHandled = true;
            lReturn = MainWndProc(h, uMsg, wParam, lParam);
        }
    });
    bool unicode = ::IsWindowUnicode(hWnd) != FALSE;
    if (!g_hook->ssc_Subclass(hWnd, 0, 1, true, unicode, false)) {
        g_hook.reset();
        return;
    }
    g_hook->ssc_AddMsg(hWnd, ALL_MESSAGES, MSG_BEFORE);
}

void RemoveMsgHook(HWND hWnd) {
    ::UnregisterHotKey(hWnd, HOTKEY_ID);
    if (g_hook) {
        g_hook->ssc_UnSubclass(hWnd);
        g_hook.reset();
        // The record steps out of the chain after the next message it passes on (at once
        // unless one of its calls is still running).
        ::SendMessageW(hWnd, WM_NULL, 0, 0);
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
        LogCaught("ModMsg.MainWndProc: message " + std::to_string(uMsg));
    }
    if (!g_hook) {
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    return g_hook->ssc_CallOrigWndProc(hWnd, uMsg, wParam, lParam);
}

} // namespace velm
