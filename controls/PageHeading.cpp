// The pages' shared heading.
#include "controls/PageHeading.h"

#include "controls/CaptionFont.h"

#include <QFont>
#include <QPainter>
#include <QString>

namespace tessaly {

void DrawPageHeading(QPainter& painter, const QString& title) {
    QFont font = MakeCaptionFont(14, QStringLiteral("宋体"));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(12, 62, 113));
    // The text's cell starts at y = 18; its baseline lies one ascent lower.
    painter.drawText(QPoint(10, 18 + painter.fontMetrics().ascent()), title);
    painter.setPen(QPen(QColor(24, 141, 220), 1));
    painter.drawLine(140, 30, 499, 30);
}

} // namespace tessaly
