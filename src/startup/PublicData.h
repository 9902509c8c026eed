// Routines shared by the start-up and login windows.
#pragma once

#include <windows.h>

#include <string>

namespace velm {

// The user's temporary directory (GetTempPathA) with exactly one trailing backslash.
std::string GetTempDir();
// Writes the resource of that id and type name to `path`, from the file's first byte on; bytes
// of a longer existing file beyond the resource's length stay. Returns false if the resource was
// not found or the file could not be written.
bool SaveResToFile(unsigned short id, const char* type, const std::string& path);
// The bytes of a resource of this module, or an empty view.
std::string_view ResourceBytes(unsigned short id, const char* type);

// Keeps the login page window on the login background window: every WM_MOVE of `hwnd` moves
// the window `follower()` returns to the same left and top.
void HookLoginMove(HWND hwnd);
void UnhookLoginMove(HWND hwnd);
LRESULT CALLBACK LoginBgWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The window moved by the hook (LoginFrm's window). Set by the login window.
void SetLoginMoveFollower(HWND (*follower)());

} // namespace velm
