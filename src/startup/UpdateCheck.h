// The update check: the manifest is fetched, its version compared with the program's, and on the
// player's consent the embedded updater is started.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace velm {

class CKoDownLoadFile;

// Where the static file server keeps the manifest for this client's processor: the 32-bit and the
// 64-bit client are separate releases, so neither is ever offered the other's.
inline constexpr const char* kManifestPath =
    sizeof(void*) == 4 ? "/gamehome/velm/update.txt" : "/gamehome/velm/x64/update.txt";

std::string ManifestUrl();
std::string LocalManifestPath();
std::string CurrentVersion();
// Writes resource "UPDATE" 101 to the temporary directory as Update.exe and starts it with the
// parameter string of this executable.
void StartUpdater();

enum class ManifestVersion { Missing, NoVersionLine, Equal, Different };
// Reads the local manifest file's version line and compares it with CurrentVersion().
ManifestVersion ReadLocalManifest(const std::string& path);

// At start-up: silent when there is no manifest or the versions are equal; a different version
// asks the player and, on Yes, starts the updater and ends the process at once.
void CheckUpdateAtStartup(CKoDownLoadFile& downloader);

// From the main window's menu. On Yes the updater is started and `onUpdaterStarted` runs (the main
// window then closes without asking).
void CheckUpdateFromMenu(CKoDownLoadFile& downloader, HWND owner,
                         const std::function<void()>& onUpdaterStarted);

} // namespace velm
