#include "controls/iButton.h"

#include "base/Dib.h"
#include "base/Text.h"
#include "base/Units.h"
#include "base/WindowDpi.h"
#include "controls/DcStateScope.h"
#include "controls/MaskRuns.h"
#include "controls/SkinLayout.h"
#include "controls/UiFont.h"
#include "controls/iButtonGeometry.h"

#include <windowsx.h>

#include <string>

namespace velm {
namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr const wchar_t* kClassName = L"velm.iButton";

// The window region that leaves out the mask colour of a surface.
HRGN RegionFromMask(HDC dc, int width, int height, COLORREF mask) {
    BITMAPINFO bi = TopDownDib32(width, height);
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    // GetDIBits wants the bitmap out of any DC: read a copy.
    UniqueMemoryDc copyDc(::CreateCompatibleDC(dc));
    UniqueBitmap copy(::CreateCompatibleBitmap(dc, width, height));
    if (!copyDc || !copy) {
        return nullptr;
    }
    {
        SelectScope sel(copyDc.get(), copy.get());
        ::BitBlt(copyDc.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    }
    if (!::GetDIBits(copyDc.get(), copy.get(), 0, height, pixels.data(), &bi, DIB_RGB_COLORS)) {
        return nullptr;
    }
    std::vector<MaskRun> runs = MaskRuns::Build(pixels.data(), width, height, mask);
    std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
    rgn->rdh.dwSize = sizeof(RGNDATAHEADER);
    rgn->rdh.iType = RDH_RECTANGLES;
    rgn->rdh.nCount = static_cast<DWORD>(runs.size());
    rgn->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    rgn->rdh.rcBound = {0, 0, width, height};
    auto* rects = reinterpret_cast<RECT*>(rgn->Buffer);
    for (size_t i = 0; i < runs.size(); ++i) {
        rects[i] = {runs[i].left, runs[i].top, runs[i].right, runs[i].top + 1};
    }
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rgn);
}

} // namespace

iButton::iButton() = default;

iButton::~iButton() {
    if (hWnd()) {
        ::KillTimer(hWnd(), kHoverTimer);
    }
    images_.clear();
    backPicture_ = Picture();
}

bool iButton::Create(HWND parent, long left, long top, long width, long height) {
    return CreateControl(kClassName, parent, left, top, width, height);
}

void iButton::OnCreated() {
    canvas_.SetBackColour(::GetSysColor(COLOR_WINDOW));
    canvas_.Attach(hWnd());
    fontHandle_ = CreateUiFont(font_, hWnd());
    BuildStateImages();
    RepaintCurrent();
    timerRunning_ = ::SetTimer(hWnd(), kHoverTimer, kHoverInterval, nullptr) != 0;
}

void iButton::ReadProperties(const PropertyBag& bag) {
    // The pictures are taken as they are; the state images are built later.
    backPicture_ = Picture::FromText(bag.ReadProperty("BackPicture"));
    icon_ = Picture::FromText(bag.ReadProperty("Icon"));
    SetEnabled(bag.ReadBool("Enabled", true));
    SetcBackStyle(static_cast<std::int16_t>(bag.ReadLong("cBackStyle", 1)));
    SetCaption(bag.ReadProperty("Caption", ""));
    SetStyle(bag.ReadLong("Style", 0));
    SetAutoSize(bag.ReadBool("AutoSize", true));
    SetcForeColor(static_cast<std::uint32_t>(
        bag.ReadLong("cForeColor", static_cast<std::int32_t>(kButtonTextColour))));
    // A missing or unreadable font reads as the current one.
    SetcFont(FontInfo::FromText(bag.ReadProperty("cFont")).value_or(font_));
    SetcDrawMode(static_cast<std::int16_t>(bag.ReadLong("cDrawMode", R2_COPYPEN)));
}

