// The main window in this process, with the demo server's game pages: tabs from addresses, the
// layout rule, the menu commands with their boxes, the tooltip, the strip's drag rule, DDE while
// minimised, the close path with and without the exit question, and a page the network took away
// coming back by itself.
#include "mainwindow/WebMainFrm.h"

#include "Config.h"
#include "base/Log.h"
#include "base/SettingsFile.h"
#include "base/Text.h"
#include "frame/CSubclass.h"
#include "frame/cFormSubclass.h"
#include "browser/CBasicBrowser.h"
#include "frame/cSetStyle.h"
#include "mainwindow/MainMessages.h"
#include "mainwindow/Screenshot.h"
#include "startup/Messages.h"
#include "mainwindow/WebUrl.h"
#include "startup/PublicData.h"
#include "startup/UpdateCheck.h"
#include "tabstrip/ITabForm.h"
#include "support/DemoServer.h"
#include "support/SavePng.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <ddeml.h>

#include <algorithm>

namespace velm {
namespace {

using namespace velm::test;

const std::string kGame1 = std::string(VELM_LOGIN_SERVER) + "/velm/game/1/";
const std::string kGame2 = std::string(VELM_LOGIN_SERVER) + "/velm/game/2/";

RECT PlaceIn(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DemoReset()) << "the demo server is not running";
        // Each test starts as a first run and leaves the player's own settings alone.
        SetSettingsPath(SettingsFile());
        WindowObject::SetQuitOnLastWindow(false);
        SaveResToFile(101, "ICON", GetTempDir() + "velm.ico");
        main = &WebMainFrm::Get();
        main->SetURL(kGame1);
        main->Show(SW_SHOW);
        ASSERT_TRUE(main->hWnd());
    }
    void TearDown() override {
        if (WebMainFrm::Exists()) {
            main->m_bExit = true;
            main->Unload();
            WebMainFrm::Destroy();
        }
        SetSettingsPath(L"");
    }
    std::wstring SettingsFile() const { return settingsDir.wpath() + L"settings.ini"; }
    // Closed and opened again, the settings read anew from the file.
    void Reopen() {
        main->m_bExit = true;
        ASSERT_TRUE(main->Unload());
        SetSettingsPath(SettingsFile());
        main->SetURL(kGame1);
        main->Show(SW_SHOW);
        ASSERT_TRUE(main->hWnd());
        Pump(100);
    }
    TempDir settingsDir;
    CTabItems& Tabs() { return main->WebuTab().TabItems(); }
    std::string Caption(int i) {
        auto item = Tabs().Item(CTabIndex(i));
        return item ? item->Caption() : std::string("<none>");
    }
    // Back to the design size, centred (the window starts filling the work area).
    void Restore() {
        if (main->objStyle()->Maximised()) {
            main->MinMaxClick();
        }
        Pump(100);
    }
    WebMainFrm* main = nullptr;
};

TEST_F(MainWindow, AddressesBecomeTabsCaptionedWithTheirTitles) {
    ASSERT_EQ(Tabs().Count(), 1);
    EXPECT_EQ(Tabs().FindItem(CTabIndex("Game" + kGame1)), 0) << "the key is Game + address";
    EXPECT_TRUE(PumpUntil([&] { return Caption(0) == "OrvikVelmora 晨曦一区"; }, 10000))
        << Caption(0);
    main->SetURL(kGame1);
    EXPECT_EQ(Tabs().Count(), 1) << "the same address only selects its tab";
    main->SetURL(kGame2);
    EXPECT_EQ(Tabs().Count(), 2);
    EXPECT_EQ(Tabs().Selected(), 1) << "the new tab is selected";
    main->SetURL(kGame1);
    EXPECT_EQ(Tabs().Selected(), 0);
    EXPECT_TRUE(PumpUntil([&] { return Caption(1) == "OrvikVelmora 星辰二区"; }, 10000));
}

TEST_F(MainWindow, UnloadingAgainAndAgainFreesEveryInterceptionRecord) {
    for (int round = 0; round < 3; ++round) {
        main->m_bExit = true;
        ASSERT_TRUE(main->Unload());
        // Records that stepped out of their chains go on their release timers.
        Pump(400);
        EXPECT_EQ(CSubclass::PendingRecords(), 0u) << "round " << round;
        EXPECT_EQ(cFormSubclass::PendingRecords(), 0) << "round " << round;
        main->SetURL(kGame1);
        main->Show(SW_SHOW);
        ASSERT_TRUE(main->hWnd());
    }
}

