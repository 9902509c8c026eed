// Placeholder updater: shows the parameter string it was started with and exits.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    std::wstring text = L"Update.exe\n";
    text += commandLine ? commandLine : L"";
    ::MessageBoxW(nullptr, text.c_str(), L"更新程序", MB_ICONINFORMATION | MB_OK);
    return 0;
}
