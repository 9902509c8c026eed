// The form subclasser and the borderless frame under Wine, with real messages and real input.
#include "frame/ModGetTaskbarHei.h"
#include "frame/cFormSubclass.h"
#include "frame/cSetStyle.h"
#include "support/SkinTest.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::MouseButton;
using test::MouseTo;
using test::Pump;

constexpr UINT kAsk = WM_USER + 1;
constexpr UINT kOther = WM_USER + 2;

class SubclassTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<test::TestForm>(10, 10, 100, 100);
        original = ::GetWindowLongPtrW(form->hwnd(), GWLP_WNDPROC);
        form->onMessage = [this](UINT m, WPARAM w, LPARAM, LRESULT& r) {
            if (m == kAsk || m == kOther) {
                log.push_back("window " + std::to_string(w));
                r = 7;
                return true;
            }
            return false;
        };
    }
    void TearDown() override {
        form.reset();
        EXPECT_EQ(cFormSubclass::PendingRecords(), 0) << "every record was freed";
    }
    std::unique_ptr<test::TestForm> form;
    LONG_PTR original = 0;
    std::vector<std::string> log;
};

TEST_F(SubclassTest, HandledBeforeCallAnswersInsteadOfTheWindow) {
    cFormSubclass sub;
    sub.MsgCome = [&](bool before, bool& handled, LRESULT& result, HWND&, UINT& msg, WPARAM& w,
                      LPARAM&) {
        if (msg == kAsk) {
            log.push_back(std::string(before ? "before " : "after ") + std::to_string(w));
            if (w == 1) {
                handled = true;
                result = 42;
            }
        }
    };
    EXPECT_TRUE(sub.AddWindowMsgs(form->hwnd()));
    EXPECT_EQ(::SendMessageW(form->hwnd(), kAsk, 1, 0), 42);
    EXPECT_EQ(log, (std::vector<std::string>{"before 1"}));
    log.clear();
    EXPECT_EQ(::SendMessageW(form->hwnd(), kAsk, 2, 0), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"before 2", "window 2"}))
        << "no after call unless asked for";
}

TEST_F(SubclassTest, AfterCallSeesTheResultAndTheOwnerMayChangeArguments) {
    cFormSubclass sub;
    sub.MsgCome = [&](bool before, bool&, LRESULT& result, HWND&, UINT& msg, WPARAM& w, LPARAM&) {
        if (msg != kAsk) {
            return;
        }
        if (before) {
            log.push_back("before " + std::to_string(w));
            w = 5;
        } else {
            log.push_back("after " + std::to_string(w) + " " + std::to_string(result));
            result = 8;
        }
    };
    sub.AddWindowMsgs(form->hwnd());
    sub.AddAfterMsg(form->hwnd(), kAsk);
    sub.AddAfterMsg(form->hwnd(), kAsk);
    EXPECT_EQ(::SendMessageW(form->hwnd(), kAsk, 1, 0), 8);
    EXPECT_EQ(log, (std::vector<std::string>{"before 1", "window 5", "after 5 7"}));
}

TEST_F(SubclassTest, DeleteWindowMsgKeepsReportingUntilTheObjectGoes) {
    int seen = 0;
    {
        cFormSubclass sub;
        sub.MsgCome = [&](bool, bool&, LRESULT&, HWND&, UINT& msg, WPARAM&, LPARAM&) {
            seen += msg == kOther;
        };
        sub.AddWindowMsgs(form->hwnd());
        EXPECT_FALSE(sub.DeleteWindowMsg(form->hwnd()));
        ::SendMessageW(form->hwnd(), kOther, 0, 0);
        EXPECT_EQ(seen, 1);
        EXPECT_NE(::GetWindowLongPtrW(form->hwnd(), GWLP_WNDPROC), original);
    }
    EXPECT_EQ(::GetWindowLongPtrW(form->hwnd(), GWLP_WNDPROC), original);
    ::SendMessageW(form->hwnd(), kOther, 0, 0);
    EXPECT_EQ(seen, 1);
}

