// The download page end to end against the real test server: states of a row, figures, Play,
// Delete, Re-download, the limits and the refusals with their exact texts, the clipboard.
#include "AppTestSupport.h"
#include "app/FontConfiguration.h"
#include "download/core/PageResolution.h"
#include "download/core/TaskList.h"
#include "download/page/DownloaderDlg.h"
#include "download/page/PageMessages.h"
#include "download/page/TaskListView.h"
#include "res/Resources.h"
#include "settings/AppSettings.h"
#include "tests/support/TestServer.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <cmath>
#include <functional>
#include <memory>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr int kLongWaitMs = 20000;

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().toHex())
                                          : QStringLiteral("<missing>");
}

QString Hex(const std::string& bytes) {
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex());
}

// The contrast ratio of two colours (1 to 21), as readability guidelines measure it.
double Contrast(QColor a, QColor b) {
    const auto luminance = [](QColor c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The most frequent opaque colour in the rectangle of the image (a cell's background, an icon's
// main colour).
QColor MostCommon(const QImage& image, const QRect& rect) {
    QHash<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                ++counts[image.pixel(x, y)];
    QRgb best = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > counts.value(best))
            best = it.key();
    return QColor::fromRgb(best);
}

} // namespace

class DownloadPageTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<ScratchStartDir> m_start;
    std::unique_ptr<MessageLog> m_main;
    std::unique_ptr<DownloaderDlg> m_page;

    QString Watch(const QString& query) const {
        return QString::fromStdString(m_server->WatchUrl(query.toStdString()));
    }
    QLineEdit* Url() const { return m_page->findChild<QLineEdit*>(QStringLiteral("url")); }
    QLabel* Hint() const { return m_page->findChild<QLabel*>(QStringLiteral("hint")); }
    TaskListView* List() const { return m_page->taskList(); }
    void Add(const QString& address) {
        Url()->setText(address);
        m_page->OnDownload();
    }
    void Select(int row) { List()->SelectRow(row); }
    void WaitDone(int row) {
        QTRY_COMPARE_WITH_TIMEOUT(m_page->TaskText(row, 3), QStringLiteral("完成"), kLongWaitMs);
    }
    QString LocalFile(int row) const { return m_start->downloadFolder() + m_page->TaskText(row, 1); }

private slots:
    void initTestCase() {
        UseChineseFace(LoadFontConfiguration()); // as the program starts
        m_server = std::make_unique<TestServer>(TESSALY_TEST_SERVER);
        QVERIFY(m_server->Start());
    }
    void init() {
        m_start = std::make_unique<ScratchStartDir>();
        m_main = std::make_unique<MessageLog>();
        QGuiApplication::clipboard()->clear();
        m_page = std::make_unique<DownloaderDlg>(nullptr, MessageTarget<MessageLog::Messages>(m_main.get()));
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }
    void cleanup() {
        m_page.reset();
        m_main.reset();
        m_start.reset();
    }

    void rowPassesThroughItsStatesToDone() {
        QStringList progress;
        const auto note = [&progress, this](int row) {
            const QString text = List()->Text(row, 2);
            if (progress.isEmpty() || progress.last() != text)
                progress << text;
        };
        connect(List()->model(), &QAbstractItemModel::rowsInserted, this,
                [note](const QModelIndex&, int row) { note(row); });
        connect(List()->model(), &QAbstractItemModel::dataChanged, this,
                [note](const QModelIndex& from) { note(from.row()); });
        // 240000 bytes at 100 kB/s: long enough for one progress report after 2 s.
        Add(Watch(QStringLiteral("v=size:240000,rate:100000,seed:3&title=Clip%20One")));
        QCOMPARE(List()->RowCount(), 1);
        QCOMPARE(m_page->TaskText(0, 4),
                 Watch(QStringLiteral("v=size:240000,rate:100000,seed:3&title=Clip%20One")));
        QCoreApplication::sendPostedEvents(m_main.get());
        QCOMPARE(m_main->SumDelta<WM_TASKCOUNT_DELTA>(), 1);

        WaitDone(0);
        // The whole file, though the last bytes came after the last report.
        QCOMPARE(m_page->TaskText(0, 2), QStringLiteral("234KB"));
        QCOMPARE(m_page->TaskText(0, 1), QStringLiteral("Clip One.flv"));
        QCOMPARE(List()->Icon(0), static_cast<int>(kIconDone));
        QVERIFY2(progress.size() >= 5, qPrintable(progress.join(QLatin1Char('|'))));
        QCOMPARE(progress.mid(0, 4),
                 QStringList({QStringLiteral("等待中..."), QStringLiteral("正在分析网页..."),
                              QStringLiteral("准备下载"), QStringLiteral("0KB")}));
        QVERIFY(progress.at(4).endsWith(QStringLiteral("KB")) && progress.at(4) != QStringLiteral("0KB"));
        QCOMPARE(ReadAll(LocalFile(0)), Hex(ExpectedStreamBody(240000, 3)));

        QTRY_COMPARE(m_main->Count<WM_COMPLETED_DELTA>(), 1);
        // A speed report reached the main window, and the last rate of the task is 0.
        bool sawRate = false;
        for (const auto& e : m_main->entries)
            sawRate |= std::holds_alternative<WM_TASK_RATE>(e) && std::get<WM_TASK_RATE>(e).bytesPerMs > 0;
        QVERIFY(sawRate);
        QTRY_VERIFY(std::holds_alternative<WM_TASK_RATE>(m_main->entries.last()));
        QCOMPARE(std::get<WM_TASK_RATE>(m_main->entries.last()).bytesPerMs, 0);
    }

    void playNeedsASelectedDoneTask() {
        Play();
        QVERIFY(Hint()->isVisible());
        QCOMPARE(Hint()->text(), QStringLiteral("请选择列表中的一项任务！"));

        Add(Watch(QStringLiteral("v=size:3000,rate:1000&title=slow")));
        Select(0);
        Play();
        QCOMPARE(Hint()->text(), QStringLiteral("请等待任务下载完毕！"));
        QCOMPARE(m_main->Count<PlayFile>(), 0);
        // The hint goes by itself after 5 seconds.
        QTRY_VERIFY_WITH_TIMEOUT(!Hint()->isVisible(), 8000);

        Add(Watch(QStringLiteral("v=size:3000&title=ready")));
        WaitDone(1);
        Select(1);
        Play();
        QVERIFY(!Hint()->isVisible());
        QTRY_COMPARE(m_main->Count<PlayFile>(), 1);
        QCOMPARE(QString::fromStdU16String(appSettings().fileToPlay()),
                 m_start->downloadFolder() + QStringLiteral("ready.flv"));
    }

    void deleteWithAndWithoutItsFile() {
        Add(Watch(QStringLiteral("v=size:4000&title=keep")));
        Add(Watch(QStringLiteral("v=size:4000&title=drop")));
        Add(Watch(QStringLiteral("v=size:4000&title=spare")));
        for (int row = 0; row < 3; ++row)
            WaitDone(row);
        const QString keep = LocalFile(0);
        const QString drop = LocalFile(1);
        const QString spare = LocalFile(2);

        Select(0);
        m_page->OnDelete();
        QCOMPARE(List()->RowCount(), 2);
        QVERIFY(QFile::exists(keep));

        // With the box ticked the file goes too; then nothing is selected, so a second press, or
        // Play, only asks for a row: the neighbour and its file stay.
        m_page->findChild<QCheckBox*>(QStringLiteral("deleteFile"))->setChecked(true);
        Select(0);
        m_page->OnDelete();
        QCOMPARE(List()->RowCount(), 1);
        QVERIFY(!QFile::exists(drop));
        QCOMPARE(List()->SelectedRow(), -1);
        m_page->OnDelete();
        QVERIFY(Hint()->isVisible());
        QCOMPARE(Hint()->text(), QStringLiteral("请选择列表中的一项任务！"));
        QCOMPARE(List()->RowCount(), 1);
        QVERIFY(QFile::exists(spare));
        Play();
        QCoreApplication::sendPostedEvents(m_main.get());
        QCOMPARE(m_main->Count<PlayFile>(), 0);
        Select(0);
        m_page->OnDelete();
        QCOMPARE(List()->RowCount(), 0);
        QTRY_COMPARE(m_main->SumDelta<WM_TASKCOUNT_DELTA>(), 0);
        QCOMPARE(m_main->Count<WM_TASKCOUNT_DELTA>(), 6);
        m_page->findChild<QCheckBox*>(QStringLiteral("deleteFile"))->setChecked(false);

        // A task that failed before its file was named deletes no file, not even one that
        // happens to lie where its page address would lead.
        const QString dead = QStringLiteral("http://127.0.0.1:9/watch?u=http://www.youtube.com/watch?v=dead");
        Add(dead);
        QTRY_COMPARE_WITH_TIMEOUT(m_page->TaskText(0, 2), QStringLiteral("连接超时"), kLongWaitMs);
        const QString decoy =
            QString::fromStdU16String(JoinFolderPath(appSettings().downloadFolder(), dead.toStdU16String()));
        QVERIFY(QDir().mkpath(QFileInfo(decoy).path()));
        QFile decoyFile(decoy);
        QVERIFY(decoyFile.open(QIODevice::WriteOnly));
        decoyFile.close();
        Select(0);
        m_page->OnDelete();
        QCOMPARE(List()->RowCount(), 0);
        QVERIFY(QFile::exists(decoy));

        // Its address may be added again.
        Add(Watch(QStringLiteral("v=size:4000&title=keep")));
        QCOMPARE(List()->RowCount(), 1);
    }

    void redownloadReplacesTheFileUnderANewRow() {
        const QString address = Watch(QStringLiteral("v=size:6000,seed:9&title=again"));
        Add(address);
        Add(Watch(QStringLiteral("v=size:100&title=other")));
        WaitDone(0);
        m_page->findChild<QCheckBox*>(QStringLiteral("deleteFile"))->setChecked(true);
        Select(0);
        m_page->OnRedownload();
        QCOMPARE(List()->RowCount(), 2);
        QCOMPARE(m_page->TaskText(1, 4), address);
        QCOMPARE(Url()->text(), address);
        // Nothing is selected: the next command acts on a row only once the user picks one.
        QCOMPARE(List()->SelectedRow(), -1);
        WaitDone(1);
        QCOMPARE(m_page->TaskText(1, 2), QStringLiteral("5KB")); // done before any report, all of it
        // The old file went first, so the new download takes the same name again.
        QCOMPARE(m_page->TaskText(1, 1), QStringLiteral("again.flv"));
        QCOMPARE(ReadAll(LocalFile(1)), Hex(ExpectedStreamBody(6000, 9)));
    }

    void eleventhTaskAndDuplicatesAreRefused() {
        // Refused connections fail at once: ten failed rows still fill the list.
        const auto dead = [](int n) {
            return QStringLiteral("http://127.0.0.1:9/watch?u=http://www.youtube.com/watch?v=%1").arg(n);
        };
        for (int n = 0; n < 10; ++n)
            Add(dead(n));
        QCOMPARE(List()->RowCount(), 10);
        QTRY_COMPARE_WITH_TIMEOUT(m_page->TaskText(9, 2), QStringLiteral("连接超时"), kLongWaitMs);

        SeenBox seen;
        AnswerNextBox(QMessageBox::Ok, &seen);
        Add(dead(10));
        QCOMPARE(seen.text, QStringLiteral("下载任务请不要超过10个！"));
        QCOMPARE(seen.caption, QStringLiteral("提示"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(List()->RowCount(), 10);

        Select(9);
        m_page->OnDelete();
        // A part of an added address is a duplicate; an address containing one is not.
        AnswerNextBox(QMessageBox::Ok, &seen);
        seen = {};
        Add(dead(1).chopped(1));
        QCOMPARE(seen.text, QStringLiteral("该链接已在下载任务列表！"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(List()->RowCount(), 9);
        Add(dead(1) + QStringLiteral("0"));
        QCOMPARE(List()->RowCount(), 10);
    }

    void refusedAddressIsMarkedOnceWithATone() {
        QSignalSpy beeps(m_page.get(), &DownloaderDlg::beeped);
        Add(QStringLiteral("  http://www.example.com/watch?v=1  "));
        QCOMPARE(Url()->text(), QStringLiteral("http://www.example.com/watch?v=1{ 页面地址错误 }"));
        m_page->OnDownload();
        QCOMPARE(Url()->text(), QStringLiteral("http://www.example.com/watch?v=1{ 页面地址错误 }"));
        QCOMPARE(beeps.count(), 2);
        QCOMPARE(List()->RowCount(), 0);
        // A watch address that the check refuses as typed passes once marked (the marker adds the
        // text it looks for); marked, it is refused again and gets no second marker.
        Add(QStringLiteral("http://www.youtube.com/watch?"));
        QCOMPARE(Url()->text(), QStringLiteral("http://www.youtube.com/watch?{ 页面地址错误 }"));
        m_page->OnDownload();
        QCOMPARE(Url()->text(), QStringLiteral("http://www.youtube.com/watch?{ 页面地址错误 }"));
        QCOMPARE(List()->RowCount(), 0);
        QCOMPARE(beeps.count(), 4);
        beeps.clear();

        // Surrounding blanks go; upper-case letters pass the check and stay as typed.
        const QString address = Watch(QStringLiteral("v=size:10&title=T"))
                                    .replace(QStringLiteral("youtube"), QStringLiteral("YouTube"));
        Add(QStringLiteral("  ") + address + QStringLiteral(" \t"));
        QCOMPARE(Url()->text(), address);
        QCOMPARE(m_page->TaskText(0, 4), address);
        QCOMPARE(beeps.count(), 0);
    }

    void missingFolderIsCreatedOrReported() {
        QVERIFY(!QFileInfo::exists(m_start->downloadFolder()));
        Add(Watch(QStringLiteral("v=size:10&title=first")));
        QVERIFY(QFileInfo(m_start->downloadFolder()).isDir());
        WaitDone(0);

        // A folder field naming nothing while the download folder exists is not a failure.
        m_page->findChild<QLineEdit*>(QStringLiteral("folder"))
            ->setText(m_start->path() + QStringLiteral("/nowhere"));
        Add(Watch(QStringLiteral("v=size:10&title=second")));
        QCOMPARE(List()->RowCount(), 2);

        appSettings().SetDownloadFolder(u"/proc/tessaly-cannot-be-made/");
        SeenBox seen;
        AnswerNextBox(QMessageBox::Ok, &seen);
        Add(Watch(QStringLiteral("v=size:10&title=third")));
        QCOMPARE(seen.text, QStringLiteral("创建下载目录失败，请关闭再试！"));
        QCOMPARE(seen.caption, QStringLiteral("错误"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(List()->RowCount(), 2);
    }

    void everyFailureIsNamedInItsRow() {
        // The download folder is a plain file: nothing can be written below it.
        const QString blocker = m_start->path() + QStringLiteral("/blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
        file.close();
        // A full disk: a small file system of its own (mounting one needs root).
        const QString small = m_start->path() + QStringLiteral("/small");
        QVERIFY(QDir().mkpath(small));
        const bool mounted =
            QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=64k"), QStringLiteral("tmpfs"), small}) == 0;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                QProcess::execute(QStringLiteral("umount"), {small});
        });
        const QString host = QStringLiteral("127.0.0.1:%1").arg(m_server->port());
        const QString folder = m_start->downloadFolder();
        const struct {
            QString address;
            QString folder;
            QString row;
            QString tooltip;
        } cases[] = {
            {QString::fromStdString(m_server->Url("/gone?u=http://www.youtube.com/watch?v=1")), folder,
             QStringLiteral("服务器错误"),
             QStringLiteral("打开视频网页时，服务器 %1 返回错误 HTTP 404（找不到）。").arg(host)},
            {QStringLiteral("http://127.0.0.1:9/watch?u=http://www.youtube.com/watch?v=refused"), folder,
             QStringLiteral("连接超时"),
             QStringLiteral("打开视频网页时，无法连接服务器 127.0.0.1:9（连接被拒绝）。")},
            {Watch(QStringLiteral("nofields=1")), folder, QStringLiteral("未找到视频"),
             QStringLiteral("网页中没有找到视频（没有视频的标题或参数）。")},
            {Watch(QStringLiteral("v=size:1000,status:500")), folder, QStringLiteral("服务器错误"),
             QStringLiteral("下载视频时，服务器 %1 返回错误 HTTP 500（服务器内部错误）。").arg(host)},
            {Watch(QStringLiteral("v=size:90000,reset:10000/30000/50000")), folder,
             QStringLiteral("连接中断"),
             QStringLiteral("下载视频时，与服务器 %1 的连接中断（接收数据失败）。").arg(host)},
            {Watch(QStringLiteral("v=size:1000&title=lost")), blocker, QStringLiteral("无法保存文件"),
             QStringLiteral("无法保存文件 %1/lost.flv：保存目录不是文件夹。").arg(blocker)},
            {Watch(QStringLiteral("v=size:300000&title=big")), small, QStringLiteral("磁盘已满"),
             QStringLiteral("无法保存文件 %1/big.flv：磁盘空间不足。").arg(small)},
        };
        int row = 0;
        for (const auto& c : cases) {
            if (c.folder == small && !mounted) {
                qWarning("no small file system could be mounted: the full disk is left out");
                continue;
            }
            appSettings().SetDownloadFolder((c.folder + QStringLiteral("/")).toStdU16String());
            m_page->findChild<QLineEdit*>(QStringLiteral("folder"))->setText(c.folder);
            Add(c.address);
            QCOMPARE(List()->RowCount(), row + 1);
            QTRY_COMPARE_WITH_TIMEOUT(List()->Icon(row), static_cast<int>(kIconFailed), kLongWaitMs);
            const QModelIndex cell = List()->model()->index(row, 2);
            QCOMPARE(m_page->TaskText(row, 2), c.row);
            QCOMPARE(cell.data(Qt::ToolTipRole).toString(), c.tooltip);
            QCOMPARE(List()->model()->index(row, 1).data(Qt::AccessibleDescriptionRole).toString(),
                     c.tooltip);
            ++row;
        }
        // Each of them has ended, as far as the window's close question is concerned.
        for (int r = 0; r < m_page->tasks().rowCount(); ++r)
            QCOMPARE(m_page->tasks().row(r).state, TaskState::kFailed);
        // What was there stays; a file the full disk cut short does not.
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("precious"));
        QVERIFY(!QFile::exists(small + QStringLiteral("/big.flv")));
        List()->SelectRow(0);
        QVERIFY(m_page->grab().save(QStringLiteral(TESSALY_SCREENSHOT_DIR "/downloadpage-failed-rows.png")));
    }

    void knownLengthShowsProgress() {
        // 600000 bytes at 100 kB/s: reports at about 2 and 4 seconds. The second stream has no length.
        Add(Watch(QStringLiteral("v=size:600000,rate:100000,seed:2&title=known")));
        Add(Watch(QStringLiteral("v=size:600000,rate:100000,seed:2,chunked:1&title=unknown")));
        QTRY_VERIFY_WITH_TIMEOUT(List()->Icon(0) == kIconReceiving &&
                                     m_page->TaskText(0, 2) != QStringLiteral("0KB"),
                                 kLongWaitMs);
        const QString tooltip = List()->model()->index(0, 2).data(Qt::ToolTipRole).toString();
        const QRegularExpression form(
            QStringLiteral("^已下载 (\\d+)KB / 585KB（(\\d+)%）\n剩余时间：约 (\\d+) 秒$"));
        const QRegularExpressionMatch figures = form.match(tooltip);
        QVERIFY2(figures.hasMatch(), qPrintable(tooltip));
        const int received = figures.captured(1).toInt();
        QCOMPARE(QStringLiteral("%1KB").arg(received), m_page->TaskText(0, 2));
        QCOMPARE(figures.captured(2).toInt(), received * 1024 * 100 / 600000);
        QVERIFY(figures.captured(3).toInt() >= 1 && figures.captured(3).toInt() < 60);
        // The tip on show under the pointer follows the row's next report.
        const QRect cell = List()->visualRect(List()->model()->index(0, 2));
        QCursor::setPos(List()->viewport()->mapToGlobal(cell.center()));
        QHelpEvent ask(QEvent::ToolTip, cell.center(), List()->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(List()->viewport(), &ask);
        QTRY_VERIFY(QToolTip::isVisible());
        const QString tip = QToolTip::text();
        QVERIFY2(form.match(tip).hasMatch(), qPrintable(tip));
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::text() != tip && form.match(QToolTip::text()).hasMatch(),
                                 kLongWaitMs);
        QToolTip::hideText();

        // The bar lies behind the received cell's text, as long a share of it as was received.
        QTRY_VERIFY_WITH_TIMEOUT(List()->Icon(1) == kIconReceiving &&
                                     m_page->TaskText(1, 2) != QStringLiteral("0KB"),
                                 kLongWaitMs);
        QVERIFY(m_page->grab().save(QStringLiteral(TESSALY_SCREENSHOT_DIR "/downloadpage-progress.png")));
        const QImage shown = List()->viewport()->grab().toImage();
        const auto barColumns = [&](int row) {
            const QRect cell = List()->visualRect(List()->model()->index(row, 2));
            int columns = 0;
            for (int x = cell.left(); x <= cell.right(); ++x)
                columns += shown.pixelColor(x, cell.top() + 3) == QColor(190, 232, 192);
            return columns;
        };
        QVERIFY(barColumns(0) > 0);
        QCOMPARE(barColumns(1), 0);
        QVERIFY(List()->model()->index(1, 2).data(Qt::ToolTipRole).toString().isEmpty());
        WaitDone(0);
        QCOMPARE(m_page->TaskText(0, 2), QStringLiteral("585KB"));
        QVERIFY(List()->model()->index(0, 2).data(Qt::ToolTipRole).toString().isEmpty());
    }

    void clipboardPastesOnlyShortWatchAddresses() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QString base = QStringLiteral("http://www.youtube.com/watch?v=");
        const QString of80 = base + QString(80 - base.size(), QLatin1Char('a'));
        clipboard->setText(of80 + QStringLiteral("a"));
        m_page->PasteFromClipboard();
        QCOMPARE(Url()->text(), QString());
        clipboard->setText(QStringLiteral("just some words"));
        m_page->PasteFromClipboard();
        QCOMPARE(Url()->text(), QString());
        clipboard->setText(of80);
        m_page->PasteFromClipboard();
        QCOMPARE(Url()->text(), of80);

        // Focus on the field pastes, replacing what it holds; showing pastes only into an empty field.
        Url()->setText(QStringLiteral("typed"));
        clipboard->setText(base + QStringLiteral("focus"));
        m_page->findChild<QPushButton*>(QStringLiteral("download"))->setFocus();
        Url()->setFocus();
        QTRY_COMPARE(Url()->text(), base + QStringLiteral("focus"));

        m_page->hide();
        Url()->setText(QStringLiteral("kept"));
        clipboard->setText(base + QStringLiteral("shown"));
        m_page->show();
        QCOMPARE(Url()->text(), QStringLiteral("kept"));
        m_page->hide();
        Url()->setText(QStringLiteral("   "));
        m_page->show();
        QCOMPARE(Url()->text(), base + QStringLiteral("shown"));
        clipboard->clear();
        m_page->PasteFromClipboard();
        QCOMPARE(Url()->text(), base + QStringLiteral("shown"));

        // Minimising and restoring the window is no showing of the page.
        m_page->findChild<QPushButton*>(QStringLiteral("download"))->setFocus();
        Url()->clear();
        clipboard->setText(base + QStringLiteral("restored"));
        m_page->showMinimized();
        QTRY_VERIFY(m_page->isMinimized());
        m_page->showNormal();
        QTRY_VERIFY(!m_page->isMinimized());
        QCoreApplication::processEvents();
        QCOMPARE(Url()->text(), QString());
    }

    void chosenFolderIsStoredAndUsed() {
        const QString chosen = m_start->path() + QStringLiteral("/videos");
        QVERIFY(QDir().mkpath(chosen));
        Url()->setText(QStringLiteral("typed, not yet added"));
        const auto choose = [](const QString& folder) {
            WhenModalShows([folder](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (!dialog)
                    return false;
                if (folder.isEmpty()) {
                    dialog->reject();
                } else {
                    dialog->setDirectory(folder);
                    static_cast<QDialog*>(dialog)->accept();
                }
                return true;
            });
        };
        choose({});
        m_page->OnChooseFolder();
        QCOMPARE(m_page->findChild<QLineEdit*>(QStringLiteral("folder"))->text(), m_start->downloadFolder());

        choose(chosen);
        m_page->OnChooseFolder();
        QCOMPARE(m_page->findChild<QLineEdit*>(QStringLiteral("folder"))->text(), chosen);
        QCOMPARE(m_start->downloadFolder(), chosen);
        QCOMPARE(Url()->text(), QStringLiteral("typed, not yet added"));
        QFile ini(m_start->path() + QStringLiteral("/config.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString stored = QString::fromUtf8(ini.readAll());
        QVERIFY2(stored.contains(QStringLiteral("[FOLDER]")) &&
                     stored.contains(QStringLiteral("DOWNLOAD=") + chosen),
                 qPrintable(stored));

        // A folder whose name holds a line break cannot be stored: refused, and the old one stays.
        const QString unstorable = m_start->path() + QStringLiteral("/two\nlines");
        QVERIFY(QDir().mkpath(unstorable));
        choose(unstorable);
        SeenBox seen;
        AnswerNextBox(QMessageBox::Ok, &seen);
        m_page->OnChooseFolder();
        QCOMPARE(seen.caption, QStringLiteral("提示"));
        QCOMPARE(seen.text, QStringLiteral("该目录的路径过长或含有无法保存的字符，请选择其他目录！"));
        QCOMPARE(m_page->findChild<QLineEdit*>(QStringLiteral("folder"))->text(), chosen);
        QCOMPARE(m_start->downloadFolder(), chosen);
        QFile after(ini.fileName()); // written by a rename: opened anew
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(after.readAll()), stored);

        Add(Watch(QStringLiteral("v=size:700,seed:5&title=here")));
        WaitDone(0);
        QCOMPARE(ReadAll(chosen + QStringLiteral("/here.flv")), Hex(ExpectedStreamBody(700, 5)));

        // Another folder later: the task still plays its own file, not a namesake in the new one.
        const QString later = m_start->path() + QStringLiteral("/later");
        QVERIFY(QDir().mkpath(later));
        QFile namesake(later + QStringLiteral("/here.flv"));
        QVERIFY(namesake.open(QIODevice::WriteOnly));
        namesake.close();
        choose(later);
        m_page->OnChooseFolder();
        QCOMPARE(m_start->downloadFolder(), later);
        Select(0);
        Play();
        QCOMPARE(QString::fromStdU16String(appSettings().fileToPlay()), chosen + QStringLiteral("/here.flv"));
    }

    void selectedRowsStayReadable() {
        // Nothing is cut or scrolls sideways in the empty list: every column title shows whole.
        QHeaderView* header = List()->header();
        QVERIFY(!List()->horizontalScrollBar()->isVisible());
        QVERIFY(header->sectionViewportPosition(4) + header->sectionSize(4) <= List()->viewport()->width());

        Add(Watch(QStringLiteral("v=size:3000&title=done%20row")));
        Add(Watch(QStringLiteral("v=size:600000,rate:20000&title=running%20row")));
        WaitDone(0);
        QTRY_COMPARE_WITH_TIMEOUT(List()->Icon(1), static_cast<int>(kIconReceiving), kLongWaitMs);
        m_page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
        const struct {
            int row;
            bool focused;
            int icon;
            const char* screenshot;
        } cases[] = {{0, true, res::IDI_TASK_DONE, "downloadpage-done-selected.png"},
                     {1, false, res::IDI_TASK_RECEIVING, "downloadpage-running-selected.png"},
                     {0, false, res::IDI_TASK_DONE, nullptr},
                     {1, true, res::IDI_TASK_RECEIVING, nullptr}};
        for (const auto& c : cases) {
            const QString which = QStringLiteral("row %1 focused %2").arg(c.row).arg(c.focused);
            Select(c.row);
            if (c.focused)
                List()->setFocus();
            else
                m_page->findChild<QPushButton*>(QStringLiteral("download"))->setFocus();
            QTRY_COMPARE(List()->hasFocus(), c.focused);
            if (c.screenshot)
                QVERIFY(m_page->grab().save(QStringLiteral(TESSALY_SCREENSHOT_DIR "/") + c.screenshot));
            const QImage shown = List()->viewport()->grab().toImage();
            const QRect text = List()->visualRect(List()->model()->index(c.row, 1)).adjusted(1, 1, -2, -2);
            const QColor background = MostCommon(shown, text);
            double best = 1;
            for (int y = text.top(); y <= text.bottom(); ++y)
                for (int x = text.left(); x <= text.right(); ++x)
                    best = std::max(best, Contrast(background, QColor::fromRgb(shown.pixel(x, y))));
            QVERIFY2(best >= 7, qPrintable(which + QStringLiteral(": contrast %1").arg(best)));
            // The state icon keeps its own colour on the highlight.
            const QImage icon = res::LoadIcon(c.icon).pixmap(16, 16).toImage();
            const QColor iconColour = MostCommon(icon, icon.rect());
            const QRect iconCell = List()->visualRect(List()->model()->index(c.row, 0));
            bool found = false;
            for (int y = iconCell.top(); y <= iconCell.bottom() && !found; ++y)
                for (int x = iconCell.left(); x <= iconCell.right() && !found; ++x)
                    found = QColor::fromRgb(shown.pixel(x, y)) == iconColour;
            QVERIFY2(found, qPrintable(which));
        }
    }

    // Real key presses through the page's window: Esc closes nothing, Enter presses 下载 from the
    // address field and the focused button only.
    void enterPressesDownloadAndEscapeNothing() {
        QWindow* window = m_page->windowHandle();
        m_page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
        Url()->setFocus();
        Url()->setText(Watch(QStringLiteral("v=size:10&title=enter")));
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(m_page->isVisible());
        QCOMPARE(List()->RowCount(), 0);
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(List()->RowCount(), 1);

        auto* folder = m_page->findChild<QLineEdit*>(QStringLiteral("folder"));
        Url()->setText(Watch(QStringLiteral("v=size:10&title=second")));
        folder->setFocus();
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(List()->RowCount(), 1);
        auto* download = m_page->findChild<QPushButton*>(QStringLiteral("download"));
        download->setFocus();
        QTest::keyClick(window, Qt::Key_Enter);
        QCOMPARE(List()->RowCount(), 2);
        SeenBox duplicate;
        AnswerNextBox(QMessageBox::Ok, &duplicate);
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(duplicate.text, QStringLiteral("该链接已在下载任务列表！"));
    }

    // The list from the keyboard: the selection moves by arrows, Home/End and pages; Menu and
    // Shift+F10 open the row menu under the selected row, the first one too; Delete deletes it.
    void listKeysMoveSelectionAndOfferTheRowMenu() {
        for (int i = 0; i < 3; ++i)
            Add(Watch(QStringLiteral("v=size:10&title=key%1").arg(i)));
        QCOMPARE(List()->RowCount(), 3);
        QWindow* window = m_page->windowHandle();
        m_page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
        List()->setFocus();
        QTest::keyClick(window, Qt::Key_End);
        QCOMPARE(List()->SelectedRow(), 2);
        QTest::keyClick(window, Qt::Key_Up);
        QCOMPARE(List()->SelectedRow(), 1);
        QTest::keyClick(window, Qt::Key_PageUp);
        QCOMPARE(List()->SelectedRow(), 0);
        QTest::keyClick(window, Qt::Key_Down);
        QCOMPARE(List()->SelectedRow(), 1);
        QTest::keyClick(window, Qt::Key_Home);
        QCOMPARE(List()->SelectedRow(), 0);

        const auto menuAt = [this](int row) {
            const QRect name = List()->visualRect(List()->model()->index(row, 1));
            return List()->viewport()->mapToGlobal(name.bottomLeft());
        };
        QCOMPARE(NextMenu([&] { QTest::keyClick(window, Qt::Key_F10, Qt::ShiftModifier); }), menuAt(0));
        QTest::keyClick(window, Qt::Key_Down);
        QCOMPARE(NextMenu([&] { QTest::keyClick(window, Qt::Key_Menu); }), menuAt(1));
        // X11 turns the Menu key into a context-menu request placed where the list says its cursor
        // is; it opens the selected row's menu too, and once.
        QTest::keyClick(window, Qt::Key_Up);
        QCOMPARE(NextMenu([&] {
                     const QPoint cursor = List()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
                     QContextMenuEvent request(QContextMenuEvent::Keyboard, cursor,
                                               List()->mapToGlobal(cursor));
                     QApplication::sendEvent(List(), &request);
                     QTest::keyClick(window, Qt::Key_Menu);
                 }),
                 menuAt(0));
        QCOMPARE(m_menusSeen, 3);

        QTest::keyClick(window, Qt::Key_Delete);
        QCOMPARE(List()->RowCount(), 2);
        QTRY_COMPARE(List()->Text(0, 1), QStringLiteral("key1.flv"));
    }

    // A screen reader reads the fields by their labels, the list by its purpose, a row in full.
    void controlsAreNamedForScreenReaders() {
        const auto name = [](QWidget* widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        };
        QCOMPARE(name(Url()), QStringLiteral("视频网页地址："));
        QCOMPARE(name(m_page->findChild<QLineEdit*>(QStringLiteral("folder"))),
                 QStringLiteral("本机保存目录："));
        QCOMPARE(name(List()), QStringLiteral("下载任务列表"));
        Add(Watch(QStringLiteral("v=size:20480&title=spoken")));
        WaitDone(0);
        QCOMPARE(List()->model()->index(0, 0).data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("spoken.flv，完成，%1，完成").arg(List()->Text(0, 2)));
    }

private:
    void Play() { m_page->OnPlay(); }

    // Runs press, then returns where the popup menu it opens shows, and closes that menu.
    QPoint NextMenu(const std::function<void()>& press) {
        QPoint shown(-1, -1);
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                shown = menu->pos();
                ++m_menusSeen;
                menu->close();
            }
        });
        poll.start();
        press();
        for (int waited = 0; shown == QPoint(-1, -1) && waited < 5000; waited += 10)
            QTest::qWait(10);
        // A second menu from the same press would show now.
        QTest::qWait(50);
        return shown;
    }
    int m_menusSeen = 0;
};

QTEST_MAIN(DownloadPageTest)
#include "tst_downloadpage.moc"
