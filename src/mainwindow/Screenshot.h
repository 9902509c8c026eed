// Pictures of a game page as the player sees it, kept as PNG files in the player's Pictures
// folder.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace velm {

// The folder pictures go to: "<Pictures>\OrvikVelmora\" unless another was set (an empty text
// restores it). With one trailing backslash; "" when the Pictures folder is unknown.
std::wstring ScreenshotFolder();
void SetScreenshotFolder(std::wstring folder);

// The file name of the `n`th picture taken in the second `t` (n from 1):
// "20261208-143005.png", then "20261208-143005-2.png".
std::wstring ScreenshotName(const SYSTEMTIME& t, int n);

// Saves what the screen shows of `window`'s client area as a new PNG file in `folder` (created
// as needed), named from the local time; an existing file is never replaced. Returns the path,
// or nothing on failure (logged).
std::optional<std::wstring> SaveScreenshot(HWND window, const std::wstring& folder);
// The same for a game page: through its browser's own capture where the engine has one (then
// `done` may run later), else as SaveScreenshot. `done` gets the path, or nothing on failure.
void SavePageScreenshot(HWND page, const std::wstring& folder,
                        std::function<void(std::optional<std::wstring> saved)> done);

} // namespace velm