TEST_F(MainWindow, StartsFillingTheWorkAreaWithItsParts) {
    HWND h = main->hWnd();
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    ::GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_TRUE(main->web_minmax().Value());
    EXPECT_EQ(main->WebBForm().frmHwnd(), nullptr) << "the title bar does not move it then";
    EXPECT_EQ(WindowText(h), Widen("OrvikVelmora客户端"));
    EXPECT_EQ(main->WebBForm().Caption(), "OrvikVelmora");
    EXPECT_NE(::SendMessageW(h, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(::SendMessageW(h, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(std::string(main->Tray().TrayData().szTip), ToAnsi("OrvikVelmora客户端"));
    EXPECT_EQ(main->Tray().TrayData().hWnd, h);
    wchar_t text[64] = {};
    ::GetMenuStringW(main->appmenu(), WebMainFrm::kVersion, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), Widen("版本号:1.1.0"));
    EXPECT_EQ(::GetMenuItemCount(main->appmenu()), 8);
    EXPECT_EQ(::GetWindowLongW(h, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
}

// The glyph and the strip's drag rule read the button's Value: it follows every change of the
// window, whoever made it.
TEST_F(MainWindow, MaximiseButtonFollowsTheWindowsState) {
    HWND h = main->hWnd();
    ASSERT_TRUE(main->objStyle()->Maximised());
    main->MinMaxClick();
    EXPECT_FALSE(main->objStyle()->Maximised());
    EXPECT_FALSE(main->web_minmax().Value());
    EXPECT_EQ(main->WebBForm().frmHwnd(), h);
    main->web_minmax().SetValue(false);
    main->MinMaxClick();
    EXPECT_TRUE(main->objStyle()->Maximised());
    EXPECT_TRUE(main->web_minmax().Value());
}

TEST_F(MainWindow, LayoutAtTheDesignSize) {
    Restore();
    HWND h = main->hWnd();
    RECT r{};
    ::GetWindowRect(h, &r);
    ASSERT_EQ(r.right - r.left, 1036);
    ASSERT_EQ(r.bottom - r.top, 639);
    // Centred in twips: (15360 - 15540) / 2 = -90 twips.
    EXPECT_EQ(r.left, -6);
    const int W = 1036;
    EXPECT_EQ(PlaceIn(h, main->web_close().hWnd()).left, W - 49) << "W - 730 twips";
    EXPECT_EQ(PlaceIn(h, main->web_minmax().hWnd()).left, W - 74);
    EXPECT_EQ(PlaceIn(h, main->web_min().hWnd()).left, W - 98);
    EXPECT_EQ(PlaceIn(h, main->web_tool().hWnd()).left, W - 122);
    RECT strip = PlaceIn(h, main->WebuTab().hWnd());
    EXPECT_EQ(strip.left, 153);
    EXPECT_EQ(strip.top, 3);
    EXPECT_EQ(strip.right - strip.left, 1036 - 460) << "SW - 6900 twips";
    EXPECT_EQ(strip.bottom - strip.top, 32);
    EXPECT_EQ(PlaceIn(h, main->GameSpaceBtn().hWnd()).left, W - 220);
    EXPECT_EQ(PlaceIn(h, main->OtherUserBtn().hWnd()).left, W - 323);
    RECT content = PlaceIn(h, main->pCnt());
    EXPECT_EQ(content.left, 4);
    EXPECT_EQ(content.top, 32) << "the content starts at the strip's height";
    EXPECT_EQ(content.right, W - 4);
    EXPECT_EQ(content.bottom, 639 - 4);
    // The selected tab's form fills the content area.
    HWND form = Tabs().Item(CTabIndex(0))->Form()->hWnd();
    RECT f{};
    ::GetClientRect(form, &f);
    EXPECT_EQ(f.right, content.right - content.left);
    EXPECT_EQ(f.bottom, content.bottom - content.top);
    // The outline covers the whole client area, with rounded corners.
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(h, rgn), COMPLEXREGION);
    RECT box{};
    ::GetRgnBox(rgn, &box);
    EXPECT_EQ(box.right, 1036);
    EXPECT_EQ(box.bottom, 639);
    EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
    EXPECT_TRUE(::PtInRegion(rgn, 1035, 300));
    ::DeleteObject(rgn);
    EXPECT_EQ(main->WebBForm().frmHwnd(), h) << "restored, the title bar drags the window";
}

TEST_F(MainWindow, NarrowWindowKeepsTheStripWidthButMovesTheButtons) {
    Restore();
    HWND h = main->hWnd();
    int before = PlaceIn(h, main->WebuTab().hWnd()).right - PlaceIn(h, main->WebuTab().hWnd()).left;
    ::SetWindowPos(h, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    Pump(100);
    RECT strip = PlaceIn(h, main->WebuTab().hWnd());
    EXPECT_EQ(strip.right - strip.left, before) << "a negative width is a step skipped";
    EXPECT_EQ(PlaceIn(h, main->web_close().hWnd()).left, 400 - 49);
    EXPECT_EQ(PlaceIn(h, main->pCnt()).right, 400 - 4) << "later steps still run";
    // Resizing while minimised changes nothing.
    ::ShowWindow(h, SW_MINIMIZE);
    RECT close = PlaceIn(h, main->web_close().hWnd());
    ::SendMessageW(h, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(10, 10));
    EXPECT_EQ(PlaceIn(h, main->web_close().hWnd()).left, close.left);
    ::ShowWindow(h, SW_RESTORE);
}

TEST_F(MainWindow, DdeCommandRestoresAMinimisedWindowAndOpensTheTab) {
    HWND h = main->hWnd();
    ::ShowWindow(h, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(h));
    // A client conversation on another thread, as another program would hold it.
    std::wstring command = Widen(kGame2);
    bool accepted = false;
    Later client(0, [&] {
        DWORD inst = 0;
        ::DdeInitializeW(&inst, nullptr, APPCMD_CLIENTONLY, 0);
        HSZ service = ::DdeCreateStringHandleW(inst, L"velm", CP_WINUNICODE);
        HSZ topic = ::DdeCreateStringHandleW(inst, L"MarluneDDE", CP_WINUNICODE);
        HCONV conv = ::DdeConnect(inst, service, topic, nullptr);
        if (conv) {
            DWORD result = 0;
            accepted =
                ::DdeClientTransaction(reinterpret_cast<BYTE*>(command.data()),
                                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)),
                                       conv, nullptr, 0, XTYP_EXECUTE, 10000, &result) != nullptr;
            ::DdeDisconnect(conv);
        }
        ::DdeFreeStringHandle(inst, service);
        ::DdeFreeStringHandle(inst, topic);
        ::DdeUninitialize(inst);
    });
    EXPECT_TRUE(PumpUntil([&] { return Tabs().Count() == 2; }, 10000));
    Pump(200);
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(::IsIconic(h)) << "restored before the tab was opened";
    EXPECT_EQ(Tabs().FindItem(CTabIndex("Game" + kGame2)), 1);
    EXPECT_EQ(Tabs().Selected(), 1);
}

// Any local program may send addresses: a flood opens at most 64 tabs and logs one line.
TEST_F(MainWindow, DdeOpensAtMostSixtyFourTabs) {
    std::vector<std::string> log;
    LogSink previous = SetLogSink([&](const std::string& e) { log.push_back(e); });
    int accepted = 0;
    bool done = false;
    {
        Later client(0, [&] {
            DWORD inst = 0;
            ::DdeInitializeW(&inst, nullptr, APPCMD_CLIENTONLY, 0);
            HSZ service = ::DdeCreateStringHandleW(inst, L"velm", CP_WINUNICODE);
            HSZ topic = ::DdeCreateStringHandleW(inst, L"MarluneDDE", CP_WINUNICODE);
            if (HCONV conv = ::DdeConnect(inst, service, topic, nullptr)) {
                for (int i = 1; i <= 70; ++i) {
                    std::wstring command = Widen(kGame2 + "?n=" + std::to_string(i));
                    DWORD result = 0;
                    if (::DdeClientTransaction(
                            reinterpret_cast<BYTE*>(command.data()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)), conv,
                            nullptr, 0, XTYP_EXECUTE, 10000, &result)) {
                        ++accepted;
                    }
                }
                ::DdeDisconnect(conv);
            }
            ::DdeFreeStringHandle(inst, service);
            ::DdeFreeStringHandle(inst, topic);
            ::DdeUninitialize(inst);
            done = true;
        });
        PumpUntil([&] { return done; }, 120000);
    }
    SetLogSink(previous);
    EXPECT_EQ(accepted, 63);
    EXPECT_EQ(Tabs().Count(), 64);
    EXPECT_EQ(Tabs().Selected(), 63) << "the last tab opened stays selected";
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(),
                      [](const std::string& e) { return e.find("64 tabs") != std::string::npos; }),
        1);
}

