// Real playback on an X server: FLV files made by ffmpeg (Sorenson H.263 + MP3, H.264 + AAC) are
// handed to the player page and played by the shipped movie; the page's pixels show the video.
// The movie's conversion of decoded frames to pictures, for each frame layout a decoder yields.
#include "player/FrameImage.h"
#include "player/PlayerMessages.h"
#include "player/PlayerRequests.h"
#include "player/VideoPlayDlg.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QQuickItem>
#include <QQuickView>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace tessaly;

namespace {

QVariant MovieState(VideoPlayDlg& page, const char* name) {
    QQuickItem* root = page.flash().rootObject();
    return root ? root->property(name) : QVariant();
}

// Share of the video area (the control without its bottom bar) that is not near-black.
double LitShare(const QImage& image, const QRect& area) {
    int lit = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            lit += c.red() + c.green() + c.blue() > 90;
        }
    }
    return double(lit) / (area.width() * area.height());
}

} // namespace

class PlaybackTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;

    static void makeFlv(const QString& path, const QStringList& codecs) {
        const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
        QVERIFY2(!ffmpeg.isEmpty(), "ffmpeg is needed to make the test videos");
        QStringList args = {"-v",
                            "error",
                            "-y",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc=size=320x240:rate=25:duration=8",
                            "-f",
                            "lavfi",
                            "-i",
                            "sine=frequency=440:duration=8"};
        args << codecs << "-ar"
             << "44100"
             << "-f"
             << "flv" << path;
        QProcess process;
        process.start(ffmpeg, args);
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    }

    QImage grabPage(VideoPlayDlg& page) { return page.screen()->grabWindow(page.winId()).toImage(); }

    QRect videoArea(VideoPlayDlg& page) { return page.flash().geometry().adjusted(0, 0, 0, -40); }

    // Waits until the movie has drawn a frame after everything it has been told so far.
    static bool waitForFrame(VideoPlayDlg& page) {
        QQuickView* movie = page.flash().movieWindow();
        QSignalSpy swapped(movie, &QQuickWindow::frameSwapped);
        movie->update();
        return swapped.wait(15000);
    }

    // The film standing still: its position and its picture unchanged for a quiet spell, which
    // a playing film (a position report every 100 ms, 25 pictures a second) never has. No event
    // says that a paused pipeline's last position report is in (it trails the pause by as long
    // as a loaded machine takes), so this waits for quiet, not for a signal: a slow machine
    // makes it wait longer, never fail. False when the film does not stand still in 15 s, or
    // stands still only at its end.
    bool waitUntilStill(VideoPlayDlg& page, int* position, QImage* picture) {
        constexpr int kQuietMs = 800;
        int last = MovieState(page, "position").toInt();
        QImage lastPicture = grabPage(page).copy(videoArea(page));
        QElapsedTimer quiet, overall;
        quiet.start();
        overall.start();
        while (overall.elapsed() < 15000) {
            QTest::qWait(50);
            const int now = MovieState(page, "position").toInt();
            const QImage nowPicture = grabPage(page).copy(videoArea(page));
            if (now != last || nowPicture != lastPicture) {
                last = now;
                lastPicture = nowPicture;
                quiet.restart();
            } else if (quiet.elapsed() >= kQuietMs) {
                *position = last;
                *picture = lastPicture;
                // A film that has run to its end stands still too.
                return last + 1000 < MovieState(page, "duration").toInt();
            }
        }
        return false;
    }

