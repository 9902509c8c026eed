#include "startup/LoginFrm.h"

#include "base/Handles.h"
#include "base/Log.h"
#include "base/Text.h"
#include "base/Units.h"
#include "startup/AppCommand.h"
#include "startup/LoadFrm.h"
#include "startup/LoginBgFrm.h"
#include "startup/Messages.h"
#include "startup/PublicData.h"

#include "Config.h"

namespace velm {
namespace {

std::function<void(const std::string&)> g_gameOpener;
std::string g_loginPageUrl;
unsigned long g_pageTimeLimitMs = 0;
constexpr UINT_PTR kPageTimer = 1;

constexpr COLORREF kKeyColour = 0xFEFEFE;

HWND LoginWindow() {
    return FormInstance<LoginFrm>::Pointer() ? FormInstance<LoginFrm>::Pointer()->hWnd() : nullptr;
}

void UnloadLoadingWindow() {
    if (LoadFrm::Exists() && LoadFrm::Get().IsLoaded()) {
        LoadFrm::Get().Unload();
    }
}

// Keeps the message loop running while one window set gives way to the next: the login windows
// go before the game window exists.
class QuitDeferral {
public:
    QuitDeferral() : quit_(WindowObject::QuitOnLastWindow()) {
        WindowObject::SetQuitOnLastWindow(false);
    }
    QuitDeferral(const QuitDeferral&) = delete;
    QuitDeferral& operator=(const QuitDeferral&) = delete;
    ~QuitDeferral() {
        WindowObject::SetQuitOnLastWindow(quit_);
        if (quit_ && WindowObject::LiveWindows() == 0) {
            ::PostQuitMessage(0);
        }
    }

private:
    bool quit_;
};

} // namespace

LoginFrm& LoginFrm::Get() {
    return FormInstance<LoginFrm>::Get();
}

bool LoginFrm::Exists() noexcept {
    return FormInstance<LoginFrm>::Pointer() != nullptr;
}

void LoginFrm::SetGameOpener(std::function<void(const std::string&)> opener) {
    g_gameOpener = std::move(opener);
}

std::string LoginFrm::LoginPageUrl() {
    return g_loginPageUrl.empty() ? std::string(VELM_LOGIN_SERVER) + "/velm/login/"
                                  : g_loginPageUrl;
}

void LoginFrm::SetLoginPageUrl(std::string url) {
    g_loginPageUrl = std::move(url);
}

void LoginFrm::SetPageTimeLimit(unsigned long ms) {
    g_pageTimeLimitMs = ms;
}

LoginFrm::LoginFrm()
    : picture1_(kKeyColour, PixelsToTwips(-7), PixelsToTwips(-52), PixelsToTwips(888),
                PixelsToTwips(518)) {
    SetLoginMoveFollower(&LoginWindow);
}

FormDesign LoginFrm::Design() const {
    FormDesign d;
    d.className = L"velm.LoginFrm";
    d.caption = "LoginFrm";
    d.style = WS_POPUP | WS_CLIPCHILDREN;
    d.exStyle = WS_EX_TOOLWINDOW; // no taskbar button
    d.clientWidth = 888;
    d.clientHeight = 518;
    d.centred = true;
    return d;
}

void LoginFrm::OnLoad() {
    HWND hwnd = hWnd();
    // The form's controls: the key-coloured frame and the browser inside it.
    picture1_.Create(hwnd);
    // Each login of this run, and the tabs it opens, keep their accounts' cookies in a profile
    // of their own: the first login always the same one, the second the next, and so on.
    static int logins = 0;
    SetBrowserProfile("Login" + std::to_string(++logins));
    webBrowser1_ = CreateBrowser(picture1_.hWnd(), RECT{0, 0, 920, 625});
    if (webBrowser1_) {
        webBrowser1_->SuppressContextMenu(true);
        webBrowser1_->events.BeforeNavigate2 = [](const std::string& url, bool& cancel) {
            LoginFrm::Get().OnBeforeNavigate2(url, cancel);
        };
        webBrowser1_->events.DocumentComplete = [](const std::string& url, bool) {
            LoginFrm::Get().OnDocumentComplete(url);
        };
    }

    std::string iconPath = GetTempDir() + "velm" + ".ico";
    SaveResToFile(101, "ICON", iconPath);
    UniqueIcon small(static_cast<HICON>(
        ::LoadImageA(nullptr, iconPath.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
    LoginBgFrm& background = LoginBgFrm::Get();
    background.Load();
    background.SetIcon(ICON_SMALL, std::move(small));
    UniqueIcon big(static_cast<HICON>(
        ::LoadImageA(nullptr, iconPath.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE)));
    background.SetIcon(ICON_BIG, std::move(big));

    if (webBrowser1_) {
        webBrowser1_->Navigate(LoginPageUrl());
    }
    if (!hWnd()) {
        return; // the page's first address already closed the login
    }
    // A server that accepts and never answers would keep the splash up (or an empty login
    // window open) for ever, whatever the browser's own waits are.
    ::SetTimer(hwnd, kPageTimer, g_pageTimeLimitMs ? g_pageTimeLimitMs : kPageTimeLimitMs, nullptr);
    ::SetWindowLongA(hwnd, GWL_EXSTYLE, ::GetWindowLongA(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd, kKeyColour, 0, LWA_COLORKEY);
    ::SetWindowLongPtrA(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(background.hWnd()));
    background.Load();
}

void LoginFrm::OnUnload() {
    ::KillTimer(hWnd(), kPageTimer);
    minimisePending_ = false;
    webBrowser1_.reset();
    picture1_.Destroy();
}

LRESULT LoginFrm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd);
        UniqueBrush brush(::CreateSolidBrush(kKeyColour));
        ::FillRect(paint.dc(), &paint.rect(), brush.get());
        return 0;
    }
    case WM_LBUTTONDOWN:
        ::ReleaseCapture();
        ::SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return 0;
    case WM_TIMER:
        if (wParam == kPageTimer) {
            ::KillTimer(hwnd, kPageTimer);
            OnPageTimeLimit();
            return 0;
        }
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    default:
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    }
}

void LoginFrm::OnPageTimeLimit() {
    LogError("LoginFrm: the login page did not complete within " +
             std::to_string(g_pageTimeLimitMs ? g_pageTimeLimitMs : kPageTimeLimitMs) +
             " ms: " + LoginPageUrl());
    GiveUp();
}

void LoginFrm::GiveUp() {
    ::KillTimer(hWnd(), kPageTimer);
    const bool starting = LoadFrm::Exists() && LoadFrm::Get().IsLoaded();
    // The login has given up on the page: whatever it still does while the box is open (a late
    // completion, an app://loadgame) must not act, so its browser goes first. A handler of the
    // browser's own event may do this.
    webBrowser1_.reset();
    ShowMessage(nullptr, kNoNetworkText, kPromptTitle, MB_ICONWARNING | MB_OK);
    if (starting) {
        TerminateNow(); // there is nothing to play without the server
    }
    // Another account's login while the game runs, or a later page of this login: only the
    // login pair goes (the client ends when it was the last window).
    if (LoginBgFrm::Exists()) {
        LoginBgFrm::Get().Unload();
    }
}

void LoginFrm::Minimise() {
    if (!LoginBgFrm::Exists() || !LoginBgFrm::Get().hWnd()) {
        return;
    }
    HWND bg = LoginBgFrm::Get().hWnd();
    if (::IsWindowVisible(bg)) {
        ::ShowWindow(bg, SW_MINIMIZE);
        return;
    }
    // Before the first completion the picture is still hidden, and minimising would show it:
    // the pair comes up minimised then instead.
    minimisePending_ = true;
    Hide();
}

void LoginFrm::ShowPair() {
    HWND bg = LoginBgFrm::Get().hWnd();
    if (bg && ::IsWindowVisible(bg)) {
        return;
    }
    if (!minimisePending_) {
        LoginBgFrm::Get().Show(SW_SHOWNORMAL);
        Show(SW_SHOWNORMAL);
        return;
    }
    minimisePending_ = false;
    LoginBgFrm::Get().Show(SW_SHOWMINNOACTIVE);
    // Shown, then hidden with its minimised owner, so that it comes back when the owner does.
    Show(SW_SHOWNA);
    ::ShowOwnedPopups(LoginBgFrm::Get().hWnd(), FALSE);
}

void LoginFrm::OnBeforeNavigate2(const std::string& url, bool& cancel) {
    const AppCommand command = MatchAppCommand(url);
    cancel = CancelsNavigation(command);
    switch (command) {
    case AppCommand::ExitGame:
        // Before the page first completed, the splash is still up: the player asked to leave,
        // so it goes too and the client ends.
        LoginBgFrm::Get().Unload();
        UnloadLoadingWindow();
        return;
    case AppCommand::Minimize:
        Minimise();
        return;
    case AppCommand::LoadGame: {
        std::optional<std::string> game = GameAddress(url);
        if (!game) {
            // No game address: nothing to open, so the login stays for another choice.
            return;
        }
        if (!IsGameAddress(*game)) {
            // A frame of the page could name local content or a share; the login stays.
            LogError("LoginFrm: app://loadgame refused, not a web address: " +
                     game->substr(0, 256));
            cancel = true;
            return;
        }
        QuitDeferral keepRunning;
        LoginBgFrm::Get().Unload();
        UnloadLoadingWindow();
        if (g_gameOpener) {
            auto opener = g_gameOpener;
            opener(*game);
        }
        return;
    }
    case AppCommand::None:
        return;
    }
}

void LoginFrm::OnDocumentComplete(const std::string& url) {
    if (!webBrowser1_) {
        return;
    }
    if (webBrowser1_->RootInnerHtml().empty()) {
        LogError("LoginFrm: the login page completed empty: " + url.substr(0, 256));
        GiveUp();
        return;
    }
    if (webBrowser1_->DocumentUrl().find(url) == std::string::npos) {
        return; // a frame has completed
    }
    ::KillTimer(hWnd(), kPageTimer);
    ShowPair();
    UnloadLoadingWindow();
}

} // namespace velm
