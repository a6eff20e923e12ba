// A short tone on the default audio output, or the desktop's bell where there is no audio
// device. UI thread.
#pragma once

namespace tessaly {

// Plays a sine tone of hz for ms milliseconds without blocking.
void PlayTone(int hz, int ms);

} // namespace tessaly
