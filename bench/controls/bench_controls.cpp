// Times the skinned button's region scan, its set-up and one draw of a page button (173 x 27),
// on the offscreen platform. Prints the median of many runs of each.
#include "controls/BitmapResources.h"
#include "controls/FxButton.h"
#include "controls/RegionFromBitmap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tessaly;

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

QImage PagePicture(QColor body) {
    QImage picture(173, 27, QImage::Format_RGB32);
    picture.fill(body);
    const int widths[] = {4, 2, 1, 1};
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < widths[row]; ++x) {
            picture.setPixel(x, row, kMagenta);
            picture.setPixel(x, 26 - row, kMagenta);
        }
    return picture;
}

double MedianMicros(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

void SetUp(CFxButton& button) {
    const QColor face = button.FaceColor();
    button.LoadStateBitmaps(134, 134, 136, 135);
    button.SetImageKeyColors(QColor(kMagenta), face, face, face);
    button.SetShapeKeyColors(QColor(kMagenta), face, face, face);
    button.SetBorderWidth(0, 0, 0, 0);
    button.SetImageAlign(0x21, 0x21, 0x21, 0x21);
    button.SetCopyUnclipped(false);
    button.ApplySkin(0x10, 0);
    button.SetStateFaceNames(QStringLiteral("宋体"), true, {}, {}, {});
    button.SetStateTexts(QStringLiteral("视频下载"), true, {}, {}, {});
    button.SetFontHeight(13, 13, 13, 13);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterBitmap(134, PagePicture(QColor(200, 220, 240)));
    RegisterBitmap(135, PagePicture(QColor(120, 150, 190)));
    RegisterBitmap(136, PagePicture(QColor(250, 220, 150)));

    const QImage picture = PagePicture(Qt::white);
    const double scan =
        MedianMicros(2000, [&] { RegionFromBitmap(picture, 173, 27, kMagenta, qRgb(240, 240, 240)); });

    const double setUp = MedianMicros(500, [] {
        CFxButton button(QStringLiteral("x"));
        button.resize(173, 27);
        button.Attach();
        SetUp(button);
    });

    CFxButton button(QStringLiteral("x"));
    button.resize(173, 27);
    button.Attach();
    SetUp(button);
    QImage target(173, 27, QImage::Format_RGB32);
    const double draw = MedianMicros(2000, [&] {
        QPainter painter(&target);
        button.DrawItem(painter, DrawRequest{});
    });

    std::printf("RegionFromBitmap, 173 x 27 page picture: %.1f us\n", scan);
    std::printf("Attach + configuration + ApplySkin of a page button: %.1f us\n", setUp);
    std::printf("DrawItem of the Normal state with caption: %.1f us\n", draw);
    return 0;
}
