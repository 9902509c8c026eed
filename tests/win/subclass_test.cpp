// CSubclass on real windows: real SendMessage, DestroyWindow, thread timers and mouse-leave.
#include "frame/CSubclass.h"

#include "base/Log.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velm {
namespace {

using test::Pump;

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kPong = WM_APP + 2;

// What reached the windows' own procedure.
std::vector<std::pair<HWND, UINT>> g_own;

LRESULT CALLBACK OwnProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg >= WM_APP) {
        g_own.push_back({h, msg});
        return msg - WM_APP + 1000;
    }
    if (msg == WM_NCDESTROY || msg == WM_MOUSELEAVE || msg == WM_SIZE) {
        g_own.push_back({h, msg});
    }
    return ::DefWindowProcA(h, msg, w, l);
}

const char* kClass = "VelmSubclassTest";
const wchar_t* kClassW = L"VelmSubclassTestW";

HWND MakeWindow(bool unicode = false) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        ::RegisterClassA(&wc);
        WNDCLASSW wcw{};
        wcw.lpfnWndProc = OwnProc;
        wcw.hInstance = ::GetModuleHandleA(nullptr);
        wcw.lpszClassName = kClassW;
        ::RegisterClassW(&wcw);
        registered = true;
    }
    if (unicode) {
        return ::CreateWindowExW(0, kClassW, L"w", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }
    return ::CreateWindowExA(0, kClass, "a", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

struct Event {
    bool before;
    HWND h;
    UINT msg;
    LRESULT lReturn;
};

class Subclass : public ::testing::Test {
protected:
    void SetUp() override {
        g_own.clear();
        previous = SetLogSink([this](const std::string& e) { log.push_back(e); });
        sub = std::make_unique<CSubclass>();
        sub->SetWindowProc([this](bool before, bool& handled, LRESULT& lReturn, HWND h, UINT msg,
                                  WPARAM, LPARAM, LONG& user) {
            events.push_back({before, h, msg, lReturn});
            if (onEvent) {
                onEvent(before, handled, lReturn, h, msg, user);
            }
        });
        window = MakeWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        sub.reset();
        if (::IsWindow(window)) {
            ::DestroyWindow(window);
        }
        Pump(250);
        EXPECT_EQ(CSubclass::PendingRecords(), 0u) << "every record freed by its timer";
        SetLogSink(previous);
    }
    WNDPROC Proc(HWND h) const {
        return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(h, GWLP_WNDPROC));
    }

    std::unique_ptr<CSubclass> sub;
    HWND window = nullptr;
    std::vector<Event> events;
    std::vector<std::string> log;
    std::function<void(bool, bool&, LRESULT&, HWND, UINT, LONG&)> onEvent;
    LogSink previous;
};

TEST_F(Subclass, MessagesInNeitherTableReachTheWindowUnchanged) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    sub->ssc_AddMsg(window, kPong, MSG_BEFORE);
    EXPECT_NE(Proc(window), &OwnProc);
    EXPECT_EQ(::SendMessageA(window, kPing, 0, 0), 1001);
    EXPECT_TRUE(events.empty());
    ASSERT_EQ(g_own.size(), 1u);
    EXPECT_EQ(g_own[0].second, kPing);
}

TEST_F(Subclass, HandledBeforeCallReturnsItsResultAndSkipsTheWindow) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE | MSG_AFTER);
    onEvent = [](bool before, bool& handled, LRESULT& r, HWND, UINT, LONG&) {
        if (before) {
            handled = true;
            r = 1;
        }
    };
    EXPECT_EQ(::SendMessageA(window, kPing, 0, 0), 1);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(g_own.empty());
}

