#include "updater/Updater.h"

#include "base/Log.h"
#include "base/Handles.h"
#include "base/Log.h"
#include "base/Text.h"
#include "download/ReleaseVersion.h"
#include "download/Sha256.h"
#include "updater/PeImage.h"
#include "updater/UpdaterTexts.h"

namespace velm {
namespace {

bool ReadSmallFile(const std::wstring& path, std::size_t limit, std::string& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    bytes.clear();
    char buffer[8192];
    DWORD got = 0;
    // One byte beyond the limit is enough to know the file is too large.
    while (bytes.size() <= limit && ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) &&
           got > 0) {
        bytes.append(buffer, got);
    }
    return true;
}

// Reads a program file through an open handle, at any offset.
ReadProgramBytes FileReader(HANDLE file) {
    return [file](std::uint64_t offset, std::size_t size, std::string& out) {
        out.assign(size, '\0');
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (size > 0 && !::ReadFile(file, out.data(), static_cast<DWORD>(size), &got, &at)) {
            got = 0;
        }
        out.resize(got);
        return got == size;
    };
}

// The file version of the program at `path`, read from its resources without running any of it.
// Empty for a missing file or one without a version resource.
std::optional<ReleaseVersion> InstalledVersion(const std::wstring& path) {
    if (!IsOwnProgram(path)) {
        return std::nullopt;
    }
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogCallFailed("CreateFileW " + Narrow(path), ::GetLastError());
        return std::nullopt;
    }
    return ProgramFileVersion(FileReader(file.get()));
}

std::string AnsiPath(const std::wstring& path) {
    return ToAnsi(Narrow(path));
}

// Whether the previous client is in place and unchanged after this outcome, and whether to start
// it again so the player is not left without a running client.
bool ClientUnchanged(UpdateOutcome outcome) {
    return outcome != UpdateOutcome::StartFailed && outcome != UpdateOutcome::ExitedEarly &&
           outcome != UpdateOutcome::Lost && outcome != UpdateOutcome::AlreadyRunning;
}
bool RestartClient(UpdateOutcome outcome) {
    // Still running: a client is up already. Lost: there is nothing sound to start. Another
    // updater at work starts the client itself when it is done.
    return outcome != UpdateOutcome::StillRunning && outcome != UpdateOutcome::Lost &&
           outcome != UpdateOutcome::BadParameters && outcome != UpdateOutcome::Updated &&
           outcome != UpdateOutcome::AlreadyRunning;
}

const char* OutcomeText(UpdateOutcome outcome) {
    switch (outcome) {
    case UpdateOutcome::Updated:
        return "";
    case UpdateOutcome::BadParameters:
        return kBadParameters;
    case UpdateOutcome::AlreadyRunning:
        return kAlreadyRunning;
    case UpdateOutcome::NoManifest:
        return kNoManifest;
    case UpdateOutcome::BadManifest:
        return kBadManifest;
    case UpdateOutcome::BadSignature:
        return kBadSignature;
    case UpdateOutcome::NotNewer:
        return kNotNewer;
    case UpdateOutcome::StillRunning:
        return kStillRunning;
    case UpdateOutcome::Cancelled:
        return kCancelled;
    case UpdateOutcome::DownloadFailed:
        return kDownloadFailed;
    case UpdateOutcome::DigestMismatch:
        return kDigestMismatch;
    case UpdateOutcome::WrongMachine:
        return kWrongMachine;
    case UpdateOutcome::VersionMismatch:
        return kVersionMismatch;
    case UpdateOutcome::NotReplaced:
        return kNotReplaced;
    case UpdateOutcome::StartFailed:
        return kStartFailed;
    case UpdateOutcome::ExitedEarly:
        return kExitedEarly;
    case UpdateOutcome::Lost:
        return kLost;
    }
    return "";
}

} // namespace

Updater::Updater(UpdaterOptions options) : options_(std::move(options)) {
    if (!options_.launch) {
        options_.launch = &Updater::LaunchProcess;
    }
}

UniqueKernelHandle Updater::LaunchProcess(const std::wstring& executable,
                                          const std::wstring& directory) {
    std::wstring commandLine = L"\"" + executable + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, directory.c_str(), &startup, &process)) {
        LogCallFailed("CreateProcessW " + Narrow(executable), ::GetLastError());
        return UniqueKernelHandle();
    }
    UniqueKernelHandle threadHandle(process.hThread);
    return UniqueKernelHandle(process.hProcess);
}

