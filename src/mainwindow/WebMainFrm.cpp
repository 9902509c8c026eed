#include "mainwindow/WebMainFrm.h"

#include "base/WindowDpi.h"
#include "base/Log.h"
#include "base/PropertyBag.h"
#include "base/Text.h"
#include "controls/PictureBox.h"
#include "frame/cSetStyle.h"
#include "mainwindow/AppMenu.h"
#include "mainwindow/ClearCache.h"
#include "mainwindow/DdeServer.h"
#include "mainwindow/MainKeys.h"
#include "mainwindow/ModMsg.h"
#include "mainwindow/Screenshot.h"
#include "base/Units.h"
#include "controls/RectRgn.h"
#include "mainwindow/WebUrl.h"
#include "mainwindow/WindowPlacement.h"
#include "startup/LoginFrm.h"
#include "startup/Messages.h"
#include "startup/MsgFrm.h"
#include "startup/PublicData.h"
#include "startup/UpdateCheck.h"

#include "Config.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace velm {
namespace {

// The stored designs of the window's controls (property bags in their text form).
constexpr const char* kTitleDesign = "backcolor=14606046\nhaslogo=True\ncaption=Zentra客户端\n";
constexpr const char* kCaptionButtonDesign =
    "autosize=False\ncdrawmode=13\ncfont=宋体|9|\ncbackstyle=1\n";
constexpr const char* kMinMaxDesign =
    "autosize=False\ncdrawmode=13\ncfont=宋体|9|\ncbackstyle=1\nstyle=1\n";
constexpr const char* kOtherUserDesign =
    "backpicture=bitmap:202\nicon=icon:211\ncaption=登录其他帐号\nautosize=False\n"
    "cforecolor=16777215\ncfont=宋体|9|u\ncdrawmode=13\ncbackstyle=1\n";
constexpr const char* kGameSpaceDesign =
    "backpicture=bitmap:203\nicon=icon:212\ncaption=游戏官网\nautosize=False\n"
    "cforecolor=16777215\ncfont=宋体|9|u\ncdrawmode=13\ncbackstyle=1\n";
constexpr const char* kTabDesign = "TabStyle=1\nTabLeftSize=10\nTabRightSize=0\n";

PropertyBag StoredDesign(const char* text) {
    return PropertyBag::FromText(text).value_or(PropertyBag());
}

// The window's design, in twips: the client size it opens at, where each control stands, and
// how far the layout keeps the right-hand controls from the right edge.
constexpr long kDesignWidth = 15540;
constexpr long kDesignHeight = 9585;
constexpr long kTitleWidth = 15495;
constexpr long kTitleHeight = 495;
constexpr long kCaptionButtonTop = 15;
constexpr long kCaptionButtonHeight = 270;
constexpr long kLinkHeight = 330;
constexpr long kLogoLeft = 100;
constexpr long kLogoTop = 30;
constexpr long kLogoSize = 440;
// The content area keeps this margin left, right and below, and starts below the strip.
constexpr long kContentMargin = 60;
constexpr long kContentTop = 480;
// The strip is created here and laid out from (kTabLeft, kTabTop), leaving kStripReserve of the
// client width to the controls around it.
constexpr long kStripCreateLeft = 2160;
constexpr long kStripCreateTop = 30;
constexpr long kStripCreateWidth = 10215;
constexpr long kTabLeft = 2300;
constexpr long kTabTop = 45;
constexpr long kStripReserve = 6900;
// Distances of the controls' left edges from the window's right edge (the caption buttons) or
// from the client area's right edge (the links).
constexpr long kCloseFromRight = 730;
constexpr long kMinMaxFromRight = 1105;
constexpr long kMinFromRight = 1465;
constexpr long kToolFromRight = 1825;
constexpr long kGameSpaceFromRight = 3300;
constexpr long kOtherUserFromRight = 4850;
// A missing strip counts with the height of its style-1 design.
constexpr long kDefaultStripHeight = 480;

std::string AppTitle() {
    return std::string(kProductName) + kClientSuffix;
}

} // namespace

