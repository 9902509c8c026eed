#include "frame/cSetStyle.h"

#include "base/WindowDpi.h"
#include "base/Units.h"
#include "frame/ModGetTaskbarHei.h"

#include <cmath>

namespace velm {
namespace {

LPCWSTR CursorFor(int pointer) {
    switch (pointer) {
    case kPointerSizeNESW:
        return reinterpret_cast<LPCWSTR>(IDC_SIZENESW);
    case kPointerSizeNS:
        return reinterpret_cast<LPCWSTR>(IDC_SIZENS);
    case kPointerSizeNWSE:
        return reinterpret_cast<LPCWSTR>(IDC_SIZENWSE);
    case kPointerSizeWE:
        return reinterpret_cast<LPCWSTR>(IDC_SIZEWE);
    default:
        return reinterpret_cast<LPCWSTR>(IDC_ARROW);
    }
}

int ToPixels(long twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

long ScreenWidth() {
    return static_cast<long>(::GetSystemMetrics(SM_CXSCREEN)) * kTwipsPerPixel;
}

long ScreenHeight() {
    return static_cast<long>(::GetSystemMetrics(SM_CYSCREEN)) * kTwipsPerPixel;
}

} // namespace

cSetStyle::cSetStyle() : objSubclass_(std::make_unique<cFormSubclass>()) {
    objSubclass_->MsgCome = [this](bool bBefore, bool& bHandled, LRESULT& lReturn, HWND& hWnd,
                                   UINT& uMsg, WPARAM& wParam, LPARAM& lParam) {
        MsgCome(bBefore, bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    };
}

cSetStyle::~cSetStyle() {
    if (resizing_) {
        CancelResize();
    }
    objSubclass_->DeleteWindowMsg(hwnd_);
    // Puts the window's previous procedure back.
    objSubclass_.reset();
}

void cSetStyle::SetWindowStyle(HWND hWnd) {
    hwnd_ = hWnd;
    // The frame and caption bits are replaced; whether the window is shown and whether it
    // paints around its child windows stay as they are, so a shown window does not turn hidden
    // in name and the form's painting does not wipe its title bar and buttons.
    const DWORD keep = WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    const auto old = static_cast<DWORD>(::GetWindowLongPtrW(hWnd, GWL_STYLE));
    ::SetWindowLongPtrW(hWnd, GWL_STYLE, static_cast<LONG_PTR>(kStyle | (old & keep)));
    // The frame is gone: let the window recompute its client area.
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    objSubclass_->AddWindowMsgs(hWnd);
}

bool cSetStyle::CallWindowStateChange() {
    if (maximised_) {
        FormMove(savedLeft_, savedTop_, savedWidth_, savedHeight_);
        maximised_ = false;
    } else {
        savedLeft_ = FormLeft();
        savedTop_ = FormTop();
        savedWidth_ = FormWidth();
        savedHeight_ = FormHeight();
        FormMove(0, 0, ScreenWidth(), ScreenHeight() - GetTaskbarHeight());
        maximised_ = true;
    }
    return maximised_;
}

FrameRect cSetStyle::RestoreRect() const {
    const long left = savedLeft_ / kTwipsPerPixel;
    const long top = savedTop_ / kTwipsPerPixel;
    return FrameRect{static_cast<int>(left), static_cast<int>(top),
                     static_cast<int>(left + savedWidth_ / kTwipsPerPixel),
                     static_cast<int>(top + savedHeight_ / kTwipsPerPixel)};
}

void cSetStyle::MsgCome(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND&, UINT& uMsg,
                        WPARAM& wParam, LPARAM& lParam) {
    if (!bBefore) {
        return;
    }
    switch (uMsg) {
    case WM_SETTINGCHANGE:
        if (SettingChange) {
            SettingChange();
        }
        if (form_ && !::IsIconic(form_) && maximised_) {
            FormMove(0, 0, ScreenWidth(), ScreenHeight() - GetTaskbarHeight());
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            bool answered = static_cast<bool>(CloseClick);
            if (CloseClick) {
                // The handler may close the window and destroy this object.
                CloseClick();
            }
            if (answered) {
                // One close command, one close request: the window's own close handling would
                // ask the owner a second time.
                bHandled = true;
                lReturn = 0;
            }
        }
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam);
        break;
    case WM_LBUTTONDOWN:
        OnButtonDown();
        break;
    case WM_LBUTTONUP:
        OnButtonUp();
        break;
    case WM_CAPTURECHANGED:
        // Capture taken away in the middle of a drag (another window, a system dialog): the
        // drag ends without a resize.
        if (resizing_ && reinterpret_cast<HWND>(lParam) != form_) {
            CancelResize();
        }
        break;
    default:
        break;
    }
}

int cSetStyle::FormDpi() const {
    return WindowDpi(form_ ? form_ : hwnd_);
}

FrameRect cSetStyle::WindowRect() const {
    RECT r{};
    ::GetWindowRect(form_ ? form_ : hwnd_, &r);
    return {r.left, r.top, r.right, r.bottom};
}

void cSetStyle::OnMouseMove(WPARAM wParam) {
    POINT p{};
    ::GetCursorPos(&p);
    if (!resizing_ && !maximised_) {
        int code = FrameGeometry::HitTestBorder(WindowRect(), p.x, p.y, FormDpi());
        code_ = code;
        std::int32_t arg = code;
        if (MouseSize) {
            MouseSize(arg);
        }
        SetMousePointer(FrameGeometry::PointerFor(code));
    }
    const WPARAM anyHeld = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL;
    if (resizing_ && (wParam & anyHeld)) {
        FrameGeometry::UpdateOutline(outline_, code_, p.x, p.y, FormDpi());
        DrawOutline(lastOutline_);
        DrawOutline(outline_);
        lastOutline_ = outline_;
    }
}

void cSetStyle::OnButtonDown() {
    POINT p{};
    ::GetCursorPos(&p);
    FrameRect r = WindowRect();
    int code = FrameGeometry::HitTestBorder(r, p.x, p.y, FormDpi());
    if (code == kBorderNone || resizing_ || maximised_) {
        return;
    }
    code_ = code;
    resizing_ = true;
    startRect_ = r;
    lastCursor_ = p;
    screenDc_ = std::make_unique<WindowDc>(nullptr);
    outline_ = r;
    lastOutline_ = r;
    DrawOutline(outline_);
    // Moves keep coming while the button is held, also outside the window.
    ::SetCapture(form_ ? form_ : hwnd_);
}

void cSetStyle::OnButtonUp() {
    if (!resizing_) {
        return;
    }
    resizing_ = false;
    DrawOutline(lastOutline_);
    ::MoveWindow(form_ ? form_ : hwnd_, outline_.left, outline_.top, outline_.right - outline_.left,
                 outline_.bottom - outline_.top, TRUE);
    screenDc_.reset();
    if (::GetCapture() == (form_ ? form_ : hwnd_)) {
        ::ReleaseCapture();
    }
}

void cSetStyle::CancelResize() {
    resizing_ = false;
    DrawOutline(lastOutline_);
    screenDc_.reset();
}

void cSetStyle::DrawOutline(const FrameRect& r) const {
    if (!screenDc_ || !*screenDc_) {
        return;
    }
    RECT rect{r.left, r.top, r.right, r.bottom};
    ::DrawFocusRect(screenDc_->get(), &rect);
}

void cSetStyle::SetMousePointer(int pointer) {
    HWND form = form_ ? form_ : hwnd_;
    HCURSOR cursor = ::LoadCursorW(nullptr, CursorFor(pointer));
    if (pointer != pointer_ && form) {
        // The form shows its pointer wherever its own surface is under the mouse.
        ::SetClassLongPtrW(form, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    }
    pointer_ = pointer;
    ::SetCursor(cursor);
}

long cSetStyle::FormLeft() const {
    return static_cast<long>(WindowRect().left) * kTwipsPerPixel;
}
long cSetStyle::FormTop() const {
    return static_cast<long>(WindowRect().top) * kTwipsPerPixel;
}
long cSetStyle::FormWidth() const {
    FrameRect r = WindowRect();
    return static_cast<long>(r.right - r.left) * kTwipsPerPixel;
}
long cSetStyle::FormHeight() const {
    FrameRect r = WindowRect();
    return static_cast<long>(r.bottom - r.top) * kTwipsPerPixel;
}

void cSetStyle::FormMove(long left, long top, long width, long height) const {
    HWND form = form_ ? form_ : hwnd_;
    if (form) {
        ::MoveWindow(form, ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height), TRUE);
    }
}

} // namespace velm