void iButton::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("BackPicture", backPicture_.Text(), "");
    bag.WriteProperty("Icon", icon_.Text(), "");
    bag.WriteBool("Enabled", enabled_, true);
    bag.WriteLong("Style", style_, 0);
    bag.WriteLong("cBackStyle", backStyle_, 1);
    bag.WriteProperty("Caption", caption_, "");
    bag.WriteBool("AutoSize", autoSize_, true);
    // Font, pen mode and text colour have no fixed default: they are always written.
    bag.WriteProperty("cFont", font_.ToText(), "");
    bag.WriteProperty("cDrawMode", std::to_string(drawMode_), "");
    bag.WriteProperty("cForeColor", std::to_string(static_cast<std::int32_t>(foreColour_)), "");
    if (hWnd()) {
        bag.SetExtent(PixelsToHimetric(TwipsToPixels(Width())),
                      PixelsToHimetric(TwipsToPixels(Height())));
    }
}

void iButton::Show() {
    if (hWnd()) {
        ::ShowWindow(hWnd(), SW_SHOWNA);
    }
}

void iButton::Changed(const char* key) {
    if (PropertyChanged) {
        PropertyChanged(key);
    }
}

void iButton::SetBackPicture(const Picture& picture) {
    backPicture_ = picture;
    BuildStateImages();
    Changed("BackPicture");
}

void iButton::SetIcon(const Picture& picture) {
    icon_ = picture;
    Changed("Icon");
}

void iButton::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (hWnd()) {
        ::EnableWindow(hWnd(), enabled ? TRUE : FALSE);
    }
    RepaintCurrent();
    Changed("Enabled");
}

void iButton::SetcBackStyle(std::int16_t style) {
    backStyle_ = style;
    RepaintCurrent();
    Changed("cBackStyle");
}

void iButton::SetCaption(const std::string& caption) {
    caption_ = caption;
    RepaintCurrent();
    Changed("Caption");
}

void iButton::SetStyle(std::int32_t style) {
    style_ = style;
    if (style_ != 1) {
        value_ = false;
    }
    BuildStateImages();
    Changed("Style");
}

void iButton::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) {
        BuildStateImages();
    }
    Changed("AutoSize");
}

void iButton::SetcForeColor(std::uint32_t colour) {
    foreColour_ = colour;
    RepaintCurrent();
    Changed("cForeColor");
}

void iButton::SetcFont(const FontInfo& font) {
    font_ = font;
    fontHandle_ = CreateUiFont(font_, hWnd());
    RepaintCurrent();
    Changed("cFont");
}

void iButton::OnDpiChanged() {
    fontHandle_ = CreateUiFont(font_, hWnd());
    OnSize();
}

void iButton::SetcDrawMode(std::int16_t mode) {
    drawMode_ = mode;
    RepaintCurrent();
    Changed("cDrawMode");
}

void iButton::SetValue(bool value) {
    if (style_ != 1) {
        return;
    }
    value_ = value;
    RepaintCurrent();
}

void iButton::SetLocked(bool locked) {
    locked_ = locked;
    RepaintCurrent();
}

bool iButton::PointerOver() const {
    POINT p{};
    if (!hWnd() || !::GetCursorPos(&p)) {
        return false;
    }
    // A window covering the control counts as not over it.
    return ::WindowFromPoint(p) == hWnd();
}

std::int32_t iButton::CurrentLook() const {
    return iButtonGeometry::CurrentLook(enabled_, leftHeld_, PointerOver());
}

void iButton::RepaintCurrent() {
    cMouseAction(CurrentLook(), true);
}

void iButton::cMouseAction(std::int32_t cAction, bool vComplePaint) {
    if (cAction != shownLook_ || vComplePaint) {
        Repaint(cAction);
    }
    shownLook_ = cAction;
}

void iButton::SliceSize(int& w, int& h) const {
    w = iButtonGeometry::SliceWidth(backPicture_.WidthHimetric(), style_);
    h = iButtonGeometry::SliceHeight(backPicture_.HeightHimetric());
}

