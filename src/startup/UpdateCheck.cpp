#include "startup/UpdateCheck.h"

#include "base/Handles.h"
#include "base/Log.h"
#include "base/Text.h"
#include "base/WindowObject.h"
#include "download/CKoDownLoadFile.h"
#include "download/Hex.h"
#include "download/Manifest.h"
#include "startup/Messages.h"
#include "startup/PublicData.h"
#include "startup/UpdaterLaunch.h"
#include "download/ReleaseVersion.h"
#include "download/SignatureVerifier.h"
#include "download/UpdateManifest.h"

#include "Config.h"
#include "UpdateKey.h"

namespace velm {

std::string ManifestUrl() {
    return std::string(VELM_STATIC_SERVER) + kManifestPath;
}
std::string LocalManifestPath() {
    return GetTempDir() + "update.txt";
}
std::string CurrentVersion() {
    return VersionString(VELM_VERSION_MAJOR, VELM_VERSION_MINOR, VELM_VERSION_REVISION);
}

bool DownloadManifest(CKoDownLoadFile& downloader, const std::string& local) {
    // The check runs before any window exists: a server that trickles or floods must neither hold
    // the start with nothing on screen nor fill the temporary folder. Past a bound the earlier
    // manifest stays, as after any failed download.
    const CKoDownLoadFile::Limits previous = downloader.limits;
    downloader.limits = {kManifestMaxBytes, kManifestMaxMs};
    bool ok = downloader.DownLoadFile(ManifestUrl(), local, true, false);
    downloader.limits = previous;
    return ok;
}

namespace {

// The updater's own checks, made before the player is asked: a question whose Yes can only end
// in a refusal (or, for a forged or replayed manifest, should) is not asked.
ManifestVersion UpdaterVerdict(std::string_view bytes) {
    UpdateManifest manifest;
    SignatureVerifier::PublicKey key{};
    if (UpdateManifest::Parse(bytes, manifest) != ManifestError::None ||
        !DecodeHex(kUpdatePublicKeyHex, key.data(), key.size()) ||
        !SignatureVerifier(key).Verify(manifest.signedPart, manifest.signature)) {
        return ManifestVersion::Unverified;
    }
    std::optional<ReleaseVersion> own = ParseReleaseVersion(CurrentVersion());
    return own && MayReplace(manifest.version, *own, manifest.replaces) ? ManifestVersion::Different
                                                                        : ManifestVersion::NotNewer;
}

void CannotStartUpdater(HWND owner) {
    ShowMessage(owner, kUpdaterFailedText, kPromptTitle, MB_ICONWARNING | MB_OK);
}

} // namespace

void DiscardUpdateBackup() {
    RemoveUpdaterFolders();
    wchar_t exe[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    const std::wstring backup = std::wstring(exe, length) + L".old";
    if (::GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    ::SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(backup.c_str())) {
        LogCallFailed("DeleteFileW " + Narrow(backup), ::GetLastError());
    }
}

LocalManifest ReadLocalManifest(const std::string& path) {
    LocalManifest local;
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return local;
    }
    ManifestReader reader;
    char buffer[16384];
    DWORD got = 0;
    // The version line may lie anywhere in the file; the updater reads no more than its bound.
    while ((!reader.Done() || local.bytes.size() <= kMaxManifestBytes) &&
           ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        reader.Feed(std::string_view(buffer, got));
        if (local.bytes.size() <= kMaxManifestBytes) {
            local.bytes.append(buffer, got);
        }
    }
    reader.Finish();
    if (!reader.Found()) {
        local.version = ManifestVersion::NoVersionLine;
    } else if (reader.ValueEquals(CurrentVersion())) {
        local.version = ManifestVersion::Equal;
    } else {
        local.version = UpdaterVerdict(local.bytes);
    }
    return local;
}

void CheckUpdateAtStartup(CKoDownLoadFile& downloader) {
    std::string path = LocalManifestPath();
    DownloadManifest(downloader, path);
    LocalManifest local = ReadLocalManifest(path);
    if (local.version != ManifestVersion::Different) {
        return;
    }
    if (ShowMessage(nullptr, kNewVersionText, kPromptTitle, MB_ICONQUESTION | MB_YESNO) != IDYES) {
        return;
    }
    // This client runs well enough to start an update: the updater that installed it, waiting
    // for its splash, is not to take the end of this process for a failed start.
    DiscardUpdateBackup();
    if (!StartUpdater(local.bytes)) {
        CannotStartUpdater(nullptr);
        return; // start-up goes on with this client
    }
    TerminateNow();
}

void CheckUpdateFromMenu(CKoDownLoadFile& downloader, HWND owner,
                         const std::function<void()>& onUpdaterStarted) {
    // The check lets messages run (the transfer, its boxes): a second request meanwhile would
    // find the transfer busy and read whatever manifest an earlier run left.
    static bool running = false;
    if (running) {
        return;
    }
    running = true;
    struct Done {
        ~Done() { running = false; }
    } done;
    std::string path = LocalManifestPath();
    if (!DownloadManifest(downloader, path)) {
        ShowMessage(owner, kNoManifestText, kPromptTitle, MB_ICONWARNING | MB_OK);
        return;
    }
    LocalManifest local = ReadLocalManifest(path);
    switch (local.version) {
    case ManifestVersion::Missing:
        ShowMessage(owner, kNoManifestText, kPromptTitle, MB_ICONWARNING | MB_OK);
        return;
    case ManifestVersion::Unverified:
        ShowMessage(owner, kUnverifiedText, kPromptTitle, MB_ICONWARNING | MB_OK);
        return;
    case ManifestVersion::NoVersionLine:
        return;
    case ManifestVersion::Equal:
    case ManifestVersion::NotNewer:
        ShowMessage(owner, kUpToDateText, kPromptTitle, MB_ICONWARNING | MB_OK);
        return;
    case ManifestVersion::Different:
        break;
    }
    if (ShowMessage(owner, kNewVersionText, kPromptTitle, MB_ICONQUESTION | MB_YESNO) != IDYES) {
        return;
    }
    if (!StartUpdater(local.bytes)) {
        CannotStartUpdater(owner);
        return;
    }
    if (onUpdaterStarted) {
        onUpdaterStarted();
    }
}

} // namespace velm
