// Puts a downloaded executable in place of the client's, keeping the previous one beside it
// until the new one is in place and has started.
//
// Files, all in the client's directory so every move is a rename on one volume:
//   <exe>.new   the verified download (staged)
//   <exe>.old   the previous executable while the swap is not yet committed
#pragma once

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

    enum class Result {
        Installed,   // the staged file is the executable now; the previous one is the backup
        NotReplaced, // nothing changed: the previous executable is where it was
        Restored,    // the move failed half-way and the previous executable was put back
        Lost,        // the previous executable could not be put back; it is at Backup()
    };
    Result Install();
    // Undoes an Install: the new executable is removed and the backup put back. False when the
    // previous executable could not be put back (it is then still at Backup()).
    bool RollBack();
    // After the new executable has started: the backup is no longer needed.
    void Commit();
    // Removes the staged file (after a failed or refused download).
    void DiscardStaged();

private:
    bool installed_ = false;
    std::wstring exe_;
    std::wstring staged_;
    std::wstring backup_;
};

} // namespace velm
