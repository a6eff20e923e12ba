// The main window on a real X server: it keeps its place on the screen when Qt makes its native
// window anew, as it does the first time a page that draws through OpenGL shows in it.
#include "AppTestSupport.h"
#include "app/CorvaneDlg.h"

#include <QTest>
#include <memory>

using namespace tessaly;
using namespace tessaly::test;

class WindowPlaceTest : public QObject {
    Q_OBJECT
private slots:
    void keepsItsPlaceWhenTheFirstOpenGLPageShows() {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X server");
        ScratchStartDir start;
        CorvaneDlg dlg;
        dlg.show(); // placed by the dialog itself, as the program shows it
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const WId before = dlg.winId();
        // Asked of the X server, not of Qt's record of the window.
        const QPoint place = dlg.mapToGlobal(QPoint(0, 0));
        QVERIFY(place != QPoint(0, 0));

        dlg.ShowPlayerPage(); // its movie draws through OpenGL
        QTRY_VERIFY(dlg.winId() != before);
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTRY_COMPARE(dlg.mapToGlobal(QPoint(0, 0)), place);
    }
};

QTEST_MAIN(WindowPlaceTest)
#include "tst_window_place.moc"
