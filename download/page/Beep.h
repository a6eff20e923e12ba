// A short tone on the default audio output (the page's refusal sound), or the desktop's bell
// where there is no audio device. UI thread.
#pragma once

namespace tessaly {

// Plays a sine tone of hz for ms milliseconds without blocking.
void Beep(int hz, int ms);

} // namespace tessaly
