// Pictures of the skinned button by numeric bitmap id. UI thread.
//
// An id resolves, in this order, to the picture registered for it with RegisterBitmap, or to the
// Qt resource ":/res/bitmaps/<id>.bmp" (where the program's own pictures live). An id that resolves
// to neither loads nothing: LoadBitmapResource returns a null image. Pictures for dense screens
// come from the source the program sets.
#pragma once

#include <QImage>
#include <QtGlobal>

namespace tessaly {

// Makes id stand for image from now on; a null image removes the registration.
void RegisterBitmap(quint16 id, const QImage& image);

// The picture of id as an opaque 32-bit image, or a null image.
QImage LoadBitmapResource(quint16 id);

// Draws picture id for a screen with ratio device pixels per pixel (the image carries the ratio),
// or gives a null image when it cannot.
using DenseBitmapSource = QImage (*)(quint16 id, qreal ratio);
// Where pictures for dense screens come from; none at first (a dense screen then shows the plain
// pictures scaled up). A registered picture is always taken as it is.
void SetDenseBitmapSource(DenseBitmapSource source);

// The picture of id made for ratio device pixels per pixel, as an opaque 32-bit image with that
// device pixel ratio; a null image when there is none for that density.
QImage LoadDenseBitmapResource(quint16 id, qreal ratio);

} // namespace tessaly
