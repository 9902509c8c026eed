#include "controls/BForm.h"

#include "base/Text.h"
#include "base/WindowObject.h"
#include "base/Units.h"
#include "controls/DcStateScope.h"
#include "controls/SkinLayout.h"
#include "controls/UiFont.h"

#include <windowsx.h>

#include <charconv>

namespace velm {
namespace {

constexpr const wchar_t* kClassName = L"velm.BForm";

// Copies the skin pieces onto a surface.
void DrawPieces(HDC dst, const Picture& skin, const std::vector<SkinPiece>& pieces) {
    HBITMAP bmp = skin.Bitmap();
    if (!dst || !bmp) {
        return;
    }
    SIZE size = skin.PixelSize();
    UniqueMemoryDc src(::CreateCompatibleDC(dst));
    if (!src) {
        return;
    }
    SelectScope sel(src.get(), bmp);
    for (const SkinPiece& piece : pieces) {
        PixelBlit b = SkinLayout::ToPixels(piece, size.cx, size.cy);
        if (!b.empty()) {
            ::BitBlt(dst, b.dstX, b.dstY, b.src.width, b.src.height, src.get(), b.src.x, b.src.y,
                     SRCCOPY);
        }
    }
}

} // namespace

BForm::BForm() = default;

BForm::~BForm() = default;

bool BForm::Create(HWND parent, long left, long top, long width, long height) {
    return CreateControl(kClassName, parent, left, top, width, height);
}

void BForm::OnCreated() {
    skin_ = Picture::FromBitmapResource(kSkinResource);
    FontInfo info;
    info.name = "宋体";
    info.size = 9;
    info.bold = true;
    font_ = CreateUiFont(info);
    canvas_.SetBackColour(TranslateColour(backColour_));
    canvas_.Attach(hWnd());
    OnSize();
}

void BForm::Show() {
    if (hWnd()) {
        ::ShowWindow(hWnd(), SW_SHOWNA);
    }
}

void BForm::ReadProperties(const PropertyBag& bag) {
    SetBackColor(bag.ReadProperty("BackColor", kDefaultBackColor));
    caption_ = bag.ReadProperty("Caption", kDefaultCaption);
    PrintTitle(caption_);
    frmHwnd_ = reinterpret_cast<HWND>(
        static_cast<std::uintptr_t>(static_cast<std::uint32_t>(bag.ReadLong("frmHwnd", 0))));
    hasLogo_ = bag.ReadBool("HasLogo", false);
    // The host's first layout repaints too, but a layout that keeps the size sends no resize.
    PrintTitle(caption_);
}

void BForm::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("BackColor", BackColor(), kDefaultBackColor);
    bag.WriteProperty("Caption", caption_, kDefaultCaption);
    bag.WriteLong("frmHwnd", static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(frmHwnd_)),
                  0);
    // Always written.
    bag.WriteProperty("HasLogo", hasLogo_ ? "True" : "False", "");
    if (hWnd()) {
        bag.SetExtent(PixelsToHimetric(TwipsToPixels(Width())),
                      PixelsToHimetric(TwipsToPixels(Height())));
    }
}

void BForm::Changed(const char* key) {
    if (PropertyChanged) {
        PropertyChanged(key);
    }
}

std::string BForm::BackColor() const {
    return std::to_string(static_cast<std::int32_t>(backColour_));
}

bool BForm::SetBackColor(std::string_view text) {
    std::int32_t value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end) {
        return false;
    }
    backColour_ = static_cast<std::uint32_t>(value);
    canvas_.SetBackColour(TranslateColour(backColour_));
    PrintTitle(caption_);
    Changed("BackColor");
    return true;
}

void BForm::SetCaption(const std::string& caption) {
    caption_ = caption;
    PrintTitle(caption_);
    Changed("Caption");
}

void BForm::SetHasLogo(bool hasLogo) {
    hasLogo_ = hasLogo;
    PrintTitle(caption_);
    Changed("HasLogo");
}

