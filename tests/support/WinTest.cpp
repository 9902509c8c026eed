#include "support/WinTest.h"

#include "base/Dib.h"
#include "base/Handles.h"
#include "base/WindowObject.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velm::test {

void Pump(DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchQueued(msg); // as the program's own loops do
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD end = ::GetTickCount() + timeoutMs;
    while (!done()) {
        if (static_cast<LONG>(end - ::GetTickCount()) <= 0) {
            return done();
        }
        Pump(10);
    }
    return true;
}

struct Search {
    const std::function<bool(HWND)>* match;
    HWND found;
};

static BOOL CALLBACK EnumOne(HWND hwnd, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if ((*s->match)(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    DWORD end = ::GetTickCount() + timeoutMs;
    for (;;) {
        Search search{&match, nullptr};
        ::EnumWindows(&EnumOne, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            return search.found;
        }
        if (static_cast<LONG>(end - ::GetTickCount()) <= 0) {
            return nullptr;
        }
        Pump(20);
    }
}

static bool OfProcess(HWND hwnd, DWORD pid) {
    if (pid == 0) {
        return true;
    }
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    return owner == pid;
}

HWND WaitForClass(const std::wstring& className, DWORD pid, DWORD timeoutMs) {
    return WaitForWindow([&](HWND h) { return OfProcess(h, pid) && WindowClass(h) == className; },
                         timeoutMs);
}

HWND WaitForDialog(const std::wstring& title, DWORD pid, DWORD timeoutMs) {
    return WaitForWindow(
        [&](HWND h) {
            return OfProcess(h, pid) && WindowClass(h) == L"#32770" && WindowText(h) == title &&
                   ::IsWindowVisible(h);
        },
        timeoutMs);
}

bool NoDialogFor(const std::wstring& title, DWORD pid, DWORD ms) {
    return WaitForDialog(title, pid, ms) == nullptr;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[1024] = {};
    ::GetWindowTextW(hwnd, buf, 1024);
    return buf;
}

std::wstring WindowClass(HWND hwnd) {
    wchar_t buf[256] = {};
    ::GetClassNameW(hwnd, buf, 256);
    return buf;
}

std::wstring MessageBoxText(HWND dialog) {
    wchar_t buf[2048] = {};
    ::GetDlgItemTextW(dialog, 0xFFFF, buf, 2048);
    return buf;
}

std::vector<int> MessageBoxButtons(HWND dialog) {
    std::vector<int> ids;
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        HWND b = ::GetDlgItem(dialog, id);
        if (b && ::IsWindowVisible(b)) {
            ids.push_back(id);
        }
    }
    return ids;
}

void PressButton(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    if (button) {
        ::PostMessageW(button, BM_CLICK, 0, 0);
    } else {
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

Later::Later(DWORD delayMs, std::function<void()> action)
    : delay_(delayMs), action_(std::move(action)) {
    thread_ = ::CreateThread(nullptr, 0, &Later::Run, this, 0, nullptr);
}

Later::~Later() {
    if (thread_) {
        ::WaitForSingleObject(thread_, INFINITE);
        ::CloseHandle(thread_);
    }
}

DWORD WINAPI Later::Run(void* self) {
    auto* later = static_cast<Later*>(self);
    ::Sleep(later->delay_);
    later->action_();
    return 0;
}

ChildProcess::~ChildProcess() {
    Kill();
    if (pi_.hProcess) {
        ::CloseHandle(pi_.hProcess);
        ::CloseHandle(pi_.hThread);
    }
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments,
                         const std::map<std::wstring, std::wstring>& env) {
    std::map<std::wstring, std::wstring> merged;
    wchar_t* block = ::GetEnvironmentStringsW();
    for (wchar_t* p = block; *p; p += wcslen(p) + 1) {
        std::wstring entry = p;
        size_t eq = entry.find(L'=', 1);
        if (eq != std::wstring::npos) {
            merged[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    ::FreeEnvironmentStringsW(block);
    for (const auto& [k, v] : env) {
        merged[k] = v;
    }
    std::wstring envBlock;
    for (const auto& [k, v] : merged) {
        envBlock += k + L"=" + v;
        envBlock.push_back(L'\0');
    }
    envBlock.push_back(L'\0');
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!arguments.empty()) {
        cmd += L" " + arguments;
    }
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    return ::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE,
                            CREATE_UNICODE_ENVIRONMENT, envBlock.data(), nullptr, &si, &pi_) != 0;
}

bool ChildProcess::Wait(DWORD timeoutMs) {
    return pi_.hProcess && ::WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const {
    return pi_.hProcess && ::WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (pi_.hProcess) {
        ::GetExitCodeProcess(pi_.hProcess, &code);
    }
    return code;
}

void ChildProcess::Kill() {
    if (Running()) {
        ::TerminateProcess(pi_.hProcess, 99);
        ::WaitForSingleObject(pi_.hProcess, 5000);
    }
}

TempDir::TempDir() {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof(name), "%svelmtest-%lu-%d\\", base, ::GetCurrentProcessId(),
                      ++counter);
        if (::CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            return;
        }
    }
}

static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string full = dir + name;
            const DWORD found = ::GetFileAttributesA(full.c_str());
            if ((fd.dwFileAttributes | (found == INVALID_FILE_ATTRIBUTES ? 0 : found)) &
                FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link (Wine makes the user's folders links to $HOME): the link goes, never
                // what it points at.
                if (!::RemoveDirectoryA(full.c_str())) {
                    ::DeleteFileA(full.c_str());
                }
                continue;
            }
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + "\\");
            } else {
                ::DeleteFileA(full.c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(dir.c_str());
}

TempDir::~TempDir() {
    if (!path_.empty()) {
        RemoveTree(path_);
    }
}

std::wstring TempDir::wpath() const {
    return std::wstring(path_.begin(), path_.end());
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) {
        out.append(buf, got);
    }
    ::CloseHandle(h);
    return out;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ::CloseHandle(h);
    return ok;
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD FileAttributes(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

namespace {
const wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
} // namespace

PicturesFolder::PicturesFolder(const std::string& path) {
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
    DWORD size = sizeof(old_);
    had_ = ::RegQueryValueExW(key_, L"My Pictures", nullptr, nullptr, reinterpret_cast<BYTE*>(old_),
                              &size) == ERROR_SUCCESS;
    std::wstring wide(path.size() + 1, L'\0');
    int n = ::MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(),
                                  static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    Set(wide);
}

PicturesFolder::~PicturesFolder() {
    if (had_) {
        Set(old_);
    } else {
        ::RegDeleteValueW(key_, L"My Pictures");
    }
    ::RegCloseKey(key_);
}

void PicturesFolder::Set(const std::wstring& value) {
    ::RegSetValueExW(key_, L"My Pictures", 0, REG_EXPAND_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::string ExeDir() {
    char buf[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string s = buf;
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string FromUnixPath(const std::string& unixPath) {
    std::string out = "Z:" + unixPath;
    for (char& c : out) {
        if (c == '/') {
            c = '\\';
        }
    }
    return out;
}

std::wstring VelmExePath() {
    std::string p = FromUnixPath(std::string(VELM_BINARY_DIR) + "/velm.exe");
    return std::wstring(p.begin(), p.end());
}

Pixels ReadSurface(HDC dc) {
    BITMAP info{};
    ::GetObjectA(::GetCurrentObject(dc, OBJ_BITMAP), sizeof(info), &info);
    WindowDc screen(nullptr);
    MemorySurface copy;
    if (!copy.Create(screen.get(), info.bmWidth, info.bmHeight)) {
        return {};
    }
    ::BitBlt(copy.dc(), 0, 0, info.bmWidth, info.bmHeight, dc, 0, 0, SRCCOPY);
    return ReadBitmap(copy.dc(), copy.bitmap());
}

Pixels ReadBitmap(HDC dc, HBITMAP bitmap) {
    Pixels px;
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof(info), &info)) {
        return px;
    }
    px.width = info.bmWidth;
    px.height = info.bmHeight;
    BITMAPINFO bi = TopDownDib32(px.width, px.height);
    px.bgra.resize(static_cast<size_t>(px.width) * px.height * 4);
    // GetDIBits wants the bitmap not selected into a DC; a selected one is read through a
    // temporary copy.
    HDC screen = ::GetDC(nullptr);
    HDC copyDc = ::CreateCompatibleDC(screen);
    HBITMAP copy = ::CreateCompatibleBitmap(screen, px.width, px.height);
    HGDIOBJ old = ::SelectObject(copyDc, copy);
    ::BitBlt(copyDc, 0, 0, px.width, px.height, dc, 0, 0, SRCCOPY);
    ::SelectObject(copyDc, old);
    // The copy loses alpha on some displays; for DIB sections read the bits directly.
    DIBSECTION ds{};
    if (::GetObjectW(bitmap, sizeof(ds), &ds) == sizeof(ds) && ds.dsBm.bmBits &&
        ds.dsBm.bmBitsPixel == 32) {
        for (int y = 0; y < px.height; ++y) {
            int srcRow = ds.dsBmih.biHeight < 0 ? y : px.height - 1 - y;
            std::memcpy(&px.bgra[static_cast<size_t>(y) * px.width * 4],
                        static_cast<unsigned char*>(ds.dsBm.bmBits) +
                            static_cast<size_t>(srcRow) * ds.dsBm.bmWidthBytes,
                        static_cast<size_t>(px.width) * 4);
        }
    } else {
        ::GetDIBits(copyDc, copy, 0, px.height, px.bgra.data(), &bi, DIB_RGB_COLORS);
    }
    ::DeleteObject(copy);
    ::DeleteDC(copyDc);
    ::ReleaseDC(nullptr, screen);
    return px;
}

bool SaveBmp(const Pixels& px, const std::string& path) {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = px.width;
    ih.biHeight = -px.height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(px.bgra.size());
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof(fh));
    bytes.append(reinterpret_cast<const char*>(&ih), sizeof(ih));
    bytes.append(reinterpret_cast<const char*>(px.bgra.data()), px.bgra.size());
    return WriteFileBytes(path, bytes);
}

Pixels CaptureScreen() {
    int w = ::GetSystemMetrics(SM_CXSCREEN);
    int h = ::GetSystemMetrics(SM_CYSCREEN);
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    ::SelectObject(mem, old);
    Pixels px;
    px.width = w;
    px.height = h;
    px.bgra.resize(static_cast<size_t>(w) * h * 4);
    BITMAPINFO bi = TopDownDib32(w, h);
    ::GetDIBits(mem, bmp, 0, h, px.bgra.data(), &bi, DIB_RGB_COLORS);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return px;
}

std::string ShotsDir() {
    std::string dir = FromUnixPath(std::string(VELM_BINARY_DIR) + "/../shots/");
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

} // namespace velm::test

namespace velm::test {

bool RanAlone() {
    wchar_t alone[4] = {};
    if (::GetEnvironmentVariableW(L"VELM_TEST_ALONE", alone, 4)) {
        return false;
    }
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    TempDir dir;
    const std::wstring results = dir.wpath() + L"results.xml";
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    ChildProcess child;
    EXPECT_TRUE(child.Start(self, L"--gtest_filter=" + std::wstring(name.begin(), name.end()),
                            {{L"VELM_TEST_ALONE", L"1"}, {L"GTEST_OUTPUT", L"xml:" + results}}));
    EXPECT_TRUE(child.Wait(120000)) << name;
    EXPECT_EQ(child.ExitCode(), 0u) << name;
    EXPECT_NE(ReadFileBytes(dir.path() + "results.xml").find("tests=\"1\" failures=\"0\""),
              std::string::npos)
        << name << " failed, or ended its process before it finished";
    return true;
}

namespace {
constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
constexpr const char* kChildDpi = "VELM_TEST_DPI";

void SetLogPixels(DWORD dpi) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
}
} // namespace

LogPixelsScope::LogPixelsScope(DWORD dpi) {
    DWORD size = sizeof(old_);
    had_ = ::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                          &old_, &size) == ERROR_SUCCESS;
    SetLogPixels(dpi);
}

LogPixelsScope::~LogPixelsScope() {
    if (had_) {
        SetLogPixels(old_);
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
}

bool PassesAtDpi(int dpi, const std::wstring& filter, DWORD timeoutMs) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    LogPixelsScope scale(static_cast<DWORD>(dpi));
    // Settings of its own: a window placement another run left must not decide the sizes.
    TempDir settings;
    ChildProcess child;
    if (!child.Start(self, L"--gtest_filter=" + filter,
                     {{L"VELM_TEST_DPI", std::to_wstring(dpi)},
                      {L"GTEST_OUTPUT", L""},
                      {L"LOCALAPPDATA", settings.wpath()}})) {
        return false;
    }
    if (!child.Wait(timeoutMs)) {
        child.Kill();
        return false;
    }
    return child.ExitCode() == 0;
}

int ChildDpi() {
    const char* value = std::getenv(kChildDpi);
    return value ? std::atoi(value) : 0;
}

} // namespace velm::test
