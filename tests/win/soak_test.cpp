// Soaks in this process: game page tabs opened and closed in a real tab strip, and the login
// window pair loaded from a real HTTP server and unloaded, many times over. GDI objects, USER
// objects and private memory are sampled; after a warm-up none may grow beyond a small fixed
// bound. The counts come from VELM_TAB_SOAK_CYCLES and VELM_LOGIN_SOAK_CYCLES (scripts/bench
// runs the full ones; the test run uses smaller ones to stay quick).
#include "base/ProcessMemory.h"
#include "mainwindow/WebUrl.h"
#include "startup/LoginBgFrm.h"
#include "startup/LoginFrm.h"
#include "tabstrip/uTab.h"

#include "base/PropertyBag.h"
#include "support/HttpTestServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace velm {
namespace {

using test::HttpTestServer;
using test::Pump;
using test::PumpUntil;

int Cycles(const char* variable, int fallback) {
    char text[32] = {};
    if (::GetEnvironmentVariableA(variable, text, sizeof(text)) > 0 && std::atoi(text) > 0) {
        return std::atoi(text);
    }
    return fallback;
}

// GDI objects of this process. Wine answers GetGuiResources with 0; there a GDI handle's low word
// alone names its table entry, so the live entries can be counted one by one.
long GdiObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) {
        return static_cast<long>(n);
    }
    long n = 0;
    for (ULONG_PTR i = 1; i < 0x10000; ++i) {
        n += ::GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
    }
    return n;
}

BOOL CALLBACK CountWindow(HWND h, LPARAM counter) {
    ++*reinterpret_cast<long*>(counter);
    ::EnumChildWindows(h, CountWindow, counter);
    return TRUE;
}

// USER objects of this process; where GetGuiResources answers 0, the windows of this thread.
long UserObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) {
        return static_cast<long>(n);
    }
    long n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

long PrivateKiB() {
    return static_cast<long>(CommittedPrivateBytes(::GetCurrentProcess()) / 1024);
}

struct Sample {
    long gdi = 0;
    long user = 0;
    long privateKiB = 0;
    static Sample Now() { return {GdiObjects(), UserObjects(), PrivateKiB()}; }
};

// Runs `cycle` `count` times after `warmUp` cycles, sampling ten times on the way; reports the
// first and the largest samples and checks them against the bounds.
void Soak(const char* name, int warmUp, int count, const std::function<bool(int)>& cycle,
          long memoryBoundKiB) {
    for (int i = 0; i < warmUp; ++i) {
        ASSERT_TRUE(cycle(i)) << "warm-up cycle " << i;
    }
    const Sample first = Sample::Now();
    ASSERT_GT(first.gdi, 0);
    ASSERT_GT(first.privateKiB, 0);
    Sample peak = first;
    Sample last = first;
    const DWORD start = ::GetTickCount();
    const int every = std::max(1, count / 10);
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(cycle(i)) << "cycle " << i;
        if ((i + 1) % every == 0 || i + 1 == count) {
            last = Sample::Now();
            peak.gdi = std::max(peak.gdi, last.gdi);
            peak.user = std::max(peak.user, last.user);
            peak.privateKiB = std::max(peak.privateKiB, last.privateKiB);
        }
    }
    const DWORD ms = ::GetTickCount() - start;
    std::printf("[soak] %s: %d cycles in %lu ms; GDI %ld -> %ld (peak %ld), USER %ld -> %ld "
                "(peak %ld), private %ld -> %ld KiB (peak %ld)\n",
                name, count, static_cast<unsigned long>(ms), first.gdi, last.gdi, peak.gdi,
                first.user, last.user, peak.user, first.privateKiB, last.privateKiB,
                peak.privateKiB);
    // Objects come back exactly (a little slack for caches filled on the way, which would not
    // grow with the count); memory may move with the heap's own bookkeeping only.
    EXPECT_LE(peak.gdi, first.gdi + 4) << "GDI objects grow";
    EXPECT_LE(last.gdi, first.gdi + 4);
    EXPECT_LE(peak.user, first.user + 2) << "USER objects grow";
    EXPECT_LE(last.user, first.user);
    EXPECT_LE(peak.privateKiB - first.privateKiB, memoryBoundKiB) << "private memory grows";
}

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    return ::DefWindowProcA(h, msg, w, l);
}

