// The skinned button's input state machine, driven by mouse and keyboard events on shown buttons.
// Mouse events go through the window, as the window system delivers them (grabs, enter and leave).
#define QTEST_QPA_MOUSE_HANDLING
#include "ControlsTestSupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// A window with a plain button at the left and skinned buttons laid out beside it.
struct Window {
    QWidget widget;
    QPushButton* other = new QPushButton(QStringLiteral("other"), &widget);
    std::vector<CFxButton*> buttons;

    explicit Window(std::initializer_list<int> styles) {
        widget.resize(400, 100);
        other->setGeometry(0, 0, 60, 30);
        int x = 80;
        for (int style : styles) {
            auto* button = new CFxButton(QStringLiteral("b"), &widget);
            button->setButtonStyle(style);
            button->setGeometry(x, 10, 80, 30);
            button->Attach();
            button->ApplySkin(kFeatureUnchanged, 0);
            buttons.push_back(button);
            x += 90;
        }
        widget.show();
        widget.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&widget));
    }
    // A point of button i in window coordinates.
    QPoint At(std::size_t i, QPoint local = QPoint(40, 15)) const {
        return buttons[i]->geometry().topLeft() + local;
    }
    QWindow* Handle() { return widget.windowHandle(); }
};

} // namespace

class InputTest : public QObject {
    Q_OBJECT

private slots:
    void pressAndRelease() {
        Window w{0};
        CFxButton& b = *w.buttons[0];
        QSignalSpy clicks(&b, &QAbstractButton::clicked);
        QTest::mousePress(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QVERIFY(b.isDown());
        QTRY_COMPARE(b.currentState(), ButtonState::Pressed);
        QCOMPARE(clicks.count(), 0);
        QTest::mouseRelease(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QVERIFY(!b.isDown());
        QCOMPARE(clicks.count(), 1);
        QTRY_VERIFY(b.currentState() != ButtonState::Pressed);
    }

    void dragOutAndBackIn() {
        Window w{0};
        CFxButton& b = *w.buttons[0];
        QSignalSpy clicks(&b, &QAbstractButton::clicked);
        QTest::mousePress(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QTest::mouseMove(w.Handle(), QPoint(300, 80));
        QVERIFY(!b.isDown());
        QTRY_COMPARE(b.currentState(), ButtonState::Normal);
        QTest::mouseMove(w.Handle(), w.At(0, QPoint(10, 10)));
        QVERIFY(b.isDown());
        QTRY_COMPARE(b.currentState(), ButtonState::Pressed);
        QCOMPARE(clicks.count(), 0);
        QTest::mouseRelease(w.Handle(), Qt::LeftButton, {}, w.At(0, QPoint(10, 10)));
        QCOMPARE(clicks.count(), 1);

        // Released outside: no click.
        QTest::mousePress(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QTest::mouseMove(w.Handle(), QPoint(300, 80));
        QTest::mouseRelease(w.Handle(), Qt::LeftButton, {}, QPoint(300, 80));
        QCOMPARE(clicks.count(), 1);
    }

    void pressThatBeganElsewhere() {
        Window w{BS_AUTOCHECKBOX};
        CFxButton& b = *w.buttons[0];
        QSignalSpy clicks(&b, &QAbstractButton::clicked);
        // Through the window: the press on the other button keeps the mouse.
        QTest::mousePress(w.Handle(), Qt::LeftButton, {}, QPoint(30, 15));
        QTest::mouseMove(w.Handle(), w.At(0));
        QTest::mouseRelease(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QVERIFY(!b.isDown());
        QCOMPARE(b.GetCheck(), 0);
        QCOMPARE(clicks.count(), 0);

        // A move arriving with the button already held (a press outside the window).
        QMouseEvent held(QEvent::MouseMove, QPointF(40, 15), b.mapToGlobal(QPointF(40, 15)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&b, &held);
        QVERIFY(!b.isDown());
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(40, 15), b.mapToGlobal(QPointF(40, 15)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&b, &release);
        QCOMPARE(b.GetCheck(), 0);
        QCOMPARE(clicks.count(), 0);

        // The next genuine press works.
        QTest::mouseClick(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QCOMPARE(b.GetCheck(), 1);
        QCOMPARE(clicks.count(), 1);
    }

    void hoverComesWithTheNotificationAndGoes() {
        Window w{0};
        CFxButton& b = *w.buttons[0];
        QTest::mouseMove(w.Handle(), QPoint(300, 80));
        QTest::mouseMove(w.Handle(), w.At(0));
        QTRY_COMPARE(b.currentState(), ButtonState::Hover);
        QTest::mouseMove(w.Handle(), QPoint(300, 80));
        QTRY_COMPARE(b.currentState(), ButtonState::Normal);

        // Disabled under the pointer, it forgets the hover: enabled again, it shows Normal.
        QTest::mouseMove(w.Handle(), w.At(0, QPoint(5, 5)));
        QTRY_COMPARE(b.currentState(), ButtonState::Hover);
        b.setEnabled(false);
        QTRY_COMPARE(b.currentState(), ButtonState::Disabled);
        b.setEnabled(true);
        QTRY_COMPARE(b.currentState(), ButtonState::Normal);

        // The pointer rests on the button, untracked: a move arms tracking, and hover waits for
        // the notification that follows it.
        QMouseEvent move(QEvent::MouseMove, QPointF(6, 6), b.mapToGlobal(QPointF(6, 6)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&b, &move);
        QTRY_COMPARE(b.currentState(), ButtonState::Hover);
    }

    // A click ends tracking; a pointer that then jumps straight onto the neighbour, with no move
    // in between, leaves only the neighbour lit.
    void hoverFollowsAJumpAfterAClick() {
        Window w{0, 0};
        CFxButton& a = *w.buttons[0];
        CFxButton& b = *w.buttons[1];
        QTest::mouseMove(w.Handle(), w.At(0));
        QTRY_COMPARE(a.currentState(), ButtonState::Hover);
        QTest::mouseClick(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QTest::mouseMove(w.Handle(), w.At(1));
        QTRY_COMPARE(b.currentState(), ButtonState::Hover);
        QTRY_COMPARE(a.currentState(), ButtonState::Normal);
    }

    void spaceKey() {
        Window w{0, BS_AUTOCHECKBOX, BS_AUTORADIOBUTTON};
        for (CFxButton* b : w.buttons) {
            QSignalSpy clicks(b, &QAbstractButton::clicked);
            b->setFocus();
            QTRY_VERIFY(b->hasFocus());
            QTest::keyPress(b, Qt::Key_Space);
            // The check changes on the key press; the click comes with the key release.
            QCOMPARE(b->GetCheck(), b->kind() == ButtonKind::PushKind ? 0 : 1);
            QCOMPARE(clicks.count(), 0);
            QTest::keyRelease(b, Qt::Key_Space);
            QCOMPARE(clicks.count(), 1);
            QTest::keyClick(b, Qt::Key_Space);
            QCOMPARE(b->GetCheck(), b->kind() == ButtonKind::RadioKind ? 1 : 0);
            QTest::keyClick(b, Qt::Key_A);
            QCOMPARE(clicks.count(), 2);
        }
    }

    void doubleClickIsASecondPress() {
        Window w{BS_AUTOCHECKBOX};
        CFxButton& b = *w.buttons[0];
        QSignalSpy clicks(&b, &QAbstractButton::clicked);
        QTest::mouseDClick(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(b.GetCheck(), 0);
    }

    void checkBoxAndRadioByMouse() {
        Window w{BS_AUTOCHECKBOX, BS_AUTORADIOBUTTON};
        QTest::mouseClick(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QCOMPARE(w.buttons[0]->GetCheck(), 1);
        QTRY_COMPARE(w.buttons[0]->currentState(), ButtonState::Pressed);
        QTest::mouseClick(w.Handle(), Qt::LeftButton, {}, w.At(0));
        QCOMPARE(w.buttons[0]->GetCheck(), 0);
        QTest::mouseClick(w.Handle(), Qt::LeftButton, {}, w.At(1));
        QTest::mouseClick(w.Handle(), Qt::LeftButton, {}, w.At(1));
        QCOMPARE(w.buttons[1]->GetCheck(), 1);
    }

    void radioGroupReleasesTheOthers() {
        // Three radios form a group; the plain button after them ends it, and the radio behind
        // that starts another group.
        QWidget parent;
        std::vector<CFxButton*> radios;
        for (int i = 0; i < 3; ++i) {
            radios.push_back(new CFxButton(QStringLiteral("r"), &parent));
            radios.back()->setButtonStyle(BS_AUTORADIOBUTTON);
        }
        new QPushButton(QStringLiteral("stop"), &parent);
        auto* apart = new CFxButton(QStringLiteral("r"), &parent);
        apart->setButtonStyle(BS_AUTORADIOBUTTON);
        radios.push_back(apart);
        for (CFxButton* r : radios) {
            r->Attach();
            r->ApplySkin(kFeatureUnchanged, 0);
        }
        apart->SetCheck(1);
        radios[0]->SetCheck(1);
        QCoreApplication::processEvents();
        QCOMPARE(radios[0]->GetCheck(), 1);

        radios[2]->SetCheck(1);
        QCOMPARE(radios[0]->GetCheck(), 1); // posted, not sent
        QCoreApplication::processEvents();
        QCOMPARE(radios[0]->GetCheck(), 0);
        QCOMPARE(radios[1]->GetCheck(), 0);
        QCOMPARE(radios[2]->GetCheck(), 1);
        QCOMPARE(apart->GetCheck(), 1);

        // A check box ignores the message.
        CFxButton check;
        check.setButtonStyle(BS_AUTOCHECKBOX);
        check.Attach();
        check.SetCheck(1);
        PostMessage(&check, WM_FXBUTTON_UNCHECK);
        QCoreApplication::processEvents();
        QCOMPARE(check.GetCheck(), 1);
    }

    // The press ends with the focus: the button held on from there on is a press from elsewhere,
    // and its release neither clicks nor checks.
    void focusLossEndsThePress() {
        Window w{0, BS_AUTOCHECKBOX};
        for (std::size_t i = 0; i < w.buttons.size(); ++i) {
            CFxButton& b = *w.buttons[i];
            QSignalSpy clicks(&b, &QAbstractButton::clicked);
            QTest::mousePress(w.Handle(), Qt::LeftButton, {}, w.At(i));
            QTRY_VERIFY(b.hasFocus());
            w.other->setFocus();
            QTRY_VERIFY(!b.hasFocus());
            QVERIFY(!b.isDown());
            QTest::mouseMove(w.Handle(), w.At(i, QPoint(20, 12)));
            QTest::mouseRelease(w.Handle(), Qt::LeftButton, {}, w.At(i, QPoint(20, 12)));
            QCOMPARE(clicks.count(), 0);
            QCOMPARE(b.GetCheck(), 0);
        }
    }
};

QTEST_MAIN(InputTest)
#include "input_test.moc"
