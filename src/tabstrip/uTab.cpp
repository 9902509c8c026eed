#include "tabstrip/uTab.h"

#include "base/Dib.h"
#include "base/Log.h"
#include "base/WindowDpi.h"
#include "base/Text.h"
#include "base/Units.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/mdlTabAPI.h"

#include <windowsx.h>

namespace velm {
namespace {

constexpr const wchar_t* kClassName = L"VelmTabStrip";
constexpr COLORREF kSelectedText = RGB(4, 96, 163);

} // namespace

mdlTabAPI::Surface uTab::LoadSkin(int id, SkinPixels& pixels) {
    UniqueBitmap bitmap(
        ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(id))));
    if (!bitmap) {
        return nullptr;
    }
    int w = 0;
    int h = 0;
    pixels.pixels = mdlTabAPI::ReadBitmapPixels(bitmap.get(), w, h);
    pixels.view = {pixels.pixels.data(), w, h, w};
    return mdlTabAPI::CreateImageDC(std::move(bitmap));
}

namespace {

// The system's GUI font (made for the system DPI) at `dpi`.
UniqueFont CaptionFont(LONG weight, int dpi) {
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfWeight = weight;
    const int system = SystemDpi();
    if (dpi != system) {
        lf.lfHeight = ::MulDiv(lf.lfHeight, dpi, system);
        lf.lfWidth = ::MulDiv(lf.lfWidth, dpi, system);
    }
    return UniqueFont(::CreateFontIndirectA(&lf));
}

std::int32_t Whole(float v) {
    return static_cast<std::int32_t>(CTabIndex::RoundHalfEven(v));
}

} // namespace

uTab::uTab()
    : skin0_(LoadSkin(106, skinPixels0_)), skin1_(LoadSkin(107, skinPixels1_)),
      items_(std::make_unique<CTabItems>()), c_Subclass(std::make_unique<CSubclass>()),
      font_(CaptionFont(100, SystemDpi())), boldFont_(CaptionFont(700, SystemDpi())),
      fontDpi_(SystemDpi()) {
    items_->SetStrip(this);
    c_Subclass->SetWindowProc(
        [this](bool bBefore, bool& bHandled, LRESULT& lReturn, HWND hWnd, UINT uMsg, WPARAM, LPARAM,
               LONG&) { OnInterceptedMessage(bBefore, bHandled, lReturn, hWnd, uMsg); });
}

uTab::~uTab() {
    EndLife();
    // Interception ends first, so nothing reaches the strip while it is taken apart.
    c_Subclass.reset();
    items_.reset();
    skin0_.reset();
    skin1_.reset();
    font_.reset();
    boldFont_.reset();
    FreeBuffers();
    DestroyNow();
}

bool uTab::Create(HWND parent, int x, int y, int width, const PropertyBag& design) {
    if (hWnd()) {
        return false;
    }
    tabStyle_ = design.ReadLong("TabStyle", tabStyle_);
    tabLeftSize_ = design.ReadLong("TabLeftSize", tabLeftSize_);
    tabRightSize_ = design.ReadLong("TabRightSize", tabRightSize_);
    if (!CreateFor(ClassInfo{kClassName}, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                   width, Height(), parent)) {
        return false;
    }
    FitScale();
    // Every message of the strip's own window passes the interceptor first: it takes over
    // erasing, painting and the pointer-leave message.
    c_Subclass->ssc_Subclass(hWnd());
    c_Subclass->ssc_AddMsg(hWnd(), ALL_MESSAGES, MSG_BEFORE);
    return true;
}

void uTab::WriteProperties(PropertyBag& design) const {
    design.WriteLong("TabStyle", tabStyle_, 0);
    design.WriteLong("TabLeftSize", tabLeftSize_, 40);
    design.WriteLong("TabRightSize", tabRightSize_, 0);
    RECT r{};
    if (Window::hWnd()) {
        ::GetWindowRect(Window::hWnd(), &r);
    }
    design.SetExtent(PixelsToHimetric(r.right - r.left), PixelsToHimetric(r.bottom - r.top));
}

void uTab::hContainerWnd(HWND value) {
    if (value == container_) {
        return;
    }
    if (container_) {
        c_Subclass->ssc_UnSubclass(container_);
    }
    container_ = value;
    if (container_) {
        c_Subclass->ssc_Subclass(container_);
        c_Subclass->ssc_AddMsg(container_, WM_SIZE, MSG_AFTER);
    }
}

