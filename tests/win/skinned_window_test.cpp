// A window put together like the game window's top: the title bar with its logo space, the four
// caption buttons and the two text links, the skin frame and the borderless frame. Checked on
// the screen and photographed into build/shots/, normal and maximised.
#include "controls/BForm.h"
#include "controls/iButton.h"
#include "frame/cSetStyle.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace velm {
namespace {

using test::MouseTo;
using test::Pump;

test::Pixels ResourcePixels(int id) {
    Picture p = Picture::FromBitmapResource(id);
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectScope sel(dc.get(), p.Bitmap());
    return test::ReadBitmap(dc.get(), p.Bitmap());
}

struct SkinnedWindow {
    SkinnedWindow() : form(0, 0, 1000, 639, RGB(255, 255, 255)) {
        HWND h = form.hwnd();
        style.SetobjForm(h);
        style.SetWindowStyle(h);
        title.Create(h, 0, 0, 15495, 495);
        PropertyBag bag;
        bag.WriteProperty("backcolor", "14606046");
        bag.WriteProperty("caption", "Zentra客户端");
        bag.WriteProperty("haslogo", "True");
        title.ReadProperties(bag);
        title.SetCaption("OrvikVelmora");
        title.SetfrmHwnd(h);
        logo = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 7, 2, 29, 29,
                                 h, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(logo, STM_SETIMAGE, IMAGE_BITMAP,
                       reinterpret_cast<LPARAM>(logoPicture.Bitmap()));
        Caption(close, 13680, 645, 103);
        Caption(minmax, 13320, 375, 102);
        Caption(min, 12960, 360, 101);
        Caption(tool, 12600, 360, 104);
        minmax.SetStyle(1);
        minmax.SetValue(true);
        Link(otherUser, 10680, 1485, "登录其他帐号", "bitmap:202", "icon:211");
        Link(gameSpace, 12240, 1215, "游戏官网", "bitmap:203", "icon:212");
        form.onSize = [this] { Layout(); };
        // Narrower than the game window's design (1036 px) so all of it fits on this screen.
        ::SetWindowPos(h, nullptr, (1024 - 1000) / 2, (768 - 639) / 2, 1000, 639,
                       SWP_NOZORDER | SWP_SHOWWINDOW);
        Layout();
        title.Show();
        for (iButton* b : {&close, &minmax, &min, &tool, &otherUser, &gameSpace}) {
            b->Show();
        }
        // The controls lie over the title bar.
        for (HWND c : {close.hWnd(), minmax.hWnd(), min.hWnd(), tool.hWnd(), otherUser.hWnd(),
                       gameSpace.hWnd(), logo}) {
            ::SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        test::Activate(h);
        Pump(150);
    }
    void Caption(iButton& b, long left, long width, int resource) {
        b.Create(form.hwnd(), left, 15, width, 270);
        PropertyBag bag;
        bag.WriteProperty("autosize", "False");
        bag.WriteProperty("cdrawmode", "13");
        bag.WriteProperty("cfont", "宋体|9|");
        b.ReadProperties(bag);
        b.Move(left, 15, width, 270);
        b.SetBackPicture(Picture::FromBitmapResource(resource));
    }
    void Link(iButton& b, long left, long width, const char* caption, const char* back,
              const char* icon) {
        b.Create(form.hwnd(), left, 0, width, 330);
        PropertyBag bag;
        bag.WriteProperty("backpicture", back);
        bag.WriteProperty("icon", icon);
        bag.WriteProperty("caption", caption);
        bag.WriteProperty("autosize", "False");
        bag.WriteProperty("cforecolor", "16777215");
        bag.WriteProperty("cfont", "宋体|9|u");
        bag.WriteProperty("cdrawmode", "13");
        b.ReadProperties(bag);
        b.Move(left, 0, width, 330);
    }
    // The game window's layout rule, for the parts present here.
    void Layout() {
        RECT r{};
        ::GetClientRect(form.hwnd(), &r);
        const long w = r.right * 15L, sw = w;
        title.Move(0, 0, w, title.Height());
        title.Printform(form.canvas());
        ::SetWindowRgn(form.hwnd(), ::CreateRoundRectRgn(0, 0, r.right + 1, r.bottom + 1, 6, 6),
                       TRUE);
        close.SetLeft(w - 730);
        minmax.SetLeft(w - 1105);
        min.SetLeft(w - 1465);
        tool.SetLeft(w - 1825);
        gameSpace.SetLeft(sw - 3300);
        otherUser.SetLeft(sw - 4850);
        ::InvalidateRect(form.hwnd(), nullptr, FALSE);
    }
    RECT Rect() const {
        RECT r{};
        ::GetWindowRect(form.hwnd(), &r);
        return r;
    }
    test::TestForm form;
    cSetStyle style;
    BForm title;
    Picture logoPicture = Picture::FromBitmapResource(105);
    HWND logo = nullptr;
    iButton close, minmax, min, tool, otherUser, gameSpace;
};

void Shot(const std::string& name) {
    Pump(100);
    EXPECT_TRUE(test::SaveBmp(test::CaptureScreen(), test::ShotsDir() + name + ".bmp"));
}

class SkinnedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &savedWork, 0);
        // A taskbar strip of 40 px at the bottom.
        RECT work{0, 0, 1024, 728};
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
        MouseTo(1010, 760);
    }
    void TearDown() override { ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &savedWork, 0); }
    RECT savedWork{};
};

