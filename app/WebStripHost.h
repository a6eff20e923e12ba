// Places the web strip (banner 146, later the advertisement page) at the top of the main window.
#pragma once

#include <QPoint>

class QWidget;

namespace tessaly {

// The strip as a shown child of parent with its top-left corner at topLeft.
QWidget* CreateWebStrip(QWidget* parent, QPoint topLeft);

} // namespace tessaly
