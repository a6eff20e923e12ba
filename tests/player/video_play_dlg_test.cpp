// The player page with a movie that records the calls it gets: delivery of the file to play,
// pause on hide, the movie's open and list requests, keys and drawing.
#include "player/ExternalInterface.h"
#include "player/PlayerMessages.h"
#include "player/PlayerRequests.h"
#include "player/VideoPlayDlg.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

using namespace tessaly;

namespace {

struct Call {
    QString name;
    QString arg;
};

QList<Call> Calls(VideoPlayDlg& page) {
    QList<Call> calls;
    if (QQuickItem* root = page.flash().rootObject()) {
        for (const QVariant& v : root->property("calls").toList()) {
            const QVariantMap map = v.toMap();
            const QStringList args = map["args"].toStringList();
            calls.append({map["name"].toString(), args.value(0)});
        }
    }
    return calls;
}

QStringList Names(VideoPlayDlg& page) {
    QStringList names;
    for (const Call& call : Calls(page))
        names << call.name;
    return names;
}

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Has the movie ask the page for something, as its buttons do.
void MovieSends(VideoPlayDlg& page, const QString& request) {
    page.flash().CallFunction(InvokeText("send", {request}));
}

// A window that paints its whole surface in one colour, as the main window paints its skin.
class SkinWindow : public QWidget {
public:
    explicit SkinWindow(const QColor& skin) : m_skin(skin) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_skin); }

private:
    QColor m_skin;
};

// The process's resident anonymous memory in kB.
long ResidentAnonymousKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void PlayFile(VideoPlayDlg& page, const QString& path) {
    appSettings().setFileToPlay(path.toStdU16String());
    PostMessage(&page, WM_PLAYER_OPEN);
    QCoreApplication::sendPostedEvents(&page, 0);
}

} // namespace

class VideoPlayDlgTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_startDir;
    QString m_folder;

