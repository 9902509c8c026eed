// Start-up benchmark, measured from outside: this program creates each process and polls, the
// same way for every one, until a visible top-level window of that process exists; the time runs
// from just before CreateProcess. Against each other in alternating rounds under the same Wine:
//   - the floor (startup_floor.exe): the manifest request with WinINet, then a plain window of the
//     splash's size, since the splash may only come once the manifest has been answered;
//   - the client (velm.exe of this tree) to its splash at the prefix's 96 dpi;
//   - the client to its splash at 144 dpi (the prefix's LogPixels is set before that start, and
//     put back at the end);
//   - for reference, the floor's window alone (startup_floor.exe --bare).
// Prints the medians with their ranges, the ratios of the medians and the medians of the
// per-round ratios.
//
//   bench_startup.exe [rounds (21)] [path\to\velm.exe]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";

struct Found {
    DWORD pid;
    HWND hwnd;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->pid && IsWindowVisible(hwnd)) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the first visible top-level window of the new process, or -1
// when the process ended or 30 s passed first, or when that window is not of class `cls` (the
// client would then have shown something before its splash, which is no splash time at all).
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
        std::fprintf(stderr, "CreateProcessW %ls: error %lu\n", exe.c_str(), GetLastError());
        return -1;
    }
    double ms = -1;
    for (;;) {
        Found f{pi.dwProcessId, nullptr};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
        QueryPerformanceCounter(&now);
        const double elapsed = 1000.0 * (now.QuadPart - start.QuadPart) / freq.QuadPart;
        if (f.hwnd) {
            wchar_t found[128] = {};
            GetClassNameW(f.hwnd, found, 128);
            if (wcscmp(found, cls) == 0) {
                ms = elapsed;
            } else {
                std::fprintf(stderr, "%ls showed a window of class %ls first, not %ls\n",
                             exe.c_str(), found, cls);
            }
            break;
        }
        if (elapsed > 30000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "%ls showed no window\n", exe.c_str());
            break;
        }
        Sleep(1);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // The ended process's windows, X resources and server objects go away before the next start,
    // so that no start pays for its predecessor's clean-up.
    Sleep(200);
    return ms;
}

// The prefix's display scale for processes started from now on; the old one comes back at the end.
class LogPixels {
public:
    LogPixels() {
        DWORD size = sizeof(old_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                            &old_, &size) == ERROR_SUCCESS;
    }
    ~LogPixels() {
        if (had_) {
            Set(old_);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
        }
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;
    static void Set(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }

private:
    DWORD old_ = 96;
    bool had_ = false;
};

struct Series {
    std::vector<double> ms;
    double Median() const {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        return v.empty() ? -1 : v[v.size() / 2];
    }
    double Min() const { return ms.empty() ? -1 : *std::min_element(ms.begin(), ms.end()); }
    double Max() const { return ms.empty() ? -1 : *std::max_element(ms.begin(), ms.end()); }
    bool Failed() const {
        return std::any_of(ms.begin(), ms.end(), [](double m) { return m < 0; });
    }
};

// The round-by-round ratios a / b.
Series Ratios(const Series& a, const Series& b) {
    Series r;
    for (std::size_t i = 0; i < a.ms.size() && i < b.ms.size(); ++i) {
        r.ms.push_back(b.ms[i] > 0 ? a.ms[i] / b.ms[i] : -1);
    }
    return r;
}

void PrintTime(const char* what, const Series& s) {
    std::printf("  %-44s: %7.1f ms (%.1f-%.1f)\n", what, s.Median(), s.Min(), s.Max());
}

void PrintRatio(const char* what, const Series& a, const Series& b, const char* goal) {
    const Series r = Ratios(a, b);
    std::printf("  %-44s: %7.2f (per round %.2f, %.2f-%.2f) %s\n", what,
                b.Median() > 0 ? a.Median() / b.Median() : 0.0, r.Median(), r.Min(), r.Max(), goal);
}

std::wstring Beside(const std::wstring& self, const wchar_t* name) {
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring floor = Beside(self, L"startup_floor.exe");
    std::wstring velm = Beside(self, L"velm.exe");
    if (argc > 2) {
        std::string a = argv[2];
        velm.assign(a.begin(), a.end());
    }
    const wchar_t* splash = L"velm.LoadFrm";
    const wchar_t* plain = L"velm.bench.Floor";
    Series request, client, scaled, bare;
    {
        LogPixels restore;
        // One warm-up of each, so all find the same files in the system's caches.
        LogPixels::Set(96);
        TimeToWindow(floor, L"", plain);
        TimeToWindow(velm, L"", splash);
        TimeToWindow(floor, L"--bare", plain);
        LogPixels::Set(144);
        TimeToWindow(velm, L"", splash);
        for (int i = 0; i < rounds; ++i) {
            LogPixels::Set(96);
            request.ms.push_back(TimeToWindow(floor, L"", plain));
            client.ms.push_back(TimeToWindow(velm, L"", splash));
            bare.ms.push_back(TimeToWindow(floor, L"--bare", plain));
            LogPixels::Set(144);
            scaled.ms.push_back(TimeToWindow(velm, L"", splash));
        }
    }
    std::printf("start to visible window, from a parent process: median of %d alternating rounds "
                "under this Wine (range)\n",
                rounds);
    PrintTime("floor: manifest request, then a window", request);
    PrintTime("velm.exe splash", client);
    PrintRatio("ratio to the floor", client, request, "(goal <= 1.2)");
    PrintTime("velm.exe splash at 144 dpi", scaled);
    PrintRatio("ratio to the 96-dpi splash", scaled, client, "(goal <= 1.1)");
    PrintTime("for reference: bare window", bare);
    PrintRatio("splash to bare window", client, bare, "");
    return (request.Failed() || client.Failed() || scaled.Failed() || bare.Failed()) ? 1 : 0;
}
