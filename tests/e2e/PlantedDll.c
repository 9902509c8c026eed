// A DLL named like a system one, as someone would leave it beside a program: when it is loaded it
// writes planted.marker beside itself, naming the program it runs in.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\') {
        --length;
    }
    lstrcpyW(path + length, L"planted.marker");
    char program[MAX_PATH] = {0};
    DWORD programLength = GetModuleFileNameA(NULL, program, MAX_PATH);
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (marker != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(marker, program, programLength, &written, NULL);
        CloseHandle(marker);
    }
    return TRUE;
}
