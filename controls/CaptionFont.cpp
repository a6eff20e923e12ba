// Caption fonts from logical-font heights.
#include "controls/CaptionFont.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace tessaly {
namespace {

// Far beyond any caption; keeps absurd heights from reaching the font engine.
constexpr qint64 kMaxPixelSize = 4096;
// The Chinese faces that stand in for "宋体" here put 880 of the 1000 units of their em box above
// the baseline.
constexpr qreal kEmBoxAscent = 0.88;

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
        // A cell height: scale the character height by the face's own cell-to-em ratio. That of
        // "宋体" is one, and stays so whichever face stands in for it here.
        const int cell = ClampedPixels(height);
        font.setPixelSize(cell);
        if (faceName == kSongTi)
            return font;
        const qreal measured = QFontMetricsF(font).height();
        if (measured > 0)
            font.setPixelSize(ClampedPixels(std::lround(cell * qreal(cell) / measured)));
    }
    return font;
}

qreal CellAscent(const QFont& font) {
    if (font.family() == kSongTi && font.pixelSize() > 0)
        return font.pixelSize() * kEmBoxAscent;
    return QFontMetricsF(font).ascent();
}

int LogicalFontHeight(const QFont& font, int dpi) {
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    return -static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
}

} // namespace tessaly