private slots:
    void init() {
        // The start-up directory holds the recording movie as "plsys.dll" and nothing else.
        QDir start(m_startDir.path());
        start.removeRecursively();
        QVERIFY(start.mkpath("."));
        QVERIFY(QFile::copy(TESSALY_RECORDER_MOVIE, start.filePath("plsys.dll")));
        appSettings().LoadSettings(start.path().toStdString());
        m_folder = QString::fromStdU16String(appSettings().downloadFolder());
        QCOMPARE(m_folder, start.path() + "/VDOWNLOAD/");
    }

    void pageFollowsItsTemplateAndLoadsTheMovieFromTheStartDirectory() {
        VideoPlayDlg page(appSettings());
        QVERIFY(page.isHidden());
        QCOMPARE(page.size(), QSize(557, 458));
        QCOMPARE(page.flash().geometry(), QRect(30, 57, 495, 383));
        QCOMPARE(page.flash().get_Movie(), m_startDir.path() + "/plsys.dll");
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        page.resize(700, 500);
        QCOMPARE(page.flash().geometry(), QRect(30, 57, 495, 383));
    }

    void fileToPlayGoesOutOnceTheMovieIsReady() {
        VideoPlayDlg page(appSettings());
        page.show();
        // Asked for before the movie has been read, as the main window asks a page it has just made.
        const QString path = m_folder + "R&B <live> 1.flv";
        PlayFile(page, path);
        QVERIFY(page.flash().status() == QQuickView::Loading);
        QTRY_COMPARE(Names(page), QStringList{"openFlv"});
        QCOMPARE(Calls(page)[0].arg, path);

        // A ready movie on a page that shows gets the file at once; each request goes out once.
        PlayFile(page, "/v/second.flv");
        QCOMPARE(Names(page), (QStringList{"openFlv", "openFlv"}));
        QCOMPARE(Calls(page)[1].arg, QStringLiteral("/v/second.flv"));
        // A hidden page keeps the request until it shows again.
        page.hide();
        PlayFile(page, "/v/third.flv");
        QCOMPARE(Names(page), (QStringList{"openFlv", "openFlv", "pauseMv"}));
        page.show();
        QCOMPARE(Names(page), (QStringList{"openFlv", "openFlv", "pauseMv", "openFlv"}));
        QCOMPARE(Calls(page)[3].arg, QStringLiteral("/v/third.flv"));
    }

    void hiddenOrDisabledPageKeepsTheNewestRequest() {
        QWidget window;
        VideoPlayDlg page(appSettings(), &window);
        window.show();
        // The page is still hidden, as created; its movie is read all the same.
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        PlayFile(page, "/v/first.flv");
        PlayFile(page, "/v/second.flv");
        QVERIFY(Calls(page).isEmpty());

        page.setEnabled(false);
        page.show();
        QCoreApplication::processEvents();
        QVERIFY(Calls(page).isEmpty());

        page.setEnabled(true);
        QCOMPARE(Names(page), QStringList{"openFlv"});
        QCOMPARE(Calls(page)[0].arg, QStringLiteral("/v/second.flv"));
    }

    void hidingPausesOnceAndShowingSendsNothing() {
        QWidget window;
        VideoPlayDlg page(appSettings(), &window);
        window.show();
        page.show();
        QCoreApplication::processEvents();
        QVERIFY(Calls(page).isEmpty());
        // Minimising and restoring the window hides and shows the page spontaneously: no pause.
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        window.showNormal();
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(Calls(page).isEmpty());
        page.hide();
        QCOMPARE(Names(page), QStringList{"pauseMv"});
        QCOMPARE(Calls(page)[0].arg, QString());
        page.hide();
        page.show();
        QCoreApplication::processEvents();
        QCOMPARE(Names(page), QStringList{"pauseMv"});
        page.hide();
        QCOMPARE(Names(page), (QStringList{"pauseMv", "pauseMv"}));
    }

    void listRequestAnswersWithTheDownloadedFiles() {
        VideoPlayDlg page(appSettings());
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        MovieSends(page, "getlist");
        QCOMPARE(Names(page), (QStringList{"getList", "returned"}));
        QCOMPARE(Calls(page)[0].arg, QStringLiteral("|"));

        QVERIFY(QDir().mkpath(m_folder));
        Touch(m_folder + "b.flv");
        Touch(m_folder + "a.flv");
        Touch(m_folder + "a.txt");
        // A name no request can carry is left out alone; a carriage return arrives as it is.
        Touch(m_folder + "bell\x07.flv");
        Touch(m_folder + "c\r.flv");
        MovieSends(page, "getlist");
        QCOMPARE(Calls(page)[2].name, QStringLiteral("getList"));
        QCOMPARE(Calls(page)[2].arg, m_startDir.path() + "/VDOWNLOAD/a.flv|" + m_startDir.path() +
                                         "/VDOWNLOAD/b.flv|" + m_startDir.path() + "/VDOWNLOAD/c\r.flv");
    }

    void movieRequestsOtherThanOpenAndListAreIgnored() {
        VideoPlayDlg page(appSettings());
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        bool dialogShown = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialogShown = true;
                dialog->reject();
            }
        });
        watcher.start(10);
        for (const char* request : {"GetList", "openFile", "play", ""})
            MovieSends(page, request);
        // Starting the request with the word is not asking for it.
        page.flash().FlashCall("openfile");
        page.flash().FlashCall("getlist now");
        QCOMPARE(Names(page), QStringList(4, "returned"));
        QVERIFY(!dialogShown);
    }

    void openRequestShowsTheDialogInTheDownloadFolder() {
        QVERIFY(QDir().mkpath(m_folder));
        const QString chosen = m_folder + "a & b.flv";
        Touch(chosen);
        Touch(m_folder + "other.txt");
        VideoPlayDlg page(appSettings());
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        const QString cwd = QDir::currentPath();

        QString directory;
        QStringList filters;
        QStringList listed;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            directory = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
        MovieSends(page, "openfile");
        QCOMPARE(directory, QDir(m_folder).absolutePath());
        QCOMPARE(filters, QStringList{"All Files (*.flv)"});
        QCOMPARE(Names(page), (QStringList{"openFlv", "returned"}));
        QCOMPARE(Calls(page)[0].arg, chosen);
        QCOMPARE(QDir::currentPath(), cwd);
        // The chosen file goes to the movie only.
        QCOMPARE(appSettings().fileToPlay(), std::u16string());
    }

    void cancelledDialogSendsNothing() {
        VideoPlayDlg page(appSettings());
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            shown = dialog != nullptr;
            if (dialog)
                dialog->reject();
        });
        MovieSends(page, "openfile");
        QVERIFY(shown);
        QCOMPARE(Names(page), QStringList{"returned"});
    }

    void enterAndEscNeverReachTheWindow() {
        QDialog window;
        VideoPlayDlg page(appSettings(), &window);
        window.show();
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (QWidget* target : {static_cast<QWidget*>(&page.flash()), static_cast<QWidget*>(&page)}) {
            for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
                QTest::keyClick(target, key);
        }
        QVERIFY(window.isVisible());
        QCOMPARE(window.result(), 0);
    }

    void pagePaintsHeadingLineAndPanelOverWhatLiesBeneath() {
        // The window beneath the page paints a skin of its own; it shows around the shapes.
        const QColor skin(250, 0, 250);
        SkinWindow window(skin);
        VideoPlayDlg page(appSettings(), &window);
        window.resize(page.size());
        window.show();
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage image = window.grab().toImage();
        QCOMPARE(image.pixelColor(300, 30), QColor(24, 141, 220));
        QCOMPARE(image.pixelColor(500, 30), skin);
        QCOMPARE(image.pixelColor(20, 445), QColor(198, 220, 245));
        QCOMPARE(image.pixelColor(538, 60), QColor(198, 220, 245));
        for (const QPoint p :
             {QPoint(545, 60), QPoint(5, 5), QPoint(300, 40), QPoint(300, 452), QPoint(550, 455)})
            QCOMPARE(image.pixelColor(p), skin);
        int heading = 0;
        for (int y = 18; y < 32; ++y) {
            for (int x = 10; x < 140; ++x)
                heading += image.pixelColor(x, y) == QColor(12, 62, 113);
        }
        QVERIFY(heading > 20);
    }

    void labelsWithoutAnIdAreTransparent() {
        VideoPlayDlg page(appSettings());
        auto* plain = new QLabel("a", &page);
        auto* named = new QLabel("b", &page);
        named->setObjectName("1016");
        for (QLabel* label : {plain, named})
            label->setAutoFillBackground(true);
        page.show();
        QCoreApplication::processEvents();
        QVERIFY(!plain->autoFillBackground());
        QVERIFY(named->autoFillBackground());
    }

    void hiddenPageGivesFreedMemoryBack() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer's allocator holds freed memory back on purpose");
