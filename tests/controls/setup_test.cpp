// Attachment of the skinned button, its configuration rules and the layout ApplySkin makes.
#include "ControlsTestSupport.h"
#include "controls/CaptionFont.h"

#include <QFontMetrics>
#include <QMetaObject>
#include <QTest>
#include <limits>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr int N = 0, P = 1, H = 2, D = 3;

// A button with the given style, a 15-pixel DejaVu font and known palette colours, attached.
std::unique_ptr<ProbeButton> Attached(int style, QSize size = QSize(120, 30)) {
    auto button = std::make_unique<ProbeButton>(QStringLiteral("Caption"));
    button->setButtonStyle(style);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    button->setFont(font);
    QPalette colours = button->palette();
    colours.setColor(QPalette::Active, QPalette::Button, QColor(212, 208, 200));
    colours.setColor(QPalette::Active, QPalette::ButtonText, QColor(0, 0, 0));
    colours.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    button->setPalette(colours);
    button->resize(size);
    button->Attach();
    return button;
}

} // namespace

class SetupTest : public QObject {
    Q_OBJECT

private slots:
    void attachmentInitialisesEveryField() {
        auto b = Attached(0);
        const QColor face(212, 208, 200);
        QCOMPARE(b->FaceColor(), face);
        QCOMPARE(b->kind(), ButtonKind::PushKind);
        QVERIFY(!b->m_pushLike && !b->m_leftText && !b->m_checked && !b->m_mouseDown && !b->m_pressElsewhere);
        QVERIFY(!b->m_hover && !b->m_tracking && !b->m_focused && !b->ready());
        QVERIFY(!b->m_drawImage && !b->m_alternateNormal && b->m_drawText && b->m_drawFrame &&
                b->m_drawFocus);
        QVERIFY(b->m_copyUnclipped);
        QCOMPARE(b->m_clientRect, QRect(0, 0, 120, 30));
        QCOMPARE(b->m_focusRect, QRect(QPoint(3, 3), QPoint(116, 26)));
        QCOMPARE(b->m_glyphRect, QRect(0, 0, 13, 13));
        QVERIFY(b->m_windowRegion.isEmpty());
        for (int i = 0; i < kStateCount; ++i) {
            QVERIFY(!b->m_hasBitmap[i] && b->m_imageSize[i] == QSize(0, 0) && b->m_imageRect[i].isEmpty());
            QCOMPARE(b->m_imageAlign[i], 0x25u);
            QVERIFY(b->m_imageShift[i] && b->m_textShift[i] && b->m_fillBackground[i]);
            QVERIFY(!b->m_imageKeyOn[i] && !b->m_shapeOn[i] && !b->m_hasImageRegion[i] &&
                    !b->m_hasShapeRegion[i]);
            QCOMPARE(b->m_imageKey[i], face);
            QCOMPARE(b->m_shapeKey[i], face);
            QCOMPARE(b->m_secondKey[i], face);
            QCOMPARE(b->m_background[i], face);
            QCOMPARE(b->m_borderWidth[i], 2);
            QCOMPARE(b->m_text[i], QStringLiteral("Caption"));
            QCOMPARE(b->m_faceName[i], QStringLiteral("DejaVu Sans"));
            QCOMPARE(b->m_fontHeight[i], -15);
            QCOMPARE(b->m_textFormat[i], 0x25u);
            QVERIFY(b->m_textRect[i].isEmpty());
        }
        QCOMPARE(b->m_textColor, (PerState<QColor>{Qt::black, Qt::black, Qt::black, QColor(128, 128, 128)}));
        QCOMPARE(b->m_bevel, (PerState<BevelStyle>{BevelStyle::Raised, BevelStyle::Sunken, BevelStyle::Raised,
                                                   BevelStyle::Raised}));
    }

