// The program's pictures (window skin, page-button tabs, banner, icons), drawn by the program
// itself: res/generator writes them for plain screens into res/, and the windows draw them afresh
// for denser screens, so that the skin is as sharp as the text beside it.
#pragma once

#include <QImage>

namespace tessaly::res {

// Picture id (bitmaps 129, 134-139 and 146, icons 128 and 140-144) for a screen with scale device
// pixels per pixel: an image of the picture's size times scale, with that device pixel ratio.
// Bitmaps are opaque, icons have alpha. A null image for an unknown id.
QImage DrawPicture(int id, qreal scale);

// The program's mark as a size x size icon, drawn at that size.
QImage DrawMark(int size);

} // namespace tessaly::res
