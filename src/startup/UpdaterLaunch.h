// Starting the embedded updater. The temporary folder is shared with every other program of the
// player's, so the updater is written into a folder this launch makes for itself, and only the
// file this launch wrote and read back is started.
#pragma once

#include <string>
#include <string_view>

namespace velm {

// Writes resource "UPDATE" 101 and the checked manifest `manifest` (as update.txt, which the
// updater reads beside itself) into a new folder under the temporary directory and starts the
// updater with the parameter string of this executable. False, with nothing left behind, when any
// step fails; the caller then tells the player and keeps running.
bool StartUpdater(std::string_view manifest);

// Removes what earlier launches left in the temporary directory: their folders, once the
// updater in them has ended. Folders that hold anything else are left alone.
void RemoveUpdaterFolders();

// The names the folders get under the temporary directory: this prefix and a random suffix.
inline constexpr const char* kUpdaterFolderPrefix = "velm-update-";

} // namespace velm
