// The tests' way to make a program fail: only their builds define VELM_CRASH_TRIGGER, so the
// programs players get hold neither this code nor the variable's name.
#pragma once

#ifndef VELM_CRASH_TRIGGER
#error "the crash trigger belongs to the tests' builds only"
#endif

#include <windows.h>

namespace velm {

// The code of the exception the trigger raises; its one parameter is the failing thread's id, so
// a test can tell whether a dump names the thread that failed.
constexpr DWORD kTestCrashCode = 0xE0C0FFEE;

inline DWORD WINAPI FailOnThisThread(void*) {
    const ULONG_PTR thread = ::GetCurrentThreadId();
    ::RaiseException(kTestCrashCode, EXCEPTION_NONCONTINUABLE, 1, &thread);
    return 0;
}

// With VELM_CRASH_TEST set, fails on a thread of its own (not the one that installed the dump
// writer) with an exception nothing handles; the process ends there.
inline void CrashWhenAsked() {
    if (::GetEnvironmentVariableW(L"VELM_CRASH_TEST", nullptr, 0) == 0) {
        return;
    }
    if (HANDLE thread = ::CreateThread(nullptr, 0, FailOnThisThread, nullptr, 0, nullptr)) {
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
    }
}

} // namespace velm
