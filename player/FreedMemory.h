// Hands memory the program has freed back to the system, where the C library keeps it otherwise.
// Any thread.
#pragma once

namespace tessaly {

// After a large release (a media pipeline with its decoders and frames): the C library keeps
// freed blocks in its per-thread pools for reuse, so the process would stay as large as at its
// busiest.
void ReturnFreedMemory();

} // namespace tessaly
