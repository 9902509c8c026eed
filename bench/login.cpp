// Login benchmark: time from process creation to the splash and to the login windows being
// visible (the login page fetched from the demo server and shown by the configured browser
// engine), and the basic engine's parse and layout of the login page.
//
//   bench_login.exe [runs] [path\to\velm.exe]
#include "browser/HtmlDocument.h"
#include "browser/HtmlLayout.h"

#include "Config.h"
#include "base/Handles.h"
#include "base/Text.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace velm;

struct Found {
    DWORD pid;
    const wchar_t* cls;
    HWND hwnd;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[128] = {};
    ::GetClassNameW(hwnd, cls, 128);
    if (pid == f->pid && std::wstring(cls) == f->cls && ::IsWindowVisible(hwnd)) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

double Now() {
    LARGE_INTEGER freq, t;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Milliseconds from CreateProcess to a visible splash and to a visible login window.
bool TimeStart(const std::wstring& exe, double& splash, double& login) {
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    double start = Now();
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi)) {
        return false;
    }
    UniqueKernelHandle process(pi.hProcess);
    UniqueKernelHandle thread(pi.hThread);
    splash = login = -1;
    while (Now() - start < 30000 && ::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
        if (splash < 0) {
            Found f{pi.dwProcessId, L"velm.LoadFrm", nullptr};
            ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
            if (f.hwnd) {
                splash = Now() - start;
            }
        }
        Found f{pi.dwProcessId, L"velm.LoginBgFrm", nullptr};
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
        if (f.hwnd) {
            login = Now() - start;
            break;
        }
        ::Sleep(1);
    }
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    return login >= 0;
}

std::string Fetch(const std::string& url) {
    UniqueInternet session(
        ::InternetOpenA("velm-bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    UniqueInternet request(session ? ::InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0,
                                                        INTERNET_FLAG_RELOAD, 0)
                                   : nullptr);
    std::string body;
    char buffer[4096];
    DWORD got = 0;
    while (request && ::InternetReadFile(request.get(), buffer, sizeof(buffer), &got) && got > 0) {
        body.append(buffer, got);
    }
    return body;
}

class GdiMeasurer : public TextMeasurer {
public:
    GdiMeasurer() : dc_(::CreateCompatibleDC(nullptr)) {}
    int Width(std::string_view utf8, const PageFont& font) override {
        SelectScope select(dc_.get(), FontFor(font));
        std::wstring text = Widen(utf8);
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int LineHeight(const PageFont& font) override {
        SelectScope select(dc_.get(), FontFor(font));
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc_.get(), &tm);
        return tm.tmHeight + tm.tmExternalLeading;
    }

private:
    HFONT FontFor(const PageFont& font) {
        UniqueFont& slot = fonts_[font.bold ? 1 : 0][std::min(font.size, 63)];
        if (!slot) {
            slot.reset(::CreateFontW(-font.size, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                     FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                     L"Microsoft YaHei"));
        }
        return slot.get();
    }
    UniqueMemoryDc dc_;
    UniqueFont fonts_[2][64];
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::wstring velm;
    if (argc > 2) {
        velm = Widen(argv[2]);
    } else {
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        velm = self;
        velm = velm.substr(0, velm.find_last_of(L'\\') + 1) + L"velm.exe";
    }
    std::vector<double> splash, login;
    double s = 0, l = 0;
    TimeStart(velm, s, l); // warm-up
    for (int i = 0; i < runs; ++i) {
        if (TimeStart(velm, s, l)) {
            splash.push_back(s);
            login.push_back(l);
        }
    }
    std::printf("start to visible window, median of %d runs under this Wine\n", runs);
    std::printf("  splash               : %8.1f ms\n", Median(splash));
    std::printf("  login windows        : %8.1f ms\n", Median(login));

    std::string url = std::string(VELM_LOGIN_SERVER) + "/velm/login/";
    std::string page = Fetch(url);
    if (page.empty()) {
        std::printf("login page not reachable at %s\n", url.c_str());
        return 1;
    }
    GdiMeasurer measurer;
    const int rounds = 500;
    size_t items = 0;
    double start = Now();
    for (int i = 0; i < rounds; ++i) {
        HtmlDocument doc = HtmlDocument::Parse(page, url);
        items += LayoutPage(doc, 920, measurer).items.size();
    }
    double each = (Now() - start) / rounds;
    std::printf("basic engine, login page (%zu bytes): parse and layout %.3f ms (%zu items)\n",
                page.size(), each, items / rounds);
    return login.empty() ? 1 : 0;
}
