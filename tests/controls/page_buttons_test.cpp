// Two buttons set up as the main window sets up its page buttons, shown in each of their four states
// on a side panel; writes page_buttons.png to the build tree for people to look at.
#define QTEST_QPA_MOUSE_HANDLING
#include "ControlsTestSupport.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;

namespace {

const QColor kPanel(33, 82, 143);
const QColor kMagentaColour(255, 0, 255);

// A tab rounded on the left: a vertical gradient between top and bottom, magenta corners.
QImage TabPicture(QColor top, QColor bottom) {
    QImage picture = PageButtonPicture(Qt::white);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, 27);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(QRect(0, 0, 173, 27), gradient);
    painter.setPen(bottom.darker(130));
    painter.drawLine(0, 26, 172, 26);
    painter.end();
    for (const QPoint& p : MagentaCornerPixels())
        picture.setPixel(p, kMagentaColour.rgb());
    return picture;
}

void Configure(CFxButton& b, quint16 normal, quint16 disabled, quint16 hover, const QString& text) {
    b.Attach();
    const QColor face = b.FaceColor();
    b.LoadStateBitmaps(normal, normal, hover, disabled);
    b.SetImageKeyColors(kMagentaColour, face, face, face);
    b.SetImageShift(false, false, false, false);
    b.SetBorderWidth(0, 0, 0, 0);
    b.SetCopyUnclipped(false);
    b.SetShapeKeyColors(kMagentaColour, face, face, face);
    b.SetImageAlign(0x21, 0x21, 0x21, 0x21);
    b.SetDrawText(true);
    b.ApplySkin(kFeatureNoFocus, 0);
    b.SetAlternateNormal(false);
    b.SetStateFaceNames(QStringLiteral("宋体"), true, {}, {}, {});
    b.SetStateTexts(text, true, {}, {}, {});
    b.SetFontHeight(13, 13, 13, 13);
    b.SetStateTextColors(QColor(12, 62, 113), b.TextColor(), b.TextColor(), b.GrayTextColor());
    b.SetTextFormat(0x25, 0x25, 0x25, 0x25);
}

} // namespace

class PageButtonsTest : public QObject {
    Q_OBJECT

private slots:
    void fourStatesOfTwoPageButtons() {
        RegisterPicture(134, TabPicture(QColor(250, 252, 255), QColor(196, 218, 240)));
        RegisterPicture(135, TabPicture(QColor(150, 178, 210), QColor(112, 146, 186)));
        RegisterPicture(136, TabPicture(QColor(255, 246, 214), QColor(248, 212, 130)));
        RegisterPicture(137, TabPicture(QColor(250, 252, 255), QColor(196, 218, 240)));
        RegisterPicture(138, TabPicture(QColor(150, 178, 210), QColor(112, 146, 186)));
        RegisterPicture(139, TabPicture(QColor(255, 246, 214), QColor(248, 212, 130)));

        QWidget panel;
        panel.resize(200, 84);
        panel.setAutoFillBackground(true);
        QPalette colours = panel.palette();
        colours.setColor(QPalette::Window, kPanel);
        panel.setPalette(colours);
        CFxButton download(QStringLiteral("视频下载"), &panel);
        CFxButton play(QStringLiteral("媒体播放"), &panel);
        download.setGeometry(27, 10, 173, 27);
        play.setGeometry(27, 47, 173, 27);
        Configure(download, 134, 135, 136, QStringLiteral("视频下载"));
        Configure(play, 137, 138, 139, QStringLiteral("视频播放"));
        play.SetAlternateNormal(true);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QWindow* window = panel.windowHandle();
        QTest::mouseMove(window, QPoint(5, 80));

        QList<QImage> rows;
        QStringList names;
        auto shoot = [&](const QString& name) {
            QCoreApplication::processEvents();
            names << name;
            rows << panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        };

        QTRY_VERIFY(download.currentState() == ButtonState::Normal &&
                    play.currentState() == ButtonState::Normal);
        shoot(QStringLiteral("Normal (play: alternate)"));
        const QImage normal = rows.back();

        QTest::mouseMove(window, QPoint(100, 23));
        QTRY_COMPARE(download.currentState(), ButtonState::Hover);
        QImage hoverDownload = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QTest::mouseMove(window, QPoint(100, 60));
        QTRY_COMPARE(play.currentState(), ButtonState::Hover);
        QTRY_COMPARE(download.currentState(), ButtonState::Normal);
        QImage hover = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // One picture shows both buttons hovered: the download half from the first shot.
        {
            QPainter painter(&hover);
            painter.drawImage(QRect(0, 0, 200, 42), hoverDownload, QRect(0, 0, 200, 42));
        }
        names << QStringLiteral("Hover");
        rows << hover;

        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(100, 60));
        QTRY_COMPARE(play.currentState(), ButtonState::Pressed);
        QImage pressed = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(100, 60));
        QTest::mouseMove(window, QPoint(5, 80));
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(100, 23));
        QTRY_COMPARE(download.currentState(), ButtonState::Pressed);
        {
            const QImage pressedDownload = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
            QPainter painter(&pressed);
            painter.drawImage(QRect(0, 0, 200, 42), pressedDownload, QRect(0, 0, 200, 42));
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(100, 23));
        QTest::mouseMove(window, QPoint(5, 80));
        names << QStringLiteral("Pressed");
        rows << pressed;

        download.setEnabled(false);
        play.setEnabled(false);
        QTRY_VERIFY(download.currentState() == ButtonState::Disabled &&
                    play.currentState() == ButtonState::Disabled);
        shoot(QStringLiteral("Disabled"));

        // The outline cuts the magenta corners and the row above the picture; no magenta shows.
        for (const QImage& row : rows) {
            QCOMPARE(QColor(row.pixel(27, 10 + 1)), kPanel);
            QCOMPARE(QColor(row.pixel(100, 10)), kPanel);
            QVERIFY(QColor(row.pixel(27, 47 + 14)) != kPanel);
            QVERIFY(BoxOf(row, [](QRgb p) { return p == kMagentaColour.rgb(); }).isEmpty());
        }
        QVERIFY(rows[0].copy(27, 10, 173, 27) != rows[1].copy(27, 10, 173, 27));
        QVERIFY(normal.copy(27, 10, 173, 27) != normal.copy(27, 47, 173, 27));

        // Rows side by side with their names above.
        const int labelHeight = 16;
        QImage sheet(rows.size() * 210, 84 + labelHeight, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        for (int i = 0; i < rows.size(); ++i) {
            painter.drawText(QRect(i * 210, 0, 200, labelHeight), Qt::AlignCenter, names[i]);
            painter.drawImage(QPoint(i * 210, labelHeight), rows[i]);
        }
        painter.end();
        const QString path = QStringLiteral(TESSALY_CONTROLS_OUTPUT "/page_buttons.png");
        QVERIFY(sheet.save(path));
        qInfo("wrote %s", qPrintable(path));
    }
};

QTEST_MAIN(PageButtonsTest)
#include "page_buttons_test.moc"
