#include "base/WindowObject.h"

#include "base/WindowDpi.h"
#include "base/Log.h"
#include "base/Text.h"

#include <algorithm>
#include <vector>

namespace velm {
namespace {

int g_liveWindows = 0;
bool g_quitOnLastWindow = true;

} // namespace

WindowObject::~WindowObject() {
    if (hWnd()) {
        // Its window goes with the base, without calling back into this object.
        --g_liveWindows;
    }
}

bool WindowObject::Load() {
    if (hWnd() || loading_) {
        return hWnd() != nullptr;
    }
    FormDesign d = Design();
    // The design is in pixels at 96 dpi; the window opens at its owner's (or the system's).
    const int dpi = WindowDpi(d.parent);
    RECT r{0, 0, ScaleDesignPixels(d.clientWidth, dpi), ScaleDesignPixels(d.clientHeight, dpi)};
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
    const ClassInfo cls{d.className, d.classStyle, d.background, !(d.style & WS_CHILD)};
    HWND hwnd =
        CreateFor(cls, d.exStyle, Widen(d.caption), d.style & ~WS_VISIBLE, x, y, w, h, d.parent);
    if (!hwnd) {
        loading_ = false;
        return false;
    }
    Guarded("WindowObject.Load: load handler", [this] { OnLoad(); });
    loading_ = false;
    return hWnd() != nullptr;
}

bool WindowObject::Unload() {
    if (!hWnd() || unloading_) {
        return !hWnd();
    }
    bool cancel = false;
    OnQueryUnload(cancel);
    if (cancel || !hWnd()) {
        return !hWnd();
    }
    unloading_ = true;
    OnUnload();
    unloading_ = false;
    if (hWnd()) {
        ::DestroyWindow(hWnd());
    }
    return true;
}

void WindowObject::Show(int showCommand) {
    if (!Load()) {
        return;
    }
    ::ShowWindow(hWnd(), showCommand);
    ::UpdateWindow(hWnd());
}

void WindowObject::Hide() {
    if (hWnd()) {
        ::ShowWindow(hWnd(), SW_HIDE);
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

void WindowObject::OnWindowCreated() {
    ++g_liveWindows;
}

void WindowObject::OnWindowDestroyed() {
    Guarded("WindowObject: destroy handler", [this] { OnDestroyed(); });
    if (--g_liveWindows == 0 && g_quitOnLastWindow) {
        ::PostQuitMessage(0);
    }
}

namespace {
struct FilterEntry {
    MessageFilter filter;
    FilterOrder order;
};
std::vector<FilterEntry> g_filters;

// Keys, and the wheel (Ctrl+wheel zooms the page: the window takes it before the page does).
bool IsKeyMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_MOUSEWHEEL;
}
} // namespace

void AddMessageFilter(MessageFilter filter, FilterOrder order) {
    RemoveMessageFilter(filter);
    auto at = std::find_if(g_filters.begin(), g_filters.end(),
                           [order](const FilterEntry& e) { return e.order > order; });
    g_filters.insert(at, FilterEntry{filter, order});
}

void RemoveMessageFilter(MessageFilter filter) {
    std::erase_if(g_filters, [filter](const FilterEntry& e) { return e.filter == filter; });
}

bool FilterKey(MSG& msg) {
    if (!IsKeyMessage(msg.message) || g_filters.empty()) {
        return false;
    }
    // A filter may add or remove filters (a page it hands the key to may close its window).
    const std::vector<FilterEntry> filters = g_filters;
    for (const FilterEntry& e : filters) {
        bool consumed = false;
        try {
            consumed = e.filter(msg);
        } catch (...) {
            LogCaught("DispatchQueued: message filter, message " + std::to_string(msg.message));
        }
        if (consumed) {
            return true;
        }
    }
    return false;
}

void DispatchQueued(MSG& msg) {
    if (FilterKey(msg)) {
        return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchQueued(msg);
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
        DispatchQueued(msg);
    }
}

void TerminateNow(unsigned exitCode) {
    ::ExitProcess(exitCode);
}

} // namespace velm
