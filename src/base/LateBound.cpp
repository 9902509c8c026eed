#include "base/LateBound.h"

#include "base/DllSearch.h"
#include "base/Log.h"

#include <string>

namespace velm {
namespace {

// The entry `name` of `library`, loading the library on first use. The library is pinned: like
// one from the import table it stays for the rest of the process, so the reference taken here
// is never given back and there is no handle to release.
FARPROC Entry(const char* library, const char* name) {
    // From System32 only, like every system DLL outside the known ones.
    HMODULE module = LoadSystemLibrary(library);
    if (!module) {
        return nullptr; // logged
    }
    HMODULE pinned = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, library, &pinned);
    FARPROC entry = ::GetProcAddress(module, name);
    if (!entry) {
        LogCallFailed(std::string("GetProcAddress(") + name + ")", ::GetLastError());
    }
    return entry;
}

template <typename F> F Bind(const char* library, const char* name) {
    return reinterpret_cast<F>(Entry(library, name));
}

} // namespace

HINSTANCE LateShellExecuteA(HWND hwnd, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand) {
    using Fn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static const Fn fn = Bind<Fn>("shell32.dll", "ShellExecuteA");
    if (!fn) {
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    }
    return fn(hwnd, verb, file, parameters, directory, showCommand);
}

BOOL LateShellNotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    using Fn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
    static const Fn fn = Bind<Fn>("shell32.dll", "Shell_NotifyIconA");
    return fn ? fn(message, data) : FALSE;
}

BOOL LateInitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    using Fn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const Fn fn = Bind<Fn>("comctl32.dll", "InitCommonControlsEx");
    return fn ? fn(controls) : FALSE;
}

BOOL LateTrackMouseEvent(TRACKMOUSEEVENT* track) {
    using Fn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
    static const Fn fn = Bind<Fn>("comctl32.dll", "_TrackMouseEvent");
    return fn ? fn(track) : FALSE;
}

} // namespace velm
