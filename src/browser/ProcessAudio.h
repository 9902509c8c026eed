// This process's own audio session on the default output device: what the system control's
// pages play goes through it.
#pragma once

namespace velm {

// Mutes the session or lets it play again. False (logged with the reason) when there is no
// output device or the audio service does not answer.
bool SetProcessAudioMuted(bool muted);

} // namespace velm
