// Places the web strip at the top of the main window.
#include "app/WebStripHost.h"

#include "res/Resources.h"

#include <QLabel>

namespace tessaly {

QWidget* CreateWebStrip(QWidget* parent, QPoint topLeft) {
    auto* banner = new QLabel(parent);
    const QPixmap picture = QPixmap::fromImage(res::LoadBitmap(res::IDB_BANNER));
    banner->setPixmap(picture);
    banner->setGeometry(QRect(topLeft, picture.size()));
    return banner;
}

} // namespace tessaly
