#include "mainwindow/WebMainFrm.h"

#include "base/LateBound.h"
#include "base/Log.h"
#include "base/PropertyBag.h"
#include "base/Text.h"
#include "browser/PictureBox.h"
#include "frame/cSetStyle.h"
#include "mainwindow/CacheMain.h"
#include "mainwindow/ModMsg.h"
#include "mainwindow/RectRgn.h"
#include "mainwindow/WebUrl.h"
#include "startup/LoginFrm.h"
#include "startup/Messages.h"
#include "startup/MsgFrm.h"
#include "startup/PublicData.h"
#include "startup/UpdateCheck.h"

#include "Config.h"

#include <commctrl.h>
#include <ddeml.h>
#include <shellapi.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace velm {
namespace {

WebMainFrm* g_instance = nullptr;

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

constexpr long kDesignWidth = 15540; // twips
constexpr long kDesignHeight = 9585;
constexpr long kTabTop = 45;
constexpr long kTabLeft = 2300;

int Px(long twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

std::string AppTitle() {
    return std::string(kProductName) + kClientSuffix;
}

// Runs one layout step; a failing step is skipped and the next still runs.
template <typename F> void Step(const char* name, F&& f) {
    try {
        f();
    } catch (...) {
        LogError(std::string("WebMainFrm.Layout: step failed: ") + name);
    }
}

} // namespace

WebMainFrm& WebMainFrm::Get() {
    if (!g_instance) {
        g_instance = new WebMainFrm();
    }
    return *g_instance;
}

bool WebMainFrm::Exists() noexcept {
    return g_instance != nullptr;
}

void WebMainFrm::Destroy() noexcept {
    delete g_instance;
    g_instance = nullptr;
}

WebMainFrm::WebMainFrm() : canvas_(RGB(255, 255, 255)) {}

WebMainFrm::~WebMainFrm() {
    SetTrayMenuHandler(nullptr);
    SetTaskbarCreatedHandler(nullptr);
    StopDde();
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
    d.clientWidth = Px(kDesignWidth);
    d.clientHeight = Px(kDesignHeight);
    d.left = 0;
    d.top = 0;
    return d;
}

void WebMainFrm::CreateControls() {
    HWND h = hWnd();
    canvas_.Attach(h);
    title_.Create(h, 0, 0, 15495, 495);
    title_.ReadProperties(StoredDesign(kTitleDesign));

    auto caption = [h](iButton& b, long left, long width, const char* design) {
        b.Create(h, left, 15, width, 270);
        b.ReadProperties(StoredDesign(design));
        b.Move(left, 15, width, 270);
    };
    caption(close_, 13680, 645, kCaptionButtonDesign);
    caption(minmax_, 13320, 375, kMinMaxDesign);
    caption(min_, 12960, 360, kCaptionButtonDesign);
    caption(tool_, 12600, 360, kCaptionButtonDesign);
    otherUser_.Create(h, 10680, 0, 1485, 330);
    otherUser_.ReadProperties(StoredDesign(kOtherUserDesign));
    otherUser_.Move(10680, 0, 1485, 330);
    gameSpace_.Create(h, 12240, 0, 1215, 330);
    gameSpace_.ReadProperties(StoredDesign(kGameSpaceDesign));
    gameSpace_.Move(12240, 0, 1215, 330);

    logo_ = std::make_unique<PictureBox>(RGB(38, 98, 180), Px(100), Px(30), Px(440), Px(440));
    logo_->SetParent(h);
    logo_->Create();
    container_ = std::make_unique<PictureBox>(RGB(255, 255, 255), Px(60), Px(480),
                                              Px(kDesignWidth - 120), Px(kDesignHeight - 480 - 60));
    container_->SetParent(h);
    container_->Create();
    tab_ = std::make_unique<uTab>();
    tab_->Create(h, Px(2160), Px(30), Px(10215), StoredDesign(kTabDesign));

    // Children created later lie beneath earlier ones; everything sits on the title bar, and the
    // buttons on the strip's right end, which reaches under the account link.
    for (HWND c : {tab_->hWnd(), logo_->hWnd(), otherUser_.hWnd(), gameSpace_.hWnd(), tool_.hWnd(),
                   min_.hWnd(), minmax_.hWnd(), close_.hWnd()}) {
        ::SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    // The program menu, only ever shown as a pop-up.
    menu_.reset(::CreatePopupMenu());
    auto add = [this](UINT id, const char* text) {
        ::AppendMenuW(menu_.get(), MF_STRING, id, Widen(text).c_str());
    };
    add(kRefresh, "刷新(F5)");
    add(kHideRestore, "隐藏/恢复(F10)");
    add(kClearCache, "清除缓存");
    ::AppendMenuW(menu_.get(), MF_SEPARATOR, kLine, nullptr);
    add(kUpdate, "更新");
    add(kVersion, "版本号:");
    add(kExit, "退出");

    // The strip's tooltip.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    LateInitCommonControlsEx(&icc);
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

    // Events.
    close_.Click = [this] { CloseRequest(); };
    min_.Click = [this] { ::ShowWindow(hWnd(), SW_MINIMIZE); };
    minmax_.Click = [this] { MinMaxClick(); };
    tool_.Click = [this] { PopupAppMenu(); };
    gameSpace_.Click = [] {
        LateShellExecuteA(nullptr, "open", VELM_OFFICIAL_SITE, nullptr, nullptr, SW_SHOWNORMAL);
    };
    otherUser_.Click = [] { LoginFrm::Get().Show(SW_SHOWNORMAL); };
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
        if (g_instance) {
            g_instance->PopupAppMenu();
        }
    });
    SetTaskbarCreatedHandler([](HWND) {
        if (g_instance) {
            g_instance->tray_.Restore();
        }
    });