void uTab::LockReDraw(bool bLock) {
    redrawEnabled_ = !bLock;
    if (!bLock) {
        CalcStandardWidth();
        CalcPositions();
        DrawAll(true);
    }
}

std::shared_ptr<CTabItem> uTab::SelectedItem() const {
    if (selected_ >= 0 && selected_ < items_->Count()) {
        return items_->Item(selected_);
    }
    return nullptr;
}

void uTab::RefreshPage() {
    if (auto item = SelectedItem(); item && item->Form()) {
        item->Form()->RefreshPage();
    }
}

// ---- IuTab ----

void uTab::Add(const std::string&, const std::shared_ptr<ITabForm>& Form, const std::string&,
               const CTabIndex&) {
    if (Form) {
        AttachForm(Form->hWnd());
    }
    if (selected_ > items_->Count() || selected_ < 0) {
        selected_ = 0;
    }
    CalcStandardWidth();
    CalcPositions();
    DrawTabs(true);
}

bool uTab::BeforeRemove(std::int32_t Index) {
    bool cancel = false;
    if (OnItemColose) {
        OnItemColose(Index, cancel);
    }
    return !cancel;
}

void uTab::Remove(std::int32_t Index) {
    CalcStandardWidth();
    CalcPositions();
    if (Index == selected_) {
        selected_ = 0;
    } else if (selected_ > Index) {
        --selected_;
    }
    FitSelectedForm();
    DrawTabs(true);
}

void uTab::Clear() {
    CalcStandardWidth();
    selected_ = 0;
    DrawTabs(true);
}

void uTab::Redraw(bool) {
    DrawAll(true);
}

void uTab::ChangeForm(CTabItem*, ITabForm* Form) {
    Guarded("uTab.ChangeForm: AttachForm", [&] {
        if (Form) {
            AttachForm(Form->hWnd());
        }
    });
    Guarded("uTab.ChangeForm: FitSelectedForm", [this] { FitSelectedForm(); });
}

void uTab::Selected(std::int32_t value) {
    if (value < 0) {
        selected_ = -1;
        DrawAll(true);
        return;
    }
    if (value > items_->Count() - 1) {
        return;
    }
    selected_ = value;
    FitSelectedForm();
    DrawAll(true);
}

HWND uTab::hParent() {
    if (!hWnd() || !::IsWindow(hWnd())) {
        return nullptr;
    }
    return ::GetAncestor(hWnd(), GA_ROOT);
}

// ---- layout and hosting ----

std::vector<CTabBox> uTab::Boxes() const {
    std::vector<CTabBox> boxes;
    boxes.reserve(static_cast<std::size_t>(items_->Count()));
    for (std::int32_t i = 0; i < items_->Count(); ++i) {
        auto item = items_->Item(i);
        boxes.push_back({item->Left(), item->Width(), item->LockSize(), item->HideButton()});
    }
    return boxes;
}

void uTab::CalcStandardWidth() {
    if (!redrawEnabled_) {
        return;
    }
    standardWidth_ = CTabLayout::CalcStandardWidth(tabStyle_, width_, LeftSizePx(), RightSizePx(),
                                                   Boxes(), Dpi());
}

void uTab::CalcPositions() {
    if (!redrawEnabled_) {
        return;
    }
    std::vector<CTabBox> boxes = Boxes();
    CTabLayout::CalcPositions(tabStyle_, standardWidth_, boxes, Dpi());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        auto item = items_->Item(static_cast<std::int32_t>(i));
        item->SetLeft(boxes[i].left);
        item->SetWidth(boxes[i].width);
    }
}

CTabHit uTab::HitTest(std::int32_t x, std::int32_t y) const {
    return CTabLayout::HitTest(tabStyle_, width_, LeftSizePx(), RightSizePx(), Boxes(), x, y,
                               Dpi());
}