UpdateOutcome Updater::Run(std::wstring_view parameters, const std::wstring& manifestPath) {
    // The updater has no message loop of its own to end; a quit message left in the queue would
    // close the next message box at once.
    WindowObject::SetQuitOnLastWindow(false);
    cancelled_ = false;
    oversize_ = false;
    manifest_ = UpdateManifest{};
    std::optional<UpdaterArguments> args = UpdaterArguments::Parse(parameters);
    if (!args) {
        ShowMessage(nullptr, kBadParameters, kUpdaterTitle, MB_ICONWARNING | MB_OK);
        return UpdateOutcome::BadParameters;
    }
    // Two updaters would remove each other's staged file and backup.
    UniqueKernelHandle alone(::CreateMutexW(nullptr, FALSE, kUpdaterMutexName));
    const DWORD owned =
        alone ? ::WaitForSingleObject(alone.get(), kUpdaterHandoverMs) : WAIT_FAILED;
    if (owned != WAIT_OBJECT_0 && owned != WAIT_ABANDONED) {
        ShowMessage(nullptr, kAlreadyRunning, kUpdaterTitle, MB_ICONWARNING | MB_OK);
        return UpdateOutcome::AlreadyRunning;
    }
    struct Release {
        HANDLE mutex;
        ~Release() { ::ReleaseMutex(mutex); }
    } release{alone.get()};
    frm_.Cancel = [this] {
        cancelled_ = true;
        downloader_.StopDownLoad();
    };
    frm_.Show();
    ExecutableSwap swap(args->executable);
    UpdateOutcome outcome = UpdateOutcome::Lost;
    try {
        outcome = Steps(*args, manifestPath, swap);
    } catch (...) {
        // Nothing below throws on purpose; whatever did, the swap is undone before reporting.
        LogCaught("Updater.Run");
        outcome = swap.RollBack() ? UpdateOutcome::NotReplaced : UpdateOutcome::Lost;
    }
    if (outcome != UpdateOutcome::Updated) {
        Report(outcome, swap);
        if (RestartClient(outcome) &&
            ::GetFileAttributesW(args->executable.c_str()) != INVALID_FILE_ATTRIBUTES) {
            options_.launch(args->executable, args->directory).reset();
        }
    }
    frm_.Unload();
    return outcome;
}

UpdateOutcome Updater::Steps(const UpdaterArguments& args, const std::wstring& manifestPath,
                             ExecutableSwap& swap) {
    frm_.SetStatus(kStatusChecking);
    PumpFor(0);
    std::string bytes;
    if (!ReadSmallFile(manifestPath, kMaxManifestBytes, bytes)) {
        return UpdateOutcome::NoManifest;
    }
    if (UpdateManifest::Parse(bytes, manifest_) != ManifestError::None) {
        return UpdateOutcome::BadManifest;
    }
    SignatureVerifier verifier(options_.publicKey);
    if (!verifier.Verify(manifest_.signedPart, manifest_.signature)) {
        return UpdateOutcome::BadSignature;
    }
    // An earlier run stopped half-way may have left only the backup; it is the client to compare
    // with and to keep.
    swap.Recover();
    // A client without a readable version (none there at all) has nothing a release could
    // downgrade.
    const ReleaseVersion installed = InstalledVersion(swap.Executable()).value_or(ReleaseVersion{});
    if (!MayReplace(manifest_.version, installed, manifest_.replaces)) {
        return UpdateOutcome::NotNewer;
    }

    UpdateOutcome outcome = WaitForClient(swap);
    if (outcome != UpdateOutcome::Updated) {
        return outcome;
    }
    outcome = Download(swap);
    if (outcome != UpdateOutcome::Updated) {
        swap.DiscardStaged();
        return outcome;
    }
    return Install(swap, args);
}

UpdateOutcome Updater::WaitForClient(ExecutableSwap& swap) {
    frm_.SetStatus(kStatusWaiting);
    DWORD start = ::GetTickCount();
    while (!swap.IsFree()) {
        if (cancelled_) {
            return UpdateOutcome::Cancelled;
        }
        if (::GetTickCount() - start >= options_.waitMs) {
            int answer = ShowMessage(frm_.hWnd(), kAskStillRunning, kUpdaterTitle,
                                     MB_ICONWARNING | MB_RETRYCANCEL);
            if (answer != IDRETRY) {
                return UpdateOutcome::StillRunning;
            }
            start = ::GetTickCount();
            continue;
        }
        PumpFor(options_.pollMs);
    }
    return cancelled_ ? UpdateOutcome::Cancelled : UpdateOutcome::Updated;
}

