// The updater's whole run: check the signed manifest the client left, wait for the client to
// exit, download the new executable, check its size and digest, put it in place keeping the
// previous one until it has started, and start it. Every failure leaves the previous executable
// in place and says what happened.
#pragma once

#include "base/Handles.h"
#include "download/CKoDownLoadFile.h"
#include "updater/ExecutableSwap.h"
#include "download/SignatureVerifier.h"
#include "updater/UpdateFrm.h"
#include "download/UpdateManifest.h"
#include "updater/UpdaterArguments.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace velm {

struct UpdaterOptions {
    SignatureVerifier::PublicKey publicKey{};
    // How long to wait for the client to let go of its executable before asking the player.
    DWORD waitMs = 10000;
    DWORD pollMs = 100;
    // How long a started client may take to show its splash (it removes the backup then). While
    // it runs and has not shown it, the backup stays, and a client that ends first is rolled back;
    // past this the backup is left to the client.
    DWORD splashWaitMs = 120000;
    // Starts the client; the default creates the process in the client's directory. Returns the
    // process, or nothing when it could not be started.
    std::function<UniqueKernelHandle(const std::wstring& executable, const std::wstring& directory)>
        launch;
};

// Held by the updater that runs; a second one ends at once instead of working on the same files.
inline constexpr const wchar_t* kUpdaterMutexName = L"Local\\velm.Update";
// How long a second updater waits for the first to end (the first may be just finishing: an
// updated client can start an updater of its own before the first has seen its splash).
inline constexpr DWORD kUpdaterHandoverMs = 3000;

enum class UpdateOutcome {
    Updated,
    BadParameters,
    AlreadyRunning,
    NoManifest,
    BadManifest,
    BadSignature,
    NotNewer,
    StillRunning,
    Cancelled,
    DownloadFailed,
    DigestMismatch,
    WrongMachine,
    VersionMismatch,
    NotReplaced,
    StartFailed,
    ExitedEarly,
    Lost,
};

class Updater {
public:
    explicit Updater(UpdaterOptions options);

    UpdateOutcome Run(std::wstring_view parameters, const std::wstring& manifestPath);

    // What the last run read from the manifest (empty before the manifest was read).
    const UpdateManifest& Manifest() const noexcept { return manifest_; }

    static UniqueKernelHandle LaunchProcess(const std::wstring& executable,
                                            const std::wstring& directory);

private:
    UpdateOutcome Steps(const UpdaterArguments& args, const std::wstring& manifestPath,
                        ExecutableSwap& swap);
    UpdateOutcome WaitForClient(ExecutableSwap& swap);
    UpdateOutcome Download(ExecutableSwap& swap);
    UpdateOutcome Install(ExecutableSwap& swap, const UpdaterArguments& args);
    UpdateOutcome AwaitSplash(HANDLE process, ExecutableSwap& swap);
    void Report(UpdateOutcome outcome, const ExecutableSwap& swap);
    void PumpFor(DWORD ms);

    UpdaterOptions options_;
    UpdateFrm frm_;
    CKoDownLoadFile downloader_;
    UpdateManifest manifest_;
    bool cancelled_ = false;
    bool oversize_ = false;
};

} // namespace velm
