// The login window pair in this process, with the login page served by a real HTTP server: load
// steps, layering, placement, the app:// commands, dragging and a second login.
#include "startup/LoginBgFrm.h"
#include "startup/LoginFrm.h"
#include "startup/Messages.h"
#include "startup/PublicData.h"

#include "base/Text.h"
#include "support/HttpTestServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::HttpTestServer;
using test::Pump;
using test::PumpUntil;

std::string LoginPage() {
    return "<!DOCTYPE html><html><head><title>login</title></head>"
           "<body style=\"margin:0;background:#FEFEFE\">"
           "<div style=\"margin:120px 0 0 240px;width:440px;padding:24px;background:#FFFFFF\">"
           "<p><a href=\"app://loadgame|http://game.example/1/|1\">enter</a></p></div>"
           "</body></html>";
}

RECT WindowRect(HWND h) {
    RECT r{};
    ::GetWindowRect(h, &r);
    return r;
}

// Where a child lies in its parent's client area.
RECT ChildRect(HWND child) {
    RECT r = WindowRect(child);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Login : public ::testing::Test {
protected:
    void SetUp() override {
        WindowObject::SetQuitOnLastWindow(false);
        server.Route("/velm/login/", {200, LoginPage()});
        LoginFrm::SetLoginPageUrl(server.Url("/velm/login/"));
        LoginFrm::SetGameOpener([this](const std::string& url) { opened.push_back(url); });
    }
    void TearDown() override {
        if (LoginBgFrm::Exists()) {
            LoginBgFrm::Get().Unload();
        }
        if (LoginFrm::Exists()) {
            LoginFrm::Get().Unload();
        }
        LoginFrm::SetGameOpener(nullptr);
        LoginFrm::SetLoginPageUrl("");
        Pump(50);
    }
    HWND Bg() { return LoginBgFrm::Get().hWnd(); }
    HWND Page() { return LoginFrm::Get().hWnd(); }
    bool WaitShown() {
        return PumpUntil([&] { return Bg() && ::IsWindowVisible(Bg()); });
    }
    // Navigates the page's own browser, as a click on a link would.
    bool Navigate(const std::string& url) {
        IBrowser* b = LoginFrm::Get().WebBrowser1();
        if (!b) {
            return false;
        }
        b->Navigate(url);
        return true;
    }

    HttpTestServer server;
    std::vector<std::string> opened;
};

TEST_F(Login, LoadPreparesBothWindowsHiddenThenTheTopCompletionShowsThem) {
    LoginFrm& page = LoginFrm::Get();
    ASSERT_TRUE(page.Load());
    ASSERT_NE(Bg(), nullptr) << "the page window loads the background window";
    EXPECT_FALSE(::IsWindowVisible(Page()));
    EXPECT_FALSE(::IsWindowVisible(Bg()));

    // The page window: colour key, owner, no taskbar button, the frame and the browser.
    EXPECT_NE(::GetWindowLongW(Page(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(Page(), &key, &alpha, &flags));
    EXPECT_EQ(key, 0xFEFEFEu);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    EXPECT_EQ(::GetWindow(Page(), GW_OWNER), Bg());
    EXPECT_NE(::GetWindowLongW(Page(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    RECT client{};
    ::GetClientRect(Page(), &client);
    EXPECT_EQ(client.right, 888);
    EXPECT_EQ(client.bottom, 518);
    RECT picture = ChildRect(page.Picture1());
    EXPECT_EQ(picture.left, -7);
    EXPECT_EQ(picture.top, -52);
    EXPECT_EQ(picture.right - picture.left, 888);
    EXPECT_EQ(picture.bottom - picture.top, 518);
    ASSERT_NE(page.WebBrowser1(), nullptr);
    HWND browser = page.WebBrowser1()->hWnd();
    EXPECT_EQ(::GetParent(browser), page.Picture1());
    RECT web = ChildRect(browser);
    EXPECT_EQ(web.left, 0);
    EXPECT_EQ(web.top, 0);
    EXPECT_EQ(web.right, 920);
    EXPECT_EQ(web.bottom, 625);

    // The background window: no caption or sizing border, layered, its caption and icons.
    LONG style = ::GetWindowLongW(Bg(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_NE(::GetWindowLongW(Bg(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(test::WindowText(Bg()), L"OrvikVelmora客户端");
    EXPECT_EQ(LoginBgFrm::Get().Image().Width(), 888);
    EXPECT_EQ(LoginBgFrm::Get().Image().Height(), 518);
    std::string icon = GetTempDir() + "velm.ico";
    EXPECT_EQ(test::ReadFileBytes(icon), std::string(ResourceBytes(101, "ICON")));
    for (auto [which, size] : {std::pair{ICON_SMALL, 16}, std::pair{ICON_BIG, 32}}) {
        HICON h = reinterpret_cast<HICON>(::SendMessageW(Bg(), WM_GETICON, which, 0));
        ASSERT_NE(h, nullptr) << which;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(h, &info));
        BITMAP bm{};
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }

    ASSERT_TRUE(WaitShown());
    EXPECT_TRUE(::IsWindowVisible(Page()));
    RECT a = WindowRect(Bg());
    RECT b = WindowRect(Page());
    EXPECT_EQ(a.left, b.left) << "the page lies exactly over the picture";
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right - a.left, 888);
    EXPECT_EQ(a.bottom - a.top, 518);
    EXPECT_EQ(a.left, (::GetSystemMetrics(SM_CXSCREEN) - 888) / 2);
}

TEST_F(Login, FrameCompletionShowsNothingTheTopOneShowsBoth) {
    server.Route("/velm/login/", {200, "<title>x</title><iframe src=\"/frame\"></iframe>ok"});
    server.Route("/frame", {200, "frame"});
    ASSERT_TRUE(LoginFrm::Get().Load());
    IBrowser* b = LoginFrm::Get().WebBrowser1();
    std::vector<std::string> seen;
    auto original = b->events.DocumentComplete;
    b->events.DocumentComplete = [&, original](const std::string& url, bool top) {
        original(url, top);
        seen.push_back((top ? "top " : "frame ") + url + (::IsWindowVisible(Bg()) ? " shown" : ""));
    };
    ASSERT_TRUE(WaitShown());
    EXPECT_EQ(seen, (std::vector<std::string>{"frame " + server.Url("/frame"),
                                              "top " + server.Url("/velm/login/") + " shown"}));
}

TEST_F(Login, MinimiseCommandMinimisesThePairAndIsCancelled) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    long errors = 0;
    LoginFrm::Get().WebBrowser1()->events.NavigateError = [&](const std::string&, long) {
        ++errors;
    };
    ASSERT_TRUE(Navigate("app://minimize"));
    Pump(300);
    EXPECT_TRUE(::IsIconic(Bg()));
    EXPECT_FALSE(::IsWindowVisible(Page())) << "the owned page window goes with its owner";
    EXPECT_EQ(errors, 0) << "the navigation was cancelled";
    EXPECT_EQ(LoginFrm::Get().WebBrowser1()->DocumentUrl(), server.Url("/velm/login/"));
    ::ShowWindow(Bg(), SW_RESTORE);
    Pump(300);
    EXPECT_TRUE(::IsWindowVisible(Page())) << "and comes back with it";
}

TEST_F(Login, ExitCommandClosesThePair) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    bool cancel = false;
    LoginFrm::Get().OnBeforeNavigate2("app://exitgame", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(Bg(), nullptr);
    EXPECT_EQ(Page(), nullptr);
    EXPECT_TRUE(opened.empty());
}

TEST_F(Login, ExitThroughTheBrowserItself) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    ASSERT_TRUE(Navigate("app://exitgame"));
    EXPECT_EQ(Bg(), nullptr);
    EXPECT_EQ(Page(), nullptr);
    Pump(200);
}

TEST_F(Login, LoadCommandHandsOnTheSecondField) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    bool cancel = false;
    LoginFrm::Get().OnBeforeNavigate2("app://loadgame|http://game.example/2/|2|more", cancel);
    EXPECT_TRUE(cancel) << "the browser has gone with the login; its navigation must not go on";
    EXPECT_EQ(opened, (std::vector<std::string>{"http://game.example/2/"}));
    EXPECT_EQ(Bg(), nullptr);
    EXPECT_EQ(Page(), nullptr);
}

TEST_F(Login, ClickOnTheGameLinkOpensTheGame) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    // The link sits in the white box: 240 + 24 px in, 120 + 24 + 16 px down on the page, which
    // is shown 7 px left and 52 px up.
    POINT pt{240 + 24 + 10 - 7, 120 + 24 + 16 + 8 - 52};
    HWND browser = LoginFrm::Get().WebBrowser1()->hWnd();
    ::MapWindowPoints(Page(), browser, &pt, 1);
    ::PostMessageW(browser, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::PostMessageW(browser, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }, 3000));
    EXPECT_EQ(opened, (std::vector<std::string>{"http://game.example/1/"}));
    EXPECT_EQ(Bg(), nullptr);
}

TEST_F(Login, LoadCommandWithoutAnAddressKeepsTheLogin) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    for (const char* bad : {"app://loadgame", "app://loadgame|", "app://loadgame||x"}) {
        bool cancel = false;
        LoginFrm::Get().OnBeforeNavigate2(bad, cancel);
        EXPECT_TRUE(cancel) << bad;
        EXPECT_TRUE(::IsWindowVisible(Bg())) << bad;
    }
    EXPECT_TRUE(opened.empty());
}

TEST_F(Login, CommandsAreCaseSensitive) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    bool cancel = false;
    LoginFrm::Get().OnBeforeNavigate2("APP://EXITGAME", cancel);
    EXPECT_FALSE(cancel);
    EXPECT_TRUE(::IsWindowVisible(Bg()));
    cancel = false;
    LoginFrm::Get().OnBeforeNavigate2(server.Url("/velm/login/?next"), cancel);
    EXPECT_FALSE(cancel) << "ordinary addresses are navigated to";
}

TEST_F(Login, MovingThePictureCarriesThePage) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    ::SetWindowPos(Bg(), nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump(100);
    RECT b = WindowRect(Page());
    EXPECT_EQ(b.left, 33);
    EXPECT_EQ(b.top, 44);
}

// Presses `target` at screen point `from` and drags by (dx, dy) with the real mouse. Where the
// page shows the key colour the press falls through to the picture below on Windows; Wine's
// virtual desktop does not pass it through, so there the press is given to the window directly
// while the mouse button is really held and moved.
void Drag(HWND target, POINT from, int dx, int dy) {
    auto input = [](DWORD flags, LONG x, LONG y) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        ::SendInput(1, &in, sizeof(in));
    };
    ::SetCursorPos(from.x, from.y);
    PumpUntil(
        [&] {
            POINT at{};
            ::GetCursorPos(&at);
            return at.x == from.x && at.y == from.y;
        },
        2000);
    POINT local = from;
    ::ScreenToClient(target, &local);
    bool reachesTarget = ::WindowFromPoint(from) == target;
    {
        // The system's move loop runs inside this thread's handling of the press; the mouse is
        // pressed, moved and released from another thread meanwhile.
        test::Later mouse(0, [&] {
            input(MOUSEEVENTF_LEFTDOWN, from.x, from.y);
            ::Sleep(300);
            for (int i = 1; i <= 10; ++i) {
                input(0, from.x + dx * i / 10, from.y + dy * i / 10);
                ::Sleep(30);
            }
            input(MOUSEEVENTF_LEFTUP, from.x + dx, from.y + dy);
        });
        Pump(150);
        if (!reachesTarget) {
            ::PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
        }
        Pump(1200);
    }
}

TEST_F(Login, DraggingThePictureMovesBoth) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    RECT start = WindowRect(Bg());
    Drag(Bg(), POINT{start.left + 100, start.top + 30}, 40, 30);
    RECT a = WindowRect(Bg());
    RECT b = WindowRect(Page());
    EXPECT_EQ(a.left - start.left, 40);
    EXPECT_EQ(a.top - start.top, 30);
    EXPECT_EQ(b.left, a.left) << "the page follows";
    EXPECT_EQ(b.top, a.top);
}

