// The media module's root object: makes player pages and plays tones for the program.
#include "media/MediaPlugin.h"
#include "player/VideoPlayDlg.h"
#include "player/module/Tone.h"
#include "settings/AppSettings.h"

#include <QObject>

namespace tessaly {

class MediaModule : public QObject, public MediaFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TessalyMediaFactory_iid)
    Q_INTERFACES(tessaly::MediaFactory)

public:
    QWidget* CreatePlayerPage(QWidget* parent) override { return new VideoPlayDlg(appSettings(), parent); }
    void PlayTone(int hz, int ms) override { tessaly::PlayTone(hz, ms); }
};

} // namespace tessaly

#include "MediaModule.moc"