void uTab::FitSelectedForm() {
    auto item = SelectedItem();
    if (!item || !container_ || !item->Form()) {
        return;
    }
    RECT r{};
    ::GetClientRect(container_, &r);
    ::SetWindowPos(item->Form()->hWnd(), HWND_TOP, 0, 0, r.right, r.bottom,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void uTab::AttachForm(HWND form) {
    // Without a container there is nowhere to put the form; it stays as it is.
    if (!container_ || !form) {
        return;
    }
    RECT r{};
    ::GetClientRect(container_, &r);
    ::SetParent(form, container_);
    ChangeWindowStyle(form, GWL_STYLE, WS_CAPTION | WS_THICKFRAME, WS_CHILD, SWP_FRAMECHANGED);
    ::SetWindowPos(form, nullptr, 0, 0, r.right, r.bottom,
                   SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
}

void uTab::ChangeWindowStyle(HWND window, int index, LONG remove, LONG add, UINT flags) {
    const LONG old = ::GetWindowLongA(window, index);
    const LONG value = (old & ~remove) | add;
    if (value == old) {
        return;
    }
    ::SetWindowLongA(window, index, value);
    if (flags != 0) {
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                       flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void uTab::FitScale() {
    const int dpi = Dpi();
    if (dpi == fontDpi_) {
        return;
    }
    font_ = CaptionFont(100, dpi);
    boldFont_ = CaptionFont(700, dpi);
    fontDpi_ = dpi;
    // What was kept was drawn at the old scale.
    captions_.Clear();
    bodies_.Clear();
    plainBackground_.reset();
}

int uTab::Dpi() const noexcept {
    return WindowDpi(Window::hWnd());
}
int uTab::LeftSizePx() const noexcept {
    return ScaleDesignPixels(tabLeftSize_, Dpi());
}
int uTab::RightSizePx() const noexcept {
    return ScaleDesignPixels(tabRightSize_, Dpi());
}

// ---- painting ----

void uTab::CreateBuffers() {
    FreeBuffers();
    const int h = Height();
    backBuffer_ = mdlTabAPI::CreateMemDC(width_, h);
    background_ = mdlTabAPI::CreateMemDC(width_, h);
    // The tab area is composed in memory as well as through GDI, so it is a DIB section.
    tabArea_ = mdlTabAPI::CreateDibDC(width_ - LeftSizePx() - RightSizePx(), h, &tabAreaBits_);
}

void uTab::FreeBuffers() noexcept {
    plainBackground_.reset();
    mdlTabAPI::DeleteMemDC(backBuffer_);
    mdlTabAPI::DeleteMemDC(background_);
    mdlTabAPI::DeleteMemDC(tabArea_);
    tabAreaBits_ = nullptr;
}

void uTab::DrawAll(bool bUpdate) {
    AliveGuard alive(*this);
    DrawBackground();
    if (!alive.alive()) {
        return; // the background's handler destroyed the strip
    }
    DrawTabs(bUpdate);
}

void uTab::DrawBackground() {
    if (!redrawEnabled_ || !background_) {
        return;
    }
    const int h = Height();
    bool bSkipDefault = false;
    if (OnDrawBackground) {
        AliveGuard alive(*this);
        OnDrawBackground(background_->dc(), width_, h, bSkipDefault);
        if (!alive.alive()) {
            return;
        }
    }
    // Without a handler the default background depends on nothing but the size and the style,
    // so a repaint that changes neither keeps the one already drawn.
    const PlainBackground plain{width_, h, tabStyle_};
    if (!OnDrawBackground && plainBackground_ == plain) {
        return;
    }
    plainBackground_.reset();
    if (!bSkipDefault && Skin()) {
        const int rows = CTabLayout::Style(tabStyle_).skinRows;
        const int shown = ScaleDesignPixels(rows, Dpi());
        if (shown == rows) {
            ::StretchBlt(background_->dc(), 0, 0, width_, h, Skin(), 0, 0, 1, rows, SRCCOPY);
        } else {
            // The gradient column smoothed to the scale first, then spread across.
            std::vector<std::uint32_t> column(static_cast<std::size_t>(shown));
            StretchSkin({column.data(), 1, shown, 1}, 0, 0, 1, shown, SkinView(), 0, 0, 1, rows,
                        KeyedPixels::kCopy);
            const BITMAPINFO bi = TopDownDib32(1, shown);
            ::StretchDIBits(background_->dc(), 0, 0, width_, h, 0, 0, 1, shown, column.data(), &bi,
                            DIB_RGB_COLORS, SRCCOPY);
        }
        if (!OnDrawBackground) {
            plainBackground_ = plain;
        }
    }
}

namespace {

// Where a caption of the measured extent goes in its rectangle, and how: centred when it fits,
// else from the left, centred by its own height and cut with an ellipsis.
struct CaptionPlace {
    CTabRect rect;
    UINT format;
};

CaptionPlace PlaceCaption(int textWidth, int textHeight, int x, int y, int width, int height) {
    if (textWidth > width) {
        const int top = y + static_cast<int>(CTabIndex::RoundHalfEven((height - textHeight) / 2.0));
        return {{x, top, width, height}, DT_END_ELLIPSIS};
    }
    return {{x, y, width, height}, DT_CENTER | DT_VCENTER | DT_SINGLELINE};
}

} // namespace

void uTab::DrawCaption(HDC surface, const std::string& caption, int x, int y, int width,
                       int height) {
    if (width <= 0) {
        return; // nothing of a caption would show in a rectangle without width
    }
    const std::string ansi = ToAnsi(caption);
    const int length = ::lstrlenA(ansi.c_str());
    SIZE size{};
    ::GetTextExtentPoint32A(surface, ansi.c_str(), length, &size);
    const CaptionPlace place = PlaceCaption(size.cx, size.cy, x, y, width, height);
    mdlTabAPI::DrawTextInRect(surface, ansi, length, place.rect.x, place.rect.y, place.rect.width,
                              place.rect.height, place.format);
}

void uTab::DrawKeptCaption(HDC surface, CPixelView view, std::int32_t index, bool selected, int x,
                           int y, int width, int height) {
    if (width <= 0) {
        return;
    }
    const std::string& caption = items_->Item(index)->Caption();
    CTabCaptionCache::Slot& slot = captions_.At(static_cast<std::size_t>(index));
    if (!slot.MeasuredAs(caption, selected)) {
        std::string ansi = ToAnsi(caption);
        ansi.resize(static_cast<std::size_t>(::lstrlenA(ansi.c_str())));
        SIZE size{};
        ::GetTextExtentPoint32A(surface, ansi.c_str(), static_cast<int>(ansi.size()), &size);
        slot.Measure(caption, selected, std::move(ansi), size.cx, size.cy);
    }
    const CaptionPlace place = PlaceCaption(slot.textWidth, slot.textHeight, x, y, width, height);
    const CTabRect clipped = CTabCaptionCache::Clip(view, place.rect);
    if (clipped.width == 0 || clipped.height == 0) {
        return; // the text is clipped to its rectangle, none of which is on the surface
    }
    if (CTabCaptionCache::Replay(slot, view, place.rect)) {
        return;
    }
    CTabCaptionCache::KeepBefore(slot, view, place.rect);
    mdlTabAPI::DrawTextInRect(surface, slot.ansi, static_cast<int>(slot.ansi.size()), place.rect.x,
                              place.rect.y, place.rect.width, place.rect.height, place.format);
    ::GdiFlush();
    CTabCaptionCache::KeepAfter(slot, view);
}

void uTab::DrawTabs(bool bUpdate) {
    if (!redrawEnabled_ || !tabArea_ || !background_ || !backBuffer_ || !tabAreaBits_) {
        return;
    }
    const int dpi = Dpi();
    const CTabStyleMetrics s = CTabLayout::Style(tabStyle_, dpi);
    const int h = Height();
    const int left = LeftSizePx();
    const int area = width_ - left - RightSizePx();
    const int edge = ScaleDesignPixels(14, dpi); // the bodies' slanted or rounded ends
    HDC ta = tabArea_->dc();
    ::SetBkMode(ta, TRANSPARENT);
    {
        SelectScope font(ta, font_.get());
        ::SetTextColor(ta, RGB(0, 0, 0));
        ::BitBlt(ta, 0, 0, area, h, background_->dc(), left, 0, SRCCOPY);
        ::GdiFlush();

        const std::vector<CTabBox> boxes = Boxes();
        captions_.Trim(boxes.size());
        auto glyphSource = [&](std::int32_t i, std::int32_t plain) {
            if (i == hoverIndex_ && mouseState_ == CloseHot) {
                return s.glyphHot;
            }
            if (i == hoverIndex_ && mouseState_ == ClosePressed) {
                return s.glyphPressed;
            }
            return plain;
        };
        const CPixelView& skinView = SkinView();
        // The buffer's own size: margins or style written since the last resize do not change
        // it, and nothing may be written past it.
        CPixelView view{tabAreaBits_, tabArea_->width(), tabArea_->height(), tabArea_->width()};
        auto drawTab = [&](std::int32_t i, bool selected) {
            const CTabBox& box = boxes[static_cast<std::size_t>(i)];
            const CTabRect body = CTabLayout::Body(tabStyle_, box, dpi);
            const std::int32_t src =
                selected ? s.srcSelected : (i == hoverIndex_ ? s.srcHover : s.srcOrdinary);
            bodies_.NineGrid(view, body.x, body.y, body.width, body.height, skinView, src, 0,
                             s.tabSrcWidth, s.tabSrcHeight, 14, 0, 14, 0, edge, 0, edge, 0);
            const CTabRect caption = CTabLayout::Caption(tabStyle_, box, selected, dpi);
            DrawKeptCaption(ta, view, i, selected, caption.x, caption.y, caption.width,
                            caption.height);
            if (!box.hideButton) {
                const CTabRect glyph = CTabLayout::Glyph(tabStyle_, box, dpi);
                const std::int32_t from = glyphSource(i, selected ? s.glyphSelected : s.glyphOther);
                constexpr int g = CTabLayout::kGlyphSize;
                if (glyph.width == g && glyph.height == g) {
                    CTabCompositor::TransCopy(view, glyph.x, glyph.y, g, g, skinView, from, 0);
                } else {
                    bodies_.NineGrid(view, glyph.x, glyph.y, glyph.width, glyph.height, skinView,
                                     from, 0, g, g, 0, 0, 0, 0);
                }
            }
        };
        // Back to front: each slanted left edge lies under the tab to its left.
        for (std::int32_t i = items_->Count() - 1; i >= 0; --i) {
            if (i != selected_) {
                drawTab(i, false);
            }
        }
        SelectScope bold(ta, boldFont_.get());
        ::SetTextColor(ta, kSelectedText);
        if (selected_ >= 0 && selected_ < items_->Count()) {
            drawTab(selected_, true);
        }
    }
    ::BitBlt(backBuffer_->dc(), 0, 0, width_, h, background_->dc(), 0, 0, SRCCOPY);
    ::BitBlt(backBuffer_->dc(), left, 0, area, h, ta, 0, 0, SRCCOPY);
    if (bUpdate && hWnd()) {
        WindowDc dc(hWnd());
        ::BitBlt(dc.get(), 0, 0, width_, h, backBuffer_->dc(), 0, 0, SRCCOPY);
    }
}

void uTab::Paint() {
    PaintScope ps(hWnd());
    if (backBuffer_) {
        ::BitBlt(ps.dc(), 0, 0, width_, Height(), backBuffer_->dc(), 0, 0, SRCCOPY);
    }
}

// ---- messages ----

void uTab::OnInterceptedMessage(bool bBefore, bool& bHandled, LRESULT& lReturn, HWND hWnd,
                                UINT uMsg) {
    try {
        if (hWnd == Window::hWnd() && bBefore) {
            switch (uMsg) {
            case WM_ERASEBKGND:
                bHandled = true;
                lReturn = 0;
                break;
            case WM_PAINT:
                Paint();
                bHandled = true;
                lReturn = 0;
                break;
            case WM_MOUSELEAVE:
                PointerLeft(); // the window's own procedure still gets it
                break;
            default:
                break;
            }
        } else if (hWnd == container_ && !bBefore && uMsg == WM_SIZE) {
            FitSelectedForm();
        }
    } catch (...) {
        // Nothing may unwind into the window system.
        LogCaught("uTab: intercepted message " + std::to_string(uMsg));
    }
}

LRESULT uTab::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const MouseMessage mouse = CrackMouse(wParam, lParam);
    const float x = static_cast<float>(mouse.x);
    const float y = static_cast<float>(mouse.y);
    switch (msg) {
    case WM_SIZE:
        OnResize();
        return 0;
    case kDpiChangedAfterParent:
        // Moved to a monitor of another scale: fonts for it, then height, buffers and layout.
        Guarded("uTab: scale change", [this] {
            FitScale();
            OnResize();
        });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const std::int16_t button = msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4;
        ::SetCapture(hWnd());
        last_ = {button, mouse.shift, x, y};
        Press(button, last_.shift, x, y);
        return 0;
    }
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        // A double click of the other buttons is one too, as in the image button and the title
        // bar; its press is this message's.
        last_ = {static_cast<std::int16_t>(msg == WM_RBUTTONDBLCLK ? 2 : 4), mouse.shift, x, y};
        [[fallthrough]];
    case WM_LBUTTONDBLCLK:
        ::SetCapture(hWnd());
        DblClick();
        return 0;
    case WM_MOUSEMOVE:
        Move(mouse.buttons, mouse.shift, x, y);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const std::int16_t button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
        if (mouse.buttons == 0 && ::GetCapture() == hWnd()) {
            ::ReleaseCapture();
        }
        Release(button, mouse.shift, x, y);
        return 0;
    }
    default:
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void uTab::OnResize() {
    RECT r{};
    ::GetClientRect(hWnd(), &r);
    width_ = r.right;
    // Each step runs on its own: a failing one does not keep the next from running.
    if (r.bottom != Height()) {
        RECT w{};
        ::GetWindowRect(hWnd(), &w);
        // Sends WM_SIZE again, which then does the rest at the right height.
        ::SetWindowPos(hWnd(), nullptr, 0, 0, w.right - w.left, Height(),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    Guarded("uTab.OnResize: CreateBuffers", [this] { CreateBuffers(); });
    Guarded("uTab.OnResize: CalcStandardWidth", [this] { CalcStandardWidth(); });
    Guarded("uTab.OnResize: CalcPositions", [this] { CalcPositions(); });
    Guarded("uTab.OnResize: DrawAll", [this] { DrawAll(true); });
}

void uTab::RaiseMouse(const MouseEvent& event, std::int32_t index, std::int16_t Button,
                      std::int16_t Shift, float X, float Y) {
    if (event) {
        event(index, Button, Shift, X, Y);
    }
}

void uTab::Press(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    AliveGuard alive(*this);
    std::int32_t index = 0;
    if (Button == 1) {
        const CTabHit hit = HitTest(Whole(X), Whole(Y));
        index = hit.index;
        if (hit.index >= 0 && hit.index < items_->Count()) {
            if (hit.index != selected_ && !hit.onClose) {
                selected_ = hit.index;
                FitSelectedForm();
                DrawTabs(true);
            } else if (hit.onClose && mouseState_ != ClosePressed) {
                mouseState_ = ClosePressed;
                DrawTabs(true);
            }
            if (TabChanged) {
                TabChanged();
            }
            if (!alive.alive()) {
                return;
            }
        }
    }
    RaiseMouse(OnMouseDown, index, Button, Shift, X, Y);
}

void uTab::Move(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    AliveGuard alive(*this);
    std::int32_t index = 0;
    if (Button == 0) {
        c_Subclass->TrackMouseTracking(hWnd());
        const CTabHit hit = HitTest(Whole(X), Whole(Y));
        const MouseStates state = hit.onClose ? CloseHot : Normal;
        if (hit.index != hoverIndex_ || state != mouseState_) {
            if (hit.index != hoverIndex_) {
                RaiseMouse(OnMouseHover, hit.index, Button, Shift, X, Y);
                if (!alive.alive()) {
                    return;
                }
            }
            hoverIndex_ = hit.index;
            mouseState_ = state;
            DrawTabs(true);
        }
        index = hit.index;
    }
    RaiseMouse(OnMouseMove, index, Button, Shift, X, Y);
}

void uTab::Release(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    AliveGuard alive(*this);
    std::int32_t index = 0;
    if (Button == 1) {
        const CTabHit hit = HitTest(Whole(X), Whole(Y));
        mouseState_ = Normal;
        if (hit.index >= 0 && hit.index < items_->Count() && hit.index == hoverIndex_ &&
            hit.onClose) {
            items_->Remove(hit.index, true);
            if (!alive.alive()) {
                return;
            }
        }
        DrawAll(true);
        if (!alive.alive()) {
            return;
        }
        index = hit.index;
    }
    RaiseMouse(OnMouseUp, index, Button, Shift, X, Y);
}

void uTab::DblClick() {
    AliveGuard alive(*this);
    const Pointer p = last_;
    Press(p.button, p.shift, p.x, p.y);
    if (!alive.alive()) {
        return;
    }
    const CTabHit hit = HitTest(Whole(p.x), Whole(p.y));
    RaiseMouse(OnDblClick, hit.index, p.button, p.shift, p.x, p.y);
}

void uTab::PointerLeft() {
    AliveGuard alive(*this);
    if (hoverIndex_ != -1) {
        hoverIndex_ = -1;
        DrawTabs(true);
    }
    if (OnMouseLeave) {
        OnMouseLeave();
    }
}

} // namespace velm