TEST_F(SubclassTest, SubclassingTwiceLayersTheRecords) {
    auto inner = std::make_unique<cFormSubclass>();
    auto outer = std::make_unique<cFormSubclass>();
    inner->MsgCome = [&](bool b, bool&, LRESULT&, HWND&, UINT& m, WPARAM&, LPARAM&) {
        if (m == kOther && b) {
            log.push_back("inner");
        }
    };
    outer->MsgCome = [&](bool b, bool&, LRESULT&, HWND&, UINT& m, WPARAM&, LPARAM&) {
        if (m == kOther && b) {
            log.push_back("outer");
        }
    };
    inner->AddWindowMsgs(form->hwnd());
    outer->AddWindowMsgs(form->hwnd());
    ::SendMessageW(form->hwnd(), kOther, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner", "window 0"}));
    outer.reset();
    inner.reset();
    EXPECT_EQ(::GetWindowLongPtrW(form->hwnd(), GWLP_WNDPROC), original);

    // One object on the same window twice: two entries, two reports.
    cFormSubclass twice;
    int reports = 0;
    twice.MsgCome = [&](bool, bool&, LRESULT&, HWND&, UINT& m, WPARAM&, LPARAM&) {
        reports += m == kOther;
    };
    twice.AddWindowMsgs(form->hwnd());
    twice.AddWindowMsgs(form->hwnd());
    EXPECT_EQ(twice.WindowCount(), 2u);
    ::SendMessageW(form->hwnd(), kOther, 0, 0);
    EXPECT_EQ(reports, 2);
}

TEST_F(SubclassTest, ReleasingTheInnerLayerFirstKeepsTheOuterOneWorking) {
    auto inner = std::make_unique<cFormSubclass>();
    auto outer = std::make_unique<cFormSubclass>();
    int outerSeen = 0;
    outer->MsgCome = [&](bool b, bool&, LRESULT&, HWND&, UINT& m, WPARAM&, LPARAM&) {
        outerSeen += (m == kOther && b);
    };
    inner->AddWindowMsgs(form->hwnd());
    outer->AddWindowMsgs(form->hwnd());
    inner.reset(); // its stub stays in the chain, passing messages on
    EXPECT_EQ(::SendMessageW(form->hwnd(), kOther, 3, 0), 7);
    EXPECT_EQ(outerSeen, 1);
    outer.reset();
    EXPECT_EQ(::SendMessageW(form->hwnd(), kOther, 4, 0), 7);
    EXPECT_EQ(log.back(), "window 4");
    // The pass-through goes with the window (checked in TearDown).
}

TEST_F(SubclassTest, TheOwnerMayDestroyTheSubclasserFromInsideMsgCome) {
    auto sub = std::make_unique<cFormSubclass>();
    sub->MsgCome = [&](bool before, bool& handled, LRESULT& result, HWND&, UINT& m, WPARAM&,
                       LPARAM&) {
        if (m == kAsk && before) {
            // A nested message first, then the object goes while two calls use its record.
            ::SendMessageW(form->hwnd(), kOther, 9, 0);
            sub.reset();
            EXPECT_GT(cFormSubclass::PendingRecords(), 0) << "still in use: not freed yet";
            handled = true;
            result = 11;
        }
    };
    sub->AddWindowMsgs(form->hwnd());
    EXPECT_EQ(::SendMessageW(form->hwnd(), kAsk, 0, 0), 11);
    EXPECT_EQ(sub, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(form->hwnd(), GWLP_WNDPROC), original);
    EXPECT_EQ(cFormSubclass::PendingRecords(), 0);
    EXPECT_EQ(::SendMessageW(form->hwnd(), kAsk, 1, 0), 7);
}

TEST_F(SubclassTest, AWindowThatGoesFreesItsEntry) {
    cFormSubclass sub;
    int destroyed = 0;
    sub.MsgCome = [&](bool, bool&, LRESULT&, HWND&, UINT& m, WPARAM&, LPARAM&) {
        destroyed += m == WM_NCDESTROY;
    };
    sub.AddWindowMsgs(form->hwnd());
    EXPECT_EQ(sub.WindowCount(), 1u);
    form.reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(sub.WindowCount(), 0u);
    EXPECT_EQ(cFormSubclass::PendingRecords(), 0);
}

TEST_F(SubclassTest, AWindowOfAnotherProcessIsLeftAlone) {
    cFormSubclass sub;
    EXPECT_TRUE(sub.AddWindowMsgs(::GetDesktopWindow()));
    EXPECT_EQ(sub.WindowCount(), 0u);
    EXPECT_TRUE(sub.AddWindowMsgs(nullptr));
    EXPECT_EQ(sub.WindowCount(), 0u);
}

// ---- The borderless frame ----

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &savedWork, 0);
        MouseTo(1010, 760);
        form = std::make_unique<test::TestForm>(50, 40, 900, 650, RGB(230, 230, 230),
                                                WS_OVERLAPPEDWINDOW);
        style = std::make_unique<cSetStyle>();
        style->SetobjForm(form->hwnd());
        style->SetWindowStyle(form->hwnd());
        ::MoveWindow(form->hwnd(), 50, 40, 900, 650, TRUE);
        test::Activate(form->hwnd());
    }
    void TearDown() override {
        ::ReleaseCapture();
        style.reset();
        form.reset();
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &savedWork, 0);
        Pump(20);
    }
    RECT Rect() const {
        RECT r{};
        ::GetWindowRect(form->hwnd(), &r);
        return r;
    }
    void Drag(POINT from, const std::vector<POINT>& path) {
        MouseTo(from.x, from.y);
        MouseButton(1, true);
        for (POINT p : path) {
            MouseTo(p.x, p.y);
        }
        MouseButton(1, false);
    }
    RECT savedWork{};
    std::unique_ptr<test::TestForm> form;
    std::unique_ptr<cSetStyle> style;
};

