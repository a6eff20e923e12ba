// Hands memory the program has freed back to the system, where the C library keeps it otherwise.
// Any thread.
#pragma once

namespace tessaly {

// After a large release (a media pipeline with its decoders and frames): the C library keeps
// freed blocks in its per-thread pools for reuse, so the process would stay as large as at its
// busiest.
void ReturnFreedMemory();

// Before video is played: blocks the size of a video frame (256 KiB and up) get pages of their own,
// returned to the system when freed. Otherwise the C library raises that bound as frames come and
// go, frames land among small blocks of the pipeline's threads, and a played video leaves the
// process some 10 MiB larger each time a larger picture size is played.
void KeepFramesOutOfTheHeap();

} // namespace tessaly
