#include "app/Startup.h"
#include "base/DllSearch.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    velm::RestrictDllSearch();
    return velm::RunClient(commandLine);
}
