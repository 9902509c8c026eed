// The main window's procedure with a real window: the F10 boss key (sent and really pressed),
// the tray icon's clicks, and that every message still reaches the window's own procedure.
#include "mainwindow/ModMsg.h"

#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace velm {
namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back(msg);
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND g_menuFor = nullptr;
void MenuHandler(HWND hwnd) {
    g_menuFor = hwnd;
}
HWND g_taskbarFor = nullptr;
void TaskbarHandler(HWND hwnd) {
    g_taskbarFor = hwnd;
}

class MainProc : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "velm.test.Main";
        ::RegisterClassA(&wc);
        hwnd = ::CreateWindowExA(0, wc.lpszClassName, "main", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ::ShowWindow(hwnd, SW_SHOW);
        SetTrayMenuHandler(&MenuHandler);
        SetTaskbarCreatedHandler(&TaskbarHandler);
        InstallMsgHook(hwnd);
        g_seen.clear();
    }
    void TearDown() override {
        RemoveMsgHook(hwnd);
        ::DestroyWindow(hwnd);
    }
    HWND hwnd = nullptr;
};

TEST_F(MainProc, HotKeyTogglesAndKeepsMinimisedState) {
    ::SendMessageA(hwnd, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F10));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    ::SendMessageA(hwnd, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F10));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    ::ShowWindow(hwnd, SW_MINIMIZE);
    ::SendMessageA(hwnd, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F10));
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    ::SendMessageA(hwnd, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F10));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(::IsIconic(hwnd)) << "shown again still minimised";
    ::SendMessageA(hwnd, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F9));
    EXPECT_TRUE(::IsWindowVisible(hwnd)) << "another key does nothing";
    int hotkeys = 0;
    for (UINT m : g_seen) {
        hotkeys += m == WM_HOTKEY;
    }
    EXPECT_EQ(hotkeys, 5) << "every message is passed on";
}

TEST_F(MainProc, RealF10KeyPressArrivesAsHotKey) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = VK_F10;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
    test::Pump(300);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    ::SendInput(2, in, sizeof(INPUT));
    test::Pump(300);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
}

TEST_F(MainProc, TrayClicks) {
    ::SendMessageA(hwnd, 0x1862, 1000, WM_LBUTTONUP);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    g_menuFor = nullptr;
    ::SendMessageA(hwnd, 0x1862, 1000, WM_RBUTTONUP);
    EXPECT_EQ(g_menuFor, hwnd);
    EXPECT_FALSE(::IsWindowVisible(hwnd)) << "the menu leaves the window as it is";
    ::SendMessageA(hwnd, 0x1862, 1000, WM_MOUSEMOVE);
    ::SendMessageA(hwnd, 0x1862, 1000, WM_LBUTTONDOWN);
    ::SendMessageA(hwnd, 0x1862, 1000, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    ::SendMessageA(hwnd, 0x1862, 1000, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
}

TEST_F(MainProc, TaskbarCreatedBroadcastReachesTheWindow) {
    g_taskbarFor = nullptr;
    ::SendMessageA(hwnd, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(g_taskbarFor, hwnd);
}

TEST_F(MainProc, RemovePutsTheOwnProcedureBackAndFreesF10) {
    RemoveMsgHook(hwnd);
    EXPECT_EQ(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OwnProc));
    ::SendMessageA(hwnd, WM_HOTKEY, 1000, MAKELPARAM(0, VK_F10));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(::RegisterHotKey(hwnd, 5, 0, VK_F10)) << "the key is free again";
    ::UnregisterHotKey(hwnd, 5);
    InstallMsgHook(hwnd); // for TearDown
}

} // namespace
} // namespace velm
