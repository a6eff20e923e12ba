// The pages' shared heading.
#include "controls/PageHeading.h"

#include "controls/CaptionFont.h"

#include <QFont>
#include <QPainter>
#include <QString>

namespace tessaly {

void DrawPageHeading(QPainter& painter, const QString& title) {
    QFont font = MakeCaptionFont(14, kSongTi);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    painter.setFont(font);
    painter.setPen(QColor(12, 62, 113));
    // The text's cell starts at y = 18.
    const QPointF baseline(10, 18 + CellAscent(font));
    // Weight 700: the face has no bold of its own where it comes from, and its bold is made there by
    // widening every stroke and every advance by one pixel. Overstriking the regular face, one
    // pixel further apart, does the same, and no bold face is loaded (a Chinese one maps megabytes
    // of tables).
    painter.drawText(baseline, title);
    painter.drawText(baseline + QPointF(1, 0), title);
    // One device pixel wide at any scale.
    painter.setPen(QPen(QColor(24, 141, 220), 0));
    painter.drawLine(140, 30, 499, 30);
}

} // namespace tessaly
