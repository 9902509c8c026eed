// The exit dialog shown modally over a window: its look, its outline, dragging by the title bar,
// and the answer each button writes, clicked with the real pointer.
#include "startup/MsgFrm.h"

#include "base/Text.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <functional>

namespace velm {
namespace {

using namespace velm::test;

class ExitDialog : public ::testing::Test {
protected:
    void SetUp() override {
        WindowObject::SetQuitOnLastWindow(false);
        owner = std::make_unique<TestForm>(100, 100, 600, 400);
        ::ShowWindow(owner->hwnd(), SW_SHOW);
    }
    // Shows the dialog; `act` runs on a helper thread once the dialog is up.
    void Show(bool& flag, const std::function<void(HWND)>& act) {
        MsgFrm dialog(flag);
        Later later(0, [&] {
            HWND h = WaitForClass(L"velm.MsgFrm", ::GetCurrentProcessId(), 10000);
            found = h;
            if (h) {
                ::Sleep(200);
                act(h);
            }
        });
        dialog.ShowModal(owner->hwnd());
    }
    // Clicks the centre of a child window with the real pointer.
    static void Click(HWND child) {
        RECT r{};
        ::GetWindowRect(child, &r);
        MouseTo((r.left + r.right) / 2, (r.top + r.bottom) / 2, 60);
        MouseButton(1, true, 60);
        MouseButton(1, false, 60);
    }
    static HWND ChildAt(HWND dialog, int x, int y) {
        POINT p{x, y};
        return ::ChildWindowFromPoint(dialog, p);
    }
    std::unique_ptr<TestForm> owner;
    HWND found = nullptr;
};

TEST_F(ExitDialog, YesSetsTheFlagAndClosesTheDialog) {
    bool exit = false;
    bool ownerDisabled = false;
    RECT client{}, window{};
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    int rgnType = ERROR;
    RECT box{};
    Pixels shot;
    Show(exit, [&](HWND h) {
        ownerDisabled = !::IsWindowEnabled(owner->hwnd());
        ::GetClientRect(h, &client);
        ::GetWindowRect(h, &window);
        rgnType = ::GetWindowRgn(h, rgn);
        ::GetRgnBox(rgn, &box);
        shot = CaptureScreen();
        SaveBmp(shot, ShotsDir() + "exit_dialog.bmp");
        Click(ChildAt(h, 56 + 32, 88 + 12));
    });
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(exit);
    EXPECT_TRUE(ownerDisabled) << "the dialog is modal";
    EXPECT_TRUE(::IsWindowEnabled(owner->hwnd()));
    EXPECT_FALSE(::IsWindow(found));
    EXPECT_EQ(client.right, 242);
    EXPECT_EQ(client.bottom, 140);
    EXPECT_EQ(window.left, (::GetSystemMetrics(SM_CXSCREEN) - 242) / 2);
    EXPECT_EQ(window.top, (::GetSystemMetrics(SM_CYSCREEN) - 140) / 2);
    EXPECT_EQ(rgnType, COMPLEXREGION) << "rounded corners";
    // Rounded regions stop one pixel short of their right and bottom; the extra pixel asked for
    // makes the outline cover the whole client area.
    EXPECT_EQ(box.right, 242);
    EXPECT_EQ(box.bottom, 140);
    ::DeleteObject(rgn);
    // On screen: the blue title strip at the top, the white body, the dark question text.
    ASSERT_GT(shot.width, 0);
    int x0 = window.left, y0 = window.top;
    EXPECT_LT(shot.r(x0 + 100, y0 + 10), 120u);
    EXPECT_GT(shot.b(x0 + 100, y0 + 10), 150u);
    EXPECT_EQ(shot.rgb(x0 + 120, y0 + 45), RGB(255, 255, 255));
    int dark = 0;
    for (int y = 56; y < 97; ++y) {
        for (int x = 24; x < 233; ++x) {
            dark += shot.r(x0 + x, y0 + y) < 100;
        }
    }
    EXPECT_GT(dark, 100) << "the question is written in the label's place";
}

TEST_F(ExitDialog, NoAndCloseLeaveTheFlagFalseAndCanBeAskedAgain) {
    bool exit = true;
    Show(exit, [&](HWND h) { Click(ChildAt(h, 136 + 32, 88 + 12)); });
    ASSERT_NE(found, nullptr);
    EXPECT_FALSE(exit);
    found = nullptr;
    exit = true;
    Show(exit, [&](HWND h) { Click(ChildAt(h, 192 + 21, 1 + 9)); });
    ASSERT_NE(found, nullptr) << "a second request shows the dialog again";
    EXPECT_FALSE(exit);
}

TEST_F(ExitDialog, ControlsAtTheirDesignPlaces) {
    bool exit = false;
    RECT yes{}, no{}, close{}, title{};
    std::wstring caption;
    Show(exit, [&](HWND h) {
        auto place = [h](HWND c) {
            RECT r{};
            ::GetWindowRect(c, &r);
            ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        yes = place(ChildAt(h, 60, 90));
        no = place(ChildAt(h, 140, 90));
        close = place(ChildAt(h, 200, 5));
        title = place(ChildAt(h, 50, 10));
        caption = WindowText(h);
        ::PostMessageW(h, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(yes.left, 56);
    EXPECT_EQ(yes.top, 88);
    EXPECT_EQ(yes.right - yes.left, 65);
    EXPECT_EQ(yes.bottom - yes.top, 25);
    EXPECT_EQ(no.left, 136);
    EXPECT_EQ(close.left, 193) << "form width (3630 twips) minus 730 twips, to the nearest pixel";
    EXPECT_EQ(close.right - close.left, 43);
    EXPECT_EQ(title.left, 0);
    EXPECT_EQ(title.right, 242);
    EXPECT_EQ(caption, Widen("OrvikVelmora客户端"));
    EXPECT_FALSE(exit) << "closed by other means: the flag stays false";
}

TEST_F(ExitDialog, DraggedByItsTitleBar) {
    bool exit = false;
    RECT before{}, after{};
    Show(exit, [&](HWND h) {
        ::GetWindowRect(h, &before);
        MouseTo(before.left + 100, before.top + 12, 60);
        MouseButton(1, true, 100);
        MouseTo(before.left + 160, before.top + 52, 100);
        MouseTo(before.left + 180, before.top + 72, 100);
        MouseButton(1, false, 150);
        ::GetWindowRect(h, &after);
        ::PostMessageW(h, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(after.left - before.left, 80);
    EXPECT_EQ(after.top - before.top, 60);
}

} // namespace
} // namespace velm
