#include "base/WindowDpi.h"

#include <vector>

namespace velm {

int SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    if (!screen) {
        return kDesignDpi;
    }
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
    // Looked up at run time: Windows 7 and 8.1 have no per-window DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = [] {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<GetDpiForWindowFn>(
                            reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")))
                      : nullptr;
    }();
    if (window && getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

void RescaleChildren(HWND parent, int fromDpi, int toDpi) {
    if (!parent || fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) {
        return;
    }
    std::vector<HWND> children;
    for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        children.push_back(c);
    }
    for (HWND c : children) {
        RECT r{};
        ::GetWindowRect(c, &r);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        auto at = [&](long v) { return ::MulDiv(v, toDpi, fromDpi); };
        ::SetWindowPos(c, nullptr, at(r.left), at(r.top), at(r.right) - at(r.left),
                       at(r.bottom) - at(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (HWND c : children) {
        if (::IsWindow(c)) {
            ::SendMessageW(c, kDpiChangedAfterParent, 0, 0);
        }
    }
}

} // namespace velm
