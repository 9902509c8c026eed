#include "base/CrashDump.h"

#include "base/CrashDumpFiles.h"
#include "base/Handles.h"
#include "base/Log.h"

#include <windows.h>

#include <dbghelp.h>
#include <shlobj.h>

#include <cstdint>

namespace velm {
namespace {

const char* g_program = "velm";
const char* g_version = "";
LPTOP_LEVEL_EXCEPTION_FILTER g_previous = nullptr;
// The thread writing the dump, 0 before any failure.
volatile LONG g_writer = 0;

// Everything below works in fixed buffers, as the heap of a failed process may be what failed;
// only a failure's log entry takes memory, and the filter catches what that throws.
bool Append(wchar_t* path, std::size_t capacity, const wchar_t* more) noexcept {
    std::size_t length = 0;
    while (path[length]) {
        ++length;
    }
    for (; *more; ++more) {
        if (length + 1 >= capacity) {
            return false;
        }
        path[length++] = *more;
    }
    path[length] = 0;
    return true;
}

// The user's local application data folder as the system names it. The variable comes second
// only: a parent hands it down to the process, and it could send the dumps anywhere.
bool LocalAppData(wchar_t* path, std::size_t capacity) {
    PWSTR known = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known);
    path[0] = 0;
    const bool found = SUCCEEDED(hr) && known && Append(path, capacity, known);
    ::CoTaskMemFree(known);
    if (found) {
        return true;
    }
    path[0] = 0;
    if (FAILED(hr)) {
        LogCallFailed("SHGetKnownFolderPath FOLDERID_LocalAppData", static_cast<unsigned long>(hr));
    }
    const DWORD length =
        ::GetEnvironmentVariableW(L"LOCALAPPDATA", path, static_cast<DWORD>(capacity));
    return length > 0 && length < capacity;
}

// <local application data>\OrvikVelmora\crashes\, created as needed.
bool DumpFolder(wchar_t* path, std::size_t capacity) {
    if (!LocalAppData(path, capacity) || !Append(path, capacity, L"\\OrvikVelmora")) {
        return false;
    }
    ::CreateDirectoryW(path, nullptr);
    if (!Append(path, capacity, L"\\crashes")) {
        return false;
    }
    if (!::CreateDirectoryW(path, nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        LogCallFailed("CreateDirectoryW crashes", ::GetLastError());
        return false;
    }
    return Append(path, capacity, L"\\");
}

// A new file named for this program, version and second: `name` gets its name, `path` its path.
Unique<traits::File> CreateDumpFile(wchar_t* path, std::size_t capacity, wchar_t* name,
                                    std::size_t nameCapacity) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const DumpTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    std::size_t folderLength = 0;
    while (path[folderLength]) {
        ++folderLength;
    }
    for (unsigned n = 1; n <= 99; ++n) {
        path[folderLength] = 0;
        if (!DumpFileName(g_program, g_version, time, n, name, nameCapacity) ||
            !Append(path, capacity, name)) {
            return {};
        }
        Unique<traits::File> file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            LogCallFailed("CreateFileW crash dump", ::GetLastError());
            return {};
        }
    }
    return {};
}

// Deletes the dumps beyond the newest kKept; the one just written stays whatever the clock says.
void DeleteOldDumps(const wchar_t* folder, const wchar_t* written) {
    wchar_t pattern[MAX_PATH] = {};
    if (!Append(pattern, MAX_PATH, folder) || !Append(pattern, MAX_PATH, L"*.dmp")) {
        return;
    }
    NewestDumps newest;
    newest.Offer(written, UINT64_MAX);
    WIN32_FIND_DATAW found{};
    for (int pass = 0; pass < 2; ++pass) {
        HANDLE listing = ::FindFirstFileW(pattern, &found);
        if (listing == INVALID_HANDLE_VALUE) {
            return;
        }
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                !IsDumpFileName(found.cFileName)) {
                continue;
            }
            if (pass == 0) {
                newest.Offer(found.cFileName,
                             (std::uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32) |
                                 found.ftLastWriteTime.dwLowDateTime);
            } else if (!newest.Keeps(found.cFileName)) {
                wchar_t old[MAX_PATH] = {};
                if (Append(old, MAX_PATH, folder) && Append(old, MAX_PATH, found.cFileName) &&
                    !::DeleteFileW(old)) {
                    LogCallFailed("DeleteFileW old crash dump", ::GetLastError());
                }
            }
        } while (::FindNextFileW(listing, &found));
        ::FindClose(listing);
    }
}

void WriteDump(EXCEPTION_POINTERS* exception) {
    wchar_t path[MAX_PATH] = {};
    wchar_t name[NewestDumps::kNameCapacity] = {};
    if (!DumpFolder(path, MAX_PATH)) {
        return;
    }
    wchar_t folder[MAX_PATH] = {};
    Append(folder, MAX_PATH, path);
    Unique<traits::File> file = CreateDumpFile(path, MAX_PATH, name, NewestDumps::kNameCapacity);
    if (!file) {
        return;
    }
    MINIDUMP_EXCEPTION_INFORMATION where{};
    where.ThreadId = ::GetCurrentThreadId();
    where.ExceptionPointers = exception;
    where.ClientPointers = FALSE;
    // MiniDumpNormal: every thread's stack and registers, the module list and the exception.
    if (!::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.get(),
                             MiniDumpNormal, &where, nullptr, nullptr)) {
        const DWORD error = ::GetLastError();
        file.reset();
        ::DeleteFileW(path);
        LogCallFailed("MiniDumpWriteDump", error);
        return;
    }
    file.reset();
    DeleteOldDumps(folder, name);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
    // The C runtime's own filter (signal handlers) comes first: what it handles is no crash.
    if (g_previous) {
        const LONG answer = g_previous(exception);
        if (answer != EXCEPTION_CONTINUE_SEARCH) {
            return answer;
        }
    }
    const LONG self = static_cast<LONG>(::GetCurrentThreadId());
    const LONG writer = ::InterlockedCompareExchange(&g_writer, self, 0);
    if (writer == 0) {
        try {
            WriteDump(exception);
        } catch (...) {
            // Nothing may leave a filter; the dump is lost, the process still ends as it would.
        }
    } else if (writer != self) {
        // Another thread failed first and is writing; its failure ends the process.
        ::Sleep(INFINITE);
    }
    // The system's own handling goes on (error reporting, the registered debugger, the exit code),
    // as it would without a dump; a failure while writing one lands here too and goes the same way.
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

void InstallCrashDumps(const char* program, const char* version) noexcept {
    g_program = program;
    g_version = version;
    g_previous = ::SetUnhandledExceptionFilter(OnUnhandledException);
}

} // namespace velm
