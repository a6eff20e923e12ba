// Loads the media module the first time it is wanted.
#include "media/MediaLoader.h"

#include "media/MediaPlugin.h"
#include "ui/LoadModule.h"
#include "ui/ProgramFolders.h"

#include <QApplication>
#include <QWidget>

namespace tessaly {
namespace {

// The factory, or null when the module cannot be loaded; tried once.
MediaFactory* Factory() {
    static MediaFactory* const factory = [] {
        QString error;
        auto* loaded = LoadModule<MediaFactory>(ProgramModule(kMediaModuleFileName), &error);
        if (loaded == nullptr)
            qWarning("Tessaly: no player page and no tone: %s", qUtf8Printable(error));
        return loaded;
    }();
    return factory;
}

} // namespace

QWidget* CreatePlayerPage(QWidget* parent) {
    if (MediaFactory* factory = Factory())
        return factory->CreatePlayerPage(parent);
    auto* empty = new QWidget(parent);
    empty->hide();
    return empty;
}

void Beep(int hz, int ms) {
    if (MediaFactory* factory = Factory())
        factory->PlayTone(hz, ms);
    else
        QApplication::beep();
}

} // namespace tessaly
