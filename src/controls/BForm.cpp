#include "controls/BForm.h"

#include "base/SkinBitmap.h"
#include "base/WindowDpi.h"
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

// Copies the skin pieces onto a surface of `surface` pixels shown at `dpi`: at the design's scale
// as they are, at another each piece stretched to where its edges fall at that scale. What lies
// beyond the surface's design size is cut off first, as the surface's edge cuts it at the
// design's scale, so no row of the skin that would not show blends into one that does.
void DrawPieces(HDC dst, const Picture& skin, const std::vector<SkinPiece>& pieces, int dpi,
                SIZE surface) {
    HBITMAP bmp = skin.Bitmap();
    if (!dst || !bmp) {
        return;
    }
    SIZE size = skin.PixelSize();
    if (dpi != kDesignDpi) {
        SkinPixels pixels = ReadSkinPixels(bmp);
        // The whole design pixels the surface holds; a piece reaching past them is cut there
        // and stretched to the surface's edge.
        const int designWidth = surface.cx * kDesignDpi / dpi;
        const int designHeight = surface.cy * kDesignDpi / dpi;
        auto edge = [dpi](int design, int limit, int surfaceEnd) {
            return design >= limit ? surfaceEnd : ScaleDesignPixels(design, dpi);
        };
        for (const SkinPiece& piece : pieces) {
            PixelBlit b = SkinLayout::ToPixels(piece, size.cx, size.cy);
            b.src.width = std::min(b.src.width, designWidth - b.dstX);
            b.src.height = std::min(b.src.height, designHeight - b.dstY);
            if (!b.empty()) {
                const int x = ScaleDesignPixels(b.dstX, dpi);
                const int y = ScaleDesignPixels(b.dstY, dpi);
                DrawSkin(dst, x, y, edge(b.dstX + b.src.width, designWidth, surface.cx) - x,
                         edge(b.dstY + b.src.height, designHeight, surface.cy) - y, pixels.View(),
                         b.src.x, b.src.y, b.src.width, b.src.height);
            }
        }
        return;
    }
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

// A surface's size in twips of the design, at the scale it is shown at.
long DesignTwips(int pixels, int dpi) {
    return PixelsToTwipsAt(pixels, dpi);
}

} // namespace

BForm::BForm() = default;

BForm::~BForm() = default;

bool BForm::Create(HWND parent, long left, long top, long width, long height) {
    return CreateControl(kClassName, parent, left, top, width, height);
}

namespace {

UniqueFont CaptionFont(HWND window) {
    FontInfo info;
    info.name = "宋体";
    info.size = 9;
    info.bold = true;
    return CreateUiFont(info, window);
}

} // namespace

void BForm::OnCreated() {
    skin_ = Picture::FromBitmapResource(kSkinResource);
    font_ = CaptionFont(hWnd());
    canvas_.SetBackColour(TranslateColour(backColour_));
    canvas_.Attach(hWnd());
    OnSize();
}

void BForm::OnDpiChanged() {
    font_ = CaptionFont(hWnd());
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
    const int dpi = WindowDpi(hWnd());
    ::TextOutW(dc, TwipsToPixelsAt(x, dpi), TwipsToPixelsAt(y, dpi), text.c_str(),
               static_cast<int>(text.size()));
}

void BForm::PrintTitle(const std::string& caption) {
    HDC dc = canvas_.Dc();
    if (!dc) {
        return;
    }
    canvas_.Clear();
    const int dpi = WindowDpi(hWnd());
    DrawPieces(dc, skin_, SkinLayout::TitlePieces(DesignTwips(canvas_.WidthPx(), dpi), SkinWidth()),
               dpi, {canvas_.WidthPx(), canvas_.HeightPx()});
    PrintCaption(dc, caption, SkinLayout::CaptionX(hasLogo_), SkinLayout::kCaptionY);
    canvas_.Refresh();
}

void BForm::Nomin() {
    HDC dc = canvas_.Dc();
    if (!dc) {
        return;
    }
    const int dpi = WindowDpi(hWnd());
    DrawPieces(dc, skin_,
               {SkinLayout::NominPiece(DesignTwips(canvas_.WidthPx(), dpi), SkinWidth())}, dpi,
               {canvas_.WidthPx(), canvas_.HeightPx()});
    PrintCaption(dc, caption_, 120, 100);
    canvas_.Refresh();
}

void BForm::Printform(FormCanvas& frm) const {
    HDC dc = frm.Dc();
    if (!dc) {
        return;
    }
    frm.Clear();
    const int dpi = WindowDpi(frm.Window());
    DrawPieces(dc, skin_,
               SkinLayout::FramePieces(DesignTwips(frm.WidthPx(), dpi),
                                       DesignTwips(frm.HeightPx(), dpi), SkinWidth(), SkinHeight()),
               dpi, {frm.WidthPx(), frm.HeightPx()});
    frm.Refresh();
}

void BForm::OnSize() {
    canvas_.Resize();
    if (!sizing_ &&
        canvas_.HeightPx() != TwipsToPixelsAt(SkinLayout::kTitleHeight, WindowDpi(hWnd()))) {
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
