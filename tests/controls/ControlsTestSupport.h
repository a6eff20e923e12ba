// Helpers of the skinned-button tests: pictures drawn in code, a button whose hover can be set,
// and pixel searches.
#pragma once

#include "controls/FxButton.h"

#include <QColor>
#include <QImage>
#include <QRect>

namespace tessaly::test {

constexpr QRgb kMagenta = 0xFFFF00FF;

// A picture of size filled with body whose two left corners are magenta, as the page buttons'
// pictures are: 4, 2, 1 and 1 pixels on the four rows nearest each corner (16 pixels in all).
QImage PageButtonPicture(QColor body, QSize size = QSize(173, 27));
// The 16 corner pixels of PageButtonPicture for a picture of size.
QList<QPoint> MagentaCornerPixels(QSize size = QSize(173, 27));

// Registers picture under id (replacing what was there).
void RegisterPicture(quint16 id, const QImage& picture);

// A button whose hover can be set: hover is the one state a draw request cannot ask for, as it
// comes from the pointer, and the drawing tests draw without a window.
class HoverButton : public CFxButton {
public:
    using CFxButton::CFxButton;
    using CFxButton::m_hover;
};

// The button drawn through DrawItem onto an image of its size that starts filled with sentinel.
QImage Draw(CFxButton& button, const DrawRequest& request, QColor sentinel = QColor(1, 2, 3));

// Pixel matches for BoxOf: pixels of colour, and pixels of any other colour.
inline auto Is(QColor colour) {
    return [rgb = colour.rgb()](QRgb pixel) { return pixel == rgb; };
}
inline auto Not(QColor colour) {
    return [rgb = colour.rgb()](QRgb pixel) { return pixel != rgb; };
}

// The bounding box of the pixels for which match holds; empty when none does.
template <typename Match> QRect BoxOf(const QImage& image, Match match) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace tessaly::test
