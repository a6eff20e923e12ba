// Multi-line text drawing with carriage returns as the only line breaks.
#include "app/RemarkText.h"

#include "controls/CaptionFont.h"

#include <QPainter>
#include <QRect>

namespace tessaly {

void DrawCrText(QPainter& painter, const QRect& r, const QString& text, int lineStep) {
    painter.save();
    painter.setClipRect(r, Qt::IntersectClip);
    // Every line's baseline lies one cell ascent of the painter's font below the line's top,
    // whatever fallback font draws its characters: lines keep one step apart and none is cut at
    // its foot.
    const qreal ascent = CellAscent(painter.font());
    int top = r.top();
    for (const QString& line : text.split(QLatin1Char('\r'))) {
        if (top > r.bottom())
            break;
        painter.drawText(QPointF(r.left(), top + ascent), line);
        top += lineStep;
    }
    painter.restore();
}

} // namespace tessaly
