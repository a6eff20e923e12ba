// Pixels of drawn button states: picture placement, caption shifts, the Disabled caption, clipping of
// the final copy, check-box glyphs and the focus rectangle.
#include "ControlsTestSupport.h"

#include <QPainter>
#include <QSet>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr int N = 0, P = 1, H = 2, D = 3;
const QColor kFace(200, 200, 200);
const QString kBlock = QStringLiteral("\u2588");

std::unique_ptr<HoverButton> Attached(QSize size, const QString& text = QString(), int style = 0) {
    auto button = std::make_unique<HoverButton>(text);
    button->setButtonStyle(style);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    button->setFont(font);
    QPalette colours = button->palette();
    colours.setColor(QPalette::Active, QPalette::Button, kFace);
    button->setPalette(colours);
    button->resize(size);
    button->Attach();
    return button;
}

QSet<QPoint> PixelsWhere(const QImage& image, const std::function<bool(QRgb)>& match) {
    QSet<QPoint> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixel(x, y)))
                pixels.insert(QPoint(x, y));
    return pixels;
}

} // namespace

class DrawTest : public QObject {
    Q_OBJECT

private slots:
    void placementCodes_data() {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QPoint>("origin");
        // Client 100 x 40, border 0: content (1, 1)-(99, 39), centre (50, 20); picture 20 x 10.
        QTest::newRow("0x20 left top") << 0x20u << QPoint(1, 1);
        QTest::newRow("0x21 centre top") << 0x21u << QPoint(40, 1);
        QTest::newRow("0x22 right top") << 0x22u << QPoint(79, 1);
        QTest::newRow("0x24 left middle") << 0x24u << QPoint(1, 15);
        QTest::newRow("0x25 centre middle") << 0x25u << QPoint(40, 15);
        QTest::newRow("0x26 right middle") << 0x26u << QPoint(79, 15);
        QTest::newRow("0x28 left bottom") << 0x28u << QPoint(1, 29);
        QTest::newRow("0x29 centre bottom") << 0x29u << QPoint(40, 29);
        QTest::newRow("0x2A right bottom") << 0x2Au << QPoint(79, 29);
        QTest::newRow("0x23 not moved") << 0x23u << QPoint(0, 0);
        QTest::newRow("0x27 not moved") << 0x27u << QPoint(0, 0);
    }

    void placementCodes() {
        QFETCH(quint32, code);
        QFETCH(QPoint, origin);
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        RegisterPicture(941, picture);
        auto b = Attached(QSize(100, 40));
        b->LoadStateBitmaps(941, 941, 941, 941);
        b->SetBorderWidth(0, 0, 0, 0);
        b->SetImageShift(false, false, false, false);
        b->SetImageAlign(code, code, code, code);
        b->SetDrawText(false);
        b->ApplySkin(kFeatureUnchanged, 0);
        const QImage drawn = Draw(*b, DrawRequest{});
        QCOMPARE(BoxOf(drawn, Is(Qt::red)), QRect(origin, QSize(20, 10)));
    }

    void imageShiftFollowsTheBevel() {
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        RegisterPicture(942, picture);
        auto b = Attached(QSize(100, 40));
        b->LoadStateBitmaps(942, 942, 942, 942);
        b->SetDrawText(false);
        b->ApplySkin(kFeatureUnchanged, 0);
        // Centred at (40, 15); raised states move up-left, the sunken Pressed state down-right.
        QCOMPARE(BoxOf(Draw(*b, DrawRequest{}), Is(Qt::red)).topLeft(), QPoint(39, 14));
        QCOMPARE(BoxOf(Draw(*b, DrawRequest{true}), Is(Qt::red)).topLeft(), QPoint(41, 16));
    }

