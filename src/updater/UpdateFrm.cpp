#include "updater/UpdateFrm.h"

#include "base/WindowDpi.h"
#include "base/Text.h"
#include "updater/UpdaterTexts.h"

#include <commctrl.h>

namespace velm {
namespace {
constexpr int kWidth = 380;
constexpr int kHeight = 120;
constexpr int kMargin = 16;
} // namespace

UpdateFrm::~UpdateFrm() {
    // The controls use the font until they are gone.
    if (HWND hwnd = hWnd()) {
        ::DestroyWindow(hwnd);
    }
}

FormDesign UpdateFrm::Design() const {
    FormDesign d;
    d.className = L"velm.UpdateFrm";
    d.caption = kUpdaterCaption;
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    d.clientWidth = kWidth;
    d.clientHeight = kHeight;
    d.centred = true;
    d.background = ::GetSysColorBrush(COLOR_BTNFACE);
    return d;
}

void UpdateFrm::OnLoad() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ::CreateWindowExW(0, L"STATIC", L"",
                      WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kMargin,
                      kMargin, kWidth - 2 * kMargin, 22, hWnd(), reinterpret_cast<HMENU>(kStatusId),
                      instance, nullptr);
    HWND progress = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, kMargin,
                                      kMargin + 30, kWidth - 2 * kMargin, 18, hWnd(),
                                      reinterpret_cast<HMENU>(kProgressId), instance, nullptr);
    ::SendMessageW(progress, PBM_SETRANGE32, 0, kProgressRange);
    ::CreateWindowExW(0, L"BUTTON", Widen(kCancelButton).c_str(),
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kWidth - kMargin - 88,
                      kHeight - kMargin - 26, 88, 26, hWnd(), reinterpret_cast<HMENU>(kCancelId),
                      instance, nullptr);
    // Placed in 96-dpi pixels, shown at the window's scale.
    shownDpi_ = WindowDpi(hWnd());
    RescaleChildren(hWnd(), kDesignDpi, shownDpi_);
    ApplyFont();
}

void UpdateFrm::ApplyFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return;
    }
    // The system's metrics are for the system DPI.
    LOGFONTW lf = metrics.lfMessageFont;
    const int system = SystemDpi();
    if (shownDpi_ != system) {
        lf.lfHeight = ::MulDiv(lf.lfHeight, shownDpi_, system);
        lf.lfWidth = ::MulDiv(lf.lfWidth, shownDpi_, system);
    }
    UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font) {
        return;
    }
    for (HWND child = ::GetWindow(hWnd(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // The controls use the new font from here on; the old one can go.
    font_ = std::move(font);
}

void UpdateFrm::SetStatus(std::string_view utf8) {
    ::SetDlgItemTextW(hWnd(), kStatusId, Widen(utf8).c_str());
}

void UpdateFrm::SetProgress(long long done, long long total) {
    long long position = 0;
    if (total > 0 && done > 0) {
        position = done >= total ? kProgressRange : done * kProgressRange / total;
    }
    ::SendDlgItemMessageW(hWnd(), kProgressId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void UpdateFrm::EnableCancel(bool enable) {
    ::EnableWindow(::GetDlgItem(hWnd(), kCancelId), enable);
}

void UpdateFrm::RaiseCancel() {
    if (Cancel && ::IsWindowEnabled(::GetDlgItem(hWnd(), kCancelId))) {
        Cancel();
    }
}

LRESULT UpdateFrm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kCancelId) {
            RaiseCancel();
            return 0;
        }
        break;
    case WM_CLOSE:
        RaiseCancel();
        return 0;
    case WM_DPICHANGED: {
        // Moved to a monitor of another scale: controls and font follow, the window takes the
        // rectangle Windows suggests.
        const int dpi = LOWORD(wParam);
        RescaleChildren(hwnd, shownDpi_, dpi);
        shownDpi_ = dpi;
        ApplyFont();
        if (const auto* r = reinterpret_cast<const RECT*>(lParam)) {
            ::SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    default:
        break;
    }
    return WindowObject::WndProc(hwnd, msg, wParam, lParam);
}

} // namespace velm