TEST_F(MainWindow, MenuCommands) {
    HWND h = main->hWnd();
    main->RunMenuCommand(WebMainFrm::kVersion);
    EXPECT_TRUE(::IsWindowVisible(h)) << "the version item does nothing";
    main->RunMenuCommand(WebMainFrm::kHideRestore);
    EXPECT_FALSE(::IsWindowVisible(h));
    main->RunMenuCommand(WebMainFrm::kHideRestore);
    EXPECT_TRUE(::IsWindowVisible(h));

    std::wstring text;
    std::vector<int> buttons;
    {
        Later answer(0, [&] {
            HWND box = WaitForDialog(Widen("缓存清理"), ::GetCurrentProcessId(), 10000);
            if (box) {
                text = MessageBoxText(box);
                buttons = MessageBoxButtons(box);
                PressButton(box, IDOK);
            }
        });
        main->RunMenuCommand(WebMainFrm::kClearCache);
    }
    EXPECT_EQ(text, Widen("缓存已清理完毕！"));
    EXPECT_EQ(buttons, std::vector<int>{IDOK});

    ASSERT_TRUE(DemoSetVersion("1.1.0"));
    text.clear();
    {
        Later answer(0, [&] {
            HWND box = WaitForDialog(Widen("提示"), ::GetCurrentProcessId(), 10000);
            if (box) {
                text = MessageBoxText(box);
                PressButton(box, IDOK);
            }
        });
        main->RunMenuCommand(WebMainFrm::kUpdate);
    }
    EXPECT_EQ(text, Widen("当前版本已是最新，无需更新！"));
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_FALSE(main->m_bExit);

    // A new version that the player declines changes nothing.
    ASSERT_TRUE(DemoSetVersion("1.2.0"));
    std::vector<int> asked;
    {
        Later answer(0, [&] {
            HWND box = WaitForDialog(Widen("提示"), ::GetCurrentProcessId(), 10000);
            if (box) {
                text = MessageBoxText(box);
                asked = MessageBoxButtons(box);
                PressButton(box, IDNO);
            }
        });
        main->RunMenuCommand(WebMainFrm::kUpdate);
    }
    EXPECT_EQ(text, Widen("发现有新版本，是否现在更新！"));
    EXPECT_EQ(asked, (std::vector<int>{IDYES, IDNO}));
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_FALSE(main->m_bExit);

    // No manifest now and none from before: the player is told, nothing ends.
    TempDir empty;
    char saved[MAX_PATH] = {};
    ::GetEnvironmentVariableA("TMP", saved, MAX_PATH);
    ::SetEnvironmentVariableA("TMP", empty.path().c_str());
    ASSERT_TRUE(DemoSet(kManifestPath, 404, "missing"));
    text.clear();
    {
        Later answer(0, [&] {
            HWND box = WaitForDialog(Widen("提示"), ::GetCurrentProcessId(), 10000);
            if (box) {
                text = MessageBoxText(box);
                PressButton(box, IDOK);
            }
        });
        main->RunMenuCommand(WebMainFrm::kUpdate);
    }
    ::SetEnvironmentVariableA("TMP", saved[0] ? saved : nullptr);
    EXPECT_EQ(text, Widen("暂时无法获取更新信息，请稍后再试！"));
    EXPECT_TRUE(::IsWindow(h));
}

