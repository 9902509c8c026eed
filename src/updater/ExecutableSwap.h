// Puts a downloaded executable in place of the client's, keeping the previous one beside it
// until the new client has shown that it starts.
//
// Files, all in the client's directory so every move is a rename on one volume:
//   <exe>.new   the verified download (staged)
//   <exe>.old   the previous executable; the new client removes it once its splash is up
//
// The name <exe> is never without a complete program: the backup is a second name for the
// previous file (or a copy of it), and the staged file, flushed to the disk first, is renamed over
// <exe> in one step. Whatever point a power cut or a killed updater stops at, <exe> is the
// previous or the new program, and Recover() puts the backup back where neither is there.
#pragma once

#include "base/Handles.h"

#include <functional>
#include <string>

namespace velm {

class ExecutableSwap {
public:
    explicit ExecutableSwap(std::wstring executable);

    const std::wstring& Executable() const noexcept { return exe_; }
    const std::wstring& Staged() const noexcept { return staged_; }
    const std::wstring& Backup() const noexcept { return backup_; }

    // True when nothing holds the executable open, so it can be moved aside and replaced (a
    // running program keeps its executable open). A missing executable is free too.
    bool IsFree() const;

    // Puts a leftover backup back when the executable is missing or not a program for this
    // processor (an earlier run stopped half-way, or the file was damaged). True when a program
    // is in place afterwards.
    bool Recover();

    enum class Result {
        Installed,   // the staged file is the executable now; the previous one is the backup
        NotReplaced, // nothing changed: the previous executable is where it was
        Restored,    // the move failed half-way and the previous executable was put back
        Lost,        // the previous executable could not be put back; it is at Backup()
    };
    Result Install();
    // Undoes an Install: the backup is put back over the new executable. False when the previous
    // executable could not be put back (it is then still at Backup()).
    bool RollBack();
    // After the new executable has started; its backup stays until the new client removes it.
    void Commit() noexcept { installed_ = false; }
    // Removes the staged file (after a failed or refused download).
    void DiscardStaged();

    // Opens the downloaded file and keeps it open, letting others read it but not write, delete
    // or rename it, until it has become the executable or been discarded: what is checked is then
    // what is installed. False when it cannot be opened so.
    bool HoldStaged();
    // The held staged file, open for reading (null before HoldStaged).
    HANDLE StagedFile() const noexcept { return stagedFile_.get(); }

    // The steps of Install, for tests that stop the updater between them the way a power cut
    // would. Never set in the product.
    enum class Step { Flushed, BackedUp, Replaced };
    std::function<void(Step)> stepHook;

private:
    void Reached(Step step) {
        if (stepHook) {
            stepHook(step);
        }
    }

    bool installed_ = false;
    UniqueFile stagedFile_;
    std::wstring exe_;
    std::wstring staged_;
    std::wstring backup_;
};

// Whether the file at `path` starts like a program for this processor.
bool IsOwnProgram(const std::wstring& path);

} // namespace velm
