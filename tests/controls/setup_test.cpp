// The skinned button as attached and configured: what each state draws, the outline it gives the
// window and the check mark, for each button style and configuration rule.
#include "ControlsTestSupport.h"
#include "controls/CaptionFont.h"

#include <QFontMetrics>
#include <QMetaObject>
#include <QTest>
#include <limits>

using namespace tessaly;
using namespace tessaly::test;

namespace {

const QColor kFace(212, 208, 200);
const QColor kCaption(255, 0, 0);
const QString kBlock = QStringLiteral("\u2588");
constexpr DrawRequest kNormal{}, kPressed{true}, kDisabled{false, true};

// A button with the given style and caption, a 15-pixel DejaVu font and known palette colours,
// attached.
std::unique_ptr<CFxButton> Attached(int style, const QString& text = kBlock + kBlock,
                                    QSize size = QSize(120, 30)) {
    auto button = std::make_unique<CFxButton>(text);
    button->setButtonStyle(style);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    button->setFont(font);
    QPalette colours = button->palette();
    colours.setColor(QPalette::Active, QPalette::Button, kFace);
    colours.setColor(QPalette::Active, QPalette::ButtonText, QColor(0, 0, 0));
    colours.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    button->setPalette(colours);
    button->resize(size);
    button->Attach();
    return button;
}

// Where the caption, drawn in kCaption, lies in the state the request asks for.
QRect CaptionBox(CFxButton& b, const DrawRequest& request) {
    return BoxOf(Draw(b, request), Is(kCaption));
}

// A 30 x 10 picture: blue, with a red block at the left and a magenta block at the right.
QImage KeyedPicture() {
    QImage picture(30, 10, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 5; ++x) {
            picture.setPixel(x, y, qRgb(255, 0, 0));
            picture.setPixel(29 - x, y, kMagenta);
        }
    }
    return picture;
}

// A button 30 x 10 showing KeyedPicture in every state, unshifted, without caption.
std::unique_ptr<CFxButton> PictureButton() {
    RegisterPicture(951, KeyedPicture());
    auto b = Attached(0, QString(), QSize(30, 10));
    b->LoadStateBitmaps(951, 951, 951, 951);
    b->SetBorderWidth(-1, -1, -1, -1);
    b->SetImageShift(false, false, false, false);
    b->SetDrawText(false);
    return b;
}

} // namespace

class SetupTest : public QObject {
    Q_OBJECT

private slots:
    void attachedPushButtonDrawsItsCaptionOnTheFace() {
        auto b = Attached(0);
        QCOMPARE(b->FaceColor(), kFace);
        QCOMPARE(b->kind(), ButtonKind::PushKind);
        QVERIFY(!b->ready());
        b->ApplySkin(kFeatureUnchanged, 0);
        QVERIFY(b->ready());

        // The caption in the button's own font and text colour, centred on the face and raised by
        // a pixel up and left; pressed, it sinks a pixel down and right.
        const QImage normal = Draw(*b, kNormal);
        const QRect caption = BoxOf(normal, Not(kFace));
        const QRect black = BoxOf(normal, Is(Qt::black));
        QVERIFY(!black.isEmpty() && caption.contains(black));
        QVERIFY(qAbs(caption.height() - QFontMetrics(b->font()).height()) <= 2);
        QVERIFY(qAbs(caption.center().x() + 1 - 60) <= 1 && qAbs(caption.center().y() + 1 - 15) <= 1);
        QCOMPARE(BoxOf(Draw(*b, kPressed), Not(kFace)), caption.translated(2, 2));
        // No picture, no outline: the whole button takes the mouse.
        QVERIFY(b->mask().isEmpty());
    }