// The boxes one 更新 command shows, each answered (No to a question), in order.
std::vector<std::wstring> UpdateBoxes(WebMainFrm& main) {
    std::vector<std::wstring> texts;
    {
        Later answer(0, [&] {
            while (HWND box = WaitForDialog(Widen("提示"), ::GetCurrentProcessId(), 3000)) {
                texts.push_back(MessageBoxText(box));
                PressButton(box, MessageBoxButtons(box).size() == 2 ? IDNO : IDOK);
                for (int i = 0; i < 100 && ::IsWindow(box); ++i) {
                    ::Sleep(20);
                }
            }
        });
        main.RunMenuCommand(WebMainFrm::kUpdate);
    }
    return texts;
}

WebMainFrm* g_again = nullptr;
void CALLBACK UpdateAgain(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_again->RunMenuCommand(WebMainFrm::kUpdate);
}

TEST_F(MainWindow, UpdateCommandSaysWhatBecameOfTheManifest) {
    using Texts = std::vector<std::wstring>;
    ASSERT_TRUE(DemoSetVersion("1.0.9"));
    EXPECT_EQ(UpdateBoxes(*main), Texts{Widen(kUpToDateText)}) << "signed, older";
    ASSERT_EQ(DemoGet("/__control/version?value=2.0.0&signed=0"), "ok\n");
    EXPECT_EQ(UpdateBoxes(*main), Texts{Widen(kUnverifiedText)}) << "unsigned";
    ASSERT_TRUE(DemoSetVersion("1.2.0"));
    EXPECT_EQ(UpdateBoxes(*main), Texts{Widen(kNewVersionText)});
    // The 1.2.0 manifest stays from that check; a fetch that fails now does not read it.
    ASSERT_TRUE(DemoSet(kManifestPath, 404, "missing"));
    EXPECT_EQ(UpdateBoxes(*main), Texts{Widen(kNoManifestText)}) << "not fetched";
    // A second 更新 while the first check runs does nothing.
    ASSERT_TRUE(DemoReset());
    ASSERT_TRUE(DemoSetVersion("1.2.0"));
    g_again = main;
    ::SetTimer(nullptr, 0, 1, &UpdateAgain);
    EXPECT_EQ(UpdateBoxes(*main), Texts{Widen(kNewVersionText)});
    EXPECT_TRUE(::IsWindow(main->hWnd()));
}

TEST_F(MainWindow, TooltipShowsTheHoveredTabsCaption) {
    main->SetURL(kGame2);
    ASSERT_TRUE(PumpUntil([&] { return Caption(1) == "OrvikVelmora 星辰二区"; }, 10000));
    HWND strip = main->WebuTab().hWnd();
    // Over the second pill tab (10 px margin, tabs of at most 200 px with 5 px gaps).
    ::SendMessageW(strip, WM_MOUSEMOVE, 0, MAKELPARAM(10 + 205 + 50, 12));
    EXPECT_EQ(main->ToolTipText(), Widen("OrvikVelmora 星辰二区"));
    ::SendMessageW(strip, WM_MOUSEMOVE, 0, MAKELPARAM(3, 12));
    EXPECT_EQ(main->ToolTipText(), L"") << "the margin shows none";
}

TEST_F(MainWindow, EmptyStripSpaceDragsOnlyTheRestoredWindow) {
    HWND h = main->hWnd();
    HWND strip = main->WebuTab().hWnd();
    // The pointer is driven from another thread: a drag runs the system's move loop on this one.
    auto drag = [&](int dx, int dy) {
        RECT sr{};
        ::GetWindowRect(strip, &sr);
        int x = sr.right - 30;
        int y = sr.top + 12;
        Later pointer(0, [&] {
            MouseTo(x, y, 80);
            MouseButton(1, true, 150);
            MouseTo(x + dx / 2, y + dy / 2, 100);
            MouseTo(x + dx, y + dy, 100);
            MouseButton(1, false, 200);
        });
        PumpUntil([] { return false; }, 1200);
    };
    RECT before{}, after{};
    ::GetWindowRect(h, &before);
    drag(40, 60);
    ::GetWindowRect(h, &after);
    EXPECT_EQ(after.left, before.left) << "filling the work area, the window stays";
    EXPECT_EQ(after.top, before.top);

    Restore();
    ::GetWindowRect(h, &before);
    drag(40, 60);
    ::GetWindowRect(h, &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 60);
}

