#include "startup/UpdateCheck.h"

#include "base/Handles.h"
#include "base/LateBound.h"
#include "base/Text.h"
#include "base/WindowObject.h"
#include "startup/CKoDownLoadFile.h"
#include "startup/Manifest.h"
#include "startup/Messages.h"
#include "startup/PublicData.h"

#include "Config.h"

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

void StartUpdater() {
    std::string updater = GetTempDir() + "Update.exe";
    SaveResToFile(101, "UPDATE", updater);
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string parameters = UpdaterParameters(exe);
    LateShellExecuteA(nullptr, "open", updater.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
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
    return reader.ValueEquals(CurrentVersion()) ? ManifestVersion::Equal
                                                : ManifestVersion::Different;
}

void CheckUpdateAtStartup(CKoDownLoadFile& downloader) {
    std::string local = LocalManifestPath();
    downloader.DownLoadFile(ManifestUrl(), local, true, false);
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
    downloader.DownLoadFile(ManifestUrl(), local, true, false);
    switch (ReadLocalManifest(local)) {
    case ManifestVersion::Missing:
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
