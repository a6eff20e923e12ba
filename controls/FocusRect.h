// The dotted focus rectangle: every other pixel of a one-pixel border, inverted.
#pragma once

#include <QPainter>
#include <QRect>

namespace tessaly {

// Draws the border of rect (exclusive right and bottom edges). Inverts the pixels where the surface
// supports raster operations (drawing it twice removes it), else draws them in black.
void DrawDottedFocusRect(QPainter& painter, const QRect& rect);

} // namespace tessaly