void BForm::SetfrmHwnd(HWND window) {
    frmHwnd_ = window;
    Changed("frmHwnd");
}

long BForm::SkinWidth() const {
    return PixelsToTwips(skin_.PixelSize().cx);
}

long BForm::SkinHeight() const {
    return PixelsToTwips(skin_.PixelSize().cy);
}

void BForm::PrintCaption(HDC dc, const std::string& caption, long x, long y) const {
    if (caption.empty()) {
        return;
    }
    DcStateScope state(dc);
    SelectScope font(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    std::wstring text = Widen(caption);
    ::TextOutW(dc, TwipsToPixels(x), TwipsToPixels(y), text.c_str(), static_cast<int>(text.size()));
}

void BForm::PrintTitle(const std::string& caption) {
    HDC dc = canvas_.Dc();
    if (!dc) {
        return;
    }
    canvas_.Clear();
    DrawPieces(dc, skin_, SkinLayout::TitlePieces(canvas_.Width(), SkinWidth()));
    PrintCaption(dc, caption, SkinLayout::CaptionX(hasLogo_), SkinLayout::kCaptionY);
    canvas_.Refresh();
}

void BForm::Nomin() {
    HDC dc = canvas_.Dc();
    if (!dc) {
        return;
    }
    DrawPieces(dc, skin_, {SkinLayout::NominPiece(canvas_.Width(), SkinWidth())});
    PrintCaption(dc, caption_, 120, 100);
    canvas_.Refresh();
}

void BForm::Printform(FormCanvas& frm) const {
    HDC dc = frm.Dc();
    if (!dc) {
        return;
    }
    frm.Clear();
    DrawPieces(dc, skin_,
               SkinLayout::FramePieces(frm.Width(), frm.Height(), SkinWidth(), SkinHeight()));
    frm.Refresh();
}

void BForm::OnSize() {
    canvas_.Resize();
    if (!sizing_ && canvas_.HeightPx() != TwipsToPixels(SkinLayout::kTitleHeight)) {
        sizing_ = true;
        Move(Left(), Top(), Width(), SkinLayout::kTitleHeight);
        sizing_ = false;
        canvas_.Resize();
    }
    PrintTitle(caption_);
}

void BForm::OnPress(std::int16_t button, LPARAM lParam) {
    std::int16_t b = button;
    std::int16_t shift = ShiftState();
    float x = static_cast<float>(GET_X_LPARAM(lParam) * kTwipsPerPixel);
    float y = static_cast<float>(GET_Y_LPARAM(lParam) * kTwipsPerPixel);
    ArrowCursor();
    if (button == 1) {
        ::ReleaseCapture();
        if (frmHwnd_) {
            // The system's move loop runs inside this call until the button is released; the
            // host may close, and this bar go with it, meanwhile.
            AliveGuard alive(*this);
            ::SendMessageA(frmHwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            if (!alive.alive()) {
                return;
            }
        }
        ArrowCursor();
    }
    if (MouseDown) {
        MouseDown(b, shift, x, y);
    }
}

LRESULT BForm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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
    case WM_LBUTTONDOWN:
        OnPress(1, lParam);
        return 0;
    case WM_RBUTTONDOWN:
        OnPress(2, lParam);
        return 0;
    case WM_MBUTTONDOWN:
        OnPress(4, lParam);
        return 0;
    case WM_MOUSEMOVE: {
        ArrowCursor();
        std::int16_t b = CrackMouse(wParam, lParam).buttons;
        std::int16_t shift = ShiftState();
        float x = static_cast<float>(GET_X_LPARAM(lParam) * kTwipsPerPixel);
        float y = static_cast<float>(GET_Y_LPARAM(lParam) * kTwipsPerPixel);
        if (MouseMove) {
            MouseMove(b, shift, x, y);
        }
        return 0;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (DblClick) {
            DblClick();
        }
        return 0;
    default:
        break;
    }
    return ControlWindow::WndProc(hwnd, msg, wParam, lParam);
}

} // namespace velm
