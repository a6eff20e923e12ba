// Fontconfig reads its configuration (some forty files here) and maps its caches once per process;
// whichever thread does it first, Qt's font database finds it done. Left to itself, fontconfig
// would resolve "宋体" by the desktop's language: a Latin face with Japanese forms for the Chinese
// text on an English desktop, the Chinese face on a Chinese one, and cell heights in other sizes.
#include "app/FontConfiguration.h"

#include "controls/CaptionFont.h"

#include <QApplication>
#include <QFont>

#ifdef TESSALY_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace tessaly {

QString LoadFontConfiguration() {
    QString family;
#ifdef TESSALY_HAVE_FONTCONFIG
    // A failure here leaves it to Qt, which tries again and falls back on its own.
    if (!FcInit())
        return family;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=zh-cn"));
    if (!pattern)
        return family;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* name = nullptr;
        FcLangSet* languages = nullptr;
        // The best match may still be a face without Chinese, where none is installed.
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch &&
            FcPatternGetLangSet(match, FC_LANG, 0, &languages) == FcResultMatch &&
            FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>("zh-cn")) == FcLangEqual)
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
#endif
    return family;
}

void UseChineseFace(const QString& family) {
    if (family.isEmpty())
        return;
    QFont::insertSubstitution(kSongTi, family);
    QFont::insertSubstitution(QStringLiteral("MS Shell Dlg"), family);
    QFont font = QApplication::font();
    font.setFamilies({family});
    QApplication::setFont(font);
}

} // namespace tessaly