TEST_F(Subclass, BeforeAndAfterCallsAroundTheWindowsOwnResult) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    sub->ssc_AddMsg(window, kPing, MSG_AFTER);
    onEvent = [](bool before, bool&, LRESULT& r, HWND, UINT, LONG&) {
        if (!before) {
            r = r * 2;
        }
    };
    EXPECT_EQ(::SendMessageA(window, kPing, 0, 0), 2002);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].before);
    EXPECT_EQ(events[0].lReturn, 0);
    EXPECT_FALSE(events[1].before);
    EXPECT_EQ(events[1].lReturn, 1001);
    EXPECT_EQ(sub->ssc_CallOrigWndProc(window, kPong, 0, 0), 1002);
    EXPECT_EQ(events.size(), 2u) << "the original procedure is called past the tables";
}

TEST_F(Subclass, LoggedFailuresWithTheirExactTexts) {
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    HWND gone = MakeWindow();
    ::DestroyWindow(gone);
    EXPECT_FALSE(sub->ssc_Subclass(gone));
    ASSERT_TRUE(sub->ssc_Subclass(window));
    EXPECT_FALSE(sub->ssc_Subclass(window));
    HWND other = MakeWindow();
    EXPECT_EQ(sub->zGet_lParamUser(other), 0);
    sub->ssc_UnSubclass(other);
    ::DestroyWindow(other);
    bool unicode = false;
    EXPECT_FALSE(sub->ssc_Subclass(window, 0, 2, true, unicode, false));
    const std::vector<std::string> want = {
        "CSubclass.zMap_VFunction: Thunk hasn't been initialized",
        "CSubclass.ssc_Subclass: Invalid window handle",
        "CSubclass.ssc_Subclass: Window handle is already subclassed",
        "CSubclass.zMap_VFunction: Thunk type for  does not exist",
        "CSubclass.ssc_Subclass: Callback method not found",
    };
    EXPECT_EQ(log, want);
}

TEST_F(Subclass, WindowOfAnotherProcessIsRefused) {
    HWND desktop = ::GetDesktopWindow();
    DWORD pid = 0;
    ::GetWindowThreadProcessId(desktop, &pid);
    if (pid == ::GetCurrentProcessId()) {
        GTEST_SKIP() << "the desktop window belongs to this process here";
    }
    EXPECT_FALSE(sub->ssc_Subclass(desktop));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "CSubclass.ssc_Subclass: Window handle belongs to another process");
}

TEST_F(Subclass, ThirtyThirdMessageOverflows) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    for (UINT m = 0; m < 32; ++m) {
        sub->ssc_AddMsg(window, WM_APP + 100 + m, MSG_BEFORE);
    }
    EXPECT_TRUE(log.empty());
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "CSubclass.zAddMsg: Message table overflow. Either increase the value of "
                      "Const MSG_ENTRIES or use ALL_MESSAGES instead of specific message values");
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_TRUE(events.empty());
    sub->ssc_DelMsg(window, MSG_BEFORE, {WM_APP + 110, "text is skipped"});
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    EXPECT_EQ(log.size(), 1u);
    ::SendMessageA(window, kPing, 0, 0);
    ::SendMessageA(window, WM_APP + 110, 0, 0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].msg, kPing);
}

TEST_F(Subclass, DestroyingTheWindowEndsInterception) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    sub->ssc_AddMsg(window, WM_NCDESTROY, MSG_BEFORE | MSG_AFTER);
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    ::DestroyWindow(window);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].msg, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(events[0].before);
    EXPECT_FALSE(events[1].before);
    EXPECT_EQ(CSubclass::PendingRecords(), 1u) << "freed by the timer, not at once";
    Pump(250);
    EXPECT_EQ(CSubclass::PendingRecords(), 0u);
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    EXPECT_EQ(log, std::vector<std::string>{}) << "registry created and empty: nothing logged";
}

TEST_F(Subclass, DestroyWindowFromInsideABeforeCallback) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    sub->ssc_AddMsg(window, ALL_MESSAGES, MSG_BEFORE | MSG_AFTER);
    onEvent = [](bool before, bool&, LRESULT&, HWND h, UINT msg, LONG&) {
        if (before && msg == kPing) {
            ::DestroyWindow(h);
        }
    };
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
    bool afterPing = false;
    bool ncdestroy = false;
    for (const Event& e : events) {
        afterPing |= !e.before && e.msg == kPing;
        ncdestroy |= e.msg == WM_NCDESTROY;
    }
    EXPECT_TRUE(ncdestroy);
    EXPECT_FALSE(afterPing) << "no event once the window is gone";
    Pump(250);
    EXPECT_EQ(CSubclass::PendingRecords(), 0u);
}

