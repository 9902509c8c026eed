#include "updater/ExecutableSwap.h"

#include "base/Handles.h"
#include "base/Log.h"
#include "base/Text.h"
#include "updater/PeImage.h"

#include <windows.h>

#include <algorithm>
#include <vector>

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
    if (!::DeleteFileW(path.c_str())) {
        LogCallFailed("DeleteFileW " + Narrow(path), ::GetLastError());
        return false;
    }
    return true;
}

// One rename that takes the place of `to` if it exists: on one volume the name `to` then always
// names one complete file, the old or the new.
bool MoveOver(const std::wstring& from, const std::wstring& to) {
    if (::MoveFileExW(from.c_str(), to.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    LogCallFailed("MoveFileExW " + Narrow(from), ::GetLastError());
    return false;
}

// A copy may still sit in the system's cache; a power cut would leave a backup of zeros.
bool Flush(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !::FlushFileBuffers(file.get())) {
        LogCallFailed("FlushFileBuffers " + Narrow(path), ::GetLastError());
        return false;
    }
    return true;
}

// Renames the open file `file` to `to`, replacing what is there, in one step. Done through the
// handle, so the file renamed is the one that was opened and checked, whatever else happened to
// its name.
bool RenameOver(HANDLE file, const std::wstring& to) {
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), info->FileName);
    if (::SetFileInformationByHandle(file, FileRenameInfo, info,
                                     static_cast<DWORD>(buffer.size()))) {
        return true;
    }
    LogCallFailed("SetFileInformationByHandle " + Narrow(to), ::GetLastError());
    return false;
}

// A second name for the previous executable; where the volume has no hard links, a flushed copy.
bool MakeBackup(const std::wstring& exe, const std::wstring& backup) {
    if (::CreateHardLinkW(backup.c_str(), exe.c_str(), nullptr)) {
        return true;
    }
    if (::CopyFileW(exe.c_str(), backup.c_str(), FALSE) && Flush(backup)) {
        return true;
    }
    LogCallFailed("CopyFileW " + Narrow(backup), ::GetLastError());
    Remove(backup);
    return false;
}

} // namespace

bool IsOwnProgram(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    std::string head(kPeHeadBytes, '\0');
    DWORD got = 0;
    if (!::ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr)) {
        return false;
    }
    head.resize(got);
    return PeMachine(head) == OwnMachine();
}

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

bool ExecutableSwap::Recover() {
    if (IsOwnProgram(exe_)) {
        return true;
    }
    if (!IsOwnProgram(backup_)) {
        return false;
    }
    ::SetFileAttributesW(exe_.c_str(), FILE_ATTRIBUTE_NORMAL);
    return MoveOver(backup_, exe_);
}

bool ExecutableSwap::HoldStaged() {
    stagedFile_.reset(::CreateFileW(staged_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (!stagedFile_) {
        LogCallFailed("CreateFileW " + Narrow(staged_), ::GetLastError());
        return false;
    }
    return true;
}

ExecutableSwap::Result ExecutableSwap::Install() {
    installed_ = false;
    Recover();
    if (!stagedFile_ && !HoldStaged()) {
        return Result::NotReplaced;
    }
    // A downloaded file may still sit in the system's cache; renamed over the client before it
    // reached the disk, a power cut would leave a client of zeros.
    if (!::FlushFileBuffers(stagedFile_.get())) {
        LogCallFailed("FlushFileBuffers " + Narrow(staged_), ::GetLastError());
        return Result::NotReplaced;
    }
    Reached(Step::Flushed);
    // A backup still here is from an update whose client never started; the executable in place
    // now is a program (Recover saw to that) and the one to keep.
    if (!Remove(backup_)) {
        return Result::NotReplaced;
    }
    const bool hadPrevious = Exists(exe_);
    if (hadPrevious && !MakeBackup(exe_, backup_)) {
        return Result::NotReplaced;
    }
    Reached(Step::BackedUp);
    // A read-only file cannot be renamed over; the attribute is the player's, not a lock.
    ::SetFileAttributesW(exe_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RenameOver(stagedFile_.get(), exe_)) {
        Remove(backup_);
        return Result::NotReplaced;
    }
    stagedFile_.reset();
    Reached(Step::Replaced);
    installed_ = true;
    return Result::Installed;
}

bool ExecutableSwap::RollBack() {
    if (!installed_) {
        return Exists(exe_);
    }
    if (!Exists(backup_) || !MoveOver(backup_, exe_)) {
        return false;
    }
    installed_ = false;
    return true;
}

void ExecutableSwap::DiscardStaged() {
    stagedFile_.reset();
    Remove(staged_);
}

} // namespace velm
