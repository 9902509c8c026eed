#include "base/Window.h"

#include "base/Log.h"

#include <set>

namespace velm {
namespace {

bool EnsureClass(const ClassInfo& cls, WNDPROC proc) {
    static std::set<std::wstring> registered;
    if (registered.count(cls.name)) {
        return true;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = cls.style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = cls.background;
    wc.hIcon = cls.programIcon ? ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1)) : nullptr;
    wc.lpszClassName = cls.name.c_str();
    if (!::RegisterClassExW(&wc)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_CLASS_ALREADY_EXISTS) {
            LogCallFailed("RegisterClassExW", error);
            return false;
        }
    }
    registered.insert(cls.name);
    return true;
}

Window* Slot(HWND hwnd) {
    return reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, 0));
}

} // namespace

std::int16_t ShiftState() {
    std::int16_t shift = 0;
    shift |= ::GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
    shift |= ::GetKeyState(VK_CONTROL) < 0 ? 2 : 0;
    shift |= ::GetKeyState(VK_MENU) < 0 ? 4 : 0;
    return shift;
}

MouseMessage CrackMouse(WPARAM wParam, LPARAM lParam) {
    MouseMessage m;
    m.x = static_cast<short>(LOWORD(lParam));
    m.y = static_cast<short>(HIWORD(lParam));
    m.buttons |= (wParam & MK_LBUTTON) ? 1 : 0;
    m.buttons |= (wParam & MK_RBUTTON) ? 2 : 0;
    m.buttons |= (wParam & MK_MBUTTON) ? 4 : 0;
    m.shift |= (wParam & MK_SHIFT) ? 1 : 0;
    m.shift |= (wParam & MK_CONTROL) ? 2 : 0;
    // The message carries no Alt flag.
    m.shift |= ::GetKeyState(VK_MENU) < 0 ? 4 : 0;
    return m;
}

void ArrowCursor() {
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

Window::~Window() {
    DestroyNow();
}

void Window::DestroyNow() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, 0, 0);
        HWND h = hwnd_;
        hwnd_ = nullptr;
        ::DestroyWindow(h);
    }
}

HWND Window::CreateFor(const ClassInfo& cls, DWORD exStyle, const std::wstring& caption,
                       DWORD style, int x, int y, int width, int height, HWND parent) {
    if (!EnsureClass(cls, &Window::StaticWndProc)) {
        return nullptr;
    }
    HWND h = ::CreateWindowExW(exStyle, cls.name.c_str(), caption.c_str(), style, x, y, width,
                               height, parent, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!h) {
        LogCallFailed("CreateWindowExW(" + std::string(cls.name.begin(), cls.name.end()) + ")",
                      ::GetLastError());
    }
    return h;
}

LRESULT Window::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT Window::OnHandlerFailed(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Window::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        self->OnWindowCreated();
    }
    Window* self = Slot(hwnd);
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    AliveGuard guard(*self);
    LRESULT result = 0;
    try {
        result = self->WndProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        LogCaught("window procedure, message " + std::to_string(msg));
        result = guard.alive() ? self->OnHandlerFailed(hwnd, msg, wParam, lParam) : 0;
    }
    if (msg == WM_NCDESTROY && guard.alive() && Slot(hwnd) == self) {
        ::SetWindowLongPtrW(hwnd, 0, 0);
        self->hwnd_ = nullptr;
        Guarded("window destroyed handler", [self] { self->OnWindowDestroyed(); });
    }
    return result;
}

} // namespace velm
