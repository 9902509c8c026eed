// Start-up benchmark: time from process creation to the splash window being visible, against
// its floor: a minimal program (this executable with --request) that makes the client's
// manifest request to the same server with WinINet and then shows one window of the splash's
// size, since the splash may only come once the manifest has been answered. A bare window (this
// executable with --minimal) is shown for reference. All run alternately under the same Wine in
// one run; prints the medians and the ratios.
//
//   bench_startup.exe [runs] [path\to\velm.exe]
#include "startup/UpdateCheck.h"

#include "Config.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK MinimalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// What the client must do before its splash may show: the network check and the manifest
// request, read to its end.
// Built from the same parts as the client's address, without linking the client's update code,
// so that this program loads no more than the request needs.
const std::string kManifestUrl = std::string(VELM_STATIC_SERVER) + velm::kManifestPath;

void RequestManifest() {
    DWORD flags = 0;
    ::InternetGetConnectedState(&flags, 0);
    HINTERNET root = ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request =
        root ? ::InternetOpenUrlA(root, kManifestUrl.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0)
             : nullptr;
    char buffer[8192];
    DWORD got = 0;
    while (request && ::InternetReadFile(request, buffer, sizeof(buffer), &got) && got > 0) {
    }
    if (request) {
        ::InternetCloseHandle(request);
    }
    if (root) {
        ::InternetCloseHandle(root);
    }
}

int RunMinimal() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = MinimalProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"velm.bench.Minimal";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
    int x = (GetSystemMetrics(SM_CXSCREEN) - 356) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - 122) / 2;
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Form1", WS_POPUP, x, y, 356,
                                122, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}

struct Found {
    DWORD pid;
    const wchar_t* cls;
    HWND hwnd;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[128] = {};
    GetClassNameW(hwnd, cls, 128);
    if (pid == f->pid && wcscmp(cls, f->cls) == 0 && IsWindowVisible(hwnd)) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to a visible window of class `cls`; -1 on time-out.
double TimeToWindow(const std::wstring& exe, const std::wstring& args, const wchar_t* cls) {
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return -1;
    }
    double ms = -1;
    for (;;) {
        Found f{pi.dwProcessId, cls, nullptr};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
        QueryPerformanceCounter(&now);
        double elapsed = 1000.0 * (now.QuadPart - start.QuadPart) / freq.QuadPart;
        if (f.hwnd) {
            ms = elapsed;
            break;
        }
        if (elapsed > 30000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            break;
        }
        Sleep(1);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--minimal") == 0) {
        return RunMinimal();
    }
    if (argc > 1 && std::strcmp(argv[1], "--request") == 0) {
        RequestManifest();
        return RunMinimal();
    }
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring velm;
    if (argc > 2) {
        std::string a = argv[2];
        velm.assign(a.begin(), a.end());
    } else {
        velm = self;
        velm = velm.substr(0, velm.find_last_of(L'\\') + 1) + L"velm.exe";
    }
    std::vector<double> minimal, request, client;
    // One warm-up of each, so all find the same files in the system's caches.
    TimeToWindow(self, L"--minimal", L"velm.bench.Minimal");
    TimeToWindow(self, L"--request", L"velm.bench.Minimal");
    TimeToWindow(velm, L"", L"velm.LoadFrm");
    for (int i = 0; i < runs; ++i) {
        minimal.push_back(TimeToWindow(self, L"--minimal", L"velm.bench.Minimal"));
        request.push_back(TimeToWindow(self, L"--request", L"velm.bench.Minimal"));
        client.push_back(TimeToWindow(velm, L"", L"velm.LoadFrm"));
    }
    double m = Median(minimal);
    double r = Median(request);
    double c = Median(client);
    std::printf("start to visible window, median of %d runs under this Wine\n", runs);
    std::printf("  manifest request, then window : %8.1f ms\n", r);
    std::printf("  velm.exe splash               : %8.1f ms\n", c);
    std::printf("  ratio                         : %8.2f (goal <= 1.2)\n", r > 0 ? c / r : 0.0);
    std::printf("  for reference: bare window    : %8.1f ms (splash %.2fx)\n", m,
                m > 0 ? c / m : 0.0);
    return (m < 0 || r < 0 || c < 0) ? 1 : 0;
}
