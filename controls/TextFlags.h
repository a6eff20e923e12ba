// Text-drawing flag words (the platform's DT_ bits) as Qt text flags, and the picture placement
// codes made of the same bits.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <optional>

namespace tessaly {

constexpr quint32 DT_CENTER = 0x01;
constexpr quint32 DT_RIGHT = 0x02;
constexpr quint32 DT_VCENTER = 0x04;
constexpr quint32 DT_BOTTOM = 0x08;
constexpr quint32 DT_WORDBREAK = 0x10;
constexpr quint32 DT_SINGLELINE = 0x20;
constexpr quint32 DT_NOCLIP = 0x100;
constexpr quint32 DT_NOPREFIX = 0x800;

// Qt alignment and text flags for QPainter::drawText with the given DT_ word.
int QtTextFlags(quint32 format);

// Where a picture of size goes for placement code (0x20-0x2A without 0x23/0x27): left/right/top/bottom
// against content, centred on the client rectangle's centre (halves rounded toward zero). Rectangles
// are used with exclusive right and bottom edges. Any other code leaves the picture where it is.
std::optional<QPoint> PlacedOrigin(quint32 code, const QRect& content, const QRect& client, QSize size);

} // namespace tessaly
