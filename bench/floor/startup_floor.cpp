// The floor of the start-up benchmark: the least a program must do before a splash may show. It
// makes the client's manifest request to the same server with WinINet, reads the answer to its
// end, then shows one plain window of the splash's size. With --bare it shows the window at once
// (a reference figure: the cost of a process and a window under this Wine).
//
// Deliberately minimal: kernel32, user32, gdi32 and a plain WinINet import, the C runtime linked
// in statically like the client's, nothing of the client's libraries or resources.
#include "startup/UpdateCheck.h"

#include "Config.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>

namespace {

LRESULT CALLBACK FloorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RequestManifest() {
    char url[512] = {};
    std::strncat(url, VELM_STATIC_SERVER, sizeof(url) - 1);
    std::strncat(url, velm::kManifestPath, sizeof(url) - std::strlen(url) - 1);
    DWORD flags = 0;
    ::InternetGetConnectedState(&flags, 0);
    HINTERNET root = ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request =
        root ? ::InternetOpenUrlA(root, url, nullptr, 0, INTERNET_FLAG_RELOAD, 0) : nullptr;
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

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (std::strcmp(commandLine, "--bare") != 0) {
        RequestManifest();
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"velm.bench.Floor";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 356) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - 122) / 2;
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Form1", WS_POPUP, x, y, 356,
                                122, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