UpdateOutcome Updater::Download(ExecutableSwap& swap) {
    frm_.SetStatus(kStatusDownloading);
    frm_.SetProgress(0, manifest_.size);
    swap.DiscardStaged();
    const std::int64_t expected = manifest_.size;
    downloader_.QueryFileInfo = [this, expected](std::int32_t announced) {
        if (announced != expected) {
            oversize_ = true; // not the file the manifest describes; no need to fetch it
            downloader_.StopDownLoad();
        }
    };
    downloader_.Loading = [this, expected](std::int32_t received) {
        frm_.SetProgress(received, expected);
        if (received > expected) {
            oversize_ = true;
            downloader_.StopDownLoad();
        }
    };
    downloader_.Complete = nullptr;
    bool ok = downloader_.DownLoadFile(manifest_.url, AnsiPath(swap.Staged()), false, true);
    downloader_.QueryFileInfo = nullptr;
    downloader_.Loading = nullptr;
    if (cancelled_) {
        return UpdateOutcome::Cancelled;
    }
    if (oversize_) {
        return UpdateOutcome::DigestMismatch;
    }
    if (!ok) {
        return UpdateOutcome::DownloadFailed;
    }
    frm_.SetStatus(kStatusVerifying);
    PumpFor(0);
    // From the check to the swap nobody else may write the file: what is checked is what is
    // installed.
    if (!swap.HoldStaged()) {
        return UpdateOutcome::DownloadFailed;
    }
    Sha256::Digest digest{};
    std::uint64_t size = 0;
    if (!Sha256::OfOpenFile(swap.StagedFile(), digest, size)) {
        return UpdateOutcome::DownloadFailed;
    }
    if (size != manifest_.size || digest != manifest_.sha256) {
        return UpdateOutcome::DigestMismatch;
    }
    // A correctly signed release for the other processor would replace a working client with
    // one that cannot start here (or runs as a different program than the player installed).
    const ReadProgramBytes read = FileReader(swap.StagedFile());
    std::string head;
    read(0, kPeHeadBytes, head);
    if (PeMachine(head) != OwnMachine()) {
        return UpdateOutcome::WrongMachine;
    }
    // A release whose own version is not the manifest's would be offered again by every start of
    // the client it installs.
    const std::optional<ReleaseVersion> own = ProgramFileVersion(read);
    if (!own || own != ParseReleaseVersion(manifest_.version)) {
        return UpdateOutcome::VersionMismatch;
    }
    return cancelled_ ? UpdateOutcome::Cancelled : UpdateOutcome::Updated;
}

UpdateOutcome Updater::Install(ExecutableSwap& swap, const UpdaterArguments& args) {
    // From here on the swap runs to its end or is undone; a cancel would only leave it half-done.
    frm_.EnableCancel(false);
    frm_.SetStatus(kStatusInstalling);
    PumpFor(0);
    switch (swap.Install()) {
    case ExecutableSwap::Result::Installed:
        break;
    case ExecutableSwap::Result::NotReplaced:
    case ExecutableSwap::Result::Restored:
        swap.DiscardStaged();
        return UpdateOutcome::NotReplaced;
    case ExecutableSwap::Result::Lost:
        return UpdateOutcome::Lost;
    }
    frm_.SetStatus(kStatusStarting);
    PumpFor(0);
    UniqueKernelHandle process = options_.launch(args.executable, args.directory);
    if (!process) {
        return swap.RollBack() ? UpdateOutcome::StartFailed : UpdateOutcome::Lost;
    }
    return AwaitSplash(process.get(), swap);
}

UpdateOutcome Updater::AwaitSplash(HANDLE process, ExecutableSwap& swap) {
    // The new client removes the backup once its splash is up; until then a client that ends
    // (a crash, a missing library) has not shown that the release works here.
    auto shown = [&swap] {
        return ::GetFileAttributesW(swap.Backup().c_str()) == INVALID_FILE_ATTRIBUTES;
    };
    const DWORD start = ::GetTickCount();
    while (!shown()) {
        if (::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            if (shown()) {
                break;
            }
            // An image that has just ended may be let go of a moment later.
            for (int attempt = 0; attempt < 20; ++attempt) {
                if (swap.RollBack()) {
                    return UpdateOutcome::ExitedEarly;
                }
                PumpFor(options_.pollMs);
            }
            return UpdateOutcome::Lost;
        }
        if (::GetTickCount() - start >= options_.splashWaitMs) {
            break; // still starting: the client removes the backup when it gets there
        }
        PumpFor(options_.pollMs);
    }
    swap.Commit();
    return UpdateOutcome::Updated;
}

void Updater::Report(UpdateOutcome outcome, const ExecutableSwap& swap) {
    std::string text = OutcomeText(outcome);
    if (outcome == UpdateOutcome::Lost) {
        text += Narrow(swap.Backup());
    } else if (ClientUnchanged(outcome)) {
        text += kUnchanged;
    }
    ShowMessage(frm_.hWnd(), text, kUpdaterTitle, MB_ICONWARNING | MB_OK);
}

void Updater::PumpFor(DWORD ms) {
    DWORD start = ::GetTickCount();
    do {
        ProcessPendingMessages();
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms) {
            break;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    } while (true);
}

} // namespace velm
