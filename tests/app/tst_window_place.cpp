// The main window on a real X server: the first switch to the player page, whose movie draws in
// a window of its own, keeps the main window's native window and its place on the screen.
#include "AppTestSupport.h"
#include "app/CorvaneDlg.h"

#include <QFile>
#include <QTest>
#include <QWindow>
#include <memory>

using namespace tessaly;
using namespace tessaly::test;

class WindowPlaceTest : public QObject {
    Q_OBJECT
private slots:
    void keepsItsWindowAndPlaceWhenThePlayerPageFirstShows() {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X server");
        ScratchStartDir start;
        QVERIFY(
            QFile::copy(QCoreApplication::applicationDirPath() + "/plsys.dll", start.path() + "/plsys.dll"));
        CorvaneDlg dlg;
        dlg.show(); // placed by the dialog itself, as the program shows it
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const WId before = dlg.winId();
        // Asked of the X server, not of Qt's record of the window.
        const QPoint place = dlg.mapToGlobal(QPoint(0, 0));
        QVERIFY(place != QPoint(0, 0));

        dlg.ShowPlayerPage();
        // The movie's own window, inside the main window's, is up and drawn on.
        const auto movieWindowShows = [&] {
            const QList<QWindow*> inner = dlg.windowHandle()->findChildren<QWindow*>();
            return inner.size() == 1 && inner.first()->isExposed();
        };
        QTRY_VERIFY(movieWindowShows());
        QCOMPARE(dlg.winId(), before);
        QVERIFY(dlg.windowHandle()->isExposed());
        QCOMPARE(dlg.mapToGlobal(QPoint(0, 0)), place);
    }
};

QTEST_MAIN(WindowPlaceTest)
#include "tst_window_place.moc"
