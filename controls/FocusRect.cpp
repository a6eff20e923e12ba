// Dotted focus rectangles.
#include "controls/FocusRect.h"

#include <QPaintEngine>
#include <QPolygon>

namespace tessaly {

void DrawDottedFocusRect(QPainter& painter, const QRect& rect) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const int left = rect.left();
    const int top = rect.top();
    const int right = left + rect.width() - 1;
    const int bottom = top + rect.height() - 1;
    // Each border pixel once, so that inverting twice restores the picture.
    QPolygon dots;
    auto dot = [&](int x, int y) {
        if (((x - left) + (y - top)) % 2 == 0)
            dots << QPoint(x, y);
    };
    for (int x = left; x <= right; ++x) {
        dot(x, top);
        if (bottom != top)
            dot(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        dot(left, y);
        if (right != left)
            dot(right, y);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const bool invert =
        painter.paintEngine() && painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    if (invert)
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(invert ? Qt::white : Qt::black, 0));
    painter.drawPoints(dots);
    painter.restore();
}

} // namespace tessaly
