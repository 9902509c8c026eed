#include "startup/LoginBgFrm.h"

#include "base/Text.h"
#include "startup/LoginFrm.h"
#include "startup/Messages.h"
#include "startup/PublicData.h"

#include <string>

namespace velm {
namespace {} // namespace

LoginBgFrm& LoginBgFrm::Get() {
    return FormInstance<LoginBgFrm>::Get();
}

bool LoginBgFrm::Exists() noexcept {
    return FormInstance<LoginBgFrm>::Pointer() != nullptr;
}

FormDesign LoginBgFrm::Design() const {
    FormDesign d;
    d.className = L"velm.LoginBgFrm";
    d.caption = "LoginBgFrm";
    d.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
    d.exStyle = WS_EX_APPWINDOW;
    d.clientWidth = 888;
    d.clientHeight = 518;
    d.centred = true;
    return d;
}

void LoginBgFrm::OnLoad() {
    HWND hwnd = hWnd();
    ::SetWindowLongA(hwnd, GWL_STYLE,
                     ::GetWindowLongA(hwnd, GWL_STYLE) & ~static_cast<LONG>(0x00C40000));
    image_.Show(hwnd, 101);
    HookLoginMove(hwnd);
    // Without its frame the window is the picture's size; centring it again is a move, which
    // the hook passes on, so the page window lies exactly over the picture.
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::SetWindowPos(hwnd, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::SetWindowTextW(hwnd, Widen(std::string(kProductName) + kClientSuffix).c_str());
}

void LoginBgFrm::OnUnload() {
    image_.Release();
    UnhookLoginMove(hWnd());
    if (LoginFrm::Exists()) {
        LoginFrm::Get().Unload();
    }
}

void LoginBgFrm::SetIcon(WPARAM which, UniqueIcon icon) {
    if (!hWnd()) {
        return;
    }
    ::SendMessageA(hWnd(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon.get()));
    // The previous icon goes only once the window shows the new one.
    (which == ICON_SMALL ? smallIcon_ : bigIcon_) = std::move(icon);
}

LRESULT LoginBgFrm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN) {
        ::ReleaseCapture();
        ::SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return 0;
    }
    if (msg == WM_SIZE) {
        // The page window is owned by this one and hides and returns with it; the system does
        // this for owned pop-ups, and asking explicitly makes sure of it.
        if (wParam == SIZE_MINIMIZED) {
            ::ShowOwnedPopups(hwnd, FALSE);
        } else if (wParam == SIZE_RESTORED) {
            ::ShowOwnedPopups(hwnd, TRUE);
        }
    }
    return WindowObject::WndProc(hwnd, msg, wParam, lParam);
}

void LoginBgFrm::OnDestroyed() {
    smallIcon_.reset();
    bigIcon_.reset();
}

} // namespace velm
