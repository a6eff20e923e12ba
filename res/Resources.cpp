// Looks up pictures and strings by id.
#include "res/Resources.h"

#include "res/Pictures.h"

#include <QPixmap>

namespace tessaly::res {

QString BitmapPath(int id) {
    return QStringLiteral(":/res/bitmaps/%1.bmp").arg(id);
}

QImage LoadBitmap(int id, qreal ratio) {
    if (ratio > 1)
        return DrawPicture(id, ratio);
    // Named, so no image plugin is asked to guess the format.
    return QImage(BitmapPath(id), "BMP");
}

QIcon LoadIcon(int id) {
    // Named as well: a file icon left to guess its format loads every image plugin to ask them.
    // A missing file gives a null pixmap and so a null icon.
    QIcon icon(QPixmap(QStringLiteral(":/res/icons/%1.png").arg(id), "PNG"));
    if (icon.isNull())
        return icon;
    // An icon picks the picture nearest the size it is drawn at in device pixels.
    for (const qreal ratio : kDenseRatios)
        icon.addPixmap(QPixmap::fromImage(DrawPicture(id, ratio)));
    return icon;
}

QString LoadString(int id) {
    switch (id) {
    case IDS_ABOUTBOX:
        return QStringLiteral("关于 Tessaly(&A)...");
    case IDP_SOCKETS_INIT_FAILED:
        return QStringLiteral("Windows 套接字初始化失败。");
    default:
        return {};
    }
}

} // namespace tessaly::res