TEST_F(Login, DraggingThePageMovesItAlone) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    RECT start = WindowRect(Page());
    Drag(Page(), POINT{start.left + 884, start.top + 510}, -50, 20);
    RECT a = WindowRect(Bg());
    RECT b = WindowRect(Page());
    EXPECT_EQ(b.left - start.left, -50);
    EXPECT_EQ(b.top - start.top, 20);
    EXPECT_EQ(a.left, start.left) << "the picture stays";
    EXPECT_EQ(a.top, start.top);
}

TEST_F(Login, SecondLoginFromARunningGame) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    bool cancel = false;
    LoginFrm::Get().OnBeforeNavigate2("app://loadgame|http://game.example/1/", cancel);
    ASSERT_EQ(Bg(), nullptr);

    // The main window shows the page window again: it appears at once, the picture at the
    // page's completion.
    LoginFrm::Get().Show();
    EXPECT_TRUE(::IsWindowVisible(Page()));
    ASSERT_NE(Bg(), nullptr);
    EXPECT_EQ(::GetWindow(Page(), GW_OWNER), Bg());
    ASSERT_TRUE(WaitShown());
    LoginFrm::Get().OnBeforeNavigate2("app://loadgame|http://game.example/2/|x", cancel);
    EXPECT_EQ(opened,
              (std::vector<std::string>{"http://game.example/1/", "http://game.example/2/"}));

    LoginFrm::Get().Show();
    ASSERT_TRUE(WaitShown());
    cancel = false;
    LoginFrm::Get().OnBeforeNavigate2("app://exitgame", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(Bg(), nullptr);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(Login, StalledServerOnASecondLoginClosesOnlyTheLogin) {
    test::Response stalled{200, LoginPage()};
    stalled.delayMs = 3000;
    server.Route("/velm/login/", stalled);
    LoginFrm::SetPageTimeLimit(500);
    std::wstring text;
    {
        test::Later answer(0, [&] {
            if (HWND box = test::WaitForDialog(L"提示", ::GetCurrentProcessId(), 10000)) {
                text = test::MessageBoxText(box);
                test::PressButton(box, IDOK);
            }
        });
        ASSERT_TRUE(LoginFrm::Get().Load());
        PumpUntil([&] { return !text.empty() && !Page(); }, 12000);
    }
    LoginFrm::SetPageTimeLimit(0);
    EXPECT_EQ(text, Widen(kNoNetworkText));
    EXPECT_EQ(Page(), nullptr) << "the login pair went; the process goes on";
    EXPECT_EQ(Bg(), nullptr);
}

// The page arrives, and asks for the game, while the time-out's box is open: the login has
// already given up, so neither may act.
TEST_F(Login, NothingThePageDoesWhileTheTimeOutBoxIsOpenActs) {
    test::Response late{200, "<html><head><meta http-equiv=\"refresh\" "
                             "content=\"0;url=app://loadgame|http://game.example/1/\"></head>"
                             "<body>login</body></html>"};
    late.delayMs = 1500;
    server.Route("/velm/login/", late);
    LoginFrm::SetPageTimeLimit(500);
    bool shownUnderTheBox = false;
    bool answered = false;
    {
        test::Later answer(0, [&] {
            if (HWND box = test::WaitForDialog(L"提示", ::GetCurrentProcessId(), 10000)) {
                ::Sleep(2500);
                HWND bg = ::FindWindowW(L"velm.LoginBgFrm", nullptr);
                shownUnderTheBox = bg && ::IsWindowVisible(bg);
                test::PressButton(box, IDOK);
                answered = true;
            }
        });
        ASSERT_TRUE(LoginFrm::Get().Load());
        PumpUntil([&] { return answered && !Page(); }, 12000);
    }
    LoginFrm::SetPageTimeLimit(0);
    EXPECT_TRUE(answered);
    EXPECT_FALSE(shownUnderTheBox);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(Page(), nullptr);
}

TEST_F(Login, EmptyPageOnASecondLoginClosesOnlyTheLogin) {
    if (test::RanAlone()) {
        return;
    }
    server.Route("/velm/login/", {200, ""});
    std::wstring text;
    {
        test::Later answer(0, [&] {
            if (HWND box = test::WaitForDialog(L"提示", ::GetCurrentProcessId(), 10000)) {
                text = test::MessageBoxText(box);
                test::PressButton(box, IDOK);
            }
        });
        ASSERT_TRUE(LoginFrm::Get().Load());
        PumpUntil([&] { return !text.empty() && !Page(); }, 12000);
    }
    EXPECT_EQ(text, Widen(kNoNetworkText));
    EXPECT_EQ(Page(), nullptr) << "the login pair went; the process goes on";
    EXPECT_EQ(Bg(), nullptr);
}

TEST_F(Login, AMinimisedPairStaysMinimised) {
    // Asked before the page first completed: nothing shows until then, and then the pair comes
    // up minimised.
    ASSERT_TRUE(LoginFrm::Get().Load());
    bool cancel = false;
    LoginFrm::Get().OnBeforeNavigate2("app://minimize", cancel);
    EXPECT_TRUE(cancel);
    EXPECT_FALSE(::IsWindowVisible(Bg()));
    ASSERT_TRUE(WaitShown());
    EXPECT_TRUE(::IsIconic(Bg()));
    EXPECT_FALSE(::IsWindowVisible(Page()));

    // Later pages complete while the pair is minimised.
    IBrowser* b = LoginFrm::Get().WebBrowser1();
    int completed = 0;
    auto original = b->events.DocumentComplete;
    b->events.DocumentComplete = [&, original](const std::string& url, bool top) {
        original(url, top);
        ++completed;
    };
    ASSERT_TRUE(Navigate(server.Url("/velm/login/")));
    ASSERT_TRUE(PumpUntil([&] { return completed > 0; }));
    Pump(100);
    EXPECT_TRUE(::IsIconic(Bg()));
    EXPECT_FALSE(::IsWindowVisible(Page()));
    ::ShowWindow(Bg(), SW_RESTORE);
    Pump(300);
    EXPECT_TRUE(::IsWindowVisible(Page())) << "the page comes back with the picture";
}

TEST_F(Login, RightClickOnThePageOpensNoMenu) {
    ASSERT_TRUE(LoginFrm::Get().Load());
    ASSERT_TRUE(WaitShown());
    HWND browser = LoginFrm::Get().WebBrowser1()->hWnd();
    bool seen = false;
    {
        test::Later later(400, [&] {
            HWND menu = ::FindWindowW(L"#32768", nullptr);
            if (menu && ::IsWindowVisible(menu)) {
                seen = true;
                ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            }
        });
        ::PostMessageW(browser, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 200));
        ::PostMessageW(browser, WM_RBUTTONUP, 0, MAKELPARAM(300, 200));
        Pump(700);
    }
    EXPECT_FALSE(seen);
}

} // namespace
} // namespace velm