TEST_F(Subclass, UnSubclassFromInsideABeforeCallback) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE | MSG_AFTER);
    WNDPROC installed = Proc(window);
    bool stillOursDuringCall = false;
    onEvent = [&](bool before, bool&, LRESULT&, HWND h, UINT, LONG&) {
        if (before) {
            sub->ssc_UnSubclass(h);
            stillOursDuringCall = Proc(h) == installed;
        }
    };
    EXPECT_EQ(::SendMessageA(window, kPing, 0, 0), 1001) << "the message still arrives";
    EXPECT_TRUE(stillOursDuringCall);
    EXPECT_EQ(events.size(), 1u) << "no after-call";
    EXPECT_EQ(Proc(window), &OwnProc) << "put back when the message returned";
    EXPECT_EQ(CSubclass::PendingRecords(), 1u);
    Pump(250);
    EXPECT_EQ(CSubclass::PendingRecords(), 0u);
}

TEST_F(Subclass, TerminateAndDestroyTheInterceptorFromInsideCallbacks) {
    HWND second = MakeWindow();
    ASSERT_TRUE(sub->ssc_Subclass(window));
    ASSERT_TRUE(sub->ssc_Subclass(second));
    sub->ssc_AddMsg(window, ALL_MESSAGES, MSG_BEFORE);
    sub->ssc_AddMsg(second, kPing, MSG_AFTER);
    onEvent = [&](bool, bool&, LRESULT&, HWND h, UINT msg, LONG&) {
        if (h == window && msg == kPing) {
            ::SendMessageA(window, kPong, 0, 0); // nested dispatch
        } else if (h == window && msg == kPong) {
            sub.reset(); // the interceptor goes away in the middle of two nested calls
        }
    };
    EXPECT_EQ(::SendMessageA(window, kPing, 0, 0), 1001);
    EXPECT_EQ(Proc(window), &OwnProc);
    EXPECT_EQ(::SendMessageA(second, kPing, 0, 0), 1001);
    EXPECT_EQ(Proc(second), &OwnProc);
    EXPECT_EQ(events.size(), 2u);
    ::DestroyWindow(second);
}

TEST_F(Subclass, ReleaseTimerIsCancelledByALaterMessage) {
    ASSERT_TRUE(sub->ssc_Subclass(window));
    // A window procedure kept by someone else still leads into the record after its release.
    WNDPROC kept = Proc(window);
    sub->ssc_UnSubclass(window);
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_EQ(Proc(window), &OwnProc);
    Pump(60);
    EXPECT_EQ(::CallWindowProcA(kept, window, kPing, 0, 0), 1001);
    Pump(60);
    EXPECT_EQ(CSubclass::PendingRecords(), 1u) << "the timer started again at the last message";
    Pump(200);
    EXPECT_EQ(CSubclass::PendingRecords(), 0u);
}

TEST_F(Subclass, lParamUserIsKeptAndPassedByReference) {
    bool unicode = false;
    ASSERT_TRUE(sub->ssc_Subclass(window, 7, 1, true, unicode, false));
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    onEvent = [](bool, bool&, LRESULT&, HWND, UINT, LONG& user) { user *= 3; };
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_EQ(sub->zGet_lParamUser(window), 21);
    sub->zSet_lParamUser(window, 5);
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_EQ(sub->zGet_lParamUser(window), 15);
}

TEST_F(Subclass, lParamUserSetInsideAHandlerIsKept) {
    bool unicode = false;
    ASSERT_TRUE(sub->ssc_Subclass(window, 7, 1, true, unicode, false));
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    onEvent = [this](bool, bool&, LRESULT&, HWND h, UINT, LONG&) { sub->zSet_lParamUser(h, 42); };
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_EQ(sub->zGet_lParamUser(window), 42);
}

