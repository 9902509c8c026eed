// The tests' stand-in for the modern web runtime (tests/fakewebview2): where the build laid it
// out, its registration as the current user's installed runtime in the Wine prefix, and its
// controls once this process has loaded it.
#pragma once

#include <windows.h>

#include <string>

namespace velm::test {

// The runtime folders the build lays out (cmake/FakeWebView2.cmake), as the registry names them:
// "<root>\<version>".
std::wstring FakeRuntimeFolder();    // the fake
std::wstring OldFakeRuntimeFolder(); // the fake under a version below the loader's floor
std::wstring NoEntryRuntimeFolder(); // a build without the runtime's entry point

// Registers `folder` as the installed stable runtime of the current user (the EdgeUpdate client
// state, 32-bit view) while it lives; an empty folder leaves no runtime registered. Either way
// the registration is gone afterwards, as it was before.
class InstalledRuntime {
public:
    explicit InstalledRuntime(const std::wstring& folder);
    ~InstalledRuntime();
    InstalledRuntime(const InstalledRuntime&) = delete;
    InstalledRuntime& operator=(const InstalledRuntime&) = delete;
    // Removes the registration (also of an earlier run that did not end cleanly).
    static void Remove();
};

// Sets an environment variable of this process while it lives (the fake reads its failure modes
// from the environment).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_;
};

// The fake loaded in this process: null functions (and -1 / "") until the client loaded it.
struct FakeRuntime {
    static bool Loaded();
    // "<view> <verb> [argument]", view 0 = the newest: navigate, frame, title, complete, key,
    // keyup, syskey, fail, fullscreen, result. 1: a handler cancelled or handled it.
    static int Command(const std::string& line);
    static std::string Log();
    static void ClearLog();
    static int LiveObjects();
    static HWND Window(int view = 0);
};

} // namespace velm::test