TEST_F(MainWindow, CloseAsksUnlessTheExitFlagIsSet) {
    HWND h = main->hWnd();
    // "否": the window and its tab stay.
    {
        Later answer(0, [&] {
            HWND dialog = WaitForClass(L"velm.MsgFrm", ::GetCurrentProcessId(), 10000);
            if (dialog) {
                ::Sleep(200);
                POINT no{136 + 32, 88 + 12};
                ::ClientToScreen(dialog, &no);
                MouseTo(no.x, no.y, 60);
                MouseButton(1, true, 60);
                MouseButton(1, false, 60);
            }
        });
        main->CloseRequest();
    }
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_FALSE(main->m_bExit);
    EXPECT_EQ(Tabs().Count(), 1);
    // Closing the last tab through its glyph is a close request; the tab stays when refused.
    bool cancelled = false;
    {
        Later answer(0, [&] {
            HWND dialog = WaitForClass(L"velm.MsgFrm", ::GetCurrentProcessId(), 10000);
            if (dialog) {
                ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
        });
        cancelled = !Tabs().Remove(CTabIndex(0), true);
    }
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(Tabs().Count(), 1);
    EXPECT_TRUE(::IsWindow(h));
    // With the flag set the window closes without asking, and unloads its tabs and frame.
    HWND form = Tabs().Item(CTabIndex(0))->Form()->hWnd();
    main->m_bExit = true;
    main->CloseRequest();
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_FALSE(::IsWindow(form));
    EXPECT_EQ(main->objStyle(), nullptr);
    EXPECT_EQ(::FindWindowW(L"velm.MsgFrm", nullptr), nullptr);
}

// While the exit question is open, another close request and the tray's menu (退出, 更新) must
// not ask again.
TEST_F(MainWindow, OneExitQuestionAtATime) {
    HWND h = main->hWnd();
    size_t questions = 0;
    bool menuShown = false;
    {
        Later answer(0, [&] {
            if (!WaitForClass(L"velm.MsgFrm", ::GetCurrentProcessId(), 10000)) {
                return;
            }
            ::PostMessageW(h, WM_CLOSE, 0, 0);
            ::PostMessageW(h, WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
            ::Sleep(800);
            std::vector<HWND> open;
            WaitForWindow(
                [&](HWND w) {
                    if (WindowClass(w) == L"velm.MsgFrm") {
                        open.push_back(w);
                    }
                    return false;
                },
                0);
            questions = open.size();
            HWND menu = ::FindWindowW(L"#32768", nullptr);
            menuShown = menu && ::IsWindowVisible(menu);
            if (menuShown) {
                ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                ::Sleep(300);
            }
            // "否" to every question, the latest first.
            for (auto it = open.rbegin(); it != open.rend(); ++it) {
                ::PostMessageW(*it, WM_CLOSE, 0, 0);
                ::Sleep(300);
            }
        });
        main->CloseRequest();
        Pump(300);
    }
    EXPECT_EQ(questions, 1u);
    EXPECT_FALSE(menuShown);
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_FALSE(main->m_bExit);
}

} // namespace
} // namespace velm

namespace velm {
namespace {

TEST_F(MainWindow, LoadedAgainAfterAnExitAsksAgain) {
    // Closed with "exit" while another account's login stayed open, then loaded by that login.
    main->m_bExit = true;
    ASSERT_TRUE(main->Unload());
    main->SetURL(kGame1);
    main->Show(SW_SHOW);
    ASSERT_TRUE(main->hWnd());
    EXPECT_FALSE(main->m_bExit) << "the next close asks again";
}

TEST_F(MainWindow, CaptionButtonGivesTheKeysBackToThePage) {
    HWND h = main->hWnd();
    ::SetForegroundWindow(h);
    Pump(100);
    const bool filled = main->objStyle()->Maximised();
    RECT button{};
    ::GetWindowRect(main->web_minmax().hWnd(), &button);
    // The system's move loop never starts from this button, so the pointer can run here.
    MouseTo((button.left + button.right) / 2, (button.top + button.bottom) / 2, 80);
    MouseButton(1, true, 80);
    MouseButton(1, false, 80);
    ASSERT_TRUE(PumpUntil([&] { return main->objStyle()->Maximised() != filled; }, 3000));
    HWND page = Tabs().Item(CTabIndex(0))->Form()->hWnd();
    HWND focus = ::GetFocus();
    EXPECT_TRUE(focus == page || ::IsChild(page, focus))
        << "focus on " << Narrow(WindowClass(focus));
    // A stray Enter or Space does not click the button again.
    for (WORD vk : {WORD(VK_RETURN), WORD(VK_SPACE)}) {
        Key(vk, true, 50);
        Key(vk, false, 50);
    }
    Pump(300);
    EXPECT_NE(main->objStyle()->Maximised(), filled);
}

} // namespace
} // namespace velm

