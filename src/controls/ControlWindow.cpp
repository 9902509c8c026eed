#include "controls/ControlWindow.h"

#include "base/Log.h"
#include "controls/SkinLayout.h"

namespace velm {

std::int16_t ShiftState() {
    std::int16_t shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) {
        shift |= 1;
    }
    if (::GetKeyState(VK_CONTROL) < 0) {
        shift |= 2;
    }
    if (::GetKeyState(VK_MENU) < 0) {
        shift |= 4;
    }
    return shift;
}

ControlWindow::~ControlWindow() {
    if (hwnd_) {
        // The window must not call back into a destroyed object.
        ::SetWindowLongPtrW(hwnd_, 0, 0);
        HWND h = hwnd_;
        hwnd_ = nullptr;
        ::DestroyWindow(h);
    }
}

bool ControlWindow::CreateControl(const wchar_t* className, HWND parent, long left, long top,
                                  long width, long height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &ControlWindow::StaticWndProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = nullptr; // each control paints all of itself
        wc.lpszClassName = className;
        if (!::RegisterClassExW(&wc)) {
            return false;
        }
    }
    HWND h = ::CreateWindowExW(0, className, L"", WS_CHILD | WS_CLIPSIBLINGS,
                               SkinLayout::Pixels(left), SkinLayout::Pixels(top),
                               SkinLayout::Pixels(width), SkinLayout::Pixels(height), parent,
                               nullptr, ::GetModuleHandleW(nullptr), this);
    if (!h) {
        return false;
    }
    try {
        OnCreated();
    } catch (...) {
        LogError("ControlWindow: creation handler failed");
    }
    return true;
}

RECT ControlWindow::PlaceInParent() const {
    RECT r{};
    if (!hwnd_) {
        return r;
    }
    ::GetWindowRect(hwnd_, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
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
    if (!hwnd_) {
        return;
    }
    if (width < 0) {
        width = Width();
    }
    if (height < 0) {
        height = Height();
    }
    ::MoveWindow(hwnd_, SkinLayout::Pixels(left), SkinLayout::Pixels(top),
                 SkinLayout::Pixels(width), SkinLayout::Pixels(height), TRUE);
}

LRESULT ControlWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ControlWindow::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<ControlWindow*>(cs->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<ControlWindow*>(::GetWindowLongPtrW(hwnd, 0));
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        result = self->WndProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        LogError("ControlWindow.WndProc: handler failed");
        result = ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, 0, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

} // namespace velm
