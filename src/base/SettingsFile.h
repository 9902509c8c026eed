// The settings file, %LOCALAPPDATA%\OrvikVelmora\settings.ini: read once, kept in memory, and
// written whole through a temporary file that replaces the old one only when complete.
#pragma once

#include "base/Settings.h"

#include <string>

namespace velm {

// The file's path ("" when the local application data folder is unknown). Tests point it
// elsewhere; an empty text restores the default and makes the next AppSettings() read again.
std::wstring SettingsPath();
void SetSettingsPath(std::wstring path);

// The file's settings; a missing, damaged or oversized file gives the defaults and a log line.
Settings LoadSettings(const std::wstring& path);
// Writes `settings` to a temporary file beside `path`, flushes it to the disk and moves it over
// `path`. False (logged) on failure, the old file then untouched.
bool SaveSettings(const Settings& settings, const std::wstring& path);

// The program's settings, read from SettingsPath() on first use.
Settings& AppSettings();
// Writes AppSettings() to SettingsPath().
bool SaveAppSettings();

} // namespace velm