namespace velm {
namespace {

// A key pressed and released on the keyboard while `target` has the focus.
void PressOn(HWND target, std::initializer_list<WORD> keys) {
    ::SetFocus(target);
    for (WORD vk : keys) {
        Key(vk, true, 30);
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        Key(*it, false, 30);
    }
    Pump(200);
}

bool Same(const RECT& a, const RECT& b) {
    return ::EqualRect(&a, &b) != FALSE;
}

TEST_F(MainWindow, FullScreenShowsThePageAloneUntilF11OrEsc) {
    HWND h = main->hWnd();
    main->SetURL(kGame2);
    ::SetForegroundWindow(h);
    Restore();
    RECT before{};
    ::GetWindowRect(h, &before);
    HWND page = Tabs().Item(CTabIndex(1))->Form()->hWnd();
    const RECT monitor{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};

    PressOn(page, {VK_F11});
    ASSERT_TRUE(main->FullScreen());
    RECT r{};
    ::GetWindowRect(h, &r);
    EXPECT_TRUE(Same(r, monitor)) << "the whole monitor, taskbar included";
    for (HWND part : {main->WebuTab().hWnd(), main->WebBForm().hWnd(), main->web_close().hWnd(),
                      main->web_tool().hWnd()}) {
        EXPECT_FALSE(::IsWindowVisible(part));
    }
    RECT client{};
    ::GetClientRect(h, &client);
    EXPECT_TRUE(Same(PlaceIn(h, main->pCnt()), client)) << "the page fills it";
    Pump(300);
    SavePng(CaptureScreen(), ShotsDir() + "full_screen.png");
    // Another address (as DDE brings) selects its tab and full screen stays.
    main->SetURL(kGame1);
    EXPECT_EQ(Tabs().Selected(), 0);
    EXPECT_TRUE(main->FullScreen());

    PressOn(Tabs().Item(CTabIndex(0))->Form()->hWnd(), {VK_ESCAPE});
    EXPECT_FALSE(main->FullScreen());
    ::GetWindowRect(h, &r);
    EXPECT_TRUE(Same(r, before)) << "back where it was";
    EXPECT_TRUE(::IsWindowVisible(main->WebuTab().hWnd()));
    EXPECT_FALSE(main->objStyle()->Maximised());

    PressOn(page, {VK_F11});
    EXPECT_TRUE(main->FullScreen());
    PressOn(page, {VK_F11});
    EXPECT_FALSE(main->FullScreen());
    ::GetWindowRect(h, &r);
    EXPECT_TRUE(Same(r, before));
}

TEST_F(MainWindow, CtrlF12SavesThePageAsOnScreen) {
    TempDir dir;
    const std::wstring folder = Widen(dir.path()) + L"Pictures\\OrvikVelmora\\";
    SetScreenshotFolder(folder);
    HWND h = main->hWnd();
    ::SetForegroundWindow(h);
    ASSERT_TRUE(PumpUntil([&] { return Caption(0) == "OrvikVelmora 晨曦一区"; }, 10000));
    Pump(300);
    HWND page = Tabs().Item(CTabIndex(0))->Form()->hWnd();
    // The screen as the key finds it (the balloon that follows may cover part of the page).
    const Pixels screen = CaptureScreen();
    PressOn(page, {VK_CONTROL, VK_F12});

    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"*.png").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "a picture in the folder, created on the way";
    ::FindClose(search);
    const std::wstring name = found.cFileName;
    EXPECT_EQ(name.size(), std::wstring(L"20261208-143005.png").size()) << Narrow(name);
    EXPECT_EQ(name[8], L'-');
    EXPECT_EQ(std::string(main->Tray().TrayData().szInfoTitle), ToAnsi("截图已保存"));
    EXPECT_EQ(std::string(main->Tray().TrayData().szInfo), ToAnsi(Narrow(folder + name)));

    Pixels shot = LoadPng(folder + name);
    RECT area{};
    ::GetClientRect(page, &area);
    ::MapWindowPoints(page, nullptr, reinterpret_cast<POINT*>(&area), 2);
    ASSERT_EQ(shot.width, area.right - area.left);
    ASSERT_EQ(shot.height, area.bottom - area.top);
    int differing = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            differing += shot.rgb(x, y) != screen.rgb(area.left + x, area.top + y);
        }
    }
    EXPECT_EQ(differing, 0) << "the file shows the page pixel for pixel";

    // A folder that cannot be made (a file stands in its way): a balloon says so.
    ASSERT_TRUE(WriteFileBytes(dir.path() + "blocked", "x"));
    SetScreenshotFolder(Widen(dir.path()) + L"blocked\\OrvikVelmora\\");
    EXPECT_EQ(main->TakeScreenshot(), L"");
    EXPECT_EQ(std::string(main->Tray().TrayData().szInfoTitle), ToAnsi("截图保存失败"));
    SetScreenshotFolder(L"");
}

} // namespace
} // namespace velm