void iButton::BuildStateImages() {
    images_.clear();
    imagesReady_ = false;
    if (!backPicture_ || !hWnd()) {
        return;
    }
    int w = 0;
    int h = 0;
    SliceSize(w, h);
    HDC dc = canvas_.Dc();
    bool throughPalette =
        (::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) && ::GetDeviceCaps(dc, SIZEPALETTE) == 256;
    int stripWidth = backPicture_.PixelSize().cx;
    int count = iButtonGeometry::ImageCount(style_);
    for (int i = 0; i < count; ++i) {
        if (i >= 3 && (i + 1) * w > stripWidth) {
            // Beyond the strip there is nothing to copy: such a look shows the normal slice of
            // its set.
            images_.push_back(images_[static_cast<size_t>(i - 3)]);
            continue;
        }
        images_.push_back(backPicture_.CopyRect(dc, i * w, 0, w, h, throughPalette));
    }
    if (autoSize_ && w > 0 && h > 0) {
        Move(Left(), Top(), PixelsToTwips(w), PixelsToTwips(h));
    }
    imagesReady_ = true;
    RepaintCurrent();
}

void iButton::ApplyMask() {
    if (!hWnd()) {
        return;
    }
    if (backStyle_ != 0 || !imagesReady_) {
        ::SetWindowRgn(hWnd(), nullptr, TRUE);
        return;
    }
    HRGN region = RegionFromMask(canvas_.Dc(), canvas_.WidthPx(), canvas_.HeightPx(), kMaskColour);
    // The window owns the region from here on.
    ::SetWindowRgn(hWnd(), region, TRUE);
}

void iButton::Repaint(std::int32_t look) {
    HDC dc = canvas_.Dc();
    if (!dc) {
        return;
    }
    canvas_.SetBackColour(::GetSysColor(COLOR_WINDOW));
    canvas_.Clear();
    const long width = canvas_.Width();
    const long height = canvas_.Height();
    DcStateScope state(dc);
    ::SetROP2(dc, drawMode_ > 0 ? drawMode_ : R2_COPYPEN);
    SelectScope font(dc, fontHandle_.get());
    std::wstring text = Widen(caption_);
    SIZE extent{0, 0};
    if (!text.empty()) {
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    }
    const long textWidth = PixelsToTwips(extent.cx);
    const long textHeight = PixelsToTwips(extent.cy);
    // The icon's design size shown at the control's scale, in the canvas's 15 twips a pixel.
    const int dpi = WindowDpi(hWnd());
    const long iconWidth =
        icon_ ? PixelsToTwips(ScaleDesignPixels(
                    static_cast<int>(iButtonGeometry::IconWidthTwips(icon_.WidthHimetric()) /
                                     kTwipsPerPixel),
                    dpi))
              : 0;
    const bool smooth = dpi != kDesignDpi;

    if (imagesReady_) {
        int index = iButtonGeometry::ImageIndex(iButtonGeometry::BackgroundLook(look, locked_),
                                                style_, value_);
        if (index >= 0 && index < static_cast<int>(images_.size())) {
            const Picture& image = images_[static_cast<size_t>(index)];
            image.Draw(dc, 0, 0, canvas_.WidthPx(), canvas_.HeightPx(), smooth);
            if (backStyle_ != 0 && icon_) {
                SIZE s = icon_.PixelSize();
                long x = iButtonGeometry::IconX(width, textWidth, iconWidth);
                icon_.Draw(dc, TwipsToPixels(x), 0, ScaleDesignPixels(s.cx, dpi),
                           ScaleDesignPixels(s.cy, dpi), smooth);
            }
        }
    }
    ApplyMask();

    if (!text.empty()) {
        TwipPoint at = iButtonGeometry::CaptionPosition(width, height, textWidth, textHeight,
                                                        static_cast<bool>(icon_), iconWidth, look);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, TranslateColour(foreColour_));
        ::TextOutW(dc, TwipsToPixels(at.x), TwipsToPixels(at.y), text.c_str(),
                   static_cast<int>(text.size()));
    }
    canvas_.Refresh();
}

