// Helpers of the skinned-button tests.
#include "ControlsTestSupport.h"

#include "controls/BitmapResources.h"

#include <QPainter>

namespace tessaly::test {

QList<QPoint> MagentaCornerPixels(QSize size) {
    const int last = size.height() - 1;
    const int widths[] = {4, 2, 1, 1};
    QList<QPoint> pixels;
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < widths[row]; ++x) {
            pixels << QPoint(x, row);
            pixels << QPoint(x, last - row);
        }
    }
    return pixels;
}

QImage PageButtonPicture(QColor body, QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(body);
    for (const QPoint& p : MagentaCornerPixels(size))
        picture.setPixel(p, kMagenta);
    return picture;
}

void RegisterPicture(quint16 id, const QImage& picture) {
    RegisterBitmap(id, picture);
}

QImage Draw(CFxButton& button, const DrawRequest& request, QColor sentinel) {
    QImage image(button.size(), QImage::Format_RGB32);
    image.fill(sentinel);
    QPainter painter(&image);
    button.DrawItem(painter, request);
    return image;
}

} // namespace tessaly::test
