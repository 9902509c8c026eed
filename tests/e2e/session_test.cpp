// A whole session of the program under Wine with the demo server, driven the way a player drives
// it: splash, login page, the game in the main window filling the work area, a second game page
// through DDE, the boss key, the tray icon and its menu, the exit question answered "否" and then
// "是" from the last tab's close glyph. The same session runs again at 150 %.
#include "Config.h"
#include "base/Text.h"
#include "base/WindowDpi.h"
#include "support/DemoServer.h"
#include "tabstrip/CTabLayout.h"
#include "support/SavePng.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <ddeml.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velm {
namespace {

using namespace velm::test;

const std::string kGame1 = std::string(VELM_LOGIN_SERVER) + "/velm/game/1/";
const std::string kGame2 = std::string(VELM_LOGIN_SERVER) + "/velm/game/2/";

std::string PageGoingTo(const std::string& address) {
    return "<html><head><meta http-equiv=\"refresh\" content=\"1;url=" + address +
           "\"><title>login</title></head><body style=\"background:#FEFEFE\">"
           "<p style=\"background:#FFFFFF\">logging in</p></body></html>";
}

struct Finder {
    std::wstring cls;
    std::wstring text;
    std::vector<HWND> found;
};
BOOL CALLBACK Collect(HWND h, LPARAM p) {
    auto* f = reinterpret_cast<Finder*>(p);
    if (WindowClass(h) == f->cls && (f->text.empty() || WindowText(h) == f->text)) {
        f->found.push_back(h);
    }
    return TRUE;
}
std::vector<HWND> Children(HWND parent, const std::wstring& cls, const std::wstring& text = {}) {
    Finder f{cls, text, {}};
    ::EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// Executes `command` on the client's DDE topic; true when the client accepted it.
bool DdeExecute(const std::string& command) {
    DWORD inst = 0;
    if (::DdeInitializeW(&inst, &NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        return false;
    }
    HSZ service = ::DdeCreateStringHandleW(inst, L"velm", CP_WINUNICODE);
    HSZ topic = ::DdeCreateStringHandleW(inst, L"MarluneDDE", CP_WINUNICODE);
    bool ok = false;
    HCONV conv = ::DdeConnect(inst, service, topic, nullptr);
    if (conv) {
        std::wstring text = Widen(command);
        DWORD result = 0;
        HDDEDATA r = ::DdeClientTransaction(reinterpret_cast<BYTE*>(text.data()),
                                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                                            conv, nullptr, 0, XTYP_EXECUTE, 10000, &result);
        ok = r != nullptr;
        ::DdeDisconnect(conv);
    }
    ::DdeFreeStringHandle(inst, service);
    ::DdeFreeStringHandle(inst, topic);
    ::DdeUninitialize(inst);
    return ok;
}

// The README's pictures are the 100 % ones.
void Shot(const std::string& name) {
    if (ChildDpi() != 0) {
        return;
    }
    Pump(300);
    SavePng(CaptureScreen(), ShotsDir() + name + ".png");
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DemoReset()) << "the demo server is not running";
        ASSERT_TRUE(DemoSetVersion("1.1.0"));
        ASSERT_TRUE(DemoSet("/velm/login/", 200, PageGoingTo("app://loadgame|" + kGame1 + "|1"),
                            "text/html"));
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
    // Waits until the main window shows `count` game pages (one browser per tab form).
    bool Pages(HWND main, size_t count, DWORD ms = 20000) {
        return PumpUntil([&] { return Children(main, L"velm.BasicBrowser").size() == count; }, ms);
    }
    bool PageShown(HWND main, const std::string& url, DWORD ms = 20000) {
        return PumpUntil(
            [&] {
                for (HWND b : Children(main, L"velm.BasicBrowser", Widen(url))) {
                    if (::IsWindowVisible(b)) {
                        return true;
                    }
                }
                return false;
            },
            ms);
    }

    TempDir temp;
    ChildProcess client;
};

TEST_F(Session, FromLoginToExit) {
    // Where the design's pixels are at the scale this run (and the client) started at.
    const int dpi = SystemDpi();
    auto px = [dpi](int design) { return ScaleDesignPixels(design, dpi); };
    // The player's Pictures folder in the test's own folder, as Windows finds it.
    // Made here: Wine would make a missing one a link to $HOME.
    const std::string pictures = temp.path() + "Pictures\\OrvikVelmora\\";
    ASSERT_TRUE(::CreateDirectoryA((temp.path() + "Pictures").c_str(), nullptr));
    PicturesFolder moved(temp.path() + "Pictures");
    // A settings folder of its own: the run leaves the window restored, which the next run
    // would otherwise reopen as.
    ASSERT_TRUE(client.Start(
        VelmExePath(), L"",
        {{L"TMP", temp.wpath()}, {L"TEMP", temp.wpath()}, {L"LOCALAPPDATA", temp.wpath()}}));
    HWND main = Visible(L"velm.WebMainFrm", 30000);
    ASSERT_NE(main, nullptr) << "app://loadgame opens the main window";
    EXPECT_EQ(::FindWindowW(L"velm.LoginBgFrm", nullptr), nullptr) << "the login pair is closed";
    EXPECT_EQ(WindowText(main), Widen("OrvikVelmora客户端"));

    // It fills the work area: the screen above the taskbar.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    PumpUntil([&] {
        ::GetWindowRect(main, &r);
        return r.left == 0 && r.top == 0;
    });
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_FALSE(::IsZoomed(main)) << "filling the work area is a move, not a window state";

    // One tab with the game page.
    ASSERT_TRUE(PageShown(main, kGame1));
    EXPECT_EQ(Children(main, L"velm.BasicBrowser").size(), 1u);

