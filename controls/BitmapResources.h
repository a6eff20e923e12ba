// Pictures of the skinned button by numeric bitmap id. UI thread.
//
// An id resolves, in this order, to the picture registered for it with RegisterBitmap, or to the
// Qt resource ":/res/bitmaps/<id>.bmp" (where the program's own pictures live). An id that resolves
// to neither loads nothing: LoadBitmapResource returns a null image.
#pragma once

#include <QImage>
#include <QtGlobal>

namespace tessaly {

// Makes id stand for image from now on; a null image removes the registration.
void RegisterBitmap(quint16 id, const QImage& image);

// The picture of id as an opaque 32-bit image, or a null image.
QImage LoadBitmapResource(quint16 id);

} // namespace tessaly
