// Returning freed memory: glibc's malloc_trim; other C libraries give memory back on their own.
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

} // namespace tessaly