void iButton::DrawFocus() {
    HDC dc = canvas_.Dc();
    if (!dc) {
        return;
    }
    auto f = iButtonGeometry::FocusRectangle(canvas_.Width(), canvas_.Height(), kTwipsPerPixel,
                                             kTwipsPerPixel);
    RECT r{f.left, f.top, f.right, f.bottom};
    ::DrawFocusRect(dc, &r);
    canvas_.Refresh();
}

void iButton::OnPress(std::int16_t button, WPARAM, LPARAM lParam) {
    std::int16_t b = button;
    std::int16_t shift = ShiftState();
    float x = static_cast<float>(GET_X_LPARAM(lParam) * kTwipsPerPixel);
    float y = static_cast<float>(GET_Y_LPARAM(lParam) * kTwipsPerPixel);
    buttonsPressedHere_ |= button;
    ::SetCapture(hWnd());
    AliveGuard alive(*this);
    if (MouseDown) {
        MouseDown(b, shift, x, y);
        if (!alive.alive()) {
            return;
        }
    }
    lastButton_ = b;
    if (b == 1) {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        cMouseAction(kLookPressed, false);
        leftHeld_ = true;
    }
    if (hWnd() && ::GetFocus() != hWnd()) {
        ::SetFocus(hWnd());
    }
}

void iButton::OnRelease(std::int16_t button, WPARAM wParam, LPARAM lParam) {
    std::int16_t b = button;
    std::int16_t shift = ShiftState();
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    float x = static_cast<float>(at.x * kTwipsPerPixel);
    float y = static_cast<float>(at.y * kTwipsPerPixel);
    AliveGuard alive(*this);
    if (MouseUp) {
        MouseUp(b, shift, x, y);
    }
    if (!alive.alive() || !hWnd()) {
        return;
    }
    // The platform's click: a press and a release on the control.
    const bool began = (buttonsPressedHere_ & button) != 0;
    buttonsPressedHere_ &= ~button;
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    const bool click = began && ::PtInRect(&client, at) && lastButton_ == 1;
    // A toggle flips with its click only: a press that began elsewhere and ends here must not
    // change what the button shows, since its host reads Value as a state.
    if (click && style_ == 1) {
        value_ = !value_;
    }
    if (b == 1) {
        cMouseAction(PointerOver() ? kLookOver : kLookNormal, true);
        leftHeld_ = false;
    }
    if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && ::GetCapture() == hWnd()) {
        ::ReleaseCapture();
    }
    if (click) {
        RepaintCurrent();
        if (Click) {
            Click();
        }
    }
}

void iButton::OnCaptureLost() {
    // Alt+Tab, a menu or another window took the pointer: the press is over without a click, and
    // the button must not stay drawn pressed until the pointer comes back.
    buttonsPressedHere_ = 0;
    if (leftHeld_) {
        leftHeld_ = false;
        RepaintCurrent();
    }
}

void iButton::OnDoubleClick() {
    ::SetCapture(hWnd());
    if (lastButton_ == 1) {
        cMouseAction(kLookPressed, false);
    }
    if (DBClick) {
        DBClick();
    }
}

void iButton::OnMove(WPARAM wParam, LPARAM lParam) {
    std::int16_t b = CrackMouse(wParam, 0).buttons;
    std::int16_t shift = ShiftState();
    float x = static_cast<float>(GET_X_LPARAM(lParam) * kTwipsPerPixel);
    float y = static_cast<float>(GET_Y_LPARAM(lParam) * kTwipsPerPixel);
    AliveGuard alive(*this);
    if (MouseMove) {
        MouseMove(b, shift, x, y);
    }
    if (!alive.alive() || !hWnd() || !PointerOver()) {
        return;
    }
    ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
    if (!hovering_) {
        cMouseAction(kLookOver, false);
        hovering_ = true;
        timerRunning_ = ::SetTimer(hWnd(), kHoverTimer, kHoverInterval, nullptr) != 0;
        if (MouseOver) {
            MouseOver();
        }
    }
}

