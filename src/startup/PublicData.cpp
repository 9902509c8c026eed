#include "startup/PublicData.h"

#include "base/Handles.h"
#include "frame/WindowHook.h"

namespace velm {
namespace {
WindowHook g_loginHook;
HWND (*g_follower)() = nullptr;
} // namespace

std::string GetTempDir() {
    char buffer[MAX_PATH] = {};
    DWORD n = ::GetTempPathA(MAX_PATH, buffer);
    std::string dir(buffer, n < MAX_PATH ? n : 0);
    dir = dir.c_str(); // text up to the first NUL
    if (dir.empty() || dir.back() != '\\') {
        dir += '\\';
    }
    return dir;
}

std::string_view ResourceBytes(unsigned short id, const char* type) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!info) {
        return {};
    }
    HGLOBAL data = ::LoadResource(module, info);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes) {
        return {};
    }
    return {static_cast<const char*>(bytes), ::SizeofResource(module, info)};
}

bool SaveResToFile(unsigned short id, const char* type, const std::string& path) {
    std::string_view bytes = ResourceBytes(id, type);
    if (bytes.data() == nullptr) {
        return false;
    }
    // OPEN_ALWAYS without truncation: writing starts at the first byte and a longer existing
    // file keeps its tail, as binary file output does.
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

void SetLoginMoveFollower(HWND (*follower)()) {
    g_follower = follower;
}

void HookLoginMove(HWND hwnd) {
    g_loginHook.Install(hwnd, &LoginBgWndProc);
}

void UnhookLoginMove(HWND hwnd) {
    g_loginHook.Remove(hwnd);
}

LRESULT CALLBACK LoginBgWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOVE && g_follower) {
        HWND follower = g_follower();
        if (follower) {
            RECT bg{};
            ::GetWindowRect(hwnd, &bg);
            ::SetWindowPos(follower, nullptr, bg.left, bg.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return g_loginHook.CallNext(hwnd, msg, wParam, lParam);
}

} // namespace velm