    void captionShiftsWithTheBevel() {
        auto b = Attached(QSize(160, 60), kBlock + kBlock);
        b->ApplySkin(kFeatureUnchanged, 0);
        // Raised states move it up-left of the centre, the sunken Pressed state down-right.
        const QRect normal = BoxOf(Draw(*b, DrawRequest{}), Not(kFace));
        QVERIFY(!normal.isEmpty());
        const QPoint centre = normal.translated(1, 1).center();
        QVERIFY(qAbs(centre.x() - 80) <= 2 && qAbs(centre.y() - 30) <= 2);
        QCOMPARE(BoxOf(Draw(*b, DrawRequest{true}), Not(kFace)), normal.translated(2, 2));
        b->m_hover = true;
        QCOMPARE(BoxOf(Draw(*b, DrawRequest{}), Not(kFace)), normal);
    }

    void disabledCaptionIsWhiteUnderADarkerCopy() {
        auto b = Attached(QSize(160, 60), kBlock);
        b->ApplySkin(kFeatureUnchanged, 0);
        // The Normal caption shows where the text lies; Normal and Disabled share the raised bevel.
        const QSet<QPoint> text = PixelsWhere(Draw(*b, DrawRequest{}), Not(kFace));
        QVERIFY(text.size() > 100);
        const QImage disabled = Draw(*b, DrawRequest{false, true});
        const QColor dark(139, 139, 139); // 200 x 0.7 in single precision, truncated
        int darkPixels = 0, whiter = 0;
        for (int y = 0; y < disabled.height(); ++y) {
            for (int x = 0; x < disabled.width(); ++x) {
                const QPoint p(x, y);
                const QColor colour = disabled.pixel(p);
                const bool inText = text.contains(p);
                const bool inWhiteCopy = text.contains(p - QPoint(1, 1));
                if (!inText && !inWhiteCopy)
                    QCOMPARE(colour, kFace);
                if (inText && colour == dark)
                    ++darkPixels;
                if (!inText && inWhiteCopy) {
                    QVERIFY(colour.red() > 200 && colour.green() > 200 && colour.blue() > 200);
                    ++whiter;
                }
            }
        }
        // The dark copy is drawn last: it covers the white one wherever they overlap.
        QVERIFY(darkPixels > int(text.size()) / 2);
        QVERIFY(whiter > 0);
    }

    void clippedFinalCopyLeavesOutsidePixelsAlone() {
        RegisterPicture(943, PageButtonPicture(Qt::blue));
        auto b = Attached(QSize(173, 27));
        const QColor magenta(kMagenta);
        b->LoadStateBitmaps(943, 943, 943, 943);
        b->SetImageKeyColors(magenta, b->FaceColor(), b->FaceColor(), b->FaceColor());
        b->SetImageShift(false, false, false, false);
        b->SetBorderWidth(0, 0, 0, 0);
        b->SetShapeKeyColors(magenta, b->FaceColor(), b->FaceColor(), b->FaceColor());
        b->SetImageAlign(0x21, 0x21, 0x21, 0x21);
        b->SetDrawText(false);
        b->ApplySkin(kFeatureNoFocus, 0);
        const QColor sentinel(1, 2, 3);

        b->SetCopyUnclipped(false);
        const QImage clipped = Draw(*b, DrawRequest{}, sentinel);
        // The picture sits one pixel down; its magenta corners and the top row are outside.
        QCOMPARE(QColor(clipped.pixel(50, 0)), sentinel);
        QCOMPARE(QColor(clipped.pixel(0, 1)), sentinel);
        QCOMPARE(QColor(clipped.pixel(3, 1)), sentinel);
        QCOMPARE(QColor(clipped.pixel(4, 1)), QColor(Qt::blue));
        QCOMPARE(QColor(clipped.pixel(1, 26)), sentinel);
        QCOMPARE(QColor(clipped.pixel(2, 26)), QColor(Qt::blue));
        // The top row, and the corner pixels of every picture row but the last (below the button).
        QCOMPARE(PixelsWhere(clipped, Is(sentinel)).size(), qsizetype(173 + 12));

        b->SetCopyUnclipped(true);
        const QImage unclipped = Draw(*b, DrawRequest{}, sentinel);
        QCOMPARE(QColor(unclipped.pixel(50, 0)), kFace);
        QCOMPARE(QColor(unclipped.pixel(0, 1)), kFace);
    }