    // A second address through DDE opens a second tab and shows it; the same address again only
    // selects its tab.
    EXPECT_TRUE(DdeExecute(kGame2));
    ASSERT_TRUE(PageShown(main, kGame2));
    EXPECT_TRUE(DdeExecute(kGame2));
    Pump(500);
    EXPECT_EQ(Children(main, L"velm.BasicBrowser").size(), 2u);
    Shot("main_maximised");

    // The boss key hides and shows the window; so does a left click on the tray icon.
    ::SendMessageW(main, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F10));
    EXPECT_FALSE(::IsWindowVisible(main));
    ::SendMessageW(main, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F10));
    EXPECT_TRUE(::IsWindowVisible(main));
    ::SendMessageW(main, 0x1862, 1000, WM_LBUTTONUP);
    EXPECT_FALSE(::IsWindowVisible(main));
    ::SendMessageW(main, 0x1862, 1000, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(main));

    // A right click on the tray icon pops up the program menu; Escape closes it.
    MouseTo(600, 400, 50);
    ::PostMessageW(main, 0x1862, 1000, WM_RBUTTONUP);
    HWND menu = Visible(L"#32768", 5000);
    ASSERT_NE(menu, nullptr) << "the program menu";
    Shot("tray_menu");
    Key(VK_ESCAPE, true);
    Key(VK_ESCAPE, false, 200);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(menu); }, 3000));

    // Restore with the maximise button: the centred design size comes back.
    std::vector<HWND> buttons = Children(main, L"velm.iButton");
    HWND minmax = nullptr;
    for (HWND b : buttons) {
        RECT br{};
        ::GetWindowRect(b, &br);
        if (br.right - br.left == px(25) && br.top < px(10)) {
            minmax = b;
        }
    }
    ASSERT_NE(minmax, nullptr);
    RECT mr{};
    ::GetWindowRect(minmax, &mr);
    ClickAt((mr.left + mr.right) / 2, (mr.top + mr.bottom) / 2);
    // 15540 x 9585 twips, as much of it as the desktop lets a window have.
    const int restoredWidth =
        std::min(TwipsToPixelsAt(15540, dpi), ::GetSystemMetrics(SM_CXMAXTRACK));
    EXPECT_TRUE(PumpUntil([&] {
        ::GetWindowRect(main, &r);
        return r.right - r.left == restoredWidth;
    }));
    EXPECT_EQ(r.bottom - r.top,
              std::min(TwipsToPixelsAt(9585, dpi), ::GetSystemMetrics(SM_CYMAXTRACK)));
    // Centred, but a design taller than the screen (150 % on the test desktop) keeps its title
    // bar on the screen.
    EXPECT_GE(r.top, 0);
    Shot("main_normal");

    // The close request asks; "否" keeps everything.
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND dialog = Visible(L"velm.MsgFrm", 10000);
    ASSERT_NE(dialog, nullptr);
    Shot("exit_question");
    POINT no{px(136 + 32), px(88 + 12)};
    ::ClientToScreen(dialog, &no);
    ClickAt(no.x, no.y);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(dialog); }, 5000));
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_EQ(Children(main, L"velm.BasicBrowser").size(), 2u);

    // Ctrl+F12 keeps a picture of the page in the player's Pictures folder and says so.
    ::SetForegroundWindow(main);
    Key(VK_CONTROL, true);
    Key(VK_F12, true);
    Key(VK_F12, false);
    Key(VK_CONTROL, false, 200);
    EXPECT_TRUE(PumpUntil(
        [&] {
            WIN32_FIND_DATAA found{};
            HANDLE h = ::FindFirstFileA((pictures + "*.png").c_str(), &found);
            if (h == INVALID_HANDLE_VALUE) {
                return false;
            }
            ::FindClose(h);
            return true;
        },
        5000))
        << pictures;
    Pump(1500); // the balloon comes from the notification area in its own time
    Shot("screenshot_balloon");

    // Close the second tab with its glyph, then the last one: that asks the exit question.
    HWND strip = Children(main, L"VelmTabStrip").at(0);
    RECT sr{};
    ::GetWindowRect(strip, &sr);
    auto glyph = [&](int tab, int count) {
        // Pill tabs up to 200 wide as the strip's room gives: 10 px margin, tab i at
        // i * (width + 5); glyph 8..20 px before its right end.
        const int width = CTabLayout::CalcStandardWidth(1, sr.right - sr.left, px(10), 0,
                                                        std::vector<CTabBox>(count), dpi);
        return POINT{sr.left + px(10) + tab * (width + px(5)) + width - px(14), sr.top + px(13)};
    };
    POINT g1 = glyph(1, 2);
    ClickAt(g1.x, g1.y);
    EXPECT_TRUE(Pages(main, 1, 5000)) << "the second tab and its page are gone";
    POINT g0 = glyph(0, 1);
    ClickAt(g0.x, g0.y);
    dialog = Visible(L"velm.MsgFrm", 10000);
    ASSERT_NE(dialog, nullptr) << "closing the last tab asks the exit question";
    EXPECT_EQ(Children(main, L"velm.BasicBrowser").size(), 1u) << "the tab stays meanwhile";
    POINT yes{px(56 + 32), px(88 + 12)};
    ::ClientToScreen(dialog, &yes);
    ClickAt(yes.x, yes.y);
    EXPECT_TRUE(client.Wait(15000)) << "\"是\" ends the program";
    EXPECT_EQ(client.ExitCode(), 0u);
}

TEST(SessionAtScale, FromLoginToExitAt150Percent) {
    if (ChildDpi() != 0) {
        GTEST_SKIP() << "the child run is the session itself";
    }
    EXPECT_TRUE(PassesAtDpi(144, L"Session.FromLoginToExit", 180000)) << "its output is above";
}

} // namespace
} // namespace velm