TEST_F(FrameTest, StyleIsReplacedAndThePointerFollowsTheBorders) {
    // Only the shown and clipping bits of the old style stay.
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(form->hwnd(), GWL_STYLE)),
              0x000A0000u | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    RECT client{};
    ::GetClientRect(form->hwnd(), &client);
    EXPECT_EQ(client.right, 900) << "no frame left";
    std::vector<int> codes;
    style->MouseSize = [&](std::int32_t& c) { codes.push_back(c); };
    struct Probe {
        POINT at;
        int code;
        LPCSTR cursor;
    } probes[] = {
        {{53, 43}, 7, IDC_SIZENWSE},  {{500, 42}, 0, IDC_SIZENS},    {{947, 43}, 1, IDC_SIZENESW},
        {{947, 300}, 2, IDC_SIZEWE},  {{947, 687}, 3, IDC_SIZENWSE}, {{500, 687}, 4, IDC_SIZENS},
        {{53, 687}, 5, IDC_SIZENESW}, {{52, 300}, 6, IDC_SIZEWE},    {{70, 60}, -1, IDC_ARROW},
    };
    for (const Probe& p : probes) {
        MouseTo(p.at.x, p.at.y);
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.back(), p.code) << p.at.x << "," << p.at.y;
        EXPECT_EQ(style->Border(), p.code);
        EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, p.cursor)) << p.code;
    }
}

struct DragCase {
    const char* name;
    POINT from;
    std::vector<POINT> path;
    RECT expected;
};

TEST_F(FrameTest, DraggingEachBorderResizesOnReleaseWithTheMinimumSizes) {
    // Window (50, 40)-(950, 690).
    const DragCase cases[] = {
        {"top", {500, 42}, {{500, 100}, {500, 640}}, {50, 640, 950, 690}},
        {"top-right", {947, 43}, {{900, 60}}, {50, 60, 900, 690}},
        {"right grows", {947, 300}, {{990, 310}}, {50, 40, 990, 690}},
        {"right stops at 800",
         {947, 300},
         {{860, 300}, {820, 300}, {700, 300}},
         {50, 40, 860, 690}},
        {"bottom-right", {947, 687}, {{700, 800}, {1000, 760}}, {50, 40, 1000, 760}},
        {"bottom stops at 600", {500, 687}, {{500, 660}, {500, 600}}, {50, 40, 950, 660}},
        {"bottom-left", {53, 687}, {{200, 650}, {10, 700}}, {10, 40, 950, 700}},
        {"left stops at 800", {52, 300}, {{140, 300}, {200, 300}}, {140, 40, 950, 690}},
        {"top-left", {53, 43}, {{20, 10}}, {20, 10, 950, 690}},
    };
    for (const DragCase& c : cases) {
        ::MoveWindow(form->hwnd(), 50, 40, 900, 650, TRUE);
        // Apart by more than the double-click time: a second quick press is a double click,
        // which starts no drag.
        Pump(600);
        Drag(c.from, c.path);
        RECT r = Rect();
        EXPECT_EQ(r.left, c.expected.left) << c.name;
        EXPECT_EQ(r.top, c.expected.top) << c.name;
        EXPECT_EQ(r.right, c.expected.right) << c.name;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.name;
        EXPECT_FALSE(style->Resizing());
        EXPECT_NE(::GetCapture(), form->hwnd());
    }
}

TEST_F(FrameTest, OutlineFollowsThePointerOutsideTheWindowAndSizeWaitsForRelease) {
    MouseTo(947, 300);
    MouseButton(1, true);
    EXPECT_TRUE(style->Resizing());
    EXPECT_EQ(::GetCapture(), form->hwnd());
    MouseTo(1005, 320); // outside the window: moves keep coming
    EXPECT_EQ(style->Outline().right, 1005);
    RECT during = Rect();
    EXPECT_EQ(during.right, 950) << "nothing moves before the release";
    // The dotted outline is on the screen along the new right edge.
    int dotted = 0;
    for (int y = 300; y < 340; ++y) {
        COLORREF c = test::ScreenPixel(1004, y);
        dotted += c != test::ScreenPixel(1004, y + 1);
    }
    EXPECT_GT(dotted, 10);
    MouseButton(1, false);
    EXPECT_EQ(Rect().right, 1005);
}

