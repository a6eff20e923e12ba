// Helpers of the skinned-button tests: pictures drawn in code, a probe that reads the button's
// fields, and pixel searches.
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

// Reads and sets the protected fields of the button.
class ProbeButton : public CFxButton {
public:
    using CFxButton::CFxButton;
    using CFxButton::m_alternateNormal;
    using CFxButton::m_background;
    using CFxButton::m_bevel;
    using CFxButton::m_bitmaps;
    using CFxButton::m_borderWidth;
    using CFxButton::m_checked;
    using CFxButton::m_clientRect;
    using CFxButton::m_copyUnclipped;
    using CFxButton::m_drawFocus;
    using CFxButton::m_drawFrame;
    using CFxButton::m_drawImage;
    using CFxButton::m_drawText;
    using CFxButton::m_faceName;
    using CFxButton::m_fillBackground;
    using CFxButton::m_focused;
    using CFxButton::m_focusRect;
    using CFxButton::m_fontHeight;
    using CFxButton::m_glyphRect;
    using CFxButton::m_hasBitmap;
    using CFxButton::m_hasImageRegion;
    using CFxButton::m_hasShapeRegion;
    using CFxButton::m_hover;
    using CFxButton::m_imageAlign;
    using CFxButton::m_imageKey;
    using CFxButton::m_imageKeyOn;
    using CFxButton::m_imageRect;
    using CFxButton::m_imageRegion;
    using CFxButton::m_imageShift;
    using CFxButton::m_imageSize;
    using CFxButton::m_imageSurface;
    using CFxButton::m_kind;
    using CFxButton::m_leftText;
    using CFxButton::m_mouseDown;
    using CFxButton::m_pressElsewhere;
    using CFxButton::m_pushLike;
    using CFxButton::m_secondKey;
    using CFxButton::m_shapeKey;
    using CFxButton::m_shapeOn;
    using CFxButton::m_shapeRegion;
    using CFxButton::m_text;
    using CFxButton::m_textColor;
    using CFxButton::m_textFormat;
    using CFxButton::m_textRect;
    using CFxButton::m_textShift;
    using CFxButton::m_tracking;
    using CFxButton::m_windowRegion;
};

// The button drawn through DrawItem onto an image of its size that starts filled with sentinel.
QImage Draw(CFxButton& button, const DrawRequest& request, QColor sentinel = QColor(1, 2, 3));

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
