// Returning freed memory: glibc's malloc_trim and its bound for blocks with pages of their own;
// other C libraries give memory back on their own.
#include "player/FreedMemory.h"

// Any C library header names the library (__GLIBC__) before the test below.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tessaly {

void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void KeepFramesOutOfTheHeap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

} // namespace tessaly
