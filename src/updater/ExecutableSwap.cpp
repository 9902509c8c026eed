#include "updater/ExecutableSwap.h"

#include "base/Handles.h"

#include <windows.h>

namespace velm {
namespace {

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Remove(const std::wstring& path) {
    if (!Exists(path)) {
        return true;
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(path.c_str()) != 0;
}

bool Rename(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace

ExecutableSwap::ExecutableSwap(std::wstring executable)
    : exe_(std::move(executable)), staged_(exe_ + L".new"), backup_(exe_ + L".old") {}

bool ExecutableSwap::IsFree() const {
    // Write access is what a running program's executable refuses; no sharing at all is what
    // any other open handle refuses.
    UniqueFile file(::CreateFileW(exe_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        return true;
    }
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return true;
    }
    // A read-only executable refuses write access even when nothing runs it; it can still be
    // renamed, so only the sharing is asked about.
    DWORD attributes = ::GetFileAttributesW(exe_.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        UniqueFile readOnly(::CreateFileW(exe_.c_str(), GENERIC_READ | DELETE, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(readOnly);
    }
    return false;
}

ExecutableSwap::Result ExecutableSwap::Install() {
    installed_ = false;
    // A backup left by an earlier, interrupted run is either the only executable there is (then
    // it is put back first) or older than the one in place.
    if (!Exists(exe_) && Exists(backup_)) {
        Rename(backup_, exe_);
    }
    if (!Remove(backup_)) {
        return Result::NotReplaced;
    }
    bool hadPrevious = Exists(exe_);
    if (hadPrevious && !Rename(exe_, backup_)) {
        return Result::NotReplaced;
    }
    if (!Rename(staged_, exe_)) {
        if (!hadPrevious) {
            return Result::NotReplaced;
        }
        return Rename(backup_, exe_) ? Result::Restored : Result::Lost;
    }
    installed_ = true;
    return Result::Installed;
}

bool ExecutableSwap::RollBack() {
    if (!installed_) {
        return Exists(exe_);
    }
    if (!Exists(backup_)) {
        return false;
    }
    // The new executable goes back to the staged name rather than away, so a failed put-back
    // leaves a file the player can still start.
    Remove(staged_);
    if (!Rename(exe_, staged_)) {
        return false;
    }
    if (!Rename(backup_, exe_)) {
        Rename(staged_, exe_);
        return false;
    }
    installed_ = false;
    Remove(staged_);
    return true;
}

void ExecutableSwap::Commit() {
    if (installed_) {
        Remove(backup_);
        installed_ = false;
    }
}

void ExecutableSwap::DiscardStaged() {
    Remove(staged_);
}

} // namespace velm