WebMainFrm& WebMainFrm::Get() {
    return FormInstance<WebMainFrm>::Get();
}

bool WebMainFrm::Exists() noexcept {
    return FormInstance<WebMainFrm>::Pointer() != nullptr;
}

void WebMainFrm::Destroy() noexcept {
    FormInstance<WebMainFrm>::Destroy();
}

WebMainFrm::WebMainFrm() : canvas_(RGB(255, 255, 255)) {
    dde_ = std::make_unique<DdeServer>(DdeServer::Host{
        [this] { return tab_ ? tab_->TabItems().Count() : 0; },
        [this](const std::string& address) {
            return tab_ && tab_->TabItems().FindItem(CTabIndex(TabKey(address))) != -1;
        },
        [this](const std::string& address) {
            if (::IsIconic(hWnd())) {
                ::ShowWindow(hWnd(), SW_RESTORE); // the window state back to normal
            }
            OpenTab(address);
        }});
}

WebMainFrm::~WebMainFrm() {
    SetTrayMenuHandler(nullptr);
    SetTaskbarCreatedHandler(nullptr);
    dde_.reset();
    if (hWnd()) {
        RemoveMsgHook(hWnd());
    }
    // The tray icon goes with the object (its destructor removes it); the icons after it.
}

HWND WebMainFrm::pCnt() const {
    return container_ ? container_->hWnd() : nullptr;
}
HWND WebMainFrm::PicLogo() const {
    return logo_ ? logo_->hWnd() : nullptr;
}

FormDesign WebMainFrm::Design() const {
    FormDesign d;
    d.className = L"velm.WebMainFrm";
    d.caption = AppTitle();
    d.style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    d.clientWidth = TwipsToPixels(kDesignWidth);
    d.clientHeight = TwipsToPixels(kDesignHeight);
    d.left = 0;
    d.top = 0;
    return d;
}

