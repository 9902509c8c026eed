// Memory benchmark: private bytes of velm.exe with three game tabs open (basic engine), after
// start-up has settled, against a minimal Win32 program (this executable with --minimal) showing
// one window under the same Wine. The demo server must run with --control: its login page is
// made to navigate itself to the first game page, and two more come through DDE.
//
//   bench_memory.exe [settle-ms] [path\to\velm.exe]
#include "base/ProcessMemory.h"
#include "Config.h"
#include "base/Handles.h"
#include "base/Text.h"

#include <windows.h>

#include <ddeml.h>
#include <wininet.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace velm;

LRESULT CALLBACK MinimalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

int RunMinimal() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = MinimalProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"velm.bench.Minimal";
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW, 0, 0, 1024,
                                  700, nullptr, nullptr, wc.hInstance, nullptr);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&msg);
    }
    return 0;
}

std::string HttpGet(const std::string& pathAndQuery) {
    std::string url = std::string(VELM_STATIC_SERVER) + pathAndQuery;
    UniqueInternet root(
        ::InternetOpenA("velm-bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!root) {
        return {};
    }
    UniqueInternet req(::InternetOpenUrlA(root.get(), url.c_str(), nullptr, 0,
                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    std::string body;
    char buf[4096];
    DWORD got = 0;
    while (req && ::InternetReadFile(req.get(), buf, sizeof(buf), &got) && got > 0) {
        body.append(buf, got);
    }
    return body;
}

std::string Encode(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '/' || c == ':') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

bool DdeExecute(const std::string& command) {
    DWORD inst = 0;
    if (::DdeInitializeW(&inst, &NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        return false;
    }
    HSZ service = ::DdeCreateStringHandleW(inst, L"velm", CP_WINUNICODE);
    HSZ topic = ::DdeCreateStringHandleW(inst, L"MarluneDDE", CP_WINUNICODE);
    bool ok = false;
    if (HCONV conv = ::DdeConnect(inst, service, topic, nullptr)) {
        std::wstring text = Widen(command);
        DWORD result = 0;
        ok = ::DdeClientTransaction(reinterpret_cast<BYTE*>(text.data()),
                                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), conv,
                                    nullptr, 0, XTYP_EXECUTE, 10000, &result) != nullptr;
        ::DdeDisconnect(conv);
    }
    ::DdeFreeStringHandle(inst, service);
    ::DdeFreeStringHandle(inst, topic);
    ::DdeUninitialize(inst);
    return ok;
}

void Pump(DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

struct Search {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

BOOL CALLBACK FindTop(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    wchar_t cls[128] = {};
    ::GetClassNameW(h, cls, 128);
    if (pid == s->pid && std::wstring(cls) == s->cls && ::IsWindowVisible(h)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountBrowsers(HWND h, LPARAM n) {
    wchar_t cls[128] = {};
    ::GetClassNameW(h, cls, 128);
    if (std::wstring(cls) == L"velm.BasicBrowser") {
        ++*reinterpret_cast<int*>(n);
    }
    return TRUE;
}

HWND WaitTop(DWORD pid, const wchar_t* cls, DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    do {
        Search s{pid, cls, nullptr};
        ::EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
        if (s.found) {
            return s.found;
        }
        Pump(50);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
    return nullptr;
}

bool WaitBrowsers(HWND main, int count, DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    do {
        int n = 0;
        ::EnumChildWindows(main, CountBrowsers, reinterpret_cast<LPARAM>(&n));
        if (n == count) {
            return true;
        }
        Pump(50);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
    return false;
}

double PrivateMiB(HANDLE process) {
    return static_cast<double>(CommittedPrivateBytes(process)) / (1024.0 * 1024.0);
}

struct Child {
    PROCESS_INFORMATION pi{};
    bool Start(const std::wstring& exe, const std::wstring& args) {
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        return ::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &si, &pi) != 0;
    }
    ~Child() {
        if (pi.hProcess) {
            ::TerminateProcess(pi.hProcess, 0);
            ::WaitForSingleObject(pi.hProcess, 5000);
            ::CloseHandle(pi.hProcess);
            ::CloseHandle(pi.hThread);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--minimal") {
        return RunMinimal();
    }
    const DWORD settle = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 5000;
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.resize(dir.find_last_of(L'\\') + 1);
    std::wstring velmExe = argc > 2 ? Widen(argv[2]) : dir + L"velm.exe";

    const std::string game1 = std::string(VELM_LOGIN_SERVER) + "/velm/game/1/";
    const std::string game2 = std::string(VELM_LOGIN_SERVER) + "/velm/game/2/";
    const std::string login = "<html><head><meta http-equiv=\"refresh\" content=\"0;url=app://"
                              "loadgame|" +
                              game1 + "|1\"><title>login</title></head><body></body></html>";
    if (HttpGet("/__control/reset") != "ok\n" ||
        HttpGet("/__control/version?value=" + std::string(VELM_VERSION_TEXT)) != "ok\n" ||
        HttpGet("/__control/set?path=/velm/login/&type=text/html&body=" + Encode(login)) !=
            "ok\n") {
        std::printf("memory: the demo server does not run with --control\n");
        return 1;
    }

    double velm = -1;
    {
        Child client;
        if (!client.Start(velmExe, L"")) {
            std::printf("memory: cannot start velm.exe\n");
            return 1;
        }
        HWND main = WaitTop(client.pi.dwProcessId, L"velm.WebMainFrm", 60000);
        const char* failed = nullptr;
        if (!main) {
            failed = "no main window";
        } else if (!WaitBrowsers(main, 1, 20000)) {
            failed = "no first page";
        } else if (!DdeExecute(game2) || !WaitBrowsers(main, 2, 20000)) {
            failed = "no second page";
        } else if (!DdeExecute(game1 + "?tab=3") || !WaitBrowsers(main, 3, 20000)) {
            failed = "no third page";
        }
        if (failed) {
            std::printf("memory: the client did not reach three tabs (%s)\n", failed);
            HttpGet("/__control/reset");
            return 1;
        }
        Pump(settle);
        velm = PrivateMiB(client.pi.hProcess);
    }
    HttpGet("/__control/reset");

    double minimal = -1;
    {
        Child anchor;
        if (anchor.Start(self, L"--minimal") &&
            WaitTop(anchor.pi.dwProcessId, L"velm.bench.Minimal", 20000)) {
            Pump(settle);
            minimal = PrivateMiB(anchor.pi.hProcess);
        }
    }
    std::printf("private memory, three tabs: velm %.2f MiB, minimal window %.2f MiB, ratio "
                "%.2fx (goal <= 15 MB)\n",
                velm, minimal, minimal > 0 ? velm / minimal : 0.0);
    return 0;
}
