#include "frame/WindowHook.h"

namespace velm {

bool WindowHook::Install(HWND hWnd, WNDPROC proc) {
    auto subclass = std::make_unique<CSubclass>();
    subclass->SetWindowProc([proc](bool bBefore, bool& bHandled, LRESULT& lReturn, HWND h, UINT msg,
                                   WPARAM wParam, LPARAM lParam, LONG&) {
        if (bBefore) {
            bHandled = true;
            lReturn = proc(h, msg, wParam, lParam);
        }
    });
    bool unicode = ::IsWindowUnicode(hWnd) != FALSE;
    if (!subclass->ssc_Subclass(hWnd, 0, 1, true, unicode, false)) {
        return false;
    }
    subclass->ssc_AddMsg(hWnd, ALL_MESSAGES, MSG_BEFORE);
    subclass_ = std::move(subclass);
    return true;
}

void WindowHook::Remove(HWND hWnd) {
    if (!subclass_) {
        return;
    }
    subclass_->ssc_UnSubclass(hWnd);
    subclass_.reset();
    // The record steps out of the chain after the next message it passes on.
    ::SendMessageW(hWnd, WM_NULL, 0, 0);
}

LRESULT WindowHook::CallNext(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!subclass_) {
        return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    }
    return subclass_->ssc_CallOrigWndProc(hWnd, msg, wParam, lParam);
}

} // namespace velm
