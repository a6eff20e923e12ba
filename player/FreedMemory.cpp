// Returning freed memory: glibc's malloc_trim; other C libraries give memory back on their own.
#include "player/FreedMemory.h"

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
