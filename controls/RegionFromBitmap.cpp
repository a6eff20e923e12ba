// Scan of a picture for its opaque runs.
#include "controls/RegionFromBitmap.h"

#include <algorithm>

namespace tessaly {
namespace {

constexpr std::size_t kRunStep = 40;

void Append(std::vector<QRect>& runs, const QRect& run) {
    if (runs.size() == runs.capacity())
        runs.reserve(runs.capacity() + kRunStep);
    runs.push_back(run);
}

} // namespace

std::vector<QRect> OpaqueRuns(const QImage& pixels, int width, int height, QRgb key, QRgb secondKey) {
    std::vector<QRect> runs;
    runs.reserve(kRunStep);
    width = std::min(width, pixels.width());
    height = std::min(height, pixels.height());
    if (width <= 0 || height <= 0)
        return runs;
    const QImage rgb = pixels.convertToFormat(QImage::Format_RGB32);
    key &= RGB_MASK;
    secondKey &= RGB_MASK;
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        int start = -1;
        for (int x = 0; x < width; ++x) {
            const QRgb colour = line[x] & RGB_MASK;
            const bool opaque = colour != key && colour != secondKey;
            if (opaque && start < 0) {
                start = x;
            } else if (!opaque && start >= 0) {
                Append(runs, QRect(start, y, x - start, 1));
                start = -1;
            }
        }
        if (start >= 0)
            Append(runs, QRect(start, y, width - start, 1));
    }
    return runs;
}

QRegion RegionFromBitmap(const QImage& pixels, int width, int height, QRgb key, QRgb secondKey) {
    QRegion region;
    for (const QRect& run : OpaqueRuns(pixels, width, height, key, secondKey))
        region += run;
    return region;
}

} // namespace tessaly