    void eachStyleLaysOutItsCaptionAndGlyph_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<ButtonKind>("kind");
        QTest::addColumn<QRect>("glyph");     // empty: none drawn
        QTest::addColumn<int>("captionLeft"); // -1: centred
        QTest::addColumn<QPoint>("pressedShift");
        const QPoint sinks(2, 2), flat(0, 0);
        // Client 120 x 30: a glyph 13 x 13 moves down by 15 - 6 = 9, or right by 105 and down by 8,
        // and the caption starts 6 pixels past it, or 4 pixels in from the left.
        QTest::newRow("push") << 0 << ButtonKind::PushKind << QRect() << -1 << sinks;
        QTest::newRow("default push") << 1 << ButtonKind::PushKind << QRect() << -1 << sinks;
        QTest::newRow("plain check box") << 2 << ButtonKind::PushKind << QRect() << -1 << sinks;
        QTest::newRow("plain radio") << 4 << ButtonKind::PushKind << QRect() << -1 << sinks;
        QTest::newRow("auto check box")
            << BS_AUTOCHECKBOX << ButtonKind::CheckKind << QRect(0, 9, 13, 13) << 19 << flat;
        QTest::newRow("auto radio") << BS_AUTORADIOBUTTON << ButtonKind::RadioKind << QRect(0, 9, 13, 13)
                                    << 19 << flat;
        QTest::newRow("push-like check box")
            << (BS_PUSHLIKE | BS_AUTOCHECKBOX) << ButtonKind::CheckKind << QRect() << -1 << sinks;
        QTest::newRow("radio, text left") << (BS_AUTORADIOBUTTON | BS_LEFTTEXT) << ButtonKind::RadioKind
                                          << QRect(105, 8, 13, 13) << 4 << flat;
    }

    void eachStyleLaysOutItsCaptionAndGlyph() {
        QFETCH(int, style);
        QFETCH(QRect, glyph);
        QFETCH(int, captionLeft);
        QFETCH(QPoint, pressedShift);
        auto b = Attached(style);
        QTEST(b->kind(), "kind");
        b->SetStateTextColors(kCaption, b->TextColor(), b->TextColor(), b->GrayTextColor());
        b->ApplySkin(kFeatureNoFocus, 0);
        const QRect caption = CaptionBox(*b, kNormal);
        QVERIFY(!caption.isEmpty());
        if (captionLeft < 0)
            QVERIFY(qAbs(caption.center().x() + 1 - 60) <= 1);
        else
            QVERIFY2(qAbs(caption.left() - captionLeft) <= 1, qPrintable(QString::number(caption.left())));
        QCOMPARE(CaptionBox(*b, kPressed), caption.translated(pressedShift));

        // The glyph, drawn without a caption beside it.
        auto bare = Attached(style, QString());
        bare->ApplySkin(kFeatureNoFocus, 0);
        const QRect drawn = BoxOf(Draw(*bare, kNormal), Not(kFace));
        QVERIFY(glyph.isEmpty() ? drawn.isEmpty() : glyph.contains(drawn) && drawn.width() >= 9);
    }

    void createdByClassName() {
        std::unique_ptr<QObject> made(CFxButton::staticMetaObject.newInstance(Q_ARG(QWidget*, nullptr)));
        QVERIFY(made);
        QCOMPARE(made->metaObject()->className(), "tessaly::CFxButton");
        QVERIFY(qobject_cast<CFxButton*>(made.get()));
    }

    // A key colour hides the picture's pixels of that colour; a face-coloured key means "none"
    // for Normal and "as Normal" for the other states.
    void imageKeyColourRules() {
        const QColor face = kFace, red(255, 0, 0), magenta(kMagenta);
        auto pressedOnly = PictureButton();
        pressedOnly->SetImageKeyColors(face, red, face, face);
        pressedOnly->ApplySkin(kFeatureUnchanged, 0);
        QCOMPARE(QColor(Draw(*pressedOnly, kNormal).pixel(2, 5)), red);
        QCOMPARE(QColor(Draw(*pressedOnly, kPressed).pixel(2, 5)), face);
        QCOMPARE(QColor(Draw(*pressedOnly, kPressed).pixel(27, 5)), magenta);

        auto all = PictureButton();
        all->SetImageKeyColors(magenta, face, face, face);
        all->ApplySkin(kFeatureUnchanged, 0);
        for (const DrawRequest& request : {kNormal, kPressed, kDisabled}) {
            const QImage drawn = Draw(*all, request);
            QCOMPARE(QColor(drawn.pixel(27, 5)), face);
            QCOMPARE(QColor(drawn.pixel(2, 5)), red);
            QCOMPARE(QColor(drawn.pixel(15, 5)), QColor(Qt::blue));
        }
    }

    // The window's outline leaves out the shape key's pixels; a face-coloured key takes Normal's.
    void shapeKeyColourRules() {
        const QColor face = kFace, red(255, 0, 0), magenta(kMagenta);
        auto b = PictureButton();
        b->SetShapeKeyColors(magenta, face, face, red);
        b->ApplySkin(kFeatureUnchanged, 0);
        for (const DrawRequest& request : {kNormal, kPressed}) {
            Draw(*b, request);
            QVERIFY(!b->mask().contains(QPoint(27, 5)));
            QVERIFY(b->mask().contains(QPoint(2, 5)) && b->mask().contains(QPoint(15, 5)));
        }
        Draw(*b, kDisabled);
        QVERIFY(!b->mask().contains(QPoint(2, 5)));
        QVERIFY(b->mask().contains(QPoint(27, 5)) && b->mask().contains(QPoint(15, 5)));
    }

    // Given texts replace, empty ones keep; with fill, empty ones take Normal's. Captions of one
    // to four blocks tell the states apart by their width.
    void stateTextRules() {
        const auto blocks = [](int n) { return kBlock.repeated(n); };
        auto b = Attached(0);
        b->ApplySkin(kFeatureNoFocus, 0);
        const auto width = [&](const DrawRequest& request) {
            return BoxOf(Draw(*b, request), Not(kFace)).width();
        };
        b->SetStateTexts(blocks(1), true, QString(), QString(), QString());
        const int one = width(kNormal);
        b->SetStateTexts(blocks(4), true, QString(), QString(), QString());
        const int four = width(kNormal);
        QVERIFY(four > 3 * one);
        QCOMPARE(width(kPressed), four);
        QVERIFY(qAbs(width(kDisabled) - four - 1) <= 1); // its white copy lies a pixel off
        b->SetStateTexts(blocks(1), false, QString(), blocks(3), QString());
        QCOMPARE(width(kNormal), one);
        QCOMPARE(width(kPressed), four);
        b->SetStateTexts(QString(), false, blocks(2), QString(), QString());
        QCOMPARE(width(kNormal), one);
        QVERIFY(width(kPressed) > one && width(kPressed) < four);
        // A screen reader hears the Normal caption.
        QCOMPARE(b->accessibleName(), blocks(1));
    }

    // A state given the platform's text colour takes Normal's.
    void textColourRules() {
        auto b = Attached(0);
        b->ApplySkin(kFeatureNoFocus, 0);
        const QColor blue(12, 62, 113), green(0, 128, 0);
        const auto shows = [&](const DrawRequest& request, QColor colour) {
            return !BoxOf(Draw(*b, request), Is(colour)).isEmpty();
        };
        b->SetStateTextColors(blue, b->TextColor(), b->TextColor(), b->GrayTextColor());
        QVERIFY(shows(kNormal, blue) && shows(kPressed, blue));
        b->SetStateTextColors(green, Qt::red, b->TextColor(), Qt::yellow);
        QVERIFY(shows(kNormal, green) && shows(kPressed, Qt::red) && !shows(kPressed, green));
    }

    void pushButtonNeverChecked() {
        auto b = Attached(0);
        b->SetCheck(1);
        QCOMPARE(b->GetCheck(), 0);
        auto check = Attached(BS_AUTOCHECKBOX);
        check->SetCheck(2);
        QCOMPARE(check->GetCheck(), 1);
        // ApplySkin sets the check from its argument's low byte.
        check->ApplySkin(kFeatureUnchanged, 0x100);
        QCOMPARE(check->GetCheck(), 0);
        check->ApplySkin(kFeatureUnchanged, 1);
        QCOMPARE(check->GetCheck(), 1);
    }

    void unknownBitmapIdLoadsNothing() {
        RegisterPicture(931, PageButtonPicture(Qt::blue, QSize(30, 10)));
        auto b = Attached(0, QStringLiteral("Caption"));
        b->LoadStateBitmaps(931, 64999, 931, 64998);
        b->ApplySkin(kFeatureUnchanged, 0);
        // Without a picture the Pressed state shows background and caption only.
        QVERIFY(!BoxOf(Draw(*b, kNormal), Is(Qt::blue)).isEmpty());
        const QImage pressed = Draw(*b, kPressed);
        QVERIFY(BoxOf(pressed, Is(Qt::blue)).isEmpty());
        QCOMPARE(QColor(pressed.pixel(2, 2)), kFace);
        QVERIFY(!BoxOf(pressed, Is(Qt::black)).isEmpty());
    }

    void featureMask() {
        RegisterPicture(932, PageButtonPicture(Qt::blue, QSize(30, 10)));
        auto all = Attached(0);
        all->LoadStateBitmaps(932, 932, 932, 932);
        all->ApplySkin(0x1F, 0);
        // Every step off: nothing but the off-screen image's black reaches the window, focus or not.
        for (const DrawRequest& request : {kNormal, kPressed, DrawRequest{false, false, true}})
            QVERIFY(BoxOf(Draw(*all, request), Not(Qt::black)).isEmpty());
        auto none = Attached(0);
        none->LoadStateBitmaps(932, 932, 932, 932);
        none->ApplySkin(kFeatureUnchanged, 0);
        const QImage drawn = Draw(*none, DrawRequest{false, false, true});
        QCOMPARE(QColor(drawn.pixel(1, 1)), kFace);
        QVERIFY(!BoxOf(drawn, Is(Qt::blue)).isEmpty());
        QVERIFY(!BoxOf(drawn, Is(Qt::black)).isEmpty());
        QVERIFY(drawn != Draw(*none, kNormal)); // the focus rectangle
    }

    void captionFonts() {
        // Face names beyond the platform's 31 characters are cut; heights are character heights
        // when negative and cell heights when positive.
        QCOMPARE(MakeCaptionFont(-12, QString(40, QLatin1Char('F'))).family().size(), kMaxFaceNameLength);
        QCOMPARE(MakeCaptionFont(-12, QStringLiteral("DejaVu Sans")).pixelSize(), 12);
        const QFont cell = MakeCaptionFont(30, QStringLiteral("DejaVu Sans"));
        QVERIFY(cell.pixelSize() < 30);
        QVERIFY(qAbs(QFontMetrics(cell).height() - 30) <= 2);
        // "宋体"'s cell is its em, whatever face stands in for it.
        QCOMPARE(MakeCaptionFont(12, QStringLiteral("宋体")).pixelSize(), 12);
        QVERIFY(MakeCaptionFont(std::numeric_limits<int>::min(), QStringLiteral("DejaVu Sans")).pixelSize() >
                0);
    }
};

QTEST_MAIN(SetupTest)
#include "setup_test.moc"
