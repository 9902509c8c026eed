#include "startup/UpdaterLaunch.h"

#include "base/Handles.h"
#include "base/Log.h"
#include "base/Ole.h"
#include "download/Manifest.h"
#include "startup/PublicData.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

namespace velm {
namespace {

constexpr const char* kUpdaterName = "Update.exe";
constexpr const char* kManifestName = "update.txt";

// A folder nobody had: CreateDirectory fails on any name that exists, file or folder, so a folder
// made here is empty and ours.
std::string MakeOwnFolder() {
    const std::string temp = GetTempDir();
    LARGE_INTEGER counter{};
    for (int attempt = 0; attempt < 16; ++attempt) {
        ::QueryPerformanceCounter(&counter);
        char suffix[32];
        std::snprintf(suffix, sizeof(suffix), "%08lx%04x",
                      static_cast<unsigned long>(counter.LowPart ^ (counter.HighPart << 7)),
                      static_cast<unsigned>((::GetCurrentProcessId() + attempt * 7919) & 0xFFFF));
        std::string folder = temp + kUpdaterFolderPrefix + suffix;
        if (::CreateDirectoryA(folder.c_str(), nullptr)) {
            return folder + "\\";
        }
        DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            LogCallFailed("CreateDirectoryA " + folder, error);
            return {};
        }
    }
    LogCallFailed("CreateDirectoryA " + temp + kUpdaterFolderPrefix, ERROR_ALREADY_EXISTS);
    return {};
}

// Creates `path`, which must not exist, with `bytes`.
bool WriteNewFile(const std::string& path, std::string_view bytes) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size()) {
        LogCallFailed("WriteFile " + path, ::GetLastError());
        return false;
    }
    return true;
}

// Opens `path` so that nobody can write it while it stays open, and checks that it holds
// exactly `bytes`.
UniqueFile HoldIfSame(const std::string& path, std::string_view bytes) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogCallFailed("CreateFileA " + path, ::GetLastError());
        return UniqueFile();
    }
    std::string read(bytes.size() + 1, '\0');
    DWORD got = 0;
    if (!::ReadFile(file.get(), read.data(), static_cast<DWORD>(read.size()), &got, nullptr) ||
        std::string_view(read.data(), got) != bytes) {
        LogCallFailed("ReadFile " + path + " (not the bytes written)", ::GetLastError());
        return UniqueFile();
    }
    return file;
}

void RemoveFolder(const std::string& folder) {
    for (const char* name : {kUpdaterName, kManifestName}) {
        const std::string path = folder + name;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
    }
    ::RemoveDirectoryA(folder.c_str());
}

} // namespace

bool StartUpdater(std::string_view manifest) {
    const std::string_view updater = ResourceBytes(101, "UPDATE");
    if (updater.empty()) {
        LogCallFailed("FindResourceA UPDATE 101", ::GetLastError());
        return false;
    }
    const std::string folder = MakeOwnFolder();
    if (folder.empty()) {
        return false;
    }
    const std::string program = folder + kUpdaterName;
    UniqueFile held;
    if (!WriteNewFile(folder + kManifestName, manifest) || !WriteNewFile(program, updater) ||
        !(held = HoldIfSame(program, updater))) {
        RemoveFolder(folder);
        return false;
    }
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string parameters = UpdaterParameters(exe);
    // The file stays open without write sharing until the updater runs: what starts is what was
    // checked.
    StartOle(); // the shell may run the program through an extension that needs COM
    const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteA(
        nullptr, "open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
    held.reset();
    if (result <= 32) {
        LogCallFailed("ShellExecuteA " + program, static_cast<unsigned long>(result));
        RemoveFolder(folder);
        return false;
    }
    return true;
}

void RemoveUpdaterFolders() {
    const std::string temp = GetTempDir();
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((temp + kUpdaterFolderPrefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        // A link could lead anywhere; only real folders of that name are ours.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            RemoveFolder(temp + found.cFileName + "\\");
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

} // namespace velm
