// Configures the main window's page buttons.
#include "app/PageButtons.h"

#include <QPushButton>
#include <QVariant>

namespace tessaly {

QAbstractButton* CreatePageButton(QWidget* parent, PageButton which, const QRect& rect) {
    auto* button = new QPushButton(which == PageButton::Download ? QStringLiteral("视频下载") : QStringLiteral("视频播放"), parent);
    button->setGeometry(rect);
    return button;
}

void SetAlternateNormal(QAbstractButton* button, bool on) {
    button->setProperty("alternateNormal", on);
    button->update();
}

bool AlternateNormal(const QAbstractButton* button) { return button->property("alternateNormal").toBool(); }

} // namespace tessaly
