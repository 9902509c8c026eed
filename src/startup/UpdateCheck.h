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

// Bounds of the manifest's download: a manifest is a few hundred bytes.
inline constexpr long long kManifestMaxBytes = 64 * 1024;
inline constexpr unsigned long kManifestMaxMs = 15000;

std::string ManifestUrl();
// Fetches the manifest to `local` within the bounds above.
bool DownloadManifest(CKoDownLoadFile& downloader, const std::string& local);
std::string LocalManifestPath();
std::string CurrentVersion();

// Removes the previous executable an update kept beside this one ("<exe>.old"), once this client
// has shown that it starts, and the folders earlier updaters ran from.
void DiscardUpdateBackup();

enum class ManifestVersion {
    Missing,
    NoVersionLine,
    Equal,
    Different,  // another version that the updater would install
    NotNewer,   // validly signed, but neither newer nor a roll-back of this version
    Unverified, // unsigned, malformed or not signed by the maintainers' key
};
struct LocalManifest {
    ManifestVersion version = ManifestVersion::Missing;
    // What was read (at most one byte past the largest manifest the updater reads): the bytes
    // the updater is given, so it checks what this check checked.
    std::string bytes;
};
// Reads the local manifest file's version line and compares it with CurrentVersion(); another
// version counts only when the updater would install it.
LocalManifest ReadLocalManifest(const std::string& path);

// At start-up: silent when there is no manifest or the versions are equal; a different version
// asks the player and, on Yes, starts the updater and ends the process at once.
void CheckUpdateAtStartup(CKoDownLoadFile& downloader);

// From the main window's menu. On Yes the updater is started and `onUpdaterStarted` runs (the main
// window then closes without asking).
void CheckUpdateFromMenu(CKoDownLoadFile& downloader, HWND owner,
                         const std::function<void()>& onUpdaterStarted);

} // namespace velm
