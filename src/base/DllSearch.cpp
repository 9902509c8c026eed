#include "base/DllSearch.h"

#include "base/Log.h"

#include <delayimp.h>

#include <string>

namespace velm {

void RestrictDllSearch() {
    // Looked up, not imported: Windows 7 has it only with update KB2533623, and a missing import
    // would keep the program from starting at all.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault) {
        LogCallFailed("GetProcAddress SetDefaultDllDirectories", ::GetLastError());
        return;
    }
    if (!setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        LogCallFailed("SetDefaultDllDirectories", ::GetLastError());
    }
}

HMODULE LoadSystemLibrary(const char* name) {
    const std::wstring file(name, name + std::char_traits<char>::length(name));
    HMODULE module = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // A system without the search flags: the full path, and the DLL's own folder (System32)
        // instead of the program's for what it loads in turn.
        wchar_t system[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            const std::wstring path = std::wstring(system, length) + L"\\" + file;
            module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    if (!module) {
        LogCallFailed(std::string("LoadLibraryExW ") + name, ::GetLastError());
    }
    return module;
}

} // namespace velm

namespace {

// The delay-load helper would call LoadLibraryA with the bare name, which searches the program's
// folder unless RestrictDllSearch ran first; tests and benchmarks never call it, and a delay-loaded
// call could come before it. The hook makes every delay load take System32's copy regardless.
FARPROC WINAPI DelayLoadNotify(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) {
        return nullptr;
    }
    if (HMODULE module = velm::LoadSystemLibrary(info->szDll)) {
        return reinterpret_cast<FARPROC>(module);
    }
    // Returning nothing would let the helper retry with the ordinary search, program folder
    // first; end the way the helper ends when a DLL cannot be loaded at all.
    ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
    ::RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), 0, 1, &argument);
    return nullptr;
}

} // namespace

// The helper reads this variable; the build keeps this file in every program (-u in the link).
PfnDliHook __pfnDliNotifyHook2 = DelayLoadNotify; // C linkage: declared so in delayimp.h
