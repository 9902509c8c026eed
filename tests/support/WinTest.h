// Helpers for tests that run under Wine with real windows: waiting for windows, answering modal
// boxes the way a person would, child processes, temporary folders, files and pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velm::test {

// Waits up to `timeoutMs` for a top-level window that `match` accepts, letting this thread's
// messages run meanwhile. Returns nullptr on time-out.
HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000);
// A top-level window of class `className` (any title) owned by process `pid` (0: any).
HWND WaitForClass(const std::wstring& className, DWORD pid = 0, DWORD timeoutMs = 10000);
// A dialog (class #32770) with this title, of process `pid` (0: any).
HWND WaitForDialog(const std::wstring& title, DWORD pid = 0, DWORD timeoutMs = 10000);
// True when no such dialog appears within `ms`.
bool NoDialogFor(const std::wstring& title, DWORD pid, DWORD ms);

std::wstring WindowText(HWND hwnd);
std::wstring WindowClass(HWND hwnd);
// The text of a message box (its static text control).
std::wstring MessageBoxText(HWND dialog);
// The buttons a message box shows, by control id (IDOK, IDYES, IDNO ...).
std::vector<int> MessageBoxButtons(HWND dialog);
// Clicks a dialog's button as a person would (BM_CLICK on the control).
void PressButton(HWND dialog, int id);
// Pumps this thread's messages for `ms` milliseconds.
void Pump(DWORD ms);
// Pumps until `done` holds or `timeoutMs` passed; the last answer of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// Runs `action` on a helper thread after `delayMs` (for answering a box this thread opens).
class Later {
public:
    Later(DWORD delayMs, std::function<void()> action);
    ~Later();
    Later(const Later&) = delete;
    Later& operator=(const Later&) = delete;

private:
    HANDLE thread_ = nullptr;
    DWORD delay_;
    std::function<void()> action_;
    static DWORD WINAPI Run(void* self);
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `exe` with `arguments`; `env` entries are added to (or replace) this process's
    // environment.
    bool Start(const std::wstring& exe, const std::wstring& arguments,
               const std::map<std::wstring, std::wstring>& env = {});
    // Waits for the process to end; false on time-out.
    bool Wait(DWORD timeoutMs);
    bool Running() const;
    DWORD ExitCode() const;
    void Kill();
    DWORD Pid() const { return pi_.dwProcessId; }

private:
    PROCESS_INFORMATION pi_{};
};

// Sets the prefix's display scale (its LogPixels) for processes started from now on; the old
// one comes back at the end. A process reads the system DPI when it starts.
class LogPixelsScope {
public:
    explicit LogPixelsScope(DWORD dpi);
    ~LogPixelsScope();
    LogPixelsScope(const LogPixelsScope&) = delete;
    LogPixelsScope& operator=(const LogPixelsScope&) = delete;

private:
    DWORD old_ = 96;
    bool had_ = false;
};
// Runs the test cases `filter` selects in a child of this test program started at `dpi`, where
// ChildDpi() gives it, with a settings folder of its own; true when the child passed (its
// output goes where this one's does).
bool PassesAtDpi(int dpi, const std::wstring& filter, DWORD timeoutMs = 120000);
// The DPI this process was started at by PassesAtDpi; 0 when it was not.
int ChildDpi();

// A fresh folder under the system temporary folder, removed with its content at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // With one trailing backslash.
    const std::string& path() const { return path_; }
    std::wstring wpath() const;

private:
    std::string path_;
};

// Points the current user's Pictures folder (where Ctrl+F12 keeps its pictures) at `path`
// while it lives.
class PicturesFolder {
public:
    explicit PicturesFolder(const std::string& path);
    ~PicturesFolder();
    PicturesFolder(const PicturesFolder&) = delete;
    PicturesFolder& operator=(const PicturesFolder&) = delete;

private:
    void Set(const std::wstring& value);
    HKEY key_ = nullptr;
    wchar_t old_[MAX_PATH] = {};
    bool had_ = false;
};

std::string ReadFileBytes(const std::string& path);

// For a test whose fault would end this process (the client ends the process at once in
// places): a process that ends in the middle of a test would also end the run as if it had
// passed. In the test run this starts the executable again for the current test alone, expects
// it to finish with no failure, and returns true; in that process of its own it returns false,
// and the test's body runs there:  if (test::RanAlone()) { return; }
bool RanAlone();
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
DWORD FileAttributes(const std::string& path);

// The path of this test executable's folder, with a trailing backslash.
std::string ExeDir();
// The product's executable in the build tree.
std::wstring VelmExePath();
// The Windows path (Z:\...) of a Unix path.
std::string FromUnixPath(const std::string& unixPath);

// Reads a DC's pixels as top-down 32-bit BGRA through GetDIBits.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgra;
    // Alpha, red, green, blue of (x, y).
    unsigned a(int x, int y) const { return bgra[(y * width + x) * 4 + 3]; }
    unsigned r(int x, int y) const { return bgra[(y * width + x) * 4 + 2]; }
    unsigned g(int x, int y) const { return bgra[(y * width + x) * 4 + 1]; }
    unsigned b(int x, int y) const { return bgra[(y * width + x) * 4 + 0]; }
    COLORREF rgb(int x, int y) const { return RGB(r(x, y), g(x, y), b(x, y)); }
};
Pixels ReadBitmap(HDC dc, HBITMAP bitmap);
// The pixels of the bitmap selected into `dc`, read through a screen-compatible copy (a top-down
// DIB section's row order is not told by GetObject here).
Pixels ReadSurface(HDC dc);
// Saves pixels as a 32-bit BMP (tests write screenshots this way).
bool SaveBmp(const Pixels& pixels, const std::string& path);
// Captures the whole screen.
Pixels CaptureScreen();
// The folder build/shots/ of the build tree (created), with a trailing backslash.
std::string ShotsDir();

} // namespace velm::test
