// The main window at display scales other than 100 %: the prefix's LogPixels is set for a child
// run of this program (the system DPI is read when a process starts), then put back.
#include "mainwindow/WebMainFrm.h"

#include "Config.h"
#include "base/WindowDpi.h"
#include "frame/cSetStyle.h"
#include "startup/LayeredImage.h"
#include "support/FakeTabForm.h"
#include "support/SavePng.h"
#include "tabstrip/uTab.h"
#include "support/DemoServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>
#include <string>

namespace velm {
namespace {

using namespace velm::test;

// Rows of column `x` of `shown` whose colour is nowhere in column `sx` of `skin`: a skin copied
// or stretched pixel for pixel has none, a smoothed one blends new shades.
int NewShades(const Pixels& shown, int x, const Pixels& skin, int sx) {
    int count = 0;
    for (int y = 0; y < shown.height; ++y) {
        bool found = false;
        for (int sy = 0; sy < skin.height && !found; ++sy) {
            found = shown.r(x, y) == skin.r(sx, sy) && shown.g(x, y) == skin.g(sx, sy) &&
                    shown.b(x, y) == skin.b(sx, sy);
        }
        count += found ? 0 : 1;
    }
    return count;
}

RECT PlaceIn(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(DisplayScale, MainWindowAndSplashAreTheDesignAtEachScale) {
    for (int dpi : {120, 144, 192}) {
        EXPECT_TRUE(PassesAtDpi(dpi, L"DisplayScale.Child*"))
            << "at " << dpi << " dpi (its output is above)";
    }
}

// Run by the test above, in a process that started at the scale it sets.
TEST(DisplayScale, ChildMainWindow) {
    const int dpi = ChildDpi();
    if (dpi == 0) {
        GTEST_SKIP() << "runs as a child of MainWindowAndSplashAreTheDesignAtEachScale";
    }
    ASSERT_TRUE(DemoReset()) << "the demo server is not running";
    WindowObject::SetQuitOnLastWindow(false);
    WebMainFrm* main = &WebMainFrm::Get();
    main->SetURL(std::string(VELM_LOGIN_SERVER) + "/velm/game/1/");
    main->Show(SW_SHOW);
    HWND h = main->hWnd();
    ASSERT_TRUE(h);
    ASSERT_EQ(WindowDpi(h), dpi) << "the prefix's scale did not reach this process";
    if (dpi == 144) {
        // The README's picture of the game window at 150 %, filling the test desktop.
        PumpUntil([&] { return main->WebuTab().TabItems().Item(0)->Caption() != ""; }, 5000);
        main->SetURL(std::string(VELM_LOGIN_SERVER) + "/velm/game/2/");
        Pump(1500);
        SavePng(CaptureScreen(), ShotsDir() + "main_150.png");
    }
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
    {
        // Its skin fills that height, smoothed: the bar's last row is the skin's blue, not the
        // bar's back colour below a skin copied at its design size.
        const Pixels bar = ReadSurface(main->WebBForm().hdc());
        ASSERT_EQ(bar.height, px(500));
        const auto& skin = main->WebBForm().PP();
        UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        const Pixels drawn = ReadBitmap(dc.get(), skin.Bitmap());
        const int x = bar.width / 2;
        EXPECT_GT(bar.b(x, bar.height - 1), bar.r(x, bar.height - 1) + 60);
        EXPECT_GT(NewShades(bar, x, drawn, 30), 0);
    }
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
    const int dpi = ChildDpi();
    if (dpi == 0) {
        GTEST_SKIP() << "runs as a child of MainWindowAndSplashAreTheDesignAtEachScale";
    }
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

TEST(DisplayScale, ChildTabStrip) {
    const int dpi = ChildDpi();
    if (dpi == 0) {
        GTEST_SKIP() << "runs as a child of MainWindowAndSplashAreTheDesignAtEachScale";
    }
    HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  1000, 400, nullptr, nullptr, nullptr, nullptr);
    HWND container = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 60, 600, 300,
                                       host, nullptr, nullptr, nullptr);
    ASSERT_TRUE(host && container);
    PropertyBag design;
    design.WriteLong("TabStyle", 1, 0);
    design.WriteLong("TabLeftSize", 10, 40);
    auto strip = std::make_unique<uTab>();
    ASSERT_TRUE(strip->Create(host, 0, 0, ScaleDesignPixels(700, dpi), design)); // room for 3
    strip->hContainerWnd(container);
    strip->LockReDraw(false);
    std::vector<std::shared_ptr<test::FakeTabForm>> forms;
    for (const char* caption : {"晨曦一区", "星辰二区", "OrvikVelmora"}) {
        forms.push_back(std::make_shared<test::FakeTabForm>(caption));
        strip->TabItems().Add(caption, forms.back());
    }
    strip->DrawAll(false);
    RECT r{};
    ::GetWindowRect(strip->hWnd(), &r);
    EXPECT_EQ(r.bottom - r.top, ScaleDesignPixels(32, dpi)) << "the strip's height";
    const Pixels shown = ReadSurface(strip->BackBufferDC());
    ASSERT_EQ(shown.height, ScaleDesignPixels(32, dpi));
    int keyed = 0;
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
            keyed += shown.r(x, y) == 255 && shown.g(x, y) == 0 && shown.b(x, y) == 255;
        }
    }
    EXPECT_EQ(keyed, 0) << "no key-colour pixel is left on the strip";
    const Pixels skin = ReadSurface(strip->SkinDC(1));
    EXPECT_GT(NewShades(shown, 0, skin, 0), 0) << "the background's gradient is smoothed";
    const int margin = ScaleDesignPixels(10, dpi);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(strip->TabItems().Item(i)->Width(), ScaleDesignPixels(200, dpi)) << i;
    }
    // The captions' ink: what changes when they are emptied. Each tab has some, all inside it.
    for (int i = 0; i < 3; ++i) {
        strip->TabItems().Item(i)->Caption("");
    }
    strip->DrawAll(false);
    const Pixels bare = ReadSurface(strip->BackBufferDC());
    ASSERT_EQ(bare.width, shown.width);
    std::vector<int> ink(3, 0);
    int outside = 0;
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
            if (shown.r(x, y) == bare.r(x, y) && shown.g(x, y) == bare.g(x, y) &&
                shown.b(x, y) == bare.b(x, y)) {
                continue;
            }
            int owner = -1;
            for (int i = 0; i < 3; ++i) {
                const auto item = strip->TabItems().Item(i);
                if (x >= margin + item->Left() && x < margin + item->Left() + item->Width()) {
                    owner = i;
                }
            }
            owner < 0 ? ++outside : ++ink[static_cast<std::size_t>(owner)];
        }
    }
    EXPECT_EQ(outside, 0) << "caption ink outside every tab";
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(ink[static_cast<std::size_t>(i)], 0) << "tab " << i << " shows its caption";
    }
    // The close zone is the design's, at this scale: its centre is hot, just below it is not.
    const auto last = strip->TabItems().Item(2);
    const int right = margin + last->Left() + last->Width();
    const int x = right - ScaleDesignPixels(14, dpi);
    ::SendMessageW(strip->hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, ScaleDesignPixels(13, dpi)));
    EXPECT_EQ(strip->MouseState(), uTab::CloseHot);
    ::SendMessageW(strip->hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, ScaleDesignPixels(19, dpi) + 1));
    EXPECT_NE(strip->MouseState(), uTab::CloseHot);
    strip.reset();
    ::DestroyWindow(host);
}

} // namespace
} // namespace velm