private slots:
    void initTestCase() {
        // A start-up directory of its own with the shipped movie, so the download folder is ours.
        QVERIFY(
            QFile::copy(QCoreApplication::applicationDirPath() + "/plsys.dll", m_dir.filePath("plsys.dll")));
        appSettings().LoadSettings(m_dir.path().toStdString());
        m_folder = QString::fromStdU16String(appSettings().downloadFolder());
        QVERIFY(QDir().mkpath(m_folder));
        makeFlv(m_folder + "h263.flv", {"-c:v", "flv1", "-q:v", "3", "-c:a", "libmp3lame"});
        makeFlv(m_folder + "h264.flv",
                {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac"});
        QFile text(m_dir.filePath("not a video.flv"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some words, no video here\n");
        text.close();
    }

    void playsAndPauses_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("Sorenson H.263 + MP3") << "h263.flv";
        QTest::newRow("H.264 + AAC") << "h264.flv";
    }

    void playsAndPauses() {
        QFETCH(QString, file);
        VideoPlayDlg page(appSettings());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        QVERIFY(waitForFrame(page));
        QVERIFY(LitShare(grabPage(page), videoArea(page)) < 0.05);

        appSettings().setFileToPlay((m_folder + file).toStdU16String());
        PostMessage(&page, WM_PLAYER_OPEN);
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "playing").toBool(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > 300, 15000);

        QImage image;
        const auto showsVideo = [&] {
            image = grabPage(page);
            return LitShare(image, videoArea(page)) > 0.5;
        };
        QTRY_VERIFY_WITH_TIMEOUT(showsVideo(), 15000);
        image.save(
            QStringLiteral(TESSALY_SCREENSHOT_DIR "/player-playing-%1.png").arg(QFileInfo(file).baseName()));
        QCOMPARE(MovieState(page, "message").toString(), QString());
        // The movie draws without OpenGL: no OpenGL driver has come into the process.
        QFile maps("/proc/self/maps");
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("_dri.so"));

        // Minimised and restored, the window is no page hidden: the film plays on through both.
        page.showMinimized();
        QTRY_VERIFY(page.isMinimized());
        int before = MovieState(page, "position").toInt();
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > before + 200, 15000);
        page.showNormal();
        QTRY_VERIFY(!page.isMinimized());
        QVERIFY(MovieState(page, "playing").toBool());
        before = MovieState(page, "position").toInt();
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > before + 200, 15000);
        page.CallMovie(PauseMvRequest());
        QTRY_VERIFY(!MovieState(page, "playing").toBool());
        int paused = 0;
        QImage still;
        QVERIFY2(waitUntilStill(page, &paused, &still), "the paused film goes on");

        // Hidden, the movie lets its file go (no media, no duration); shown again, it has the file
        // back, paused where it stood, with that picture on the screen.
        page.hide();
        QTRY_COMPARE(MovieState(page, "duration").toInt(), 0);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "duration").toInt() > 0, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(MovieState(page, "position").toInt() - paused) < 300, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(LitShare(grabPage(page), videoArea(page)) > 0.5, 15000);
        int resumed = 0;
        QVERIFY2(waitUntilStill(page, &resumed, &still), "the film plays on after the page shows again");
        QVERIFY(!MovieState(page, "playing").toBool());
        QVERIFY(qAbs(resumed - paused) < 300);
    }

    void framePictureFromEachLayout_data() {
        QTest::addColumn<QVideoFrameFormat::PixelFormat>("format");
        QTest::newRow("planar, Cb plane first") << QVideoFrameFormat::Format_YUV420P;
        QTest::newRow("planar, Cr plane first") << QVideoFrameFormat::Format_YV12;
        QTest::newRow("semi-planar CbCr") << QVideoFrameFormat::Format_NV12;
        QTest::newRow("semi-planar CrCb") << QVideoFrameFormat::Format_NV21;
    }

    void framePictureFromEachLayout() {
        QFETCH(QVideoFrameFormat::PixelFormat, format);
        // 6 × 4 pixels in 2 × 2 blocks, red green blue over blue red green (BT.601, video range).
        struct Colour {
            int y, cb, cr;
            QColor rgb;
        };
        const Colour red{81, 90, 240, Qt::red}, green{145, 54, 34, Qt::green}, blue{41, 240, 110, Qt::blue};
        const Colour blocks[2][3] = {{red, green, blue}, {blue, red, green}};
        const bool semiPlanar =
            format == QVideoFrameFormat::Format_NV12 || format == QVideoFrameFormat::Format_NV21;
        const bool crFirst =
            format == QVideoFrameFormat::Format_YV12 || format == QVideoFrameFormat::Format_NV21;

        QVideoFrame frame(QVideoFrameFormat(QSize(6, 4), format));
        QVERIFY(frame.map(QVideoFrame::WriteOnly));
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x)
                frame.bits(0)[y * frame.bytesPerLine(0) + x] = uchar(blocks[y / 2][x / 2].y);
        }
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                const Colour& c = blocks[row][column];
                const uchar first = uchar(crFirst ? c.cr : c.cb), second = uchar(crFirst ? c.cb : c.cr);
                if (semiPlanar) {
                    uchar* pair = frame.bits(1) + row * frame.bytesPerLine(1) + column * 2;
                    pair[0] = first;
                    pair[1] = second;
                } else {
                    frame.bits(1)[row * frame.bytesPerLine(1) + column] = first;
                    frame.bits(2)[row * frame.bytesPerLine(2) + column] = second;
                }
            }
        }
        frame.unmap();

        const QImage picture = FrameImage(frame);
        QCOMPARE(picture.size(), QSize(6, 4));
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                const QColor got = picture.pixelColor(x, y), want = blocks[y / 2][x / 2].rgb;
                const bool close = qAbs(got.red() - want.red()) <= 3 &&
                                   qAbs(got.green() - want.green()) <= 3 &&
                                   qAbs(got.blue() - want.blue()) <= 3;
                QVERIFY2(
                    close,
                    qPrintable(
                        QString("pixel %1,%2 is %3, not %4").arg(x).arg(y).arg(got.name(), want.name())));
            }
        }
    }

    void badFilesShowAMessageAndTheMovieStaysUsable() {
        VideoPlayDlg page(appSettings());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);

        for (const QString& bad : {m_dir.filePath("missing.flv"), m_dir.filePath("not a video.flv")}) {
            page.CallMovie(OpenFlvRequest(bad));
            QTRY_VERIFY_WITH_TIMEOUT(
                MovieState(page, "message").toString().contains(QFileInfo(bad).fileName()), 15000);
            QVERIFY(!MovieState(page, "playing").toBool());
        }
        QVERIFY(waitForFrame(page));
        grabPage(page).save(TESSALY_SCREENSHOT_DIR "/player-message.png");
        // A relative path starts from the start-up directory, where the movie lies.
        page.CallMovie(OpenFlvRequest("VDOWNLOAD/h263.flv"));
        QCOMPARE(MovieState(page, "message").toString(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > 300, 15000);
    }

    void listButtonShowsTheDownloadsAndAnEntryPlays() {
        // Names from page titles: a carriage return reaches the movie's list as it is; a name
        // no request can carry is left out alone.
        const QString oddNames[] = {m_folder + "line\rbreak.flv", m_folder + "bell\x07.flv"};
        for (const QString& name : oddNames)
            QVERIFY(QFile::copy(m_folder + "h263.flv", name));
        const auto removeOddNames = qScopeGuard([&] {
            for (const QString& name : oddNames)
                QFile::remove(name);
        });
        VideoPlayDlg page(appSettings());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        clickMovieItem(page, "listButton");
        QTRY_COMPARE(MovieState(page, "playlist").toStringList(),
                     (QStringList{m_folder + "h263.flv", m_folder + "h264.flv", oddNames[0]}));
        QVERIFY(waitForFrame(page));
        grabPage(page).save(TESSALY_SCREENSHOT_DIR "/player-list.png");
        clickMovieItem(page, "entry2");
        QTRY_COMPARE(MovieState(page, "currentFile").toString(), oddNames[0]);
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > 300, 15000);
    }

    void openButtonAsksThePageForAFileAndPlaysIt() {
        VideoPlayDlg page(appSettings());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        bool chosen = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->selectFile(m_folder + "h263.flv");
            static_cast<QDialog*>(dialog)->accept();
            chosen = true;
        });
        clickMovieItem(page, "openButton");
        QVERIFY(chosen);
        QCOMPARE(MovieState(page, "currentFile").toString(), m_folder + "h263.flv");
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > 300, 15000);
    }

    // The movie from the keyboard: Tab into the control reaches its first control and walks
    // them in order; Space pauses (the picture and the position stand still) and plays again.
    void keyboardWalksTheControlsAndSpaceTogglesPlayback() {
        VideoPlayDlg page(appSettings());
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        QTRY_VERIFY(page.flash().status() == QQuickView::Ready);
        appSettings().setFileToPlay((m_folder + "h263.flv").toStdU16String());
        PostMessage(&page, WM_PLAYER_OPEN);
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > 300, 15000);

        // The control, the page's one stop, has the keyboard and has given it to the movie.
        QQuickView* movie = page.flash().movieWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), movie);
        const auto focused = [movie] {
            return movie->activeFocusItem() ? movie->activeFocusItem()->objectName() : QString();
        };
        QTest::keyClick(movie, Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("playButton"));
        QTest::keyClick(movie, Qt::Key_Tab);
        QTest::keyClick(movie, Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("muteButton"));
        QTest::keyClick(movie, Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("volumeBar"));

        QTest::keyClick(movie, Qt::Key_Space);
        QTRY_VERIFY(!MovieState(page, "playing").toBool());
        int paused = 0;
        QImage still;
        QVERIFY2(waitUntilStill(page, &paused, &still), "the paused film goes on");

        QTest::keyClick(movie, Qt::Key_Space);
        QTRY_VERIFY(MovieState(page, "playing").toBool());
        QTRY_VERIFY_WITH_TIMEOUT(MovieState(page, "position").toInt() > paused + 300, 15000);
        QTRY_VERIFY(grabPage(page).copy(videoArea(page)) != still);
    }

private:
    // Searches the visual tree: list entries have no QObject parent to find them by.
    static QQuickItem* findItem(QQuickItem* item, const QString& name) {
        if (item->objectName() == name)
            return item;
        for (QQuickItem* child : item->childItems()) {
            if (QQuickItem* found = findItem(child, name))
                return found;
        }
        return nullptr;
    }

    static void clickMovieItem(VideoPlayDlg& page, const char* name) {
        QQuickItem* item = findItem(page.flash().rootObject(), name);
        QVERIFY2(item, name);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(page.flash().movieWindow(), Qt::LeftButton, {}, centre.toPoint());
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: real playback needs an X server (DISPLAY)");
        return 77;
    }
    QApplication app(argc, argv);
    PlaybackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "playback_test.moc"
