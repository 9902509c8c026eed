// The whole program under Wine with the demo server: the login windows over the desktop, the
// page's app:// commands, and the empty login page.
#include "startup/LayeredImage.h"
#include "startup/Messages.h"

#include "Config.h"
#include "base/Text.h"
#include "base/WindowObject.h"
#include "support/DemoServer.h"
#include "support/SavePng.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

using namespace velm::test;

const std::string kGame1 = std::string(VELM_LOGIN_SERVER) + "/velm/game/1/";

// A login page that navigates itself to `address` a second after it has completed.
std::string PageGoingTo(const std::string& address) {
    return "<html><head><meta http-equiv=\"refresh\" content=\"1;url=" + address +
           "\"><title>login</title></head><body style=\"background:#FEFEFE\">"
           "<p style=\"background:#FFFFFF\">logging in</p></body></html>";
}

class LoginProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DemoReset()) << "the demo server is not running";
        ASSERT_TRUE(DemoSetVersion("1.1.0"));
    }
    void TearDown() override {
        client.Kill();
        DemoReset();
    }
    bool Start() {
        return client.Start(VelmExePath(), L"", {{L"TMP", temp.wpath()}, {L"TEMP", temp.wpath()}});
    }
    HWND Visible(const std::wstring& cls, DWORD ms = 15000) {
        DWORD pid = client.Pid();
        return WaitForWindow(
            [&](HWND h) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(h, &owner);
                return owner == pid && WindowClass(h) == cls && ::IsWindowVisible(h);
            },
            ms);
    }

    TempDir temp;
    ChildProcess client;
};

