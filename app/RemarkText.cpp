// Multi-line text drawing with carriage returns as the only line breaks.
#include "app/RemarkText.h"

#include <QPainter>
#include <QRect>

namespace tessaly {

void DrawCrText(QPainter& painter, const QRect& r, const QString& text, int lineStep) {
    painter.save();
    painter.setClipRect(r, Qt::IntersectClip);
    int top = r.top();
    for (const QString& line : text.split(QLatin1Char('\r'))) {
        if (top >= r.bottom())
            break;
        painter.drawText(QRect(r.left(), top, r.width(), lineStep),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
        top += lineStep;
    }
    painter.restore();
}

} // namespace tessaly
