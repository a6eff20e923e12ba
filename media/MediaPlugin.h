// The narrow seam between the program and its media module (libtessaly_media.so): the player
// page and the page's tone live there, so the program links neither Qt Quick nor Qt Multimedia and
// pays for them only when the player page is first shown or the first tone is played.
#pragma once

#include <QtPlugin>

class QWidget;

namespace tessaly {

class AppSettings;

// The module's root object implements this. UI thread only.
class MediaFactory {
public:
    virtual ~MediaFactory() = default;
    // The player page, child of parent, hidden; it reads the program's settings, which the module's
    // own copy of appSettings() is not.
    virtual QWidget* CreatePlayerPage(QWidget* parent, AppSettings& settings) = 0;
    // Plays a sine tone of hz for ms milliseconds without blocking.
    virtual void PlayTone(int hz, int ms) = 0;
};

} // namespace tessaly

#define TessalyMediaFactory_iid "org.tessaly.MediaFactory/1"
Q_DECLARE_INTERFACE(tessaly::MediaFactory, TessalyMediaFactory_iid)
