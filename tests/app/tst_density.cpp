// The main window on a dense screen (QT_SCALE_FACTOR set by the test's entry): the skin's pictures
// are the ones made for that density, pixel for pixel, and the task list's frame is there.
#include "AppTestSupport.h"
#include "app/CorvaneDlg.h"
#include "app/FontConfiguration.h"
#include "app/webstrip/WebStrip.h"
#include "download/page/DownloaderDlg.h"
#include "download/page/TaskListView.h"
#include "res/Pictures.h"
#include "res/Resources.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <cmath>
#include <memory>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// The part of a device-pixel image with the ratio forgotten, so that pixels alone compare.
QImage Pixels(const QImage& image, const QRect& rect = {}) {
    QImage part = (rect.isNull() ? image : image.copy(rect)).convertToFormat(QImage::Format_RGB32);
    part.setDevicePixelRatio(1);
    return part;
}

// Whether some pixel of the device-pixel rectangle is as dark as a frame line.
bool HasLine(const QImage& image, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                return true;
    return false;
}

} // namespace

class DensityTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ScratchStartDir> m_start;
    std::unique_ptr<CorvaneDlg> m_dlg;
    qreal m_ratio = 1;

private slots:
    void initTestCase() {
        UseChineseFace(LoadFontConfiguration());
        m_start = std::make_unique<ScratchStartDir>();
        m_dlg = std::make_unique<CorvaneDlg>();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_ratio = m_dlg->devicePixelRatioF();
        QVERIFY2(m_ratio > 1, "run with QT_SCALE_FACTOR above 1");
    }
    void cleanupTestCase() {
        m_dlg.reset();
        m_start.reset();
    }

    // At a whole ratio every picture pixel lands on a device pixel: the banner and the hidden page's
    // tab are the pictures drawn for the ratio, not the plain ones scaled up.
    void skinPicturesAreMadeForTheDensity() {
        if (m_ratio != std::floor(m_ratio))
            QSKIP("pictures lie on whole device pixels only at a whole ratio");
        const int r = static_cast<int>(m_ratio);
        const QImage shot = m_dlg->grab().toImage();

        QLabel* banner = static_cast<WebStrip*>(m_dlg->webStrip())->banner();
        const QImage bannerPicture = res::DrawPicture(res::IDB_BANNER, m_ratio);
        const QPoint bannerAt = banner->mapTo(m_dlg.get(), QPoint(0, 0)) * r;
        QCOMPARE(Pixels(shot, QRect(bannerAt, bannerPicture.size())), Pixels(bannerPicture));

        // The tab's picture lies one pixel down in the button; left of the caption, away from the
        // cut corners, the button shows nothing else.
        QAbstractButton* play = m_dlg->playPageButton();
        const QRect glyph(6, 3, 34, 21);
        const QImage tab = res::DrawPicture(res::IDB_PLAY_PAGE_DISABLED, m_ratio);
        const QPoint buttonAt = play->mapTo(m_dlg.get(), QPoint(0, 0));
        QCOMPARE(Pixels(shot, QRect((buttonAt + glyph.topLeft()) * r, glyph.size() * r)),
                 Pixels(tab, QRect((glyph.topLeft() - QPoint(0, 1)) * r, glyph.size() * r)));
    }

    // Drawing the pictures for the density brings no bold face in, as on a plain screen.
    void noBoldFaceIsLoaded() { QCOMPARE(MappedBoldFaces(), QStringList()); }

    // The list's frame shows on all four sides, at whatever ratio.
    void taskListFrameIsVisible() {
        TaskListView* list = m_dlg->downloadPage()->taskList();
        const QImage shot = m_dlg->grab().toImage();
        const QRectF area = QRectF(QRect(list->mapTo(m_dlg.get(), QPoint(0, 0)), list->size()));
        const QRect device = QRectF(area.topLeft() * m_ratio, area.size() * m_ratio).toAlignedRect();
        const int middleY = device.center().y();
        const int middleX = device.center().x();
        QVERIFY(HasLine(shot, QRect(device.left(), middleY - 5, 2, 10)));
        QVERIFY(HasLine(shot, QRect(device.right() - 1, middleY - 5, 2, 10)));
        QVERIFY(HasLine(shot, QRect(middleX - 5, device.bottom() - 1, 10, 2)));
        QVERIFY(HasLine(shot, QRect(middleX - 5, device.top(), 10, 2)));
    }
};

QTEST_MAIN(DensityTest)
#include "tst_density.moc"
