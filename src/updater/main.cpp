// Update.exe: started by the client with "<directory>|<directory>\<name>.exe" after the player
// accepted an update; reads the manifest the client left beside this program.
#include "base/CrashDump.h"
#include "base/DllSearch.h"
#include "download/Hex.h"
#include "updater/Updater.h"

#include "Config.h"
#include "UpdateKey.h"

#include <windows.h>

#include <string>

#ifdef VELM_CRASH_TRIGGER
#include "base/CrashTrigger.h"
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // This program runs from the temporary folder, where anyone may leave a DLL.
    velm::RestrictDllSearch();
    velm::InstallCrashDumps("Update", VELM_VERSION_TEXT);
#ifdef VELM_CRASH_TRIGGER
    velm::CrashWhenAsked();
#endif
    velm::UpdaterOptions options;
    // A key that does not decode stays all zeros, which no signature matches: every manifest is
    // then refused rather than trusted.
    velm::DecodeHex(velm::kUpdatePublicKeyHex, options.publicKey.data(), options.publicKey.size());

    wchar_t self[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring directory(self, length);
    directory.erase(directory.find_last_of(L'\\') + 1);

    velm::Updater updater(options);
    velm::UpdateOutcome outcome =
        updater.Run(velm::CommandLineParameters(::GetCommandLineW()), directory + L"update.txt");
    return outcome == velm::UpdateOutcome::Updated ? 0 : 1;
}
