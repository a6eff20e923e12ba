// Fontconfig reads some forty configuration files and maps its caches once per process; Qt's font
// database asks it for nothing before that is done, whichever thread did it.
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
