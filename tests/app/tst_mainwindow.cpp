// The main window: layout and page buttons, figures from posted messages and the 2-second speed
// refresh, page switching and WM_PLAY_FILE, Enter/Esc, the close question, the About box; and one
// download through the real page and server. Saves a screenshot of each page into the build tree.
#include "AppTestSupport.h"
#include "app/CAboutDlg.h"
#include "app/CorvaneDlg.h"
#include "app/FontConfiguration.h"
#include "app/PageButtons.h"
#include "download/core/TaskList.h"
#include "download/page/DownloaderDlg.h"
#include "download/page/PageMessages.h"
#include "download/page/TaskListView.h"
#include "player/PlayerMessages.h"
#include "player/VideoPlayDlg.h"
#include "res/Resources.h"
#include "settings/AppSettings.h"
#include "tests/support/TestServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// A message reaches only a receiver that takes it: any other pairing does not compile.
template <typename Receiver, typename Message>
concept Postable = requires(Receiver* receiver, Message message) {
    PostMessage(receiver, message);
};
static_assert(Postable<CorvaneDlg, PlayFile> && Postable<CorvaneDlg, WM_TASK_RATE>);
static_assert(!Postable<VideoPlayDlg, PlayFile> && !Postable<CorvaneDlg, PlayerOpen>);
static_assert(!Postable<CorvaneDlg, WM_TASK_SPEED> && !Postable<DownloaderDlg, WM_TASK_RATE>);

// Catches the open request the main window posts to the player page.
class OpenRequestSpy : public QObject {
public:
    int seen = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (const auto* message = ReceivedMessage<PlayerMessages>(event))
            seen += std::holds_alternative<PlayerOpen>(*message);
        return false;
    }
};

// A page button shows picture id when a pixel right of its caption matches the picture (the
// picture's top edge lies at y = 1 in the button).
bool ShowsPicture(QAbstractButton* button, int id) {
    const QImage shown = button->grab().toImage();
    const QImage picture = res::LoadBitmap(id);
    for (const QPoint p : {QPoint(150, 6), QPoint(165, 20), QPoint(120, 24)}) {
        if (shown.pixelColor(p.x(), p.y() + 1) != picture.pixelColor(p))
            return false;
    }
    return true;
}