TEST_F(Subclass, UnicodeWindowsKeepTheirCharacterSetWhenAsked) {
    HWND w = MakeWindow(true);
    ASSERT_TRUE(::IsWindowUnicode(w));
    bool unicode = true;
    ASSERT_TRUE(sub->ssc_Subclass(w, 0, 1, true, unicode, false));
    EXPECT_TRUE(unicode);
    EXPECT_TRUE(::IsWindowUnicode(w));
    sub->ssc_AddMsg(w, WM_SETTEXT, MSG_BEFORE);
    std::wstring seen;
    sub->SetWindowProc([&](bool, bool&, LRESULT&, HWND, UINT, WPARAM, LPARAM l, LONG&) {
        seen = reinterpret_cast<const wchar_t*>(l);
    });
    ::SetWindowTextW(w, L"\u6807\u7b7e");
    EXPECT_EQ(seen, L"\u6807\u7b7e");
    ::DestroyWindow(w);
}

TEST_F(Subclass, MouseLeaveIsRequested) {
    ::SetWindowPos(window, HWND_TOPMOST, 100, 100, 200, 200, SWP_SHOWWINDOW);
    Pump(100);
    RECT r{};
    ::GetWindowRect(window, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump(100);
    ASSERT_TRUE(sub->ssc_Subclass(window));
    sub->ssc_AddMsg(window, WM_MOUSELEAVE, MSG_BEFORE);
    sub->TrackMouseTracking(window);
    Pump(100);
    EXPECT_TRUE(events.empty()) << "the pointer is still over the window";
    ::SetCursorPos(900, 700);
    Pump(400);
    int leaves = 0;
    for (const Event& e : events) {
        leaves += e.msg == WM_MOUSELEAVE;
    }
    EXPECT_EQ(leaves, 1);
    EXPECT_TRUE(sub->HasTrackMouseEvent());
}

TEST_F(Subclass, RecordsRunOutAfterTwoHundredFiftySixWindows) {
    std::vector<HWND> windows;
    for (int i = 0; i < 257; ++i) {
        windows.push_back(MakeWindow());
    }
    int accepted = 0;
    for (HWND h : windows) {
        accepted += sub->ssc_Subclass(h) ? 1 : 0;
    }
    EXPECT_EQ(accepted, 256);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "CSubclass.ssc_Subclass: VirtualAlloc failed, error: 8");
    for (HWND h : windows) {
        ::DestroyWindow(h);
    }
    Pump(250);
    EXPECT_EQ(CSubclass::PendingRecords(), 0u);
    EXPECT_TRUE(sub->ssc_Subclass(window)) << "the records are free again";
}

TEST_F(Subclass, TwoInterceptorsOnOneWindow) {
    CSubclass second;
    int firstCalls = 0;
    int secondCalls = 0;
    sub->SetWindowProc(
        [&](bool, bool&, LRESULT&, HWND, UINT, WPARAM, LPARAM, LONG&) { ++firstCalls; });
    second.SetWindowProc(
        [&](bool, bool&, LRESULT&, HWND, UINT, WPARAM, LPARAM, LONG&) { ++secondCalls; });
    ASSERT_TRUE(sub->ssc_Subclass(window));
    ASSERT_TRUE(second.ssc_Subclass(window));
    sub->ssc_AddMsg(window, kPing, MSG_BEFORE);
    second.ssc_AddMsg(window, kPing, MSG_BEFORE);
    EXPECT_EQ(::SendMessageA(window, kPing, 0, 0), 1001);
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 1);
    // The first lets go while the second sits in front of it: the second keeps working.
    sub->ssc_UnSubclass(window);
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_EQ(secondCalls, 2);
    second.ssc_Terminate();
    ::SendMessageA(window, kPing, 0, 0);
    ::SendMessageA(window, kPing, 0, 0);
    EXPECT_EQ(secondCalls, 2);
    EXPECT_EQ(Proc(window), &OwnProc) << "both out of the chain";
}

} // namespace
} // namespace velm
