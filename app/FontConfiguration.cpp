// Fontconfig reads its configuration (some forty files here) and maps its caches once per process;
// whichever thread does it first, Qt's font database finds it done.
#include "app/FontConfiguration.h"

#ifdef TESSALY_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace tessaly {

void LoadFontConfiguration() {
#ifdef TESSALY_HAVE_FONTCONFIG
    // A failure here leaves it to Qt, which tries again and falls back on its own.
    FcInit();
#endif
}

} // namespace tessaly