void iButton::OnTimer() {
    if (PointerOver()) {
        if (leftHeld_) {
            cMouseAction(kLookPressed, false);
        }
        return;
    }
    if (!leftHeld_) {
        ::KillTimer(hWnd(), kHoverTimer);
        timerRunning_ = false;
        hovering_ = false;
        AliveGuard alive(*this);
        if (MouseOut) {
            MouseOut();
        }
        if (!alive.alive()) {
            return;
        }
    }
    if (hWnd()) {
        cMouseAction(kLookNormal, false);
    }
}

void iButton::OnKeyDown(std::int16_t key) {
    std::int16_t code = key;
    std::int16_t shift = ShiftState();
    AliveGuard alive(*this);
    if (KeyDown) {
        KeyDown(code, shift);
    }
    if (!alive.alive() || !hWnd()) {
        return;
    }
    if (code == VK_RETURN) {
        if (style_ == 1) {
            value_ = !value_;
        }
        RepaintCurrent();
        if (!hovering_) {
            DrawFocus();
        }
        if (Click) {
            Click();
        }
    } else if (code == VK_SPACE) {
        cMouseAction(kLookPressed, true);
        if (!hovering_) {
            DrawFocus();
        }
    }
}

void iButton::OnKeyUp(std::int16_t key) {
    std::int16_t code = key;
    std::int16_t shift = ShiftState();
    AliveGuard alive(*this);
    if (KeyUP) {
        KeyUP(code, shift);
    }
    if (!alive.alive() || !hWnd()) {
        return;
    }
    if (code == VK_SPACE) {
        if (style_ == 1) {
            value_ = !value_;
        }
        RepaintCurrent();
        if (!hovering_) {
            DrawFocus();
        }
        if (Click) {
            Click();
        }
    }
}

void iButton::OnSize() {
    canvas_.Resize();
    if (autoSize_ && backPicture_ && !sizing_) {
        int w = 0;
        int h = 0;
        SliceSize(w, h);
        if (w > 0 && h > 0 && (canvas_.WidthPx() != w || canvas_.HeightPx() != h)) {
            sizing_ = true;
            Move(Left(), Top(), PixelsToTwips(w), PixelsToTwips(h));
            sizing_ = false;
            canvas_.Resize();
        }
    }
    RepaintCurrent();
}

LRESULT iButton::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PaintScope paint(hwnd);
        canvas_.Paint(paint.dc());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam && !shown_) {
            shown_ = true;
            BuildStateImages();
        }
        break;
    case WM_TIMER:
        if (wParam == kHoverTimer) {
            OnTimer();
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            return TRUE; // the control sets its own cursor as the pointer moves
        }
        break;
    case WM_LBUTTONDOWN:
        OnPress(1, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
        OnPress(2, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
        OnPress(4, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnRelease(1, wParam, lParam);
        return 0;
    case WM_RBUTTONUP:
        OnRelease(2, wParam, lParam);
        return 0;
    case WM_MBUTTONUP:
        OnRelease(4, wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        OnDoubleClick();
        return 0;
    case WM_MOUSEMOVE:
        OnMove(wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) {
            OnCaptureLost();
        }
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<std::int16_t>(wParam));
        return 0;
    case WM_KEYUP:
        OnKeyUp(static_cast<std::int16_t>(wParam));
        return 0;
    case WM_CHAR: {
        std::int16_t ascii = static_cast<std::int16_t>(wParam);
        if (KeyPress) {
            KeyPress(ascii);
        }
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        RepaintCurrent();
        if (!leftHeld_) {
            DrawFocus();
        }
        return 0;
    case WM_KILLFOCUS:
        RepaintCurrent();
        return 0;
    default:
        break;
    }
    return ControlWindow::WndProc(hwnd, msg, wParam, lParam);
}

} // namespace velm
