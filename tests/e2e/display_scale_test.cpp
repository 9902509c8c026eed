// The main window at display scales other than 100 %: the prefix's LogPixels is set for a child
// run of this program (the system DPI is read when a process starts), then put back.
#include "mainwindow/WebMainFrm.h"

#include "Config.h"
#include "base/Dpi.h"
#include "frame/cSetStyle.h"
#include "startup/LayeredImage.h"
#include "support/DemoServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace velm {
namespace {

using namespace velm::test;

constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
constexpr const char* kChildDpi = "VELM_TEST_DPI";

// Sets the prefix's display scale for processes started from now on; the old one comes back at
// the end.
class LogPixelsScope {
public:
    explicit LogPixelsScope(DWORD dpi) {
        DWORD size = sizeof(old_);
        had_ = ::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                              nullptr, &old_, &size) == ERROR_SUCCESS;
        Set(dpi);
    }
    ~LogPixelsScope() {
        if (had_) {
            Set(old_);
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
        }
    }
    LogPixelsScope(const LogPixelsScope&) = delete;
    LogPixelsScope& operator=(const LogPixelsScope&) = delete;

private:
    static void Set(DWORD dpi) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi,
                          sizeof(dpi));
    }
    DWORD old_ = 96;
    bool had_ = false;
};

RECT PlaceIn(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(DisplayScale, MainWindowAndSplashAreTheDesignAtEachScale) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int dpi : {120, 144, 192}) {
        LogPixelsScope scale(static_cast<DWORD>(dpi));
        ChildProcess child;
        ASSERT_TRUE(child.Start(self, L"--gtest_filter=DisplayScale.Child*",
                                {{L"VELM_TEST_DPI", std::to_wstring(dpi)}}));
        ASSERT_TRUE(child.Wait(120000)) << dpi;
        EXPECT_EQ(child.ExitCode(), 0u) << "at " << dpi << " dpi (its output is above)";
    }
}

// Run by the test above, in a process that started at the scale it sets.
TEST(DisplayScale, ChildMainWindow) {
    const char* wanted = std::getenv(kChildDpi);
    if (!wanted) {
        GTEST_SKIP() << "runs as a child of MainWindowAndSplashAreTheDesignAtEachScale";
    }
    const int dpi = std::atoi(wanted);
    ASSERT_TRUE(DemoReset()) << "the demo server is not running";
    WindowObject::SetQuitOnLastWindow(false);
    WebMainFrm* main = &WebMainFrm::Get();
    main->SetURL(std::string(VELM_LOGIN_SERVER) + "/velm/game/1/");
    main->Show(SW_SHOW);
    HWND h = main->hWnd();
    ASSERT_TRUE(h);
    ASSERT_EQ(WindowDpi(h), dpi) << "the prefix's scale did not reach this process";
    if (main->objStyle()->Maximised()) {
        main->MinMaxClick();
    }
    // A size the test desktop (1024 x 768) can hold, a whole number of twips at each scale: the
    // design itself (15540 x 9585 twips) is wider than that desktop above 96 dpi.
    ::SetWindowPos(h, nullptr, 0, 0, 1000, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(100);
    const long W = 1000L * 1440 / dpi;
    // Every figure is the design's twips at this scale, rounded to the nearest pixel.
    auto px = [dpi](long twips) { return TwipsToPixelsAt(twips, dpi); };
    RECT r{};
    ::GetWindowRect(h, &r);
    ASSERT_EQ(r.right - r.left, 1000);
    ASSERT_EQ(r.bottom - r.top, 700);
    RECT title = PlaceIn(h, main->WebBForm().hWnd());
    EXPECT_EQ(title.right - title.left, 1000);
    EXPECT_EQ(title.bottom - title.top, px(500)) << "the title bar keeps its own height";
    RECT close = PlaceIn(h, main->web_close().hWnd());
    EXPECT_EQ(close.left, px(W - 730));
    EXPECT_EQ(close.top, px(15));
    EXPECT_EQ(close.right - close.left, px(645));
    EXPECT_EQ(close.bottom - close.top, px(270));
    EXPECT_EQ(PlaceIn(h, main->web_minmax().hWnd()).left, px(W - 1105));
    EXPECT_EQ(PlaceIn(h, main->web_min().hWnd()).left, px(W - 1465));
    EXPECT_EQ(PlaceIn(h, main->web_tool().hWnd()).left, px(W - 1825));
    RECT link = PlaceIn(h, main->GameSpaceBtn().hWnd());
    EXPECT_EQ(link.left, px(W - 3300));
    EXPECT_EQ(link.right - link.left, px(1215));
    EXPECT_EQ(link.bottom - link.top, px(330));
    EXPECT_EQ(PlaceIn(h, main->OtherUserBtn().hWnd()).left, px(W - 4850));
    RECT strip = PlaceIn(h, main->WebuTab().hWnd());
    EXPECT_EQ(strip.left, px(2300));
    EXPECT_EQ(strip.top, px(45));
    EXPECT_EQ(strip.right - strip.left, px(W - 6900));
    RECT content = PlaceIn(h, main->pCnt());
    EXPECT_EQ(content.left, px(60));
    EXPECT_EQ(content.top, strip.bottom - strip.top) << "the content starts at the strip's height";
    EXPECT_EQ(content.right - content.left, px(W - 120));
    // The outline: the whole client area, its corners cut.
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(h, rgn), COMPLEXREGION);
    RECT box{};
    ::GetRgnBox(rgn, &box);
    EXPECT_EQ(box.right, 1000);
    EXPECT_EQ(box.bottom, 700);
    EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
    ::DeleteObject(rgn);
    main->m_bExit = true;
    main->Unload();
    WebMainFrm::Destroy();
}

TEST(DisplayScale, ChildSplashPicture) {
    const char* wanted = std::getenv(kChildDpi);
    if (!wanted) {
        GTEST_SKIP() << "runs as a child of MainWindowAndSplashAreTheDesignAtEachScale";
    }
    const int dpi = std::atoi(wanted);
    HWND hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    LayeredImage image;
    image.Show(hwnd, 102);
    const int w = ScaleDesignPixels(356, dpi);
    const int h = ScaleDesignPixels(122, dpi);
    EXPECT_EQ(image.Width(), w);
    EXPECT_EQ(image.Height(), h);
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, w) << "the window shows the picture at its scale";
    EXPECT_EQ(r.bottom - r.top, h);
    Pixels px = ReadBitmap(image.SurfaceDc(), image.SurfaceBitmap());
    ASSERT_EQ(px.width, w);
    EXPECT_EQ(px.a(0, 0), 0u) << "the corner stays wholly transparent";
    EXPECT_EQ(px.a(w / 2, h / 2), 255u) << "the plate stays opaque";
    image.Release();
    ::DestroyWindow(hwnd);
}

} // namespace
} // namespace velm