class SoakTest : public ::testing::Test {
protected:
    void SetUp() override {
        WindowObject::SetQuitOnLastWindow(false);
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "VelmSoakHost";
        ::RegisterClassA(&wc);
    }
};

// Open a game page tab, select it, let its page load, close it: the way a player opens and
// closes servers, ten thousand times in the full run.
TEST_F(SoakTest, TabOpenCloseCyclesLeaveNothingBehind) {
    HttpTestServer server;
    server.Route("/g", {200, "<html><head><title>晨曦一区</title></head><body>"
                             "<p style=\"background:#E8F0FA\">game</p></body></html>"});
    const std::string url = server.Url("/g");
    HWND window =
        ::CreateWindowExA(0, "VelmSoakHost", "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                          1000, 700, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    HWND container = ::CreateWindowExA(0, "VelmSoakHost", "", WS_CHILD | WS_VISIBLE, 0, 40, 1000,
                                       660, window, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    auto strip = std::make_unique<uTab>();
    PropertyBag design;
    ASSERT_TRUE(strip->Create(window, 0, 0, 1000, design));
    strip->hContainerWnd(container);
    strip->LockReDraw(false);
    // One tab stays, as the main window always keeps one; the cycled tab comes and goes beside it.
    auto resident = std::make_shared<WebUrl>();
    resident->OpenURL("about:blank");
    ASSERT_TRUE(strip->TabItems().Add("resident", resident));

    auto cycle = [&](int i) {
        auto form = std::make_shared<WebUrl>();
        // Every tenth page is fetched from the server and shown; the others stay blank, which
        // keeps the full count within minutes while each still makes its windows and browser.
        const bool fetch = i % 10 == 0;
        form->OpenURL(fetch ? url : "about:blank");
        if (!strip->TabItems().Add("tab", form, fetch ? url : std::string())) {
            return false;
        }
        strip->TabItems().Selected(1);
        if (fetch &&
            !PumpUntil([&] { return strip->TabItems().Item(1)->Caption() == "晨曦一区"; }, 10000)) {
            return false;
        }
        Pump(0);
        const bool removed = strip->TabItems().Remove(1, true);
        form.reset();
        Pump(0);
        return removed && strip->TabItems().Count() == 1;
    };
    Soak("tabs", 20, Cycles("VELM_TAB_SOAK_CYCLES", 500), cycle, 2048);
    strip.reset();
    ::DestroyWindow(window);
}

std::string LoginPage() {
    return "<!DOCTYPE html><html><head><title>login</title></head>"
           "<body style=\"margin:0;background:#FEFEFE\">"
           "<div style=\"margin:120px 0 0 240px;width:440px;padding:24px;background:#FFFFFF\">"
           "<p><a href=\"app://loadgame|http://game.example/1/|1\">enter</a></p></div>"
           "</body></html>";
}

// The login pair loaded, shown once its page has come, and unloaded again.
TEST_F(SoakTest, LoginWindowCyclesLeaveNothingBehind) {
    HttpTestServer server;
    server.Route("/velm/login/", {200, LoginPage()});
    LoginFrm::SetLoginPageUrl(server.Url("/velm/login/"));
    auto cycle = [&](int) {
        if (!LoginFrm::Get().Load()) {
            return false;
        }
        if (!PumpUntil([] {
                return LoginBgFrm::Exists() && ::IsWindowVisible(LoginBgFrm::Get().hWnd());
            })) {
            return false;
        }
        LoginBgFrm::Get().Unload();
        LoginFrm::Get().Unload();
        Pump(0);
        return !LoginFrm::Exists() || !::IsWindow(LoginFrm::Get().hWnd());
    };
    Soak("login", 5, Cycles("VELM_LOGIN_SOAK_CYCLES", 200), cycle, 2048);
    LoginFrm::SetLoginPageUrl("");
}

} // namespace
} // namespace velm
