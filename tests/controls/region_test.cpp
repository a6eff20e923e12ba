// Regions cut out of pictures: the run scan, the per-state regions with their sharing, and the
// window outline they give the button.
#define QTEST_QPA_MOUSE_HANDLING
#include "ControlsTestSupport.h"
#include "controls/RegionFromBitmap.h"

#include <QSignalSpy>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;

namespace {

const QRgb kFace = qRgb(0xF0, 0xF0, 0xF0);
const QRgb kBody = qRgb(40, 90, 160);

long long PixelCount(const QRegion& region) {
    long long count = 0;
    for (const QRect& r : region)
        count += static_cast<long long>(r.width()) * r.height();
    return count;
}

// A one-row picture: 'o' opaque, '.' key colour, 's' the second key colour.
QImage RowPicture(const char* row) {
    const int width = static_cast<int>(qstrlen(row));
    QImage picture(width, 2, QImage::Format_RGB32);
    picture.fill(kBody);
    for (int x = 0; x < width; ++x) {
        if (row[x] == '.')
            picture.setPixel(x, 0, kMagenta);
        else if (row[x] == 's')
            picture.setPixel(x, 0, kFace);
    }
    return picture;
}

} // namespace

class RegionTest : public QObject {
    Q_OBJECT

private slots:
    void pageButtonPictureGivesOneRunPerRowBottomUp() {
        const QImage picture = PageButtonPicture(QColor(kBody));
        const std::vector<QRect> runs = OpaqueRuns(picture, 173, 27, kMagenta, kFace);
        QCOMPARE(runs.size(), std::size_t(27));
        QCOMPARE(runs.front(), QRect(QPoint(4, 26), QPoint(172, 26)));
        QCOMPARE(runs[1], QRect(QPoint(2, 25), QPoint(172, 25)));
        QCOMPARE(runs[2], QRect(QPoint(1, 24), QPoint(172, 24)));
        QCOMPARE(runs[13], QRect(QPoint(0, 13), QPoint(172, 13)));
        QCOMPARE(runs.back(), QRect(QPoint(4, 0), QPoint(172, 0)));

        const QRegion region = RegionFromBitmap(picture, 173, 27, kMagenta, kFace);
        QCOMPARE(PixelCount(region), 173LL * 27 - 16);
        for (const QPoint& p : MagentaCornerPixels())
            QVERIFY2(!region.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        QVERIFY(region.contains(QPoint(172, 0)) && region.contains(QPoint(4, 26)) &&
                region.contains(QPoint(0, 4)));
    }

    void rowEnds_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QList<QRect>>("runs");
        QTest::newRow("only the last pixel") << "....o" << QList<QRect>{QRect(4, 0, 1, 1)};
        QTest::newRow("run stops before a transparent last pixel")
            << ".ooo." << QList<QRect>{QRect(1, 0, 3, 1)};
        QTest::newRow("opaque from the first pixel to the end") << "ooooo" << QList<QRect>{QRect(0, 0, 5, 1)};
        QTest::newRow("second key colour cuts like the key")
            << "oosoo" << QList<QRect>{QRect(0, 0, 2, 1), QRect(3, 0, 2, 1)};
        QTest::newRow("all transparent") << ".s.s." << QList<QRect>{};
    }

    void rowEnds() {
        QFETCH(QString, row);
        QFETCH(QList<QRect>, runs);
        // Row 1 of the picture is fully opaque and scanned first; row 0 follows without continuing it.
        const QImage picture = RowPicture(row.toLatin1().constData());
        const std::vector<QRect> found = OpaqueRuns(picture, picture.width(), 2, kMagenta, kFace);
        QCOMPARE(QList<QRect>(found.begin() + 1, found.end()), runs);
        QCOMPARE(found.front(), QRect(0, 1, picture.width(), 1));
    }

    void checkerboardRowKeepsEveryRun() {
        // 51 runs: more than the list first holds.
        QImage picture(101, 1, QImage::Format_RGB32);
        for (int x = 0; x < 101; ++x)
            picture.setPixel(x, 0, x % 2 ? kMagenta : kBody);
        const std::vector<QRect> runs = OpaqueRuns(picture, 101, 1, kMagenta, kFace);
        QCOMPARE(runs.size(), std::size_t(51));
        QCOMPARE(runs.back(), QRect(100, 0, 1, 1));
        const QRegion region = RegionFromBitmap(picture, 101, 1, kMagenta, kFace);
        QCOMPARE(PixelCount(region), 51LL);
        QVERIFY(region.contains(QPoint(100, 0)) && !region.contains(QPoint(99, 0)));
    }

    void degenerateSizesGiveEmptyRegions() {
        const QImage picture = PageButtonPicture(QColor(kBody), QSize(8, 8));
        QVERIFY(RegionFromBitmap(QImage(), 10, 10, kMagenta, kFace).isEmpty());
        QVERIFY(RegionFromBitmap(picture, 0, 8, kMagenta, kFace).isEmpty());
        QVERIFY(RegionFromBitmap(picture, 8, -3, kMagenta, kFace).isEmpty());
        // A size beyond the picture reads only the picture.
        QCOMPARE(PixelCount(RegionFromBitmap(picture, 500, 500, kMagenta, kFace)), 64LL - 16);
    }