namespace velm {
namespace {

TEST_F(MainWindow, ReopensWhereItWasLeftUnlessThatIsOffScreen) {
    Restore();
    const RECT place{40, 30, 740, 530};
    ::SetWindowPos(main->hWnd(), nullptr, place.left, place.top, 700, 500,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    Reopen();
    RECT r{};
    ::GetWindowRect(main->hWnd(), &r);
    EXPECT_TRUE(::EqualRect(&r, &place))
        << r.left << "," << r.top << " " << r.right << "," << r.bottom;
    EXPECT_FALSE(main->objStyle()->Maximised());
    EXPECT_FALSE(main->web_minmax().Value());

    // Left filling the work area: it fills it again, and restoring returns to the same place.
    main->MinMaxClick();
    Reopen();
    EXPECT_TRUE(main->objStyle()->Maximised());
    main->MinMaxClick();
    ::GetWindowRect(main->hWnd(), &r);
    EXPECT_TRUE(::EqualRect(&r, &place));

    // A place on no monitor now (a screen since unplugged): today's placement.
    main->m_bExit = true;
    ASSERT_TRUE(main->Unload());
    Settings& s = AppSettings();
    s.SetLong("window", "left", -5000);
    s.SetBool("window", "filled", false);
    ASSERT_TRUE(SaveAppSettings());
    main->SetURL(kGame1);
    main->Show(SW_SHOW);
    EXPECT_TRUE(main->objStyle()->Maximised());
    ::GetWindowRect(main->hWnd(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
}

} // namespace
} // namespace velm

namespace velm {
namespace {

CBasicBrowser* PageBrowser(CTabItems& tabs, int i) {
    auto item = tabs.Item(CTabIndex(i));
    auto* form = item ? dynamic_cast<WebUrl*>(item->Form().get()) : nullptr;
    return form ? dynamic_cast<CBasicBrowser*>(form->wb()) : nullptr;
}

// The size of the page's first text, as painted.
int FirstTextSize(CBasicBrowser& page) {
    for (const DisplayItem& item : page.Layout().items) {
        if (item.kind == DisplayItem::Kind::Text) {
            return item.font.size;
        }
    }
    return 0;
}

TEST_F(MainWindow, TabKeysSelectAroundAndCtrlF4ClosesAsTheGlyph) {
    main->SetURL(kGame2);
    ::SetForegroundWindow(main->hWnd());
    Pump(100);
    auto page = [&] { return Tabs().Item(CTabIndex(Tabs().Selected()))->Form()->hWnd(); };
    ASSERT_EQ(Tabs().Selected(), 1);
    PressOn(page(), {VK_CONTROL, VK_TAB});
    EXPECT_EQ(Tabs().Selected(), 0) << "past the last tab: the first";
    PressOn(page(), {VK_CONTROL, VK_TAB});
    EXPECT_EQ(Tabs().Selected(), 1);
    PressOn(page(), {VK_CONTROL, VK_SHIFT, VK_TAB});
    EXPECT_EQ(Tabs().Selected(), 0);
    PressOn(page(), {VK_CONTROL, VK_SHIFT, VK_TAB});
    EXPECT_EQ(Tabs().Selected(), 1) << "before the first tab: the last";

    PressOn(page(), {VK_CONTROL, VK_F4});
    ASSERT_EQ(Tabs().Count(), 1);
    EXPECT_EQ(Tabs().FindItem(CTabIndex("Game" + kGame1)), 0);
    // The last tab asks whether to leave; closing the question keeps window and tab.
    bool asked = false;
    {
        Later answer(0, [&] {
            HWND dialog = WaitForClass(L"velm.MsgFrm", ::GetCurrentProcessId(), 10000);
            if (dialog) {
                asked = true;
                ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
        });
        PressOn(page(), {VK_CONTROL, VK_F4});
    }
    EXPECT_TRUE(asked);
    EXPECT_EQ(Tabs().Count(), 1);
    EXPECT_TRUE(::IsWindow(main->hWnd()));
}

TEST_F(MainWindow, ZoomKeysStepThePageAndItsSiteKeepsTheZoom) {
    ::SetForegroundWindow(main->hWnd());
    ASSERT_TRUE(PumpUntil([&] { return Caption(0) == "OrvikVelmora 晨曦一区"; }, 10000));
    CBasicBrowser* first = PageBrowser(Tabs(), 0);
    ASSERT_NE(first, nullptr);
    const int size = FirstTextSize(*first);
    ASSERT_GT(size, 0);
    HWND page = Tabs().Item(CTabIndex(0))->Form()->hWnd();

    PressOn(page, {VK_CONTROL, VK_OEM_PLUS});
    PressOn(page, {VK_CONTROL, VK_OEM_PLUS});
    EXPECT_EQ(first->Zoom(), 125);
    EXPECT_EQ(FirstTextSize(*first), MulDiv(size, 125, 100));
    PressOn(page, {VK_CONTROL, VK_OEM_MINUS});
    EXPECT_EQ(first->Zoom(), 110);
    // The wheel turned towards the screen with Ctrl held.
    ::SetFocus(page);
    Key(VK_CONTROL, true);
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    ::SendInput(1, &wheel, sizeof(wheel));
    Pump(100);
    Key(VK_CONTROL, false);
    Pump(100);
    EXPECT_EQ(first->Zoom(), 100);
    PressOn(page, {VK_CONTROL, '0'});
    EXPECT_EQ(first->Zoom(), 100);
    for (int i = 0; i < 8; ++i) {
        PressOn(page, {VK_CONTROL, VK_OEM_PLUS});
    }
    EXPECT_EQ(first->Zoom(), 200) << "200 % at most";

    // Another page of the same site opens at that zoom; the file keeps it for the next run.
    main->SetURL(kGame2);
    CBasicBrowser* second = PageBrowser(Tabs(), 1);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return second->Zoom() == 200; }, 10000));
    std::string site = kGame1.substr(0, kGame1.find('/', 8));
    site = site.substr(0, site.rfind(':'));
    EXPECT_NE(ReadFileBytes(Narrow(SettingsFile())).find(site + "=200\r\n"), std::string::npos)
        << ReadFileBytes(Narrow(SettingsFile()));
    PressOn(Tabs().Item(CTabIndex(1))->Form()->hWnd(), {VK_CONTROL, '0'});
    EXPECT_EQ(second->Zoom(), 100);
    EXPECT_EQ(ReadFileBytes(Narrow(SettingsFile())).find(site), std::string::npos);
}

TEST_F(MainWindow, MuteFollowsTheMenuAndTheBossKey) {
    HWND h = main->hWnd();
    CBasicBrowser* page = PageBrowser(Tabs(), 0);
    ASSERT_NE(page, nullptr);
    auto checked = [&] {
        return (::GetMenuState(main->appmenu(), WebMainFrm::kMute, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    wchar_t text[16]{};
    ::GetMenuStringW(main->appmenu(), WebMainFrm::kMute, text, 16, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(text), "静音");
    auto f10 = [] {
        Key(VK_F10, true);
        Key(VK_F10, false);
        Pump(200);
    };
    // F10 hides and silences; shown again, the sound is back.
    f10();
    ASSERT_FALSE(::IsWindowVisible(h));
    EXPECT_TRUE(page->Muted());
    EXPECT_FALSE(checked()) << "the player did not mute";
    f10();
    ASSERT_TRUE(::IsWindowVisible(h));
    EXPECT_FALSE(page->Muted());

    // Muted by the player: it stays muted through F10, and in the file.
    main->RunMenuCommand(WebMainFrm::kMute);
    EXPECT_TRUE(checked());
    EXPECT_TRUE(page->Muted());
    f10();
    f10();
    ASSERT_TRUE(::IsWindowVisible(h));
    EXPECT_TRUE(page->Muted());
    EXPECT_NE(ReadFileBytes(Narrow(SettingsFile())).find("[sound]\r\nmuted=1"), std::string::npos);
    // The next run starts muted, the item checked.
    Reopen();
    EXPECT_TRUE(checked());
    EXPECT_TRUE(PageBrowser(Tabs(), 0)->Muted());
    main->RunMenuCommand(WebMainFrm::kMute);
    EXPECT_FALSE(checked());
    EXPECT_FALSE(PageBrowser(Tabs(), 0)->Muted());
}

// The page's painted text, run after run.
std::string PageText(CBasicBrowser& page) {
    std::string text;
    for (const DisplayItem& item : page.Layout().items) {
        if (item.kind == DisplayItem::Kind::Text) {
            text += item.text;
        }
    }
    return text;
}

// The server drops the game page's connections: the tab shows our page instead of the engine's
// empty one, keeps the game's caption, tries every 5 s, and shows the game again by itself once
// the server answers; the page's link tries at once.
TEST_F(MainWindow, PageTheNetworkTookComesBackByItself) {
    ASSERT_TRUE(PumpUntil([&] { return Caption(0) == "OrvikVelmora 晨曦一区"; }, 10000));
    CBasicBrowser* page = PageBrowser(Tabs(), 0);
    ASSERT_NE(page, nullptr);
    const std::string path = kGame1.substr(kGame1.find("/velm/"));
    const std::string retryText = "网络连接中断，正在重试…立即重试";
    auto asked = [&] {
        const std::string listed = DemoGet("/__control/requests");
        size_t n = 0;
        for (size_t at = listed.find(path + "\n"); at != std::string::npos;
             at = listed.find(path + "\n", at + 1)) {
            ++n;
        }
        return n;
    };
    auto takeAway = [&] {
        ASSERT_EQ(DemoGet("/__control/fault?path=" + path + "&kind=close"), "ok\n");
        Tabs().Item(CTabIndex(0))->Form()->RefreshPage();
        ASSERT_TRUE(PumpUntil([&] { return PageText(*page) == retryText; }, 15000))
            << PageText(*page);
    };
    auto gameIsBack = [&] {
        return page->DocumentUrl() == kGame1 &&
               PageText(*page).find("晨曦一区") != std::string::npos;
    };
    takeAway();
    Pump(200);
    SavePng(CaptureScreen(), ShotsDir() + "retry_page.png");
    EXPECT_EQ(Caption(0), "OrvikVelmora 晨曦一区") << "the tab keeps the game's caption";
    const size_t before = asked();
    Pump(6500);
    EXPECT_GT(asked(), before) << "tried again on its own";
    EXPECT_EQ(PageText(*page), retryText) << "a failed try shows our page again";

    ASSERT_TRUE(DemoReset());
    EXPECT_TRUE(PumpUntil(gameIsBack, 8000)) << page->DocumentUrl() << " " << PageText(*page);
    EXPECT_EQ(Caption(0), "OrvikVelmora 晨曦一区");
    EXPECT_EQ(Tabs().FindItem(CTabIndex("Game" + kGame1)), 0);

    // The link: the page comes back well before the next timed try.
    takeAway();
    ASSERT_TRUE(DemoReset());
    const DWORD clicked = ::GetTickCount();
    for (const DisplayItem& item : page->Layout().items) {
        if (item.text == "立即重试") {
            const LPARAM at = MAKELPARAM(item.x + item.width / 2, item.y + item.height / 2);
            ::SendMessageW(page->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::SendMessageW(page->hWnd(), WM_LBUTTONUP, 0, at);
        }
    }
    EXPECT_TRUE(PumpUntil(gameIsBack, 8000));
    EXPECT_LT(::GetTickCount() - clicked, 3000u) << "the link tries at once";
}

} // namespace
} // namespace velm
