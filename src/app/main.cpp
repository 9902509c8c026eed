#include "app/Startup.h"
#include "base/CrashDump.h"
#include "base/DllSearch.h"

#include "Config.h"

#include <windows.h>

#ifdef VELM_CRASH_TRIGGER
#include "base/CrashTrigger.h"
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    velm::RestrictDllSearch();
    velm::InstallCrashDumps("velm", VELM_VERSION_TEXT);
#ifdef VELM_CRASH_TRIGGER
    velm::CrashWhenAsked();
#endif
    return velm::RunClient(commandLine);
}
