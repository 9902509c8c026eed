// A procedure put in front of one window's own, as the main window's boss-key and tray procedure
// and the login window's move procedure are: every message reaches it first, and it passes the
// message on with CallNext. It is one record of the message-table interceptor, so removing it
// never cuts a procedure layered on top later out of the window's chain.
#pragma once

#include "frame/CSubclass.h"

#include <windows.h>

#include <memory>

namespace velm {

class WindowHook {
public:
    // Puts `proc` in front of the window's procedure (with the W forms on a Unicode window).
    bool Install(HWND hWnd, WNDPROC proc);
    // Takes it out; the previous procedure is back at once unless a call through the hook is
    // still running, or another procedure was put in front of it since.
    void Remove(HWND hWnd);
    // The window's previous procedure for this message (the system's once removed).
    LRESULT CallNext(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    std::unique_ptr<CSubclass> subclass_;
};

} // namespace velm
