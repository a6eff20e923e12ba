// Regions cut out of pictures: the union of one-pixel-high runs of pixels that are neither of two
// transparent colours.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QRgb>
#include <vector>

namespace tessaly {

// The runs of opaque pixels of the width x height top-left part of pixels (clamped to the picture),
// rows from the bottom up, runs left to right, one rectangle per run. Colours compare as exact
// 24-bit RGB. The list's storage grows in steps of 40 rectangles.
std::vector<QRect> OpaqueRuns(const QImage& pixels, int width, int height, QRgb key, QRgb secondKey);

// The region made of the OpaqueRuns; empty when every pixel is transparent.
QRegion RegionFromBitmap(const QImage& pixels, int width, int height, QRgb key, QRgb secondKey);

} // namespace tessaly