    // 4: F10 and the tray messages.
    InstallMsgHook(h);

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

    // 9: centred, in twips: each difference rounded, then halved toward zero.
    RECT r{};
    ::GetWindowRect(h, &r);
    long screenW = ::GetSystemMetrics(SM_CXSCREEN) * 15L;
    long screenH = ::GetSystemMetrics(SM_CYSCREEN) * 15L;
    long left = (screenW - (r.right - r.left) * 15L) / 2;
    long top = (screenH - (r.bottom - r.top) * 15L) / 2;
    ::SetWindowPos(h, nullptr, static_cast<int>(left / 15), static_cast<int>(top / 15), 0, 0,
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

    StartDde();

    // 13: start filling the work area.
    MinMaxClick();
}

void WebMainFrm::Layout() {
    HWND h = hWnd();
    if (!h || ::IsIconic(h)) {
        return;
    }
    RECT outer{};
    RECT client{};
    ::GetWindowRect(h, &outer);
    ::GetClientRect(h, &client);
    const long W = (outer.right - outer.left) * 15L;
    const long SW = client.right * 15L;
    const long SH = client.bottom * 15L;
    const long TH = tab_ ? tab_->Height() * 15L : 480;

    Step("title", [&] {
        canvas_.Resize();
        canvas_.Clear();
        title_.Move(0, 0, W, title_.Height());
        title_.Printform(canvas_);
        canvas_.Refresh();
    });
    Step("outline", [&] {
        double w = SW / 15.0;
        double hh = SH / 15.0;
        RectRgn(h, static_cast<short>(std::nearbyint(w + 1)),
                static_cast<short>(std::nearbyint(hh + 1)), 6, 6);
    });
    Step("buttons", [&] {
        close_.SetLeft(W - 730);
        minmax_.SetLeft(W - 1105);
        min_.SetLeft(W - 1465);
        tool_.SetLeft(W - 1825);
    });
    Step("strip", [&] {
        long width = SW - 6900;
        if (width < 0) {
            throw std::range_error("the strip would have a negative width");
        }
        ::SetWindowPos(tab_->hWnd(), nullptr, Px(kTabLeft), Px(kTabTop), Px(width), tab_->Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    });
    Step("links", [&] {
        gameSpace_.SetLeft(SW - 3300);
        otherUser_.SetLeft(SW - 4850);
    });
    Step("content", [&] {
        long width = SW - 120;
        long height = SH - TH - 60;
        if (width < 0 || height < 0) {
            throw std::range_error("the content area would have a negative size");
        }
        ::SetWindowPos(container_->hWnd(), nullptr, Px(60), Px(TH), Px(width), Px(height),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void WebMainFrm::SetURL(const std::string& strURL) {
    if (!Load()) {
        return;
    }
    OpenTab(strURL);
}

void WebMainFrm::OpenTab(const std::string& address) {
    const std::string key = "Game" + address;
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
}

void WebMainFrm::CloseRequest() {
    Unload();
}

void WebMainFrm::PopupAppMenu() {
    HWND h = hWnd();
    if (!h || !menu_) {
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
        ::ShowWindow(h, ::IsWindowVisible(h) ? SW_HIDE : SW_SHOW);
        break;
    case kClearCache:
        ClearUrlCache("*.*", 0x300000);
        ShowMessage(h, "缓存已清理完毕！", "缓存清理", MB_ICONINFORMATION | MB_OK);
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
    RemoveMsgHook(h);
    tab_->TabItems().Clear();
    objStyle_.reset();
    StopDde();
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
    default:
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    }
}

void WebMainFrm::OnDestroyed() {
    // The tooltip went with its owner.
    tooltip_.release();
}

void WebMainFrm::StartDde() {
    if (ddeInstance_) {
        return;
    }
    if (::DdeInitializeW(&ddeInstance_, &WebMainFrm::DdeCallback,
                         APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS | CBF_FAIL_POKES |
                             CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                         0) != DMLERR_NO_ERROR) {
        ddeInstance_ = 0;
        return;
    }
    ddeService_ = ::DdeCreateStringHandleW(ddeInstance_, kDdeService, CP_WINUNICODE);
    ddeTopic_ = ::DdeCreateStringHandleW(ddeInstance_, kDdeTopic, CP_WINUNICODE);
    ::DdeNameService(ddeInstance_, ddeService_, nullptr, DNS_REGISTER);
}

void WebMainFrm::StopDde() noexcept {
    if (!ddeInstance_) {
        return;
    }
    ::DdeNameService(ddeInstance_, ddeService_, nullptr, DNS_UNREGISTER);
    ::DdeFreeStringHandle(ddeInstance_, ddeService_);
    ::DdeFreeStringHandle(ddeInstance_, ddeTopic_);
    ::DdeUninitialize(ddeInstance_);
    ddeInstance_ = 0;
    ddeService_ = ddeTopic_ = nullptr;
}

void WebMainFrm::DdeExecute(const std::string& command) {
    HWND h = hWnd();
    if (::IsIconic(h)) {
        ::ShowWindow(h, SW_RESTORE); // the window state back to normal
    }
    OpenTab(command);
}

HDDEDATA CALLBACK WebMainFrm::DdeCallback(UINT type, UINT, HCONV, HSZ hsz1, HSZ, HDDEDATA data,
                                          ULONG_PTR, ULONG_PTR) {
    try {
        WebMainFrm* self = g_instance;
        if (!self || !self->ddeInstance_) {
            return nullptr;
        }
        switch (type) {
        case XTYP_CONNECT:
            return reinterpret_cast<HDDEDATA>(
                static_cast<ULONG_PTR>(::DdeCmpStringHandles(hsz1, self->ddeTopic_) == 0));
        case XTYP_EXECUTE: {
            if (::DdeCmpStringHandles(hsz1, self->ddeTopic_) != 0) {
                return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
            }
            DWORD size = ::DdeGetData(data, nullptr, 0, 0);
            std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
            ::DdeGetData(data, reinterpret_cast<BYTE*>(text.data()), size, 0);
            self->DdeExecute(Narrow(text.data()));
            return reinterpret_cast<HDDEDATA>(DDE_FACK);
        }
        default:
            return nullptr;
        }
    } catch (...) {
        LogError("WebMainFrm.DdeCallback: handler failed");
        return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    }
}

} // namespace velm
