// The players' client (player/velm.exe, auto engine) under Wine:
// - with the tests' fake runtime registered as the installed one, a whole session: splash, login
//   (its own profile), the game in a tab of the same profile, a second account through
//   "登录其他帐号" (the next profile), Ctrl+F12 and a page's full screen on the runtime's
//   events, exit; the fake's log shows what the client asked of the
//   runtime and that it released every object;
// - with no runtime, the system WebBrowser control on the login window (and, run with
//   WINEDEBUG=err+eventlog by the e2e_player_fallback_log entry, the log line that says so).
#include "Config.h"
#include "base/Text.h"
#include "support/DemoServer.h"
#include "support/FakeWebView2Runtime.h"
#include "support/SavePng.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velm {
namespace {

using namespace velm::test;

const std::string kGame1 = std::string(VELM_LOGIN_SERVER) + "/velm/game/1/";
const std::string kGame2 = std::string(VELM_LOGIN_SERVER) + "/velm/game/2/";

std::wstring PlayerExe() {
    return Widen(FromUnixPath(std::string(VELM_BINARY_DIR) + "/player/velm.exe"));
}

struct Finder {
    std::wstring cls;
    std::vector<HWND> found;
};
BOOL CALLBACK Collect(HWND h, LPARAM p) {
    auto* f = reinterpret_cast<Finder*>(p);
    if (WindowClass(h) == f->cls) {
        f->found.push_back(h);
    }
    return TRUE;
}
std::vector<HWND> Children(HWND parent, const std::wstring& cls) {
    Finder f{cls, {}};
    ::EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

class PlayersClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DemoReset()) << "the demo server is not running";
        ASSERT_TRUE(DemoSetVersion("1.1.0"));
        ASSERT_TRUE(DemoSet("/velm/login/", 200, "<html><title>login</title></html>", "text/html"));
    }
    void TearDown() override {
        client.Kill();
        DemoReset();
    }
    HWND Visible(const std::wstring& cls, DWORD ms = 20000) {
        DWORD pid = client.Pid();
        return WaitForWindow(
            [&](HWND h) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(h, &owner);
                return owner == pid && WindowClass(h) == cls && ::IsWindowVisible(h);
            },
            ms);
    }
    std::string FakeLog() const { return ReadFileBytes(temp.path() + "fake.log"); }
    bool Logged(const std::string& text, DWORD ms = 20000) {
        return PumpUntil([&] { return FakeLog().find(text) != std::string::npos; }, ms);
    }
    // What the page itself would do: the fake reads these lines every 100 ms.
    void Page(const std::string& command) {
        std::string all = ReadFileBytes(temp.path() + "commands.txt") + command + "\r\n";
        WriteFileBytes(temp.path() + "commands.txt", all);
    }

    TempDir temp;
    ChildProcess client;
};

