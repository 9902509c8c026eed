// The main window's program menu, only ever shown as a pop-up.
#pragma once

#include "base/Handles.h"

namespace velm {

// Its items, in order, with the identifiers WebMainFrm::MenuItem gives them.
UniqueMenu CreateAppMenu();
// The mute item's check mark follows the player's choice.
void ShowMuteState(HMENU menu);
// The mute item chosen: the player's mute flips, and the check mark with it.
void ToggleMute(HMENU menu);

} // namespace velm