struct FindText {
    std::wstring cls;
    std::wstring text;
    HWND found = nullptr;
};
BOOL CALLBACK FindChild(HWND h, LPARAM p) {
    auto* f = reinterpret_cast<FindText*>(p);
    if (WindowClass(h) == f->cls && WindowText(h) == f->text) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

TEST_F(LoginProgram, LoginPairOverTheDesktopReplacesTheSplash) {
    ASSERT_TRUE(Start());
    HWND bg = Visible(L"velm.LoginBgFrm");
    ASSERT_NE(bg, nullptr);
    HWND page = Visible(L"velm.LoginFrm", 2000);
    ASSERT_NE(page, nullptr);
    Pump(500);
    EXPECT_EQ(::FindWindowW(L"velm.LoadFrm", nullptr), nullptr) << "the splash is gone";
    EXPECT_EQ(WindowText(bg), L"OrvikVelmora客户端");
    RECT a{}, b{};
    ::GetWindowRect(bg, &a);
    ::GetWindowRect(page, &b);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right - a.left, 888);
    EXPECT_EQ(a.bottom - a.top, 518);

    Pixels screen = CaptureScreen();
    SaveBmp(screen, ShotsDir() + "login.bmp");
    SavePng(screen, ShotsDir() + "login.png");

    // Where the page shows the key colour, the skin picture shows; the page's own box covers it.
    WindowObject::SetQuitOnLastWindow(false);
    HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 888, 518, nullptr, nullptr,
                                   nullptr, nullptr);
    LayeredImage skin;
    skin.Show(probe, 101);
    // The picture's surface is a top-down 32-bit DIB section (premultiplied BGRA); read it
    // directly.
    DIBSECTION ds{};
    ASSERT_EQ(::GetObjectW(skin.SurfaceBitmap(), sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    ASSERT_EQ(ds.dsBm.bmWidth, 888);
    const auto* bits = static_cast<const unsigned char*>(ds.dsBm.bmBits);
    auto at = [&](int x, int y) { return bits + y * ds.dsBm.bmWidthBytes + x * 4; };
    int matched = 0;
    int opaque = 0;
    for (int y = 0; y < 60; y += 7) {
        for (int x = 100; x < 800; x += 13) {
            const unsigned char* p = at(x, y);
            if (p[3] != 255) {
                continue;
            }
            ++opaque;
            matched += screen.rgb(a.left + x, a.top + y) == RGB(p[2], p[1], p[0]);
        }
    }
    skin.Release();
    ::DestroyWindow(probe);
    ASSERT_GT(opaque, 50);
    EXPECT_EQ(matched, opaque) << "the skin shows through the key-coloured top of the page";
    // The demo page's white box starts 240 px in and 120 px down the page, which is shown 7 px
    // left and 52 px up.
    EXPECT_EQ(screen.rgb(a.left + 240 - 7 + 5, a.top + 120 - 52 + 5), RGB(255, 255, 255));
}

TEST_F(LoginProgram, MinimiseCommandMinimisesThePair) {
    ASSERT_TRUE(DemoSet("/velm/login/", 200, PageGoingTo("app://minimize"), "text/html"));
    ASSERT_TRUE(Start());
    HWND bg = Visible(L"velm.LoginBgFrm");
    ASSERT_NE(bg, nullptr);
    HWND page = ::FindWindowW(L"velm.LoginFrm", nullptr);
    for (int i = 0; i < 100 && !(::IsIconic(bg) && !::IsWindowVisible(page)); ++i) {
        Pump(50);
    }
    EXPECT_TRUE(::IsIconic(bg));
    EXPECT_FALSE(::IsWindowVisible(page));
    EXPECT_TRUE(client.Running());
}

TEST_F(LoginProgram, ExitCommandEndsTheClient) {
    ASSERT_TRUE(DemoSet("/velm/login/", 200, PageGoingTo("app://exitgame"), "text/html"));
    ASSERT_TRUE(Start());
    ASSERT_NE(Visible(L"velm.LoginBgFrm"), nullptr);
    ASSERT_TRUE(client.Wait(10000)) << "the last window is gone, so the client ends";
    EXPECT_EQ(client.ExitCode(), 0u);
}

TEST_F(LoginProgram, LoadCommandOpensTheGameAddress) {
    ASSERT_TRUE(
        DemoSet("/velm/login/", 200, PageGoingTo("app://loadgame|" + kGame1 + "|1"), "text/html"));
    ASSERT_TRUE(Start());
    HWND bg = Visible(L"velm.LoginBgFrm");
    ASSERT_NE(bg, nullptr);
    // Some window of the client shows the game page: its browser's document is the address.
    HWND game = nullptr;
    DWORD pid = client.Pid();
    for (int i = 0; i < 200 && !game; ++i) {
        Pump(50);
        game = WaitForWindow(
            [&](HWND h) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(h, &owner);
                if (owner != pid || !::IsWindowVisible(h)) {
                    return false;
                }
                FindText f{L"velm.BasicBrowser", Widen(kGame1)};
                ::EnumChildWindows(h, &FindChild, reinterpret_cast<LPARAM>(&f));
                return f.found != nullptr;
            },
            10);
    }
    EXPECT_NE(game, nullptr);
    EXPECT_FALSE(::IsWindow(bg)) << "the login windows are closed";
    EXPECT_EQ(::FindWindowW(L"velm.LoginFrm", nullptr), nullptr);
    EXPECT_TRUE(client.Running());
}

TEST_F(LoginProgram, EmptyLoginPageShowsTheNetworkMessageAndEnds) {
    ASSERT_TRUE(DemoSet("/velm/login/", 200, "", "text/html"));
    ASSERT_TRUE(Start());
    HWND box = WaitForDialog(L"提示", client.Pid(), 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), Widen(kNoNetworkText));
    EXPECT_EQ(MessageBoxButtons(box), (std::vector<int>{IDOK}));
    PressButton(box, IDOK);
    ASSERT_TRUE(client.Wait(10000));
    EXPECT_EQ(::FindWindowW(L"velm.LoginBgFrm", nullptr), nullptr);
}

TEST_F(LoginProgram, StalledLoginServerShowsTheNetworkMessageAndEnds) {
    // The server sends the headers and four bytes of the page, then nothing.
    ASSERT_EQ(DemoGet("/__control/fault?path=/velm/login/&kind=stall"), "ok\n");
    ASSERT_TRUE(Start());
    HWND box = WaitForDialog(L"提示", client.Pid(), 25000);
    ASSERT_NE(box, nullptr) << "the splash would wait for ever";
    EXPECT_EQ(MessageBoxText(box), Widen(kNoNetworkText));
    PressButton(box, IDOK);
    EXPECT_TRUE(client.Wait(10000));
}

} // namespace
} // namespace velm
