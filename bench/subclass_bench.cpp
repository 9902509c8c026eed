// Per-message cost of CSubclass: SendMessage to a window intercepted the way the tab strip
// intercepts its own window (every message, before the window's procedure, handler runs and lets
// the message through) against SendMessage to an unhooked window of the same class.
#include "frame/CSubclass.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_APP) {
        return static_cast<LRESULT>(w + 1);
    }
    return ::DefWindowProcA(h, msg, w, l);
}

double NsPerMessage(HWND h, int count) {
    LARGE_INTEGER f, a, b;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&a);
    LRESULT sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += ::SendMessageA(h, WM_APP, static_cast<WPARAM>(i), 0);
    }
    ::QueryPerformanceCounter(&b);
    if (sum == 0) {
        std::printf("?");
    }
    return (b.QuadPart - a.QuadPart) * 1e9 / f.QuadPart / count;
}

} // namespace

int main() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmBenchWindow";
    ::RegisterClassA(&wc);
    HWND plain = ::CreateWindowA("VelmBenchWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    HWND hooked = ::CreateWindowA("VelmBenchWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    HWND tabled = ::CreateWindowA("VelmBenchWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    long calls = 0;
    velm::CSubclass sub;
    sub.SetWindowProc([&](bool, bool&, LRESULT&, HWND, UINT, WPARAM, LPARAM, LONG&) { ++calls; });
    sub.ssc_Subclass(hooked);
    sub.ssc_AddMsg(hooked, velm::ALL_MESSAGES, velm::MSG_BEFORE);
    // A full table that the message is not in: the scan of 32 slots, no event.
    sub.ssc_Subclass(tabled);
    for (UINT m = 0; m < 32; ++m) {
        sub.ssc_AddMsg(tabled, WM_APP + 100 + m, velm::MSG_BEFORE | velm::MSG_AFTER);
    }

    const int count = 200000;
    double direct = 1e300, all = 1e300, table = 1e300;
    for (int round = 0; round < 7; ++round) {
        direct = std::min(direct, NsPerMessage(plain, count));
        all = std::min(all, NsPerMessage(hooked, count));
        table = std::min(table, NsPerMessage(tabled, count));
    }
    std::printf("direct SendMessage, unhooked window:          %8.1f ns/message\n", direct);
    std::printf("intercepted, all messages before, event raised: %6.1f ns/message  ratio %.2f\n",
                all, all / direct);
    std::printf("intercepted, 32-entry tables, no match:         %6.1f ns/message  ratio %.2f\n",
                table, table / direct);
    std::printf("events raised: %ld\n", calls);
    ::DestroyWindow(plain);
    ::DestroyWindow(hooked);
    ::DestroyWindow(tabled);
    return 0;
}
