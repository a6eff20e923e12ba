// YUV 4:2:0 to RGB by the BT.601 or BT.709 matrix, in the frame's range; packed RGB as it is.
#include "player/FrameImage.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tessaly {
namespace {

// Fixed-point (16 fraction bits) coefficients of one matrix and range.
struct Matrix {
    int yScale, yOffset, crToR, cbToG, crToG, cbToB;
};

Matrix MatrixFor(const QVideoFrameFormat& format) {
    // Without a stated colour space, pictures of HD size are taken as BT.709, smaller ones as
    // BT.601, as players commonly do.
    const bool bt709 =
        format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709 ||
        (format.colorSpace() == QVideoFrameFormat::ColorSpace_Undefined && format.frameHeight() >= 720);
    if (format.colorRange() == QVideoFrameFormat::ColorRange_Full)
        return bt709 ? Matrix{65536, 0, 103206, 12276, 30679, 121609}
                     : Matrix{65536, 0, 91881, 22554, 46802, 116130};
    return bt709 ? Matrix{76309, 16, 117489, 13975, 34925, 138438}
                 : Matrix{76309, 16, 104597, 25675, 53279, 132201};
}

inline uint32_t Pixel(const Matrix& m, int y, int cb, int cr) {
    const int luma = (y - m.yOffset) * m.yScale + (1 << 15);
    cb -= 128;
    cr -= 128;
    const int r = std::clamp((luma + m.crToR * cr) >> 16, 0, 255);
    const int g = std::clamp((luma - m.cbToG * cb - m.crToG * cr) >> 16, 0, 255);
    const int b = std::clamp((luma + m.cbToB * cb) >> 16, 0, 255);
    return 0xff000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// Chroma planes or one interleaved plane: cb and cr of column x are at cb[x * step], cr[x * step].
QImage Convert420(const QVideoFrame& frame, QImage image, const uchar* cbPlane, const uchar* crPlane,
                  int chromaStride, int step) {
    const Matrix m = MatrixFor(frame.surfaceFormat());
    if (image.size() != frame.size() || image.format() != QImage::Format_RGB32)
        image = QImage(frame.size(), QImage::Format_RGB32);
    for (int row = 0; row < image.height(); ++row) {
        const uchar* luma = frame.bits(0) + row * frame.bytesPerLine(0);
        const uchar* cb = cbPlane + (row / 2) * chromaStride;
        const uchar* cr = crPlane + (row / 2) * chromaStride;
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(row));
        for (int x = 0; x < image.width(); ++x)
            out[x] = Pixel(m, luma[x], cb[(x / 2) * step], cr[(x / 2) * step]);
    }
    return image;
}

} // namespace

QImage FrameImage(const QVideoFrame& frame, QImage reuse) {
    QVideoFrame mapped = frame;
    if (!mapped.isValid() || !mapped.map(QVideoFrame::ReadOnly))
        return {};
    QImage image;
    switch (mapped.pixelFormat()) {
    case QVideoFrameFormat::Format_YUV420P:
        image =
            Convert420(mapped, std::move(reuse), mapped.bits(1), mapped.bits(2), mapped.bytesPerLine(1), 1);
        break;
    case QVideoFrameFormat::Format_YV12:
        image =
            Convert420(mapped, std::move(reuse), mapped.bits(2), mapped.bits(1), mapped.bytesPerLine(1), 1);
        break;
    case QVideoFrameFormat::Format_NV12:
        image = Convert420(mapped, std::move(reuse), mapped.bits(1), mapped.bits(1) + 1,
                           mapped.bytesPerLine(1), 2);
        break;
    case QVideoFrameFormat::Format_NV21:
        image = Convert420(mapped, std::move(reuse), mapped.bits(1) + 1, mapped.bits(1),
                           mapped.bytesPerLine(1), 2);
        break;
    default: {
        const QImage::Format format = QVideoFrameFormat::imageFormatFromPixelFormat(mapped.pixelFormat());
        if (format != QImage::Format_Invalid)
            image = QImage(mapped.bits(0), mapped.width(), mapped.height(), mapped.bytesPerLine(0), format)
                        .copy();
    }
    }
    mapped.unmap();
    return image;
}

} // namespace tessaly
