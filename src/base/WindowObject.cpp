#include "base/WindowObject.h"

#include "base/Log.h"
#include "base/Text.h"

#include <set>

namespace velm {
namespace {

int g_liveWindows = 0;
bool g_quitOnLastWindow = true;

bool EnsureClass(const FormDesign& design, WNDPROC proc) {
    static std::set<std::wstring> registered;
    if (registered.count(design.className)) {
        return true;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = design.classStyle;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = design.background;
    wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = design.className.c_str();
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    registered.insert(design.className);
    return true;
}

} // namespace

WindowObject::~WindowObject() {
    if (hwnd_) {
        // The window must not call back into a destroyed object.
        ::SetWindowLongPtrW(hwnd_, 0, 0);
        HWND h = hwnd_;
        hwnd_ = nullptr;
        ::DestroyWindow(h);
        --g_liveWindows;
    }
}

bool WindowObject::Load() {
    if (hwnd_ || loading_) {
        return hwnd_ != nullptr;
    }
    FormDesign d = Design();
    if (!EnsureClass(d, &WindowObject::StaticWndProc)) {
        return false;
    }
    RECT r{0, 0, d.clientWidth, d.clientHeight};
    int x = d.left;
    int y = d.top;
    if (!(d.style & WS_CHILD)) {
        ::AdjustWindowRectEx(&r, d.style, FALSE, d.exStyle);
    }
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    if (d.centred) {
        x = (::GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        y = (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    } else if (x == CW_USEDEFAULT) {
        x = y = (d.style & WS_CHILD) ? 0 : CW_USEDEFAULT;
    }
    loading_ = true;
    HWND hwnd = ::CreateWindowExW(d.exStyle, d.className.c_str(), Widen(d.caption).c_str(),
                                  d.style & ~WS_VISIBLE, x, y, w, h, d.parent, nullptr,
                                  ::GetModuleHandleW(nullptr), this);
    if (!hwnd) {
        loading_ = false;
        return false;
    }
    try {
        OnLoad();
    } catch (...) {
        LogError("WindowObject.Load: load handler failed");
    }
    loading_ = false;
    return hwnd_ != nullptr;
}

bool WindowObject::Unload() {
    if (!hwnd_ || unloading_) {
        return !hwnd_;
    }
    bool cancel = false;
    OnQueryUnload(cancel);
    if (cancel || !hwnd_) {
        return !hwnd_;
    }
    unloading_ = true;
    OnUnload();
    unloading_ = false;
    if (hwnd_) {
        ::DestroyWindow(hwnd_);
    }
    return true;
}

void WindowObject::Show(int showCommand) {
    if (!Load()) {
        return;
    }
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
}

void WindowObject::Hide() {
    if (hwnd_) {
        ::ShowWindow(hwnd_, SW_HIDE);
    }
}

void WindowObject::CentreOnScreen(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    ::SetWindowPos(hwnd, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowObject::SetQuitOnLastWindow(bool quit) noexcept {
    g_quitOnLastWindow = quit;
}
bool WindowObject::QuitOnLastWindow() noexcept {
    return g_quitOnLastWindow;
}
int WindowObject::LiveWindows() noexcept {
    return g_liveWindows;
}

LRESULT WindowObject::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        Unload();
        return 0;
    }
    return DefaultProc(hwnd, msg, wParam, lParam);
}

LRESULT WindowObject::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK WindowObject::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<WindowObject*>(cs->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        ++g_liveWindows;
    }
    auto* self = reinterpret_cast<WindowObject*>(::GetWindowLongPtrW(hwnd, 0));
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        result = self->WndProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        LogError("WindowObject.WndProc: handler failed");
        result = ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, 0, 0);
        self->hwnd_ = nullptr;
        try {
            self->OnDestroyed();
        } catch (...) {
            LogError("WindowObject.WndProc: destroy handler failed");
        }
        if (--g_liveWindows == 0 && g_quitOnLastWindow) {
            ::PostQuitMessage(0);
        }
    }
    return result;
}

void ArrowCursor() {
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void ProcessPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TerminateNow(unsigned exitCode) {
    ::ExitProcess(exitCode);
}

} // namespace velm