void WebMainFrm::CreateControls() {
    HWND h = hWnd();
    canvas_.Attach(h);
    title_.Create(h, 0, 0, kTitleWidth, kTitleHeight);
    title_.ReadProperties(StoredDesign(kTitleDesign));

    // Each control at its design place; its stored properties may resize it, so it is put back.
    auto place = [h](iButton& b, long left, long top, long width, long height, const char* design) {
        b.Create(h, left, top, width, height);
        b.ReadProperties(StoredDesign(design));
        b.Move(left, top, width, height);
    };
    place(close_, kDesignWidth - 1860, kCaptionButtonTop, 645, kCaptionButtonHeight,
          kCaptionButtonDesign);
    place(minmax_, kDesignWidth - 2220, kCaptionButtonTop, 375, kCaptionButtonHeight,
          kMinMaxDesign);
    place(min_, kDesignWidth - 2580, kCaptionButtonTop, 360, kCaptionButtonHeight,
          kCaptionButtonDesign);
    place(tool_, kDesignWidth - 2940, kCaptionButtonTop, 360, kCaptionButtonHeight,
          kCaptionButtonDesign);
    place(otherUser_, kDesignWidth - 4860, 0, 1485, kLinkHeight, kOtherUserDesign);
    place(gameSpace_, kDesignWidth - 3300, 0, 1215, kLinkHeight, kGameSpaceDesign);

    logo_ =
        std::make_unique<PictureBox>(RGB(38, 98, 180), kLogoLeft, kLogoTop, kLogoSize, kLogoSize);
    logo_->Create(h);
    container_ = std::make_unique<PictureBox>(RGB(255, 255, 255), kContentMargin, kContentTop,
                                              kDesignWidth - 2 * kContentMargin,
                                              kDesignHeight - kContentTop - kContentMargin);
    container_->Create(h);
    tab_ = std::make_unique<uTab>();
    const int dpi = WindowDpi(h);
    shownDpi_ = dpi;
    tab_->Create(h, TwipsToPixelsAt(kStripCreateLeft, dpi), TwipsToPixelsAt(kStripCreateTop, dpi),
                 TwipsToPixelsAt(kStripCreateWidth, dpi), StoredDesign(kTabDesign));

    // Children created later lie beneath earlier ones; everything sits on the title bar, and the
    // buttons on the strip's right end, which reaches under the account link.
    for (HWND c : {tab_->hWnd(), logo_->hWnd(), otherUser_.hWnd(), gameSpace_.hWnd(), tool_.hWnd(),
                   min_.hWnd(), minmax_.hWnd(), close_.hWnd()}) {
        ::SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    menu_ = CreateAppMenu();

    // The strip's tooltip.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    tooltip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, h,
                                     nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (tooltip_) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = h;
        ti.uId = reinterpret_cast<UINT_PTR>(tab_->hWnd());
        ti.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }

    // Events. A button takes the keyboard focus when pressed; after its click the focus goes back
    // to the page, or a stray Enter or Space would click the button again.
    auto thenPage = [this](std::function<void()> action) {
        return [this, action = std::move(action)] {
            AliveGuard alive(*this);
            action();
            if (alive.alive()) {
                FocusPage();
            }
        };
    };
    close_.Click = thenPage([this] { CloseRequest(); });
    min_.Click = thenPage([this] { ::ShowWindow(hWnd(), SW_MINIMIZE); });
    minmax_.Click = thenPage([this] { MinMaxClick(); });
    tool_.Click = thenPage([this] { PopupAppMenu(); });
    gameSpace_.Click = thenPage([] {
        ::ShellExecuteA(nullptr, "open", VELM_OFFICIAL_SITE, nullptr, nullptr, SW_SHOWNORMAL);
    });
    otherUser_.Click = thenPage([] { LoginFrm::Get().Show(SW_SHOWNORMAL); });
    title_.MouseMove = [](std::int16_t&, std::int16_t&, float&, float&) { ArrowCursor(); };
    tab_->OnMouseDown = [this](std::int32_t ItemIndex, std::int16_t&, std::int16_t&, float&,
                               float&) {
        ArrowCursor();
        if (!minmax_.Value() && ItemIndex < 0) {
            ::ReleaseCapture();
            ::SendMessageA(hWnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        }
    };
    tab_->OnMouseHover = [this](std::int32_t ItemIndex, std::int16_t&, std::int16_t&, float&,
                                float&) {
        CTabItems& items = tab_->TabItems();
        if (ItemIndex >= 0 && ItemIndex < items.Count()) {
            auto item = items.Item(CTabIndex(ItemIndex));
            SetToolTip(item ? Widen(item->Caption()) : std::wstring());
        } else {
            SetToolTip(std::wstring());
        }
    };
    tab_->OnMouseMove = [](std::int32_t, std::int16_t&, std::int16_t&, float&, float&) {
        ArrowCursor();
    };
    tab_->OnItemColose = [this](std::int32_t, bool& Cancel) {
        if (tab_->TabItems().Count() <= 1) {
            CloseRequest();
            Cancel = true;
        }
    };
}

void WebMainFrm::OnLoad() {
    HWND h = hWnd();
    // The window may be loaded again after a close that answered "exit" (another account's
    // login was still open): that answer was for the window that went.
    m_bExit = false;
    CreateControls();

    // 1-3: icons from the file the login window wrote, the tray icon with the small one.
    std::string iconFile = GetTempDir() + "velm" + ".ico";
    icon16_.reset(static_cast<HICON>(
        ::LoadImageA(nullptr, iconFile.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
    icon32_.reset(static_cast<HICON>(
        ::LoadImageA(nullptr, iconFile.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE)));
    ::SendMessageA(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon16_.get()));
    tray_.AddNotifyIcon(h, icon16_.get(), AppTitle());
    ::SendMessageA(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon32_.get()));
    SetTrayMenuHandler([](HWND) {
        if (FormInstance<WebMainFrm>::Pointer()) {
            FormInstance<WebMainFrm>::Pointer()->PopupAppMenu();
        }
    });
    SetTaskbarCreatedHandler([](HWND) {
        if (FormInstance<WebMainFrm>::Pointer()) {
            FormInstance<WebMainFrm>::Pointer()->tray_.Restore();
        }
    });

    // 4: F10 and the tray messages.
    InstallMsgHook(h);
    AddMessageFilter(&WebMainFrm::WindowKeys, FilterOrder::Window);
    AddMessageFilter(&MainKeys, FilterOrder::Window);

    // 5: the version item.
    std::wstring version = Widen(std::string("版本号:") + CurrentVersion());
    ::ModifyMenuW(menu_.get(), kVersion, MF_BYCOMMAND | MF_STRING, kVersion, version.c_str());

    // 6: captions.
    title_.SetCaption(kProductName);
    ::SetWindowTextW(h, Widen(AppTitle()).c_str());

    // 7: the borderless frame over the persistent drawing surface.
    objStyle_ = std::make_unique<cSetStyle>();
    objStyle_->SetobjForm(h);
    objStyle_->SetWindowStyle(h);
    objStyle_->CloseClick = [this] { CloseRequest(); };

    // 8: the title bar drags this window.
    title_.SetfrmHwnd(h);

    // 9: centred, in twips: each difference rounded, then halved toward zero. A window taller
    // than the screen (a large scale on a small display) keeps its title bar on the screen, where
    // it can still be dragged.
    RECT r{};
    ::GetWindowRect(h, &r);
    const long screenW = PixelsToTwips(::GetSystemMetrics(SM_CXSCREEN));
    const long screenH = PixelsToTwips(::GetSystemMetrics(SM_CYSCREEN));
    const long left = (screenW - PixelsToTwips(r.right - r.left)) / 2;
    const long top = std::max(0L, (screenH - PixelsToTwips(r.bottom - r.top)) / 2);
    ::SetWindowPos(h, nullptr, static_cast<int>(left / kTwipsPerPixel),
                   static_cast<int>(top / kTwipsPerPixel), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // 10: button pictures.
    close_.SetBackPicture(Picture::FromBitmapResource(103));
    minmax_.SetBackPicture(Picture::FromBitmapResource(102));
    min_.SetBackPicture(Picture::FromBitmapResource(101));
    minmax_.SetValue(true);
    tool_.SetBackPicture(Picture::FromBitmapResource(104));

    // 11: the strip hosts its forms in the content area.
    tab_->hContainerWnd(container_->hWnd());
    tab_->LockReDraw(false);

    // 12: the logo.
    logo_->SetPicture(UniqueBitmap(
        static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(105),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));

    title_.Show();
    for (iButton* b : {&close_, &minmax_, &min_, &tool_, &otherUser_, &gameSpace_}) {
        b->Show();
    }
    ::ShowWindow(tab_->hWnd(), SW_SHOWNA);
    Layout();

    dde_->Start();

    // 13: where the player left it, else filling the work area.
    if (RestorePlacement(h)) {
        MinMaxClick();
    } else {
        minmax_.SetValue(false);
    }
}

void WebMainFrm::Layout() {
    HWND h = hWnd();
    if (!h || ::IsIconic(h)) {
        return;
    }
    if (fullScreen_) {
        RECT client{};
        ::GetClientRect(h, &client);
        ::SetWindowPos(container_->hWnd(), nullptr, 0, 0, client.right, client.bottom,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    RECT outer{};
    RECT client{};
    ::GetWindowRect(h, &outer);
    ::GetClientRect(h, &client);
    const int dpi = WindowDpi(h);
    const long W = PixelsToTwipsAt(outer.right - outer.left, dpi);
    const long SW = PixelsToTwipsAt(client.right, dpi);
    const long SH = PixelsToTwipsAt(client.bottom, dpi);
    const long TH = tab_ ? PixelsToTwipsAt(tab_->Height(), dpi) : kDefaultStripHeight;

    // Each step runs on its own: one that fails or cannot apply is skipped, the next still runs.
    Guarded("WebMainFrm.Layout: title", [&] {
        canvas_.Resize();
        canvas_.Clear();
        title_.Move(0, 0, W, title_.Height());
        title_.Printform(canvas_);
        canvas_.Refresh();
    });
    Guarded("WebMainFrm.Layout: outline", [&] {
        const double w = static_cast<double>(client.right);
        const double hh = static_cast<double>(client.bottom);
        const auto corner = static_cast<short>(ScaleDesignPixels(6, dpi));
        RectRgn(h, static_cast<short>(std::nearbyint(w + 1)),
                static_cast<short>(std::nearbyint(hh + 1)), corner, corner);
    });
    Guarded("WebMainFrm.Layout: buttons", [&] {
        close_.SetLeft(W - kCloseFromRight);
        minmax_.SetLeft(W - kMinMaxFromRight);
        min_.SetLeft(W - kMinFromRight);
        tool_.SetLeft(W - kToolFromRight);
    });
    Guarded("WebMainFrm.Layout: strip", [&] {
        const long width = SW - kStripReserve;
        if (width < 0) {
            LogError("WebMainFrm.Layout: strip skipped, its width would be " +
                     std::to_string(width) + " twips");
            return;
        }
        ::SetWindowPos(tab_->hWnd(), nullptr, TwipsToPixelsAt(kTabLeft, dpi),
                       TwipsToPixelsAt(kTabTop, dpi), TwipsToPixelsAt(width, dpi), tab_->Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    });
    Guarded("WebMainFrm.Layout: links", [&] {
        gameSpace_.SetLeft(SW - kGameSpaceFromRight);
        otherUser_.SetLeft(SW - kOtherUserFromRight);
    });
    Guarded("WebMainFrm.Layout: content", [&] {
        const long width = SW - 2 * kContentMargin;
        const long height = SH - TH - kContentMargin;
        if (width < 0 || height < 0) {
            LogError("WebMainFrm.Layout: content area skipped, its size would be " +
                     std::to_string(width) + " x " + std::to_string(height) + " twips");
            return;
        }
        ::SetWindowPos(container_->hWnd(), nullptr, TwipsToPixelsAt(kContentMargin, dpi),
                       TwipsToPixelsAt(TH, dpi), TwipsToPixelsAt(width, dpi),
                       TwipsToPixelsAt(height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void WebMainFrm::SetURL(const std::string& strURL) {
    if (!Load()) {
        return;
    }
    OpenTab(strURL);
}

std::string WebMainFrm::TabKey(const std::string& address) {
    return "Game" + address;
}

void WebMainFrm::OpenTab(const std::string& address) {
    const std::string key = TabKey(address);
    CTabItems& items = tab_->TabItems();
    std::int32_t i = items.FindItem(CTabIndex(key));
    if (i == -1) {
        auto form = std::make_shared<WebUrl>();
        form->OpenURL(address);
        items.Add(key, form, key);
        items.Selected(items.Count() - 1);
    } else {
        items.Selected(i);
    }
}

void WebMainFrm::SetToolTip(const std::wstring& text) {
    tipText_ = text;
    if (!tooltip_) {
        return;
    }
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(tab_->hWnd());
    ti.lpszText = const_cast<wchar_t*>(tipText_.c_str());
    ::SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void WebMainFrm::MinMaxClick() {
    if (!objStyle_) {
        return;
    }
    bool maximised = objStyle_->CallWindowStateChange();
    title_.SetfrmHwnd(maximised ? nullptr : hWnd());
    // The button's glyph and the strip's drag rule read Value: it follows the window's state,
    // not the count of clicks.
    minmax_.SetValue(maximised);
}

void WebMainFrm::FocusPage() {
    HWND h = hWnd();
    // Only while this window is the active one: focusing a window activates it, and the click
    // may have brought another window up (the login, a dialog, the browser).
    if (!h || ::IsIconic(h) || ::GetActiveWindow() != h) {
        return;
    }
    if (HWND page = SelectedPage()) {
        ::SetFocus(page);
    }
}

HWND WebMainFrm::SelectedPage() {
    if (!tab_) {
        return nullptr;
    }
    CTabItems& items = tab_->TabItems();
    const std::int32_t selected = items.Selected();
    if (selected < 0 || selected >= items.Count()) {
        return nullptr;
    }
    auto item = items.Item(CTabIndex(selected));
    return item && item->Form() ? item->Form()->hWnd() : nullptr;
}

std::vector<HWND> WebMainFrm::Chrome() const {
    std::vector<HWND> parts{title_.hWnd(), close_.hWnd(),     minmax_.hWnd(),   min_.hWnd(),
                            tool_.hWnd(),  otherUser_.hWnd(), gameSpace_.hWnd()};
    if (logo_) {
        parts.push_back(logo_->hWnd());
    }
    if (tab_) {
        parts.push_back(tab_->hWnd());
    }
    return parts;
}

void WebMainFrm::FitMonitor() {
    HWND h = hWnd();
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &info)) {
        LogCallFailed("WebMainFrm.FitMonitor: GetMonitorInfoW", ::GetLastError());
        return;
    }
    // The whole monitor, not the work area: the taskbar goes under a window that covers it all.
    const RECT& m = info.rcMonitor;
    ::SetWindowPos(h, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top, SWP_NOACTIVATE);
}

void WebMainFrm::SetFullScreen(bool on) {
    HWND h = hWnd();
    if (!h || on == fullScreen_ || !container_ || (on && ::IsIconic(h))) {
        return;
    }
    if (on) {
        ::GetWindowRect(h, &restoreRect_);
        fullScreen_ = true;
        for (HWND part : Chrome()) {
            ::ShowWindow(part, SW_HIDE);
        }
        ::SetWindowRgn(h, nullptr, TRUE);
        FitMonitor();
    } else {
        fullScreen_ = false;
        for (HWND part : Chrome()) {
            ::ShowWindow(part, SW_SHOWNA);
        }
        const RECT& r = restoreRect_;
        ::SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A size that did not change sends no WM_SIZE; the parts are placed for the new mode anyway.
    Layout();
    ::InvalidateRect(h, nullptr, TRUE);
    FocusPage();
}

std::wstring WebMainFrm::TakeScreenshot() {
    const std::wstring folder = ScreenshotFolder();
    auto path = std::make_shared<std::wstring>();
    SavePageScreenshot(SelectedPage(), folder, [this, folder, path](auto saved) {
        if (saved) {
            *path = *saved;
            tray_.ShowBubble("截图已保存", Narrow(*saved), NIIF_INFO);
            return;
        }
        // A balloon needs a text: the folder that could not take the picture.
        tray_.ShowBubble("截图保存失败", folder.empty() ? AppTitle() : Narrow(folder),
                         NIIF_WARNING);
    });
    return *path;
}

bool WebMainFrm::WindowKeys(MSG& msg) {
    WebMainFrm* self = FormInstance<WebMainFrm>::Pointer();
    HWND h = self ? self->hWnd() : nullptr;
    if (!h || !msg.hwnd || (msg.hwnd != h && !::IsChild(h, msg.hwnd))) {
        return false;
    }
    if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
        if (self->keyTaken_ != 0 && msg.wParam == self->keyTaken_) {
            self->keyTaken_ = 0;
            return true;
        }
        return false;
    }
    if (msg.message != WM_KEYDOWN) {
        return false;
    }
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (alt || shift) {
        return false;
    }
    std::function<void()> action;
    if (msg.wParam == VK_F11 && !ctrl) {
        action = [self] { self->SetFullScreen(!self->fullScreen_); };
    } else if (msg.wParam == VK_ESCAPE && !ctrl && self->fullScreen_) {
        action = [self] { self->SetFullScreen(false); };
    } else if (msg.wParam == VK_F12 && ctrl) {
        action = [self] { self->TakeScreenshot(); };
    } else {
        return false;
    }
    self->keyTaken_ = msg.wParam;
    // Held down, the key repeats: one press, one action.
    if ((msg.lParam & (1 << 30)) == 0) {
        action();
    }
    return true;
}

void WebMainFrm::CloseRequest() {
    Unload();
}

void WebMainFrm::PopupAppMenu() {
    HWND h = hWnd();
    // While the exit question is open the menu's 退出 and 更新 would ask again or close under it.
    if (!h || !menu_ || MsgFrm::BringOpenToFront()) {
        return;
    }
    POINT p{};
    ::GetCursorPos(&p);
    // The menu must belong to the foreground window to close when the player clicks elsewhere
    // (it also pops up from the tray icon).
    ::SetForegroundWindow(h);
    UINT item = ::TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, p.x,
                                 p.y, 0, h, nullptr);
    ::PostMessageW(h, WM_NULL, 0, 0);
    if (item) {
        RunMenuCommand(item);
    }
}

void WebMainFrm::RunMenuCommand(UINT item) {
    HWND h = hWnd();
    switch (item) {
    case kRefresh:
        tab_->RefreshPage();
        break;
    case kHideRestore:
        ToggleMainWindow(h);
        break;
    case kClearCache:
        ClearCachesAndReport(h);
        break;
    case kUpdate:
        if (!downloader_) {
            downloader_ = std::make_unique<CKoDownLoadFile>();
        }
        CheckUpdateFromMenu(*downloader_, h, [this] {
            m_bExit = true;
            Unload();
        });
        break;
    case kExit:
        CloseRequest();
        break;
    case kMute:
        ToggleMute(menu_.get());
        break;
    default: // the version item does nothing
        break;
    }
}

void WebMainFrm::OnQueryUnload(bool& cancel) {
    if (m_bExit) {
        return;
    }
    MsgFrm dialog(m_bExit);
    dialog.ShowModal(hWnd());
    if (!m_bExit) {
        cancel = true;
    }
}

void WebMainFrm::OnUnload() {
    HWND h = hWnd();
    RemoveMessageFilter(&WebMainFrm::WindowKeys);
    RemoveMessageFilter(&MainKeys);
    fullScreen_ = false;
    keyTaken_ = 0;
    RemoveMsgHook(h);
    RememberPlacement(h, objStyle_.get());
    tab_->TabItems().Clear();
    objStyle_.reset();
    dde_->Stop();
}

LRESULT WebMainFrm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd);
        canvas_.Paint(paint.dc());
        return 0;
    }
    case WM_SIZE:
        if (tab_) {
            Layout();
        }
        return 0;
    case WM_SETFOCUS:
        // Activation focuses the window itself; the keys are for the page.
        FocusPage();
        return 0;
    case WM_DPICHANGED: {
        // Moved to a monitor of another scale: the children keep their design, the window takes
        // the rectangle Windows suggests (or the new monitor, full screen), then lays out again.
        const int dpi = LOWORD(wParam);
        RescaleChildren(hwnd, shownDpi_, dpi);
        shownDpi_ = dpi;
        if (fullScreen_) {
            FitMonitor();
        } else if (const auto* r = reinterpret_cast<const RECT*>(lParam)) {
            ::SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
        Layout();
        ::InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        // The frame has re-fitted a filled window to the work area by now; full screen stays.
        if (fullScreen_) {
            FitMonitor();
        }
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    default:
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    }
}

void WebMainFrm::OnDestroyed() {
    // The tooltip went with its owner.
    tooltip_.release();
}

} // namespace velm
