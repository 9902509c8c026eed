#include "controls/ControlWindow.h"

#include "base/WindowDpi.h"
#include "base/Log.h"
#include "base/Units.h"
#include "controls/SkinLayout.h"

namespace velm {

bool ControlWindow::CreateControl(const wchar_t* className, HWND parent, long left, long top,
                                  long width, long height, DWORD style) {
    // A child shows at its parent's DPI.
    const int dpi = WindowDpi(parent);
    if (!CreateFor(ClassInfo{className}, 0, L"", style, TwipsToPixelsAt(left, dpi),
                   TwipsToPixelsAt(top, dpi), TwipsToPixelsAt(width, dpi),
                   TwipsToPixelsAt(height, dpi), parent)) {
        return false;
    }
    Guarded("ControlWindow: creation handler", [this] { OnCreated(); });
    return true;
}

LRESULT ControlWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kDpiChangedAfterParent) {
        Guarded("ControlWindow: scale change handler", [this] { OnDpiChanged(); });
        return 0;
    }
    return Window::WndProc(hwnd, msg, wParam, lParam);
}

RECT ControlWindow::PlaceInParent() const {
    RECT r{};
    if (!hWnd()) {
        return r;
    }
    ::GetWindowRect(hWnd(), &r);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

long ControlWindow::Left() const {
    return PixelsToTwipsAt(PlaceInParent().left, WindowDpi(hWnd()));
}
long ControlWindow::Top() const {
    return PixelsToTwipsAt(PlaceInParent().top, WindowDpi(hWnd()));
}
long ControlWindow::Width() const {
    RECT r = PlaceInParent();
    return PixelsToTwipsAt(r.right - r.left, WindowDpi(hWnd()));
}
long ControlWindow::Height() const {
    RECT r = PlaceInParent();
    return PixelsToTwipsAt(r.bottom - r.top, WindowDpi(hWnd()));
}

void ControlWindow::Move(long left, long top, long width, long height) {
    if (!hWnd()) {
        return;
    }
    if (width < 0) {
        width = Width();
    }
    if (height < 0) {
        height = Height();
    }
    const int dpi = WindowDpi(hWnd());
    ::MoveWindow(hWnd(), TwipsToPixelsAt(left, dpi), TwipsToPixelsAt(top, dpi),
                 TwipsToPixelsAt(width, dpi), TwipsToPixelsAt(height, dpi), TRUE);
}

} // namespace velm