    void kindFromStyle_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<ButtonKind>("kind");
        QTest::addColumn<bool>("pushLike");
        QTest::addColumn<bool>("leftText");
        QTest::addColumn<quint32>("format");
        QTest::addColumn<BevelStyle>("pressedBevel");
        QTest::newRow("push") << 0 << ButtonKind::PushKind << false << false << 0x25u << BevelStyle::Sunken;
        QTest::newRow("default push")
            << 1 << ButtonKind::PushKind << false << false << 0x25u << BevelStyle::Sunken;
        QTest::newRow("plain check box")
            << 2 << ButtonKind::PushKind << false << false << 0x25u << BevelStyle::Sunken;
        QTest::newRow("auto check box")
            << 3 << ButtonKind::CheckKind << false << false << 0x24u << BevelStyle::Flat;
        QTest::newRow("plain radio") << 4 << ButtonKind::PushKind << false << false << 0x25u
                                     << BevelStyle::Sunken;
        QTest::newRow("auto radio") << 9 << ButtonKind::RadioKind << false << false << 0x24u
                                    << BevelStyle::Flat;
        QTest::newRow("push-like check box")
            << 0x1003 << ButtonKind::CheckKind << true << false << 0x25u << BevelStyle::Sunken;
        QTest::newRow("radio, text left")
            << 0x29 << ButtonKind::RadioKind << false << true << 0x24u << BevelStyle::Flat;
    }

    void kindFromStyle() {
        QFETCH(int, style);
        auto b = Attached(style);
        QTEST(b->kind(), "kind");
        QTEST(b->m_pushLike, "pushLike");
        QTEST(b->m_leftText, "leftText");
        QTEST(b->m_textFormat[D], "format");
        QTEST(b->m_bevel[P], "pressedBevel");
    }

    void createdByClassName() {
        std::unique_ptr<QObject> made(CFxButton::staticMetaObject.newInstance(Q_ARG(QWidget*, nullptr)));
        QVERIFY(made);
        QCOMPARE(made->metaObject()->className(), "tessaly::CFxButton");
        QVERIFY(qobject_cast<CFxButton*>(made.get()));
    }

    void keyColourRules() {
        auto b = Attached(0);
        const QColor face = b->FaceColor();
        const QColor magenta(255, 0, 255), red(255, 0, 0);
        b->SetImageKeyColors(face, red, face, face);
        // A face-coloured Normal key leaves Normal as it was; the others take Normal's colour.
        QVERIFY(!b->m_imageKeyOn[N]);
        QCOMPARE(b->m_imageKey[P], red);
        QCOMPARE(b->m_imageKey[H], face);
        QVERIFY(b->m_imageKeyOn[P] && b->m_imageKeyOn[H] && b->m_imageKeyOn[D]);
        b->SetImageKeyColors(magenta, face, face, face);
        QCOMPARE(b->m_imageKey, (PerState<QColor>{magenta, magenta, magenta, magenta}));
        QVERIFY(b->m_imageKeyOn[N]);

        b->SetShapeKeyColors(face, face, red, face);
        QCOMPARE(b->m_shapeKey, (PerState<QColor>{face, face, red, face}));
        QCOMPARE(b->m_shapeOn, (PerState<bool>{true, true, true, true}));
    }

    void textAndFaceRules() {
        auto b = Attached(0);
        b->SetStateTexts(QStringLiteral("视频下载"), true, QString(), QString(), QString());
        QCOMPARE(b->m_text, (PerState<QString>{"视频下载", "视频下载", "视频下载", "视频下载"}));
        b->SetStateTexts(QStringLiteral("a"), false, QString(), QStringLiteral("h"), QString());
        QCOMPARE(b->m_text, (PerState<QString>{"a", "视频下载", "h", "视频下载"}));
        b->SetStateTexts(QString(), false, QStringLiteral("p"), QString(), QString());
        QCOMPARE(b->m_text, (PerState<QString>{"a", "p", "h", "视频下载"}));
        b->SetStateFaceNames(QStringLiteral("宋体"), true, QString(), QStringLiteral("Other"), QString());
        QCOMPARE(b->m_faceName, (PerState<QString>{"宋体", "宋体", "Other", "宋体"}));
    }

    void textColourRules() {
        auto b = Attached(0);
        const QColor blue(12, 62, 113), green(0, 128, 0);
        b->SetStateTextColors(blue, b->TextColor(), b->TextColor(), b->GrayTextColor());
        QCOMPARE(b->m_textColor, (PerState<QColor>{blue, blue, blue, b->GrayTextColor()}));
        b->SetStateTextColors(green, Qt::red, b->TextColor(), Qt::yellow);
        QCOMPARE(b->m_textColor, (PerState<QColor>{green, Qt::red, green, Qt::yellow}));
        b->SetStateTextColors(green, Qt::red, Qt::red, b->GrayTextColor());
        QCOMPARE(b->m_textColor[D], QColor(Qt::yellow));
    }

    void pushButtonNeverChecked() {
        auto b = Attached(0);
        b->SetCheck(1);
        QCOMPARE(b->GetCheck(), 0);
        auto check = Attached(BS_AUTOCHECKBOX);
        check->SetCheck(2);
        QCOMPARE(check->GetCheck(), 1);
    }

    void unknownBitmapIdLoadsNothing() {
        RegisterPicture(931, PageButtonPicture(Qt::blue, QSize(30, 10)));
        auto b = Attached(0);
        b->LoadStateBitmaps(931, 64999, 931, 64998);
        QVERIFY(b->m_drawImage);
        QCOMPARE(b->m_hasBitmap, (PerState<bool>{true, false, true, false}));
        QCOMPARE(b->m_imageSize[P], QSize(0, 0));
        QCOMPARE(b->m_imageSize[N], QSize(30, 10));
        QVERIFY(b->m_imageSurface[P].isNull());
        b->ApplySkin(kFeatureUnchanged, 0);
        QVERIFY(b->m_imageRect[P].isEmpty());
        QVERIFY(!b->m_hasImageRegion[P]);
        // Without a picture the Pressed state shows background and caption only.
        auto blue = [](QRgb pixel) { return pixel == QColor(Qt::blue).rgb(); };
        QVERIFY(!BoxOf(Draw(*b, DrawRequest{}), blue).isEmpty());
        const QImage pressed = Draw(*b, DrawRequest{true});
        QVERIFY(BoxOf(pressed, blue).isEmpty());
        QCOMPARE(QColor(pressed.pixel(2, 2)), b->FaceColor());
        QVERIFY(!BoxOf(pressed, [](QRgb pixel) { return pixel == qRgb(0, 0, 0); }).isEmpty());
    }

    void pageButtonLayout() {
        RegisterPicture(134, PageButtonPicture(Qt::blue));
        auto b = Attached(0, QSize(173, 27));
        b->LoadStateBitmaps(134, 134, 134, 134);
        b->SetBorderWidth(0, 0, 0, 0);
        b->SetImageAlign(0x21, 0x21, 0x21, 0x21);
        b->ApplySkin(kFeatureNoFocus, 0);
        // Content is the client shrunk by 1: top at y = 1, centred on cx = 86.
        for (int i = 0; i < kStateCount; ++i)
            QCOMPARE(b->m_imageRect[i], QRect(86 - 86, 1, 173, 27));
        QCOMPARE(b->m_textRect[N], QRect(0, 0, 173, 27));
        QVERIFY(b->ready());
        QVERIFY(!b->m_drawFocus && b->m_drawText && b->m_drawImage && b->m_drawFrame);
        QVERIFY(b->m_fillBackground[N]);
    }

    void checkBoxLayout_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QRect>("glyph");
        QTest::addColumn<int>("textLeft");
        // Client 120 x 30: glyph 13 x 13 moves down by 15 - 6 = 9, or right by 105 and down by 8.
        QTest::newRow("glyph left") << BS_AUTOCHECKBOX << QRect(0, 9, 13, 13) << 19;
        QTest::newRow("glyph right") << (BS_AUTORADIOBUTTON | BS_LEFTTEXT) << QRect(105, 8, 13, 13) << 4;
    }

    void checkBoxLayout() {
        QFETCH(int, style);
        auto b = Attached(style);
        b->ApplySkin(kFeatureUnchanged, 1);
        QTEST(b->m_glyphRect, "glyph");
        QFETCH(int, textLeft);
        for (int i = 0; i < kStateCount; ++i)
            QCOMPARE(b->m_textRect[i], QRect(QPoint(textLeft, 0), QPoint(119, 29)));
        QCOMPARE(b->GetCheck(), 1);
    }

    void featureMask() {
        auto all = Attached(BS_AUTOCHECKBOX);
        all->ApplySkin(0x1F, 0x100); // the check state is the argument's low byte: 0
        QCOMPARE(all->GetCheck(), 0);
        QVERIFY(!all->m_drawText && !all->m_drawImage && !all->m_drawFrame && !all->m_drawFocus);
        QCOMPARE(all->m_fillBackground, (PerState<bool>{false, false, false, false}));
        auto none = Attached(0);
        none->ApplySkin(kFeatureUnchanged, 0);
        QVERIFY(none->m_drawText && none->m_drawFrame && none->m_drawFocus && none->m_fillBackground[N]);
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
