// The pictures the windows and the page buttons rely on: sizes, 24-bit files, the exact magenta
// corners of the tab pictures, no pixel of the button face colour, the icons; and the dialog-unit
// conversion against the pixel positions the main window's layout is drawn for.
#include "controls/FxButton.h"
#include "res/DialogTemplates.h"
#include "res/Pictures.h"
#include "res/Resources.h"

#include <QFile>
#include <QTest>
#include <set>

using namespace tessaly;

class ResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void bitmapsHaveTheirSizesAndDepth() {
        const std::pair<int, QSize> sizes[] = {{129, {778, 550}}, {134, {173, 27}}, {135, {173, 27}},
                                               {136, {173, 27}},  {137, {173, 27}}, {138, {173, 27}},
                                               {139, {173, 27}},  {146, {514, 68}}};
        for (const auto& [id, size] : sizes) {
            QCOMPARE(res::LoadBitmap(id).size(), size);
            QFile file(res::BitmapPath(id));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray header = file.read(30);
            QCOMPARE(header.left(2), QByteArray("BM"));
            QCOMPARE(static_cast<int>(static_cast<unsigned char>(header.at(28))), 24); // bits per pixel
        }
        QVERIFY(res::LoadBitmap(130).isNull());
    }

    void tabPicturesHaveExactlyTheRoundedCorners() {
        std::set<std::pair<int, int>> corners;
        const int cut[4] = {4, 2, 1, 1};
        for (int row = 0; row < 4; ++row) {
            for (int x = 0; x < cut[row]; ++x) {
                corners.insert({x, row});
                corners.insert({x, 26 - row});
            }
        }
        QCOMPARE(corners.size(), std::size_t(16));
        CFxButton probe;
        probe.Attach();
        const QColor face = probe.FaceColor();
        for (int id = res::IDB_DOWNLOAD_PAGE_NORMAL; id <= res::IDB_PLAY_PAGE_HOVER; ++id) {
            const QImage image = res::LoadBitmap(id);
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    QCOMPARE(c == QColor(255, 0, 255), corners.count({x, y}) == 1);
                    QVERIFY2(c != face, qPrintable(QStringLiteral("picture %1 has the face colour").arg(id)));
                }
            }
        }
    }

    void iconsAndStrings() {
        QVERIFY(!res::LoadIcon(res::IDR_MAINFRAME).isNull());
        // 16 pixels, and a picture for each usual screen density.
        const QList<QSize> sizes = {{16, 16}, {20, 20}, {24, 24}, {28, 28}, {32, 32}, {40, 40}, {48, 48}};
        for (int id = res::IDI_TASK_ANALYSING; id <= res::IDI_TASK_RECEIVING; ++id)
            QCOMPARE(res::LoadIcon(id).availableSizes(), sizes);
        QVERIFY(res::LoadIcon(145).isNull());
        QCOMPARE(res::LoadString(res::IDP_SOCKETS_INIT_FAILED), QStringLiteral("Windows 套接字初始化失败。"));
        QVERIFY(res::LoadString(102).isEmpty());
    }

    // The pictures a dense screen gets are drawn by the code that wrote the files: at 1 it gives
    // the files' pixels, at other densities the same picture with more of them.
    void drawnPicturesMatchTheFiles() {
        for (int id : {129, 134, 135, 136, 137, 138, 139, 146}) {
            const QImage file = res::LoadBitmap(id).convertToFormat(QImage::Format_RGB32);
            QCOMPARE(res::DrawPicture(id, 1).convertToFormat(QImage::Format_RGB32), file);
            for (const qreal ratio : {1.25, 1.5, 2.0}) {
                const QImage dense = res::LoadBitmap(id, ratio);
                QCOMPARE(dense.devicePixelRatio(), ratio);
                QCOMPARE(dense.size(), (QSizeF(file.size()) * ratio).toSize());
                // Scaled down to the file's size, it is the file's picture, within blending.
                const QImage down = dense.convertToFormat(QImage::Format_RGB32)
                                        .scaled(file.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                qint64 difference = 0;
                for (int y = 0; y < file.height(); ++y)
                    for (int x = 0; x < file.width(); ++x)
                        difference += qAbs(qGray(down.pixel(x, y)) - qGray(file.pixel(x, y)));
                QVERIFY2(difference < 12LL * file.width() * file.height(),
                         qPrintable(QStringLiteral("%1 at %2").arg(id).arg(ratio)));
            }
        }
        for (int id = res::IDI_TASK_ANALYSING; id <= res::IDI_TASK_RECEIVING; ++id)
            QCOMPARE(res::DrawPicture(id, 1), QImage(QStringLiteral(":/res/icons/%1.png").arg(id), "PNG")
                                                  .convertToFormat(QImage::Format_ARGB32));
    }

    void dialogUnitsRoundAsTheLayoutExpects() {
        using namespace res;
        QCOMPARE(ToPixels(mainwnd::kSize, kSongTi9).size(), QSize(779, 551));
        QCOMPARE(ToPixels(mainwnd::kDownloadPageButton, kSongTi9), QRect(27, 140, 173, 27));
        QCOMPARE(ToPixels(mainwnd::kPlayPageButton, kSongTi9).topLeft(), QPoint(27, 177));
        // Edges are rounded, then sizes taken: 141 + 371 units end at pixel 768, not 212 + 557.
        QCOMPARE(ToPixels(mainwnd::kPageArea, kSongTi9), QRect(212, 92, 556, 448));
        QCOMPARE(ToPixels(mainwnd::kBrowser, kSongTi9), QRect(240, 11, 512, 67));
        QCOMPARE(ToPixels(mainwnd::kBanner, kSongTi9).topLeft(), QPoint(239, 11));
        QCOMPARE(ToPixels(downloader::kSize, kShellDlg8).size(), QSize(540, 440));
    }
};

QTEST_MAIN(ResourcesTest)
#include "tst_resources.moc"
