#include "controls/ControlWindow.h"

#include "base/Log.h"
#include "base/Units.h"
#include "controls/SkinLayout.h"

namespace velm {

bool ControlWindow::CreateControl(const wchar_t* className, HWND parent, long left, long top,
                                  long width, long height, DWORD style) {
    if (!CreateFor(ClassInfo{className}, 0, L"", style, TwipsToPixels(left), TwipsToPixels(top),
                   TwipsToPixels(width), TwipsToPixels(height), parent)) {
        return false;
    }
    Guarded("ControlWindow: creation handler", [this] { OnCreated(); });
    return true;
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
    return PlaceInParent().left * 15L;
}
long ControlWindow::Top() const {
    return PlaceInParent().top * 15L;
}
long ControlWindow::Width() const {
    RECT r = PlaceInParent();
    return (r.right - r.left) * 15L;
}
long ControlWindow::Height() const {
    RECT r = PlaceInParent();
    return (r.bottom - r.top) * 15L;
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
    ::MoveWindow(hWnd(), TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height), TRUE);
}

} // namespace velm
