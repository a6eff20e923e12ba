// Caption fonts from logical-font heights.
#include "controls/CaptionFont.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace tessaly {
namespace {

// Far beyond any caption; keeps absurd heights from reaching the font engine.
constexpr qint64 kMaxPixelSize = 4096;

int ClampedPixels(qint64 pixels) {
    return static_cast<int>(std::clamp<qint64>(pixels, 1, kMaxPixelSize));
}

} // namespace

QFont MakeCaptionFont(int height, const QString& faceName) {
    QFont font(faceName.left(kMaxFaceNameLength));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setStyleStrategy(QFont::PreferAntialias);
    if (height < 0) {
        font.setPixelSize(ClampedPixels(-static_cast<qint64>(height)));
    } else if (height > 0) {
        // A cell height: scale the character height by the face's own cell-to-em ratio.
        const int cell = ClampedPixels(height);
        font.setPixelSize(cell);
        const qreal measured = QFontMetricsF(font).height();
        if (measured > 0)
            font.setPixelSize(ClampedPixels(std::lround(cell * qreal(cell) / measured)));
    }
    return font;
}

int LogicalFontHeight(const QFont& font, int dpi) {
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    return -static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
}

} // namespace tessaly
