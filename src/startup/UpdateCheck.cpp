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
#include "download/ReleaseVersion.h"
#include "download/SignatureVerifier.h"
#include "download/UpdateManifest.h"

#include "Config.h"
#include "UpdateKey.h"

#include <shellapi.h>

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

void StartUpdater() {
    std::string updater = GetTempDir() + "Update.exe";
    SaveResToFile(101, "UPDATE", updater);
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string parameters = UpdaterParameters(exe);
    ::ShellExecuteA(nullptr, "open", updater.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

namespace {

// The updater's own checks, made before the player is asked: a question whose Yes can only end
// in a refusal (or, for a forged or replayed manifest, should) is not asked.
bool UpdaterWouldAccept(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    std::string bytes;
    char buffer[16384];
    DWORD got = 0;
    while (bytes.size() <= kMaxManifestBytes &&
           ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    UpdateManifest manifest;
    SignatureVerifier::PublicKey key{};
    std::optional<ReleaseVersion> own = ParseReleaseVersion(CurrentVersion());
    return UpdateManifest::Parse(bytes, manifest) == ManifestError::None &&
           DecodeHex(kUpdatePublicKeyHex, key.data(), key.size()) &&
           SignatureVerifier(key).Verify(manifest.signedPart, manifest.signature) && own &&
           MayReplace(manifest.version, *own, manifest.downgradeAllowed);
}

} // namespace

void DiscardUpdateBackup() {
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

ManifestVersion ReadLocalManifest(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ManifestVersion::Missing;
    }
    ManifestReader reader;
    char buffer[16384];
    DWORD got = 0;
    while (!reader.Done() && ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) &&
           got > 0) {
        reader.Feed(std::string_view(buffer, got));
    }
    reader.Finish();
    if (!reader.Found()) {
        return ManifestVersion::NoVersionLine;
    }
    if (reader.ValueEquals(CurrentVersion())) {
        return ManifestVersion::Equal;
    }
    file.reset();
    return UpdaterWouldAccept(path) ? ManifestVersion::Different : ManifestVersion::Refused;
}

void CheckUpdateAtStartup(CKoDownLoadFile& downloader) {
    std::string local = LocalManifestPath();
    DownloadManifest(downloader, local);
    if (ReadLocalManifest(local) != ManifestVersion::Different) {
        return;
    }
    if (ShowMessage(nullptr, kNewVersionText, kPromptTitle, MB_ICONQUESTION | MB_YESNO) != IDYES) {
        return;
    }
    StartUpdater();
    TerminateNow();
}

void CheckUpdateFromMenu(CKoDownLoadFile& downloader, HWND owner,
                         const std::function<void()>& onUpdaterStarted) {
    std::string local = LocalManifestPath();
    DownloadManifest(downloader, local);
    switch (ReadLocalManifest(local)) {
    case ManifestVersion::Missing:
    case ManifestVersion::Refused:
        ShowMessage(owner, kNoManifestText, kPromptTitle, MB_ICONWARNING | MB_OK);
        return;
    case ManifestVersion::NoVersionLine:
        return;
    case ManifestVersion::Equal:
        ShowMessage(owner, kUpToDateText, kPromptTitle, MB_ICONWARNING | MB_OK);
        return;
    case ManifestVersion::Different:
        break;
    }
    if (ShowMessage(owner, kNewVersionText, kPromptTitle, MB_ICONQUESTION | MB_YESNO) != IDYES) {
        return;
    }
    StartUpdater();
    if (onUpdaterStarted) {
        onUpdaterStarted();
    }
}

} // namespace velm
