// The registry of pictures by id, falling back to the program's Qt resources.
#include "controls/BitmapResources.h"

#include <QHash>
#include <QString>

namespace tessaly {
namespace {

QHash<quint16, QImage>& Registry() {
    static QHash<quint16, QImage> registry;
    return registry;
}

DenseBitmapSource g_denseSource = nullptr;

} // namespace

void SetDenseBitmapSource(DenseBitmapSource source) {
    g_denseSource = source;
}

QImage LoadDenseBitmapResource(quint16 id, qreal ratio) {
    if (ratio <= 1 || !g_denseSource || Registry().contains(id))
        return {};
    QImage image = g_denseSource(id, ratio);
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

void RegisterBitmap(quint16 id, const QImage& image) {
    if (image.isNull())
        Registry().remove(id);
    else
        Registry().insert(id, image);
}

QImage LoadBitmapResource(quint16 id) {
    QImage image = Registry().value(id);
    if (image.isNull())
        image = QImage(QStringLiteral(":/res/bitmaps/%1.bmp").arg(id), "BMP");
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace tessaly
