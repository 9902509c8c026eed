// The program's mute: the player's own choice, kept in the settings file, and the silence while
// the boss key keeps the window hidden. Game pages are muted while either holds.
#pragma once

#include "browser/IBrowser.h"

namespace velm {

// The player's choice (the menu item "静音").
bool PlayerMuted();
void SetPlayerMuted(bool muted);
// The main window was hidden (true) or shown again (false).
void SetHiddenMute(bool hidden);
// Whether the pages are silent now.
bool SoundMuted();

// A game page's browser, muted now if the program is; detached before it goes.
void AttachPageSound(IBrowser* browser);
void DetachPageSound(IBrowser* browser);

} // namespace velm