// The first and last rows of a page's heading ink (dark blue, left of the rule's start).
std::pair<int, int> HeadingRows(QWidget* page) {
    const QImage image = page->grab().toImage();
    int first = -1;
    int last = -1;
    for (int y = 0; y < 45; ++y) {
        for (int x = 10; x < 140; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() - c.red() > 40 && c.red() < 120) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
    }
    return {first, last};
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<ScratchStartDir> m_start;
    std::unique_ptr<CorvaneDlg> m_dlg;

    DownloaderDlg* Page() const { return m_dlg->downloadPage(); }
    template <typename Message> void Post(Message message) {
        PostMessage(m_dlg.get(), message);
        QCoreApplication::sendPostedEvents(m_dlg.get());
    }
    void Add(const std::string& query) {
        Page()
            ->findChild<QLineEdit*>(QStringLiteral("url"))
            ->setText(QString::fromStdString(m_server->WatchUrl(query)));
        Page()->OnDownload();
    }
    void Screenshot(const QString& name) {
        QVERIFY(m_dlg->grab().save(QStringLiteral(TESSALY_SCREENSHOT_DIR "/") + name));
    }

private slots:
    void initTestCase() {
        UseChineseFace(LoadFontConfiguration()); // as the program starts
        m_server = std::make_unique<TestServer>(TESSALY_TEST_SERVER);
        QVERIFY(m_server->Start());
    }
    void init() {
        m_start = std::make_unique<ScratchStartDir>();
        m_dlg = std::make_unique<CorvaneDlg>();
        m_dlg->move(300, 300); // away from the resting mouse
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    }
    void cleanup() {
        m_dlg.reset();
        m_start.reset();
    }

    void startsOnTheDownloadPage() {
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Tessaly V" TESSALY_VERSION));
        QCOMPARE(m_dlg->size(), QSize(779, 551));
        QCOMPARE(m_dlg->pageRect(), QRect(212, 92, 556, 448));
        QCOMPARE(m_dlg->downloadPageButton()->geometry(), QRect(27, 140, 173, 27));
        QCOMPARE(m_dlg->playPageButton()->geometry(), QRect(27, 177, 173, 27));
        QCOMPARE(m_dlg->webStrip()->pos(), QPoint(239, 11));
        QVERIFY(Page()->isVisible());
        QCOMPARE(Page()->geometry(), m_dlg->pageRect());
        QVERIFY(!m_dlg->playerPage());
        QCOMPARE(m_dlg->StatusText(),
                 QStringLiteral("-----系统信息-----\r\r\r下载速度：0 KB\r\r任务数量：0\r\r完成下载：0"));
        QCOMPARE(m_dlg->statusRect(), QRect(QPoint(40, 410), QPoint(179, 559)));
        QVERIFY(!AlternateNormal(m_dlg->downloadPageButton()));
        QVERIFY(AlternateNormal(m_dlg->playPageButton()));
        QVERIFY(ShowsPicture(m_dlg->downloadPageButton(), res::IDB_DOWNLOAD_PAGE_NORMAL));
        QVERIFY(ShowsPicture(m_dlg->playPageButton(), res::IDB_PLAY_PAGE_DISABLED));
        Screenshot(QStringLiteral("mainwindow-download-page.png"));
    }

    // Bold text is drawn from the regular faces: a bold face (megabytes of a Chinese one) is loaded
    // neither for the headings nor to measure the task list's header.
    void drawingBothPagesLoadsNoBoldFace() {
        Page()->grab();
        m_dlg->ShowPlayerPage();
        m_dlg->playerPage()->grab();
        QCOMPARE(MappedBoldFaces(), QStringList());
    }

    void figuresFollowThePostedMessages() {
        Post(WM_TASKCOUNT_DELTA{1});
        Post(WM_TASKCOUNT_DELTA{1});
        QCOMPARE(m_dlg->taskCount(), 2);
        Post(WM_TASK_RATE{7, 100});
        Post(WM_TASK_RATE{8, 50});
        Post(WM_COMPLETED_DELTA{1});
        QCOMPARE(m_dlg->completed(), 1);
        QCOMPARE(m_dlg->speedSum(), 0); // until the next 2-second refresh
        QTRY_COMPARE_WITH_TIMEOUT(m_dlg->speedSum(), 150, 3000);
        QVERIFY(
            m_dlg->StatusText().contains(QStringLiteral("下载速度：150 KB\r\r任务数量：2\r\r完成下载：1")));
        // A task's end (rate 0) shows at once.
        Post(WM_TASK_RATE{7, 0});
        QCOMPARE(m_dlg->speedSum(), 50);
        Post(WM_TASK_RATE{8, 0});
        QCOMPARE(m_dlg->speedSum(), 0);
        Post(WM_TASKCOUNT_DELTA{-1});
        Post(WM_TASKCOUNT_DELTA{-1});
        Post(WM_TASKCOUNT_DELTA{-1});
        QCOMPARE(m_dlg->taskCount(), -1); // negative figures are shown with their sign
        QVERIFY(m_dlg->StatusText().endsWith(QStringLiteral("任务数量：-1\r\r完成下载：1")));
    }

    void pageButtonsSwitchPages() {
        QTest::mouseClick(m_dlg->playPageButton(), Qt::LeftButton);
        QVERIFY(m_dlg->playerPage());
        QTRY_VERIFY(m_dlg->playerPage()->isVisible());
        QVERIFY(!Page()->isVisible());
        QCOMPARE(m_dlg->playerPage()->geometry(), m_dlg->pageRect());
        QVERIFY(AlternateNormal(m_dlg->downloadPageButton()));
        QVERIFY(!AlternateNormal(m_dlg->playPageButton()));
        // Move the mouse off both buttons before looking at them. The moves go to the window, as
        // the platform's own would: a Wayland client cannot place the pointer.
        QTest::mouseMove(m_dlg->windowHandle(), QPoint(600, 300));
        QTRY_VERIFY(ShowsPicture(m_dlg->downloadPageButton(), res::IDB_DOWNLOAD_PAGE_DISABLED));
        QTRY_VERIFY(ShowsPicture(m_dlg->playPageButton(), res::IDB_PLAY_PAGE_NORMAL));
        Screenshot(QStringLiteral("mainwindow-player-page.png"));

        QWidget* player = m_dlg->playerPage();
        QTest::mouseClick(m_dlg->downloadPageButton(), Qt::LeftButton);
        QVERIFY(Page()->isVisible());
        QVERIFY(!player->isVisible());
        QCOMPARE(m_dlg->playerPage(), player); // made once, then kept
        QVERIFY(!AlternateNormal(m_dlg->downloadPageButton()));
        QVERIFY(AlternateNormal(m_dlg->playPageButton()));

        // A button under the resting mouse shows its Hover picture, whichever page is shown.
        QTest::mouseMove(m_dlg->windowHandle(), QPoint(600, 300));
        QTest::mouseMove(m_dlg->windowHandle(), m_dlg->playPageButton()->mapTo(m_dlg.get(), QPoint(150, 13)));
        QTRY_VERIFY(ShowsPicture(m_dlg->playPageButton(), res::IDB_PLAY_PAGE_HOVER));
        QVERIFY(ShowsPicture(m_dlg->downloadPageButton(), res::IDB_DOWNLOAD_PAGE_NORMAL));
    }

    void bothPagesDrawOneHeadingAboveTheirRule() {
        const std::pair<int, int> download = HeadingRows(Page());
        m_dlg->ShowPlayerPage();
        const std::pair<int, int> player = HeadingRows(m_dlg->playerPage());
        QCOMPARE(download, player);
        // The text's cell starts at row 18 and is 14 rows high (its em: the edges of characters
        // that fill it may shade one row more); the rule lies on row 30.
        QVERIFY2(download.first >= 17 && download.second <= 31,
                 qPrintable(QStringLiteral("%1..%2").arg(download.first).arg(download.second)));
    }

    void playFileMessageOpensThePlayerPage() {
        Post(WM_PLAY_FILE);
        QWidget* player = m_dlg->playerPage();
        QVERIFY(player);
        OpenRequestSpy spy;
        player->installEventFilter(&spy);
        QCoreApplication::sendPostedEvents(player);
        QCOMPARE(spy.seen, 1);
        QVERIFY(player->isVisible());
        QVERIFY(!Page()->isVisible());
    }

    // Real key presses through the window: Esc never closes it; Enter presses 下载 from the
    // address field and a focused page button, as Space does, and nothing else.
    void enterPressesTheFocusedControlAndEscNothing() {
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        QWindow* window = m_dlg->windowHandle();
        auto* url = Page()->findChild<QLineEdit*>(QStringLiteral("url"));
        url->setText(QString::fromStdString(m_server->WatchUrl("v=size:10&title=key")));
        url->setFocus();
        QTest::keyClick(window, Qt::Key_Escape);
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(Page()->TaskCount(), 1);

        QSignalSpy pressed(m_dlg->downloadPageButton(), &QAbstractButton::clicked);
        m_dlg->downloadPageButton()->setFocus();
        for (const auto key : {Qt::Key_Escape, Qt::Key_Enter, Qt::Key_Return, Qt::Key_Space})
            QTest::keyClick(window, key);
        QCOMPARE(pressed.count(), 3);
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(Page()->TaskCount(), 1);
    }

    void closeAsksOnlyWhileATaskIsUnfinished() {
        Add("v=size:20&title=done");
        QTRY_COMPARE_WITH_TIMEOUT(Page()->TaskText(0, 3), QStringLiteral("完成"), 20000);
        Page()
            ->findChild<QLineEdit*>(QStringLiteral("url"))
            ->setText(QStringLiteral("http://127.0.0.1:9/watch?u=http://www.youtube.com/watch?v=dead"));
        Page()->OnDownload();
        QTRY_COMPARE_WITH_TIMEOUT(Page()->TaskText(1, 2), QStringLiteral("连接超时"), 20000);
        // Only done and failed rows: closes without a question (a box would stay unanswered).
        QVERIFY(m_dlg->close());
        QVERIFY(!m_dlg->isVisible());

        m_dlg->show();
        Add("v=size:4000,rate:1000&title=slow");
        SeenBox seen;
        AnswerNextBox(QMessageBox::Cancel, &seen);
        QVERIFY(!m_dlg->close());
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(seen.text, QStringLiteral("您有下载任务，是否要现在退出程序？"));
        QCOMPARE(seen.caption, QStringLiteral("消息"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        Screenshot(QStringLiteral("mainwindow-tasks.png"));
        AnswerNextBox(QMessageBox::Ok, nullptr);
        QVERIFY(m_dlg->close());
        QVERIFY(!m_dlg->isVisible());
    }

    void aboutItemOpensTheAboutBox() {
        QCOMPARE(res::LoadString(res::IDS_ABOUTBOX), QStringLiteral("关于 Tessaly(&A)..."));
        for (int id : {16, 17, 31}) {
            QString title;
            RejectNextDialog("tessaly::CAboutDlg", &title);
            m_dlg->OnSysCommand(id); // returns once the box is closed
            QCOMPARE(title, QStringLiteral("关于 Tessaly"));
        }
        // The menu that stands in for the system menu ends with a separator and the About item.
        QStringList items;
        QString title;
        QTimer::singleShot(100, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions())
                items << (action->isSeparator() ? QStringLiteral("-") : action->text());
            RejectNextDialog("tessaly::CAboutDlg", &title);
            menu->actions().last()->trigger();
            menu->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(100, 300),
                                m_dlg->mapToGlobal(QPoint(100, 300)));
        QApplication::sendEvent(m_dlg.get(), &click);
        QTRY_COMPARE(title, QStringLiteral("关于 Tessaly"));
        QCOMPARE(items.mid(items.size() - 2),
                 QStringList({QStringLiteral("-"), QStringLiteral("关于 Tessaly(&A)...")}));

        CAboutDlg about(m_dlg.get());
        QCOMPARE(about.size(), QSize(354, 185));
        QVERIFY(about.findChild<QWidget*>(QStringLiteral("remark")));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY(about.grab().save(QStringLiteral(TESSALY_SCREENSHOT_DIR "/about-box.png")));
    }

    void downloadRaisesTheFiguresAndPlays() {
        Add("v=size:50000&title=whole");
        QCOMPARE(m_dlg->taskCount(), 0); // posted: counted when the window's queue runs
        QTRY_COMPARE(m_dlg->taskCount(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(Page()->TaskText(0, 3), QStringLiteral("完成"), 20000);
        QTRY_COMPARE(m_dlg->completed(), 1);
        QVERIFY(m_dlg->StatusText().endsWith(QStringLiteral("完成下载：1")));

        // The movie the player page loads from the start-up directory.
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/plsys.dll"),
                            m_start->path() + QStringLiteral("/plsys.dll")));
        Page()->taskList()->SelectRow(0);
        Page()->OnPlay();
        QTRY_VERIFY(m_dlg->playerPage() && m_dlg->playerPage()->isVisible());
        QCOMPARE(QString::fromStdU16String(appSettings().fileToPlay()),
                 m_start->downloadFolder() + QStringLiteral("whole.flv"));
        // The page lives in the media module: it opens the file only if WM_PLAYER_OPEN's event type
        // and the settings it reads are the program's own, not copies of the module's.
        // The movie draws in a window of its own inside the page, loaded once the page shows.
        const auto movieRoot = [] {
            for (QWindow* window : QGuiApplication::allWindows())
                if (auto* view = qobject_cast<QQuickView*>(window); view && view->rootObject())
                    return view->rootObject();
            return static_cast<QQuickItem*>(nullptr);
        };
        QTRY_VERIFY(movieRoot() != nullptr);
        QObject* player = qmlContext(movieRoot())->objectForName(QStringLiteral("player"));
        QVERIFY(player != nullptr);
        QTRY_COMPARE(player->property("source").toUrl().fileName(), QStringLiteral("whole.flv"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
