// The player control's bridge: calls into a movie, the movie's calls out, and what happens
// without a usable movie.
#include "player/CShockwaveflash1.h"
#include "player/ExternalInterface.h"

#include <QFile>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tessaly;

namespace {

QVariantList Calls(CShockwaveflash1& flash) {
    return flash.rootObject() ? flash.rootObject()->property("calls").toList() : QVariantList();
}

int g_warnings = 0;
QtMessageHandler g_previousHandler = nullptr;

void CountWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg || type == QtCriticalMsg)
        ++g_warnings;
    g_previousHandler(type, context, text);
}

} // namespace

class FlashBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { g_previousHandler = qInstallMessageHandler(CountWarnings); }

    void callFunctionReachesTheMovieAndReturnsItsAnswer() {
        CShockwaveflash1 flash;
        QSignalSpy ready(&flash, &CShockwaveflash1::OnReadyStateChange);
        flash.put_Movie(TESSALY_RECORDER_MOVIE);
        QCOMPARE(flash.get_Movie(), QStringLiteral(TESSALY_RECORDER_MOVIE));
        QTRY_VERIFY(flash.status() == QQuickView::Ready);
        QVERIFY(!ready.isEmpty());
        QCOMPARE(ready.last().at(0).toInt(), 4);

        QCOMPARE(flash.CallFunction(InvokeText("echo", {"a&b", "<c>"})),
                 QStringLiteral("<string>a&amp;b/&lt;c&gt;</string>"));
        QCOMPARE(flash.CallFunction(InvokeText("number", {})), QStringLiteral("<number>42</number>"));
        QCOMPARE(flash.CallFunction(InvokeText("nothing", {})), QStringLiteral("<undefined/>"));

        const QString path = QStringLiteral("/home/u/VDOWNLOAD/R&B <live> 现场.flv");
        flash.CallFunction(InvokeText("openFlv", {path}));
        const QVariantList calls = Calls(flash);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].toMap()["name"].toString(), QStringLiteral("openFlv"));
        QCOMPARE(calls[0].toMap()["args"].toStringList(), QStringList{path});
    }

    void failedCallsAnswerNothing() {
        CShockwaveflash1 flash;
        flash.put_Movie(TESSALY_RECORDER_MOVIE);
        QTRY_VERIFY(flash.status() == QQuickView::Ready);
        QCOMPARE(flash.CallFunction(InvokeText("noSuchFunction", {})), QString());
        QCOMPARE(flash.CallFunction(InvokeText("fail", {})), QString());
        QCOMPARE(flash.CallFunction("<invoke name=\"openFlv\"><arguments><string>a & b</string>"), QString());
        QVERIFY(Calls(flash).isEmpty());
    }

    void movieCallsReachThePageBeforeTheyReturn() {
        CShockwaveflash1 flash;
        flash.put_Movie(TESSALY_RECORDER_MOVIE);
        QTRY_VERIFY(flash.status() == QQuickView::Ready);
        QStringList seen;
        // The page answers inside the request, as it does for "getlist".
        connect(&flash, &CShockwaveflash1::FlashCall, this, [&](const QString& request) {
            seen << request;
            flash.CallFunction(InvokeText("getList", {"|"}));
        });
        flash.CallFunction(InvokeText("send", {"getlist"}));
        flash.CallFunction(InvokeText("send", {"say", "x < y & z"}));
        QCOMPARE(seen,
                 (QStringList{
                     "<invoke name=\"getlist\" returntype=\"xml\"><arguments></arguments></invoke>",
                     "<invoke name=\"say\" returntype=\"xml\"><arguments><string>x &lt; y &amp; z</string>"
                     "</arguments></invoke>"}));
        QStringList order;
        for (const QVariant& call : Calls(flash))
            order << call.toMap()["name"].toString();
        QCOMPARE(order, (QStringList{"getList", "returned", "getList", "returned"}));
    }

    void missingOrBrokenMoviesFailQuietlyAfterOneReport() {
        QTemporaryDir dir;
        QFile broken(dir.filePath("plsys.dll"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("MZ\x90\x00 this is not a movie {{{");
        broken.close();

        for (const QString& movie : {dir.filePath("missing.dll"), dir.filePath("plsys.dll")}) {
            CShockwaveflash1 flash;
            QSignalSpy ready(&flash, &CShockwaveflash1::OnReadyStateChange);
            flash.put_Movie(movie);
            QTRY_VERIFY(flash.status() == QQuickView::Error);
            QCOMPARE(ready.last().at(0).toInt(), 1);
            const int warningsAfterLoad = g_warnings;
            for (int i = 0; i < 5; ++i)
                QCOMPARE(flash.CallFunction(InvokeText("openFlv", {"/x.flv"})), QString());
            QCOMPARE(g_warnings, warningsAfterLoad);
        }
    }

    void aNewMovieDropsTheOldMoviesFunctions() {
        QTemporaryDir dir;
        QFile other(dir.filePath("other.qml"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("import QtQuick\nItem {}\n");
        other.close();
        CShockwaveflash1 flash;
        flash.put_Movie(TESSALY_RECORDER_MOVIE);
        QTRY_VERIFY(flash.status() == QQuickView::Ready);
        flash.put_Movie(other.fileName());
        QTRY_VERIFY(flash.status() == QQuickView::Ready);
        QCOMPARE(flash.CallFunction(InvokeText("number", {})), QString());
    }
};

QTEST_MAIN(FlashBridgeTest)
#include "flash_bridge_test.moc"
