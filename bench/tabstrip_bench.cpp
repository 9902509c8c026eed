// One full repaint of the tab strip, DrawAll(true) with 30 tabs, against a single W x H BitBlt
// of the same back buffer to the strip's window.
#include "tabstrip/ITabForm.h"
#include "tabstrip/uTab.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    return ::DefWindowProcA(h, msg, w, l);
}

class Form : public velm::ITabForm {
public:
    explicit Form(HWND h) : hwnd_(h) {}
    HWND hWnd() override { return hwnd_; }
    void Initialize(velm::IuTab*, velm::CTabItem*) override {}
    void RefreshPage() override {}

private:
    HWND hwnd_;
};

double Now() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        ::QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / f.QuadPart;
}

} // namespace

int main() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmBenchHost";
    ::RegisterClassA(&wc);
    const int width = 1000;
    HWND host = ::CreateWindowA("VelmBenchHost", "", WS_POPUP | WS_VISIBLE, 0, 0, width, 300,
                                nullptr, nullptr, wc.hInstance, nullptr);
    HWND container = ::CreateWindowA("VelmBenchHost", "", WS_CHILD | WS_VISIBLE, 0, 40, width, 260,
                                     host, nullptr, wc.hInstance, nullptr);
    velm::PropertyBag design;
    design.WriteLong("TabStyle", 1, 0);
    design.WriteLong("TabLeftSize", 10, 40);
    {
        velm::uTab strip;
        strip.Create(host, 0, 0, width, design);
        strip.hContainerWnd(container);
        strip.LockReDraw(false);
        std::vector<HWND> windows;
        for (int i = 0; i < 30; ++i) {
            HWND f = ::CreateWindowA("VelmBenchHost", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                     nullptr, nullptr, wc.hInstance, nullptr);
            char caption[32];
            std::snprintf(caption, sizeof(caption), "游戏页面 %d", i + 1);
            strip.TabItems().Add(caption, std::make_shared<Form>(f));
        }
        strip.TabItems().Selected(7);
        const int h = strip.Height();
        HDC window = ::GetDC(strip.hWnd());
        const int frames = 300;
        double draw = 1e9, blit = 1e9;
        for (int round = 0; round < 5; ++round) {
            double t0 = Now();
            for (int i = 0; i < frames; ++i) {
                strip.DrawAll(true);
            }
            ::GdiFlush();
            draw = std::min(draw, (Now() - t0) / frames);
            t0 = Now();
            for (int i = 0; i < frames; ++i) {
                ::BitBlt(window, 0, 0, width, h, strip.BackBufferDC(), 0, 0, SRCCOPY);
            }
            ::GdiFlush();
            blit = std::min(blit, (Now() - t0) / frames);
        }
        ::ReleaseDC(strip.hWnd(), window);
        // Where a frame's time goes: the steps of one tab, each 300 times.
        auto each = [&](const char* what, auto&& step) {
            double t0 = Now();
            for (int i = 0; i < frames; ++i) {
                step();
            }
            ::GdiFlush();
            std::printf("  %-34s %8.4f ms\n", what, (Now() - t0) / frames * 1000);
        };
        HDC area = strip.TabAreaDC();
        HDC skin = strip.SkinDC(1);
        each("CreateMemDC(28, 26) and delete", [] { velm::mdlTabAPI::CreateMemDC(28, 26); });
        each("GetDC(screen) and ReleaseDC", [] { ::ReleaseDC(nullptr, ::GetDC(nullptr)); });
        each("NineGridBlt 28 x 26 keyed", [&] {
            velm::mdlTabAPI::NineGridBlt(area, 5, 0, 28, 26, skin, 1, 0, 124, 26, 14, 0, 14, 0,
                                         velm::mdlTabAPI::kKeyColour);
        });
        each("TransBlt 12 x 12", [&] {
            velm::mdlTabAPI::TransBlt(area, 5, 7, 12, 12, skin, 385, 0,
                                      velm::mdlTabAPI::kKeyColour);
        });
        each("DrawCaption", [&] { strip.DrawCaption(area, "游戏页面 12", 5, 0, 40, 26); });
        each("DrawBackground", [&] { strip.DrawBackground(); });
        std::printf("strip %d x %d, 30 tabs of %d pixels\n", width, h, strip.StandardWidth());
        std::printf("DrawAll(true):          %8.3f ms per frame\n", draw * 1000);
        std::printf("one W x H BitBlt:       %8.3f ms per frame\n", blit * 1000);
        std::printf("ratio:                  %8.1f\n", draw / blit);
    }
    ::DestroyWindow(host);
    return 0;
}
