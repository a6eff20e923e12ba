// Loads the media module with QPluginLoader and hands its factory the program's settings.
#include "media/MediaLoader.h"

#include "app/ModuleBesideProgram.h"
#include "app/settings/AppSettings.h"
#include "media/MediaPlugin.h"

#include <QApplication>
#include <QPluginLoader>
#include <QWidget>

namespace tessaly {
namespace {

// The factory, or null when the module cannot be loaded; tried once.
MediaFactory* Factory() {
    static MediaFactory* const factory = [] {
        // The loader object may go; the module it loaded stays, as no unload() is called.
        QPluginLoader loader(ModuleBesideProgram(kMediaModuleFileName));
        auto* loaded = qobject_cast<MediaFactory*>(loader.instance());
        if (loaded == nullptr)
            qWarning("Tessaly: no player page and no tone: %s", qUtf8Printable(loader.errorString()));
        return loaded;
    }();
    return factory;
}

} // namespace

QWidget* CreatePlayerPage(QWidget* parent) {
    if (MediaFactory* factory = Factory())
        return factory->CreatePlayerPage(parent, appSettings());
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
