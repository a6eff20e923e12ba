// The narrow seam between the program and its media module (libtessaly_media.so): the player
// page and the page's tone live there, so the program links neither Qt Quick nor Qt Multimedia and
// pays for them only when the player page is first shown or the first tone is played.
#pragma once

#include <QtPlugin>

class QWidget;

namespace tessaly {

// The module's root object implements this. UI thread only.
class MediaFactory {
public:
    virtual ~MediaFactory() = default;
    // The player page, child of parent, hidden; it reads the program's settings (appSettings()).
    virtual QWidget* CreatePlayerPage(QWidget* parent) = 0;
    // Plays a sine tone of hz for ms milliseconds without blocking.
    virtual void PlayTone(int hz, int ms) = 0;
};

} // namespace tessaly

#define TessalyMediaFactory_iid "org.tessaly.MediaFactory/2"
Q_DECLARE_INTERFACE(tessaly::MediaFactory, TessalyMediaFactory_iid)