    void alternateNormalShowsTheDisabledPicture() {
        QImage normal(30, 10, QImage::Format_RGB32), disabled(30, 10, QImage::Format_RGB32);
        normal.fill(Qt::blue);
        disabled.fill(Qt::darkGray);
        RegisterPicture(944, normal);
        RegisterPicture(945, disabled);
        auto b = Attached(QSize(60, 30));
        b->LoadStateBitmaps(944, 944, 944, 945);
        b->SetDrawText(false);
        b->ApplySkin(kFeatureUnchanged, 0);
        QCOMPARE(QColor(Draw(*b, DrawRequest{}).pixel(30, 15)), QColor(Qt::blue));
        b->SetAlternateNormal(true);
        QCOMPARE(QColor(Draw(*b, DrawRequest{}).pixel(30, 15)), QColor(Qt::darkGray));
        // Hover has its own picture and is not affected.
        b->m_hover = true;
        QCOMPARE(QColor(Draw(*b, DrawRequest{}).pixel(30, 15)), QColor(Qt::blue));
    }

    void disabledCheckedCheckBoxShowsTheInactiveGlyph() {
        auto b = Attached(QSize(120, 30), QString(), BS_AUTOCHECKBOX);
        b->ApplySkin(kFeatureNoFocus, 1);
        const QRect glyph(0, 9, 13, 13); // left, and centred in the height
        auto glyphOf = [&](bool checked, bool disabledState) {
            b->SetCheck(checked);
            return Draw(*b, DrawRequest{false, disabledState}).copy(glyph);
        };
        const QImage checkedEnabled = glyphOf(true, false);
        QVERIFY(checkedEnabled != glyphOf(false, false));
        QCOMPARE(glyphOf(true, true), glyphOf(false, true));
        QVERIFY(glyphOf(true, true) != glyphOf(false, false));
        QVERIFY(PixelsWhere(checkedEnabled, Not(kFace)).size() > 20);
    }

    void focusRectangleLiesOverTheImage() {
        auto b = Attached(QSize(60, 30));
        b->ApplySkin(kFeatureUnchanged, 0);
        const QImage plain = Draw(*b, DrawRequest{});
        const QImage focused = Draw(*b, DrawRequest{false, false, true});
        const QRgb inverted = ~kFace.rgb() | 0xFF000000u;
        QCOMPARE(focused.pixel(3, 3), inverted);
        QCOMPARE(focused.pixel(4, 3), plain.pixel(4, 3));
        QCOMPARE(focused.pixel(5, 3), inverted);
        QCOMPARE(focused.pixel(56, 26), inverted);
        QCOMPARE(focused.pixel(3, 5), inverted);
        QCOMPARE(focused.pixel(2, 2), plain.pixel(2, 2));
        // Every other pixel of the 54 x 24 border around the shrunk client rectangle.
        QCOMPARE(PixelsWhere(focused, Is(QColor(inverted))).size(), qsizetype(76));

        auto noFocus = Attached(QSize(60, 30));
        noFocus->ApplySkin(kFeatureNoFocus, 0);
        QCOMPARE(Draw(*noFocus, DrawRequest{false, false, true}), Draw(*noFocus, DrawRequest{}));
    }

    void zeroSizesDrawNothingAndDoNotFail() {
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        RegisterPicture(946, picture);
        QWidget parent;
        auto b = Attached(QSize(0, 0), QStringLiteral("x"));
        b->setParent(&parent);
        b->LoadStateBitmaps(946, 946, 946, 946);
        b->SetImageKeyColors(QColor(kMagenta), b->FaceColor(), b->FaceColor(), b->FaceColor());
        b->SetShapeKeyColors(QColor(kMagenta), b->FaceColor(), b->FaceColor(), b->FaceColor());
        b->ApplySkin(kFeatureUnchanged, 0);
        QImage target(1, 1, QImage::Format_RGB32);
        target.fill(Qt::green);
        QPainter painter(&target);
        b->DrawItem(painter, DrawRequest{false, false, true});
        painter.end();
        QCOMPARE(QColor(target.pixel(0, 0)), QColor(Qt::green));
        parent.show();
        b->show();
        b->repaint();
        b.release(); // owned by parent
    }
};

QTEST_MAIN(DrawTest)
#include "draw_test.moc"