TEST_F(SkinnedWindowTest, ButtonsSitOnTheTitleBarAtTheirPlacesNormalAndMaximised) {
    SkinnedWindow win;
    RECT r = win.Rect();
    ASSERT_EQ(r.right - r.left, 1000);
    auto closeStrip = ResourcePixels(103);
    auto skin = ResourcePixels(108);
    // The close button: 43 x 18 px, 730 twips (48.67 px) from the right edge, 1 px down.
    RECT c{};
    ::GetWindowRect(win.close.hWnd(), &c);
    EXPECT_EQ(c.right - c.left, 43);
    EXPECT_EQ(c.bottom - c.top, 18);
    EXPECT_EQ(c.left - r.left, 951);
    EXPECT_EQ(c.top - r.top, 1);
    EXPECT_EQ(test::ScreenPixel(c.left + 2, c.top + 2), closeStrip.rgb(2, 2));
    // The four buttons touch one another, tool to close.
    RECT t{}, mm{}, mi{};
    ::GetWindowRect(win.tool.hWnd(), &t);
    ::GetWindowRect(win.min.hWnd(), &mi);
    ::GetWindowRect(win.minmax.hWnd(), &mm);
    EXPECT_EQ(t.right, mi.left);
    EXPECT_EQ(mi.right, mm.left);
    EXPECT_EQ(mm.right, c.left);
    // Title strip under the caption area and the bottom border of the frame come from the skin.
    EXPECT_EQ(test::ScreenPixel(r.left + 500, r.top + 30), skin.rgb(20, 30));
    EXPECT_EQ(test::ScreenPixel(r.left + 500, r.bottom - 2), skin.rgb(20, 83));
    EXPECT_EQ(test::ScreenPixel(r.right - 2, r.top + 300), skin.rgb(92, 53 + 300 % 20));
    Shot("skinned_window");

    // Pointer over the close button: its hover slice.
    MouseTo(c.left + 20, c.top + 9);
    ASSERT_TRUE(test::PumpUntil([&] { return win.close.ShownLook() == 1; }));
    Pump(50);
    EXPECT_EQ(test::ScreenPixel(c.left + 2, c.top + 2), closeStrip.rgb(43 + 2, 2));
    Shot("skinned_window_hover");
    MouseTo(1010, 760);

    EXPECT_TRUE(win.style.CallWindowStateChange());
    Pump(100);
    r = win.Rect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 728) << "the taskbar strip stays free";
    ::GetWindowRect(win.close.hWnd(), &c);
    EXPECT_EQ(c.left, 1024 - 49);
    EXPECT_EQ(test::ScreenPixel(500, 727 - 1), skin.rgb(20, 83));
    Shot("skinned_window_maximised");
    EXPECT_FALSE(win.style.CallWindowStateChange());
    Pump(50);
    EXPECT_EQ(win.Rect().left, (1024 - 1000) / 2);
}

} // namespace
} // namespace velm
