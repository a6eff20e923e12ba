// Translation of DT_ flag words into Qt's text flags and picture positions.
#include "controls/TextFlags.h"

namespace tessaly {

int QtTextFlags(quint32 format) {
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    // The platform honours vertical placement only for single lines.
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (format & DT_NOCLIP)
        flags |= Qt::TextDontClip;
    return flags;
}

std::optional<QPoint> PlacedOrigin(quint32 code, const QRect& content, const QRect& client, QSize size) {
    const int w = size.width();
    const int h = size.height();
    const int cx = (client.left() + client.left() + client.width()) / 2;
    const int cy = (client.top() + client.top() + client.height()) / 2;
    const int left = content.left();
    const int centre = cx - w / 2;
    const int right = content.left() + content.width() - w;
    const int top = content.top();
    const int middle = cy - h / 2;
    const int bottom = content.top() + content.height() - h;
    switch (code) {
    case 0x20:
        return QPoint(left, top);
    case 0x21:
        return QPoint(centre, top);
    case 0x22:
        return QPoint(right, top);
    case 0x24:
        return QPoint(left, middle);
    case 0x25:
        return QPoint(centre, middle);
    case 0x26:
        return QPoint(right, middle);
    case 0x28:
        return QPoint(left, bottom);
    case 0x29:
        return QPoint(centre, bottom);
    case 0x2A:
        return QPoint(right, bottom);
    default:
        return std::nullopt;
    }
}

} // namespace tessaly
