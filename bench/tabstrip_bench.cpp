// One full repaint of the tab strip, DrawAll(true) with 30 tabs, against a single W x H BitBlt
// of the same back buffer to the strip's window, in one run. Measured at two strip widths: at
// 1000 pixels the 30 tabs are too narrow for their captions, at 1900 every caption is drawn
// (cut with an ellipsis). Then the 1900-pixel strip at 150 %: 2850 pixels wide, measured by a
// child of this program started at 144 dpi (a process reads the system DPI when it starts).
#include "base/WindowDpi.h"
#include "tabstrip/ITabForm.h"
#include "tabstrip/mdlTabAPI.h"
#include "tabstrip/uTab.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <memory>

namespace {

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    return ::DefWindowProcA(h, msg, w, l);
}

class Form : public velm::ITabForm {
public:
    Form() {
        hwnd_ = ::CreateWindowA("VelmBenchHost", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }
    ~Form() override { ::DestroyWindow(hwnd_); }
    HWND hWnd() override { return hwnd_; }
    void Initialize(velm::IuTab*, velm::CTabItem*) override {}
    void RefreshPage() override {}

private:
    HWND hwnd_;
};

double Now() {
    static const LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        ::QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / f.QuadPart;
}

template <typename Step> double Best(int frames, Step&& step) {
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const double t0 = Now();
        for (int i = 0; i < frames; ++i) {
            step();
        }
        ::GdiFlush();
        best = std::min(best, (Now() - t0) / frames);
    }
    return best * 1000;
}

void Measure(int width) {
    HWND host = ::CreateWindowA("VelmBenchHost", "", WS_POPUP | WS_VISIBLE, 0, 0, width, 300,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    HWND container = ::CreateWindowA("VelmBenchHost", "", WS_CHILD | WS_VISIBLE, 0, 40, width, 260,
                                     host, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    velm::PropertyBag design;
    design.WriteLong("TabStyle", 1, 0);
    design.WriteLong("TabLeftSize", 10, 40);
    {
        velm::uTab strip;
        strip.Create(host, 0, 0, width, design);
        strip.hContainerWnd(container);
        strip.LockReDraw(false);
        for (int i = 0; i < 30; ++i) {
            char caption[32];
            std::snprintf(caption, sizeof(caption), "游戏页面 %d", i + 1);
            strip.TabItems().Add(caption, std::make_shared<Form>());
        }
        strip.TabItems().Selected(7);
        const int h = strip.Height();
        HDC window = ::GetDC(strip.hWnd());
        const double draw = Best(300, [&] { strip.DrawAll(true); });
        const double blit = Best(
            300, [&] { ::BitBlt(window, 0, 0, width, h, strip.BackBufferDC(), 0, 0, SRCCOPY); });
        ::ReleaseDC(strip.hWnd(), window);
        std::printf("strip %d x %d at %d dpi, 30 tabs %d pixels wide\n", width, h,
                    velm::WindowDpi(strip.hWnd()), strip.StandardWidth());
        std::printf("  DrawAll(true):     %8.3f ms per frame\n", draw);
        std::printf("  one W x H BitBlt:  %8.3f ms per frame\n", blit);
        std::printf("  ratio:             %8.1f\n", draw / blit);
        std::printf("  (of which the background %.3f ms, the tabs without the window %.3f ms)\n",
                    Best(300, [&] { strip.DrawBackground(); }),
                    Best(300, [&] { strip.DrawTabs(false); }));
        if (width == 1000) {
            // For comparison: the drawing module's own nine-grid copy of one tab body, through a
            // temporary surface and TransparentBlt.
            const double nine = Best(300, [&] {
                velm::mdlTabAPI::NineGridBlt(strip.TabAreaDC(), 5, 0, 28, 26, strip.SkinDC(1), 1, 0,
                                             124, 26, 14, 0, 14, 0, velm::mdlTabAPI::kKeyColour);
            });
            std::printf("  (one NineGridBlt of a tab body: %.3f ms)\n", nine);
        }
    }
    ::DestroyWindow(host);
}

} // namespace

// Runs this program with --scaled at `dpi` (the prefix's LogPixels, put back afterwards).
int RunScaled(DWORD dpi) {
    constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    DWORD old = 0;
    DWORD size = sizeof(old);
    const bool had = ::RegGetValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", RRF_RT_REG_DWORD,
                                    nullptr, &old, &size) == ERROR_SUCCESS;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --scaled";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    DWORD code = 1;
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                         &pi)) {
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    } else {
        std::printf("the run at %lu dpi could not start (error %lu)\n", dpi, ::GetLastError());
    }
    if (had) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &old, sizeof(old));
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels");
    }
    return static_cast<int>(code);
}

int main(int argc, char** argv) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmBenchHost";
    ::RegisterClassA(&wc);
    if (argc > 1 && std::strcmp(argv[1], "--scaled") == 0) {
        Measure(2850);
        return 0;
    }
    Measure(1000);
    Measure(1900);
    std::fflush(stdout);
    return RunScaled(144);
}