TEST_F(FrameTest, PressesInsideOrWhileMaximisedStartNothing) {
    Drag({72, 62}, {{300, 300}}); // 20 px inside
    EXPECT_EQ(Rect().left, 50);
    EXPECT_EQ(Rect().right, 950);

    RECT work{0, 0, 1024, 728};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
    EXPECT_TRUE(style->CallWindowStateChange());
    RECT max = Rect();
    EXPECT_EQ(max.right, 1024);
    EXPECT_EQ(max.bottom, 728);
    int sizes = 0;
    style->MouseSize = [&](std::int32_t&) { ++sizes; };
    MouseTo(500, 300);
    int pointer = style->MousePointer();
    Drag({1021, 300}, {{800, 300}});
    Drag({500, 725}, {{500, 650}});
    EXPECT_EQ(Rect().right, 1024);
    EXPECT_EQ(Rect().bottom, 728);
    EXPECT_EQ(sizes, 0) << "no border reports while maximised";
    EXPECT_EQ(style->MousePointer(), pointer) << "the cursor keeps its shape";
    EXPECT_FALSE(style->CallWindowStateChange());
    RECT back = Rect();
    EXPECT_EQ(back.left, 50);
    EXPECT_EQ(back.top, 40);
    EXPECT_EQ(back.right, 950);
    EXPECT_EQ(back.bottom, 690);
}

TEST_F(FrameTest, MaximisingLeavesTheTaskbarStripFreeAndRefitsOnSettingChange) {
    RECT work{0, 0, 1024, 728};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
    EXPECT_EQ(GetTaskbarHeight(), 600);
    style->CallWindowStateChange();
    RECT r = Rect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 728);
    EXPECT_FALSE(::IsZoomed(form->hwnd())) << "maximising is a move";

    int changes = 0;
    style->SettingChange = [&] { ++changes; };
    work.bottom = 700;
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    ::SendMessageW(form->hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Rect().bottom, 700);

    // A taskbar on the left is not left free: only the strip below the work area counts.
    work = {40, 0, 1024, 768};
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    EXPECT_EQ(GetTaskbarHeight(), 0);
    ::SendMessageW(form->hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(Rect().left, 0);
    EXPECT_EQ(Rect().bottom, 768);

    // A normal window is left alone.
    style->CallWindowStateChange();
    work.bottom = 700;
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    ::SendMessageW(form->hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(Rect().bottom, 690);
}

TEST_F(FrameTest, AMinimisedWindowIsNotRefitted) {
    RECT work{0, 0, 1024, 728};
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    style->CallWindowStateChange();
    ::ShowWindow(form->hwnd(), SW_MINIMIZE);
    Pump(30);
    ASSERT_TRUE(::IsIconic(form->hwnd()));
    work.bottom = 700;
    ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    ::SendMessageW(form->hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ::ShowWindow(form->hwnd(), SW_RESTORE);
    Pump(30);
    EXPECT_EQ(Rect().bottom, 728);
}

TEST_F(FrameTest, TheCloseCommandAsksTheOwnerOnce) {
    int asked = 0;
    style->CloseClick = [&] { ++asked; };
    form->seen.clear();
    ::SendMessageW(form->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(std::count(form->seen.begin(), form->seen.end(), WM_CLOSE), 0)
        << "the owner's handler is the one close request";
    EXPECT_TRUE(::IsWindow(form->hwnd()));

    // Without a handler the system's own close handling runs.
    style->CloseClick = nullptr;
    form->onMessage = [](UINT m, WPARAM, LPARAM, LRESULT& r) {
        r = 0;
        return m == WM_CLOSE; // keep the window for the test
    };
    ::SendMessageW(form->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(std::count(form->seen.begin(), form->seen.end(), WM_CLOSE), 1);
}

TEST_F(FrameTest, TheOwnerMayCloseTheWindowAndReleaseTheFrameInCloseClick) {
    style->CloseClick = [this] {
        // The handler's own captures go with the frame object: keep what is needed on the stack.
        auto* fixture = this;
        fixture->style.reset();
        fixture->form.reset();
    };
    HWND h = form->hwnd();
    ::SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(cFormSubclass::PendingRecords(), 0);
}

TEST_F(FrameTest, ReleasingTheFramePutsTheWindowProcedureBack) {
    auto other = std::make_unique<test::TestForm>(0, 0, 10, 10);
    LONG_PTR original = ::GetWindowLongPtrW(other->hwnd(), GWLP_WNDPROC);
    {
        cSetStyle s;
        s.SetobjForm(other->hwnd());
        s.SetWindowStyle(other->hwnd());
        EXPECT_NE(::GetWindowLongPtrW(other->hwnd(), GWLP_WNDPROC), original);
    }
    EXPECT_EQ(::GetWindowLongPtrW(other->hwnd(), GWLP_WNDPROC), original);
}

} // namespace
} // namespace velm