TEST_F(PlayersClient, ASessionOnTheModernRuntimeKeepsEachAccountInItsOwnProfile) {
    InstalledRuntime registered(FakeRuntimeFolder());
    // Made here: Wine would make a missing one a link to $HOME.
    const std::string pictures = temp.path() + "Pictures\\OrvikVelmora\\";
    ASSERT_TRUE(::CreateDirectoryA((temp.path() + "Pictures").c_str(), nullptr));
    PicturesFolder moved(temp.path() + "Pictures");
    ASSERT_TRUE(
        client.Start(PlayerExe(), L"",
                     {{L"TMP", temp.wpath()},
                      {L"TEMP", temp.wpath()},
                      {L"VELM_FAKE_WEBVIEW2_LOG", Widen(temp.path() + "fake.log")},
                      {L"VELM_FAKE_WEBVIEW2_COMMANDS", Widen(temp.path() + "commands.txt")}}));
    EXPECT_NE(WaitForClass(L"velm.LoadFrm", client.Pid(), 15000), nullptr) << "the splash";

    // The login page in the modern runtime, in the first login's profile.
    ASSERT_NE(Visible(L"velm.LoginFrm"), nullptr);
    ASSERT_TRUE(Logged("v1 loaded " + std::string(VELM_LOGIN_SERVER))) << FakeLog();
    EXPECT_TRUE(Logged("v1 controller requested profile=Login1 ")) << FakeLog();
    EXPECT_TRUE(Logged("v1 put_AreDefaultContextMenusEnabled 0")) << "no context menu on login";

    // The page logs in: the game opens in the main window, in the same profile.
    Page("1 navigate app://loadgame|" + kGame1 + "|1");
    HWND main = Visible(L"velm.WebMainFrm", 30000);
    ASSERT_NE(main, nullptr) << FakeLog();
    ASSERT_TRUE(Logged("v2 loaded " + kGame1)) << FakeLog();
    EXPECT_TRUE(Logged("v2 controller requested profile=Login1 ")) << FakeLog();
    SavePng(CaptureScreen(), ShotsDir() + "modern_game.png");

    // Ctrl+F12 from the runtime's keys keeps the view's own picture (the fake's 16 x 8 PNG),
    // not a copy of the window.
    ::SetForegroundWindow(main);
    Key(VK_CONTROL, true);
    Page("2 key 0x7B");
    EXPECT_TRUE(Logged("v2 key 0x7B handled")) << FakeLog();
    Key(VK_CONTROL, false, 100);
    EXPECT_TRUE(Logged("v2 CapturePreview 0")) << FakeLog();
    std::string picture;
    EXPECT_TRUE(PumpUntil(
        [&] {
            WIN32_FIND_DATAA found{};
            HANDLE h = ::FindFirstFileA((pictures + "*.png").c_str(), &found);
            if (h == INVALID_HANDLE_VALUE) {
                return false;
            }
            ::FindClose(h);
            picture = ReadFileBytes(pictures + found.cFileName);
            return picture.size() > 24;
        },
        5000))
        << pictures;
    EXPECT_EQ(picture.substr(16, 8), std::string("\0\0\0\x10\0\0\0\x08", 8));

    // The page's own full-screen request enters the program's full screen, and leaving it leaves.
    auto fillsScreen = [&] {
        RECT w{};
        ::GetWindowRect(main, &w);
        return w.left == 0 && w.top == 0 && w.right == ::GetSystemMetrics(SM_CXSCREEN) &&
               w.bottom == ::GetSystemMetrics(SM_CYSCREEN);
    };
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    Page("2 fullscreen 1");
    EXPECT_TRUE(PumpUntil(fillsScreen, 5000));
    Page("2 fullscreen 0");
    if (work.bottom < ::GetSystemMetrics(SM_CYSCREEN)) {
        EXPECT_TRUE(PumpUntil([&] { return !fillsScreen(); }, 5000));
    }

    // "登录其他帐号": a second login in the next profile; its game tab shares it.
    HWND other = nullptr;
    for (HWND b : Children(main, L"velm.iButton")) {
        RECT r{};
        ::GetWindowRect(b, &r);
        if (r.right - r.left == 99) {
            other = b;
        }
    }
    ASSERT_NE(other, nullptr) << "the 登录其他帐号 link";
    RECT r{};
    ::GetWindowRect(other, &r);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ASSERT_TRUE(Logged("v3 controller requested profile=Login2 ")) << FakeLog();
    ASSERT_TRUE(Logged("v3 loaded ")) << FakeLog();
    Page("3 navigate app://loadgame|" + kGame2 + "|1");
    ASSERT_TRUE(Logged("v4 loaded " + kGame2)) << FakeLog();
    EXPECT_TRUE(Logged("v4 controller requested profile=Login2 ")) << FakeLog();

    // Exit: the question, "是", and nothing of the runtime's left behind.
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND dialog = Visible(L"velm.MsgFrm", 10000);
    ASSERT_NE(dialog, nullptr);
    POINT yes{56 + 32, 88 + 12};
    ::ClientToScreen(dialog, &yes);
    ClickAt(yes.x, yes.y);
    ASSERT_TRUE(client.Wait(15000)) << "\"是\" ends the program";
    EXPECT_EQ(client.ExitCode(), 0u);
    const std::string log = FakeLog();
    EXPECT_NE(log.find("environment destroyed"), std::string::npos) << log;
    EXPECT_NE(log.find("unloaded live=0"), std::string::npos) << log;
    EXPECT_EQ(log.find("never removed"), std::string::npos) << log;
    EXPECT_EQ(log.find("without Close"), std::string::npos) << log;
    EXPECT_EQ(log.find("still alive"), std::string::npos) << log;
}

TEST_F(PlayersClient, WithoutTheRuntimeTheLoginShowsTheSystemControl) {
    InstalledRuntime none(L"");
    ASSERT_TRUE(client.Start(PlayerExe(), L"", {{L"TMP", temp.wpath()}, {L"TEMP", temp.wpath()}}));
    HWND login = WaitForClass(L"velm.LoginFrm", client.Pid(), 30000);
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !Children(login, L"Shell Embedding").empty(); }, 10000))
        << "the WebBrowser control";
    EXPECT_TRUE(Children(login, L"velm.fake.WebView2.View").empty());
}

} // namespace
} // namespace velm
