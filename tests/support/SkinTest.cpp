#include "support/SkinTest.h"

#include "support/WinTest.h"

namespace velm::test {

TestForm::TestForm(int x, int y, int width, int height, COLORREF back, DWORD style)
    : canvas_(back) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &TestForm::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = L"velm.TestForm";
        ::RegisterClassExW(&wc);
        registered = true;
    }
    hwnd_ = ::CreateWindowExW(0, L"velm.TestForm", L"velm test", style | WS_CLIPCHILDREN, x, y,
                              width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    canvas_.Attach(hwnd_);
}

TestForm::~TestForm() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK TestForm::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestForm*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    self->seen.push_back(msg);
    LRESULT result = 0;
    if (self->onMessage && self->onMessage(msg, wParam, lParam, result)) {
        return result;
    }
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        self->canvas_.Paint(dc);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        self->canvas_.Resize();
        if (self->onSize) {
            self->onSize();
        }
        return 0;
    case WM_NCDESTROY:
        self->hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void MouseTo(int x, int y, DWORD settleMs) {
    // The display's own pointer events can arrive late and put the cursor back where it was:
    // move again until it stays.
    for (int attempt = 0; attempt < 5; ++attempt) {
        ::SetCursorPos(x, y);
        // A move through the input queue, so the window under the cursor hears of it.
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = (x * 65535 + ::GetSystemMetrics(SM_CXSCREEN) / 2) /
                   (::GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = (y * 65535 + ::GetSystemMetrics(SM_CYSCREEN) / 2) /
                   (::GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        ::SendInput(1, &in, sizeof(in));
        Pump(settleMs);
        POINT p{};
        ::GetCursorPos(&p);
        if (p.x == x && p.y == y) {
            return;
        }
    }
}

void MouseTo(HWND window, int clientX, int clientY, DWORD settleMs) {
    POINT p{clientX, clientY};
    ::ClientToScreen(window, &p);
    MouseTo(p.x, p.y, settleMs);
}

void MouseButton(int button, bool down, DWORD settleMs) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    if (button == 1) {
        in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    } else if (button == 2) {
        in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    } else {
        in.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
    }
    ::SendInput(1, &in, sizeof(in));
    Pump(settleMs);
}

void ClickAt(int x, int y) {
    MouseTo(x, y, 80);
    MouseTo(x + 1, y, 80);
    MouseTo(x, y, 80);
    MouseButton(1, true, 80);
    MouseButton(1, false, 150);
}

void Key(WORD vk, bool down, DWORD settleMs) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &in, sizeof(in));
    Pump(settleMs);
}

void Activate(HWND window) {
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::SetActiveWindow(window);
    Pump(50);
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(screen, x, y);
    ::ReleaseDC(nullptr, screen);
    return c;
}

} // namespace velm::test
