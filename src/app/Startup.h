#pragma once

namespace velm {
// The program: start-up checks, the splash, then the message loop until the last window is gone.
int RunClient(const char* commandLine);
// What follows the message loop: the main window object goes, then COM.
void EndClient();
} // namespace velm
