// The updater's whole run: check the signed manifest the client left, wait for the client to
// exit, download the new executable, check its size and digest, put it in place keeping the
// previous one until it has started, and start it. Every failure leaves the previous executable
// in place and says what happened.
#pragma once

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
    // Starts the client; the default creates the process in the client's directory.
    std::function<bool(const std::wstring& executable, const std::wstring& directory)> launch;
};

enum class UpdateOutcome {
    Updated,
    BadParameters,
    NoManifest,
    BadManifest,
    BadSignature,
    NotNewer,
    StillRunning,
    Cancelled,
    DownloadFailed,
    DigestMismatch,
    WrongMachine,
    NotReplaced,
    StartFailed,
    Lost,
};

class Updater {
public:
    explicit Updater(UpdaterOptions options);

    UpdateOutcome Run(std::wstring_view parameters, const std::wstring& manifestPath);

    // What the last run read from the manifest (empty before the manifest was read).
    const UpdateManifest& Manifest() const noexcept { return manifest_; }

    static bool LaunchProcess(const std::wstring& executable, const std::wstring& directory);

private:
    UpdateOutcome Steps(const UpdaterArguments& args, const std::wstring& manifestPath,
                        ExecutableSwap& swap);
    UpdateOutcome WaitForClient(ExecutableSwap& swap);
    UpdateOutcome Download(ExecutableSwap& swap);
    UpdateOutcome Install(ExecutableSwap& swap, const UpdaterArguments& args);
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