    // Each state gives the window its own picture's outline, one pixel down in a page button;
    // the hovered state's hole shows only while the pointer is over the button.
    void eachStateHasItsPicturesOutline() {
        RegisterPicture(901, PageButtonPicture(QColor(kBody)));
        QImage hover = PageButtonPicture(QColor(kBody));
        hover.setPixel(100, 13, kMagenta);
        RegisterPicture(902, hover);
        RegisterPicture(903, PageButtonPicture(QColor(90, 90, 90)));

        QWidget window;
        window.resize(300, 100);
        CFxButton button(&window);
        button.setGeometry(50, 20, 173, 27);
        button.Attach();
        button.LoadStateBitmaps(901, 901, 902, 903);
        const QColor magenta(kMagenta);
        button.SetImageKeyColors(magenta, button.FaceColor(), button.FaceColor(), button.FaceColor());
        button.SetShapeKeyColors(magenta, button.FaceColor(), button.FaceColor(), button.FaceColor());
        button.SetBorderWidth(0, 0, 0, 0);
        button.SetImageAlign(0x21, 0x21, 0x21, 0x21);
        button.ApplySkin(kFeatureNoFocus, 0);

        // Normal, Pressed (its picture) and Disabled (other colours, the same outline).
        QRegion normal;
        for (const DrawRequest& request : {DrawRequest{}, DrawRequest{true}, DrawRequest{false, true}}) {
            Draw(button, request);
            QVERIFY(!button.mask().contains(QPoint(10, 0)));
            QVERIFY(!button.mask().contains(QPoint(3, 1)));
            QVERIFY(button.mask().contains(QPoint(4, 1)));
            QVERIFY(button.mask().contains(QPoint(100, 14)));
            if (normal.isEmpty())
                normal = button.mask();
            QCOMPARE(button.mask(), normal);
        }

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseMove(window.windowHandle(), QPoint(50 + 20, 20 + 10));
        QTRY_COMPARE(button.currentState(), ButtonState::Hover);
        QVERIFY(!button.mask().contains(QPoint(100, 14)));
        QVERIFY(button.mask().contains(QPoint(99, 14)) && button.mask().contains(QPoint(4, 1)));
    }

    void outlineFollowsTheShownState() {
        RegisterPicture(911, PageButtonPicture(QColor(kBody)));
        CFxButton button;
        button.resize(173, 27);
        button.Attach();
        button.LoadStateBitmaps(911, 911, 911, 0xFFFF);
        button.SetShapeKeyColors(QColor(kMagenta), button.FaceColor(), button.FaceColor(),
                                 button.FaceColor());
        button.SetBorderWidth(-1, -1, -1, -1);
        button.ApplySkin(kFeatureUnchanged, 0);

        Draw(button, DrawRequest{});
        QCOMPARE(button.mask(), RegionFromBitmap(PageButtonPicture(QColor(kBody)), 173, 27, kMagenta, kFace));
        QVERIFY(!button.mask().contains(QPoint(0, 0)) && button.mask().contains(QPoint(5, 0)));
        // The Disabled state has no picture (unknown id): no outline.
        Draw(button, DrawRequest{false, true, false});
        QVERIFY(button.mask().isEmpty());
    }

    void fullyTransparentPictureHidesButKeepsTheButton() {
        QImage clear(40, 20, QImage::Format_RGB32);
        clear.fill(kMagenta);
        RegisterPicture(921, clear);

        QWidget parent;
        parent.resize(100, 60);
        parent.setAutoFillBackground(true);
        QPalette colours = parent.palette();
        colours.setColor(QPalette::Window, QColor(10, 200, 10));
        parent.setPalette(colours);
        CFxButton button(QStringLiteral("x"), &parent);
        button.setGeometry(30, 20, 40, 20);
        button.Attach();
        button.LoadStateBitmaps(921, 921, 921, 921);
        button.SetImageKeyColors(QColor(kMagenta), button.FaceColor(), button.FaceColor(),
                                 button.FaceColor());
        button.SetShapeKeyColors(QColor(kMagenta), button.FaceColor(), button.FaceColor(),
                                 button.FaceColor());
        button.ApplySkin(kFeatureUnchanged, 0);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QSignalSpy clicks(&button, &QAbstractButton::clicked);

        // An outline that holds none of the button's pixels, yet the button is there.
        QTRY_VERIFY(!button.mask().isEmpty());
        QVERIFY(button.mask().intersected(button.rect()).isEmpty());
        QVERIFY(button.isVisible());
        const QImage shown = parent.grab().toImage();
        QCOMPARE(QColor(shown.pixel(50, 30)), QColor(10, 200, 10));
        QTest::mouseClick(&parent, Qt::LeftButton, {}, QPoint(50, 30));
        QCOMPARE(clicks.count(), 0);
    }
};

QTEST_MAIN(RegionTest)
#include "region_test.moc"