#endif
        VideoPlayDlg page(appSettings());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        // 64 MiB in small blocks on a thread of its own, as a pipeline's threads allocate, all
        // freed but every 64th: the freed blocks stay with the C library, between the kept ones.
        std::vector<std::unique_ptr<char[]>> kept;
        std::thread([&kept] {
            std::vector<std::unique_ptr<char[]>> blocks;
            for (int i = 0; i < 64 * 1024; ++i) {
                blocks.emplace_back(new char[1000]);
                std::memset(blocks.back().get(), 1, 1000);
            }
            for (std::size_t i = 0; i < blocks.size(); i += 64)
                kept.push_back(std::move(blocks[i]));
        }).join();
        const long before = ResidentAnonymousKb();
        QVERIFY(before > 0);
        page.hide();
        QTRY_VERIFY2(ResidentAnonymousKb() < before - 32 * 1024, "freed memory is still held");
    }

    void missingMovieLeavesThePageWorking() {
        QVERIFY(QFile::remove(m_startDir.filePath("plsys.dll")));
        VideoPlayDlg page(appSettings());
        page.show();
        QTRY_VERIFY(page.flash().status() == QQuickView::Error);
        // Kept for a movie that never comes, quietly.
        PlayFile(page, "/v/a.flv");
        page.hide();
        page.show();
        QVERIFY(page.isVisible());
    }
};

QTEST_MAIN(VideoPlayDlgTest)
#include "video_play_dlg_test.moc"
