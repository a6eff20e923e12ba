// The heading both pages paint at their top: a title in "宋体" bold and the rule beside it.
#pragma once

class QPainter;
class QString;

namespace tessaly {

// Draws title with its character cell (ascent and descent, 14 pixels) starting at y = 18, and the
// rule from x = 140 to 499 at y = 30 (end point not drawn). Leaves the painter's pen and font changed.
void DrawPageHeading(QPainter& painter, const QString& title);

} // namespace tessaly
