// The main window: template 102, skin and status painting, page switching, figure messages,
// Enter/Esc swallowing, the system menu stand-in and the close confirmation.
#include "app/CorvaneDlg.h"

#include "app/CAboutDlg.h"
#include "app/PageButtons.h"
#include "app/RemarkText.h"
#include "app/TaskNotifier.h"
#include "app/webstrip/WebStrip.h"
#include "base/Overloaded.h"
#include "controls/CaptionFont.h"
#include "download/page/DownloaderDlg.h"
#include "download/page/TaskListView.h"
#include "media/MediaLoader.h"
#include "player/PlayerMessages.h"
#include "res/DialogTemplates.h"
#include "res/Resources.h"
#include "settings/AppSettings.h"
#include "ui/DialogKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QShowEvent>
#include <QTimerEvent>
#include <future>

namespace tessaly {

namespace {

constexpr int kSpeedRefreshMs = 2000;
// The remark's rectangle; the status block lies just below it, moved down by its height.
const QRect kRemarkRect(QPoint(40, 260), QPoint(179, 409));
const QColor kPanelTextColor(190, 208, 222);
// The panel's text: "宋体" with a character cell (ascent and descent) 12 pixels high; a line
// break moves down by one cell.
constexpr int kPanelFontHeight = 12;

} // namespace

CorvaneDlg::CorvaneDlg(QWidget* parent) : QDialog(parent) {
    // The skin is the largest picture by far: it is decoded on a thread of its own while the rest
    // of the window is put together.
    // On a dense screen it is drawn for that density rather than read.
    const qreal ratio = devicePixelRatioF();
    std::future<QImage> skin =
        std::async(std::launch::async, [ratio] { return res::LoadBitmap(res::IDB_SKIN, ratio); });
    setWindowTitle(QStringLiteral("Tessaly V" TESSALY_VERSION));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(QFont(kSongTi, 9));
    setFixedSize(res::ToPixels(res::mainwnd::kSize, res::kSongTi9).size());
    setWindowIcon(res::LoadIcon(res::IDR_MAINFRAME));
    // Enter and Esc are taken out of every key event bound for this window or its pages; Enter
    // only presses the focused button.
    DialogKeys::Hold(this);

    appSettings().LoadSettings();

    m_rcPage = res::ToPixels(res::mainwnd::kPageArea, res::kSongTi9);
    m_rcStatus = m_rcPage;

    m_btnDownloadPage = CreatePageButton(this, PageButton::Download,
                                         res::ToPixels(res::mainwnd::kDownloadPageButton, res::kSongTi9));
    m_btnPlayPage =
        CreatePageButton(this, PageButton::Play, res::ToPixels(res::mainwnd::kPlayPageButton, res::kSongTi9));
    connect(m_btnDownloadPage, &QAbstractButton::clicked, this, &CorvaneDlg::ShowDownloadPage);
    connect(m_btnPlayPage, &QAbstractButton::clicked, this, &CorvaneDlg::ShowPlayerPage);

    auto* strip =
        new WebStrip(this, WebStrip::TipsPageAddress(QString::fromStdU16String(appSettings().startDir())));
    strip->Start();
    m_webStrip = strip;

    m_pDownloadPage = new DownloaderDlg(this, MessageTarget<Messages>(this));
    m_pDownloadPage->setGeometry(m_rcPage);
    m_pDownloadPage->show();

    m_notifier = new TaskNotifier(this);
    connect(m_notifier, &TaskNotifier::taskChosen, this, [this](quint32 worker) {
        ShowDownloadPage();
        m_pDownloadPage->taskList()->SelectRow(m_pDownloadPage->tasks().FindRow(worker));
    });
    // The speed, task and completed lines: the 4th, 6th and 8th of the status block.
    const QRect status = kRemarkRect.translated(0, kRemarkRect.height());
    for (std::size_t i = 0; i < m_figureLabels.size(); ++i) {
        m_figureLabels[i] = new QLabel(this);
        m_figureLabels[i]->setGeometry(status.left(),
                                       status.top() + (3 + 2 * static_cast<int>(i)) * kPanelFontHeight,
                                       status.width(), kPanelFontHeight);
    }
    NameFigures();

    SetAlternateNormal(m_btnPlayPage, true);
    m_speedTimer = startTimer(kSpeedRefreshMs);
    // Decoded once: every repaint of the status block paints the skin beneath it again.
    m_skin = QPixmap::fromImage(skin.get());
}

CorvaneDlg::~CorvaneDlg() = default;

void CorvaneDlg::ShowDownloadPage() {
    SetAlternateNormal(m_btnDownloadPage, false);
    SetAlternateNormal(m_btnPlayPage, true);
    m_pDownloadPage->show();
    if (m_pPlayerPage)
        m_pPlayerPage->hide();
}

void CorvaneDlg::ShowPlayerPage() {
    if (!m_pPlayerPage) {
        m_pPlayerPage = CreatePlayerPage(this);
        m_pPlayerPage->setGeometry(m_rcPage);
    }
    SetAlternateNormal(m_btnDownloadPage, true);
    SetAlternateNormal(m_btnPlayPage, false);
    m_pPlayerPage->show();
    m_pDownloadPage->hide();
}

void CorvaneDlg::OnSysCommand(int id) {
    if ((id & ~0xF) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    } else if ((id & ~0xF) == SC_MINIMIZE) {
        showMinimized();
    } else if ((id & ~0xF) == SC_CLOSE) {
        close();
    }
}

QString CorvaneDlg::StatusText() const {
    return QStringLiteral("-----系统信息-----\r\r\r下载速度：%1 KB\r\r任务数量：%2\r\r完成下载：%3")
        .arg(m_nSpeedSum)
        .arg(m_nTaskCount)
        .arg(m_nCompleted);
}

bool CorvaneDlg::event(QEvent* event) {
    if (const Messages* message = ReceivedMessage<Messages>(event)) {
        HandleMessage(*message);
        return true;
    }
    return QDialog::event(event);
}

void CorvaneDlg::HandleMessage(const Messages& message) {
    std::visit(Overloaded{
                   [this](PlayFile) {
                       ShowPlayerPage();
                       // The page comes from a module: it is reached as a receiver of its messages.
                       MessageTarget<PlayerMessages>(m_pPlayerPage).Post(WM_PLAYER_OPEN);
                   },
                   [this](const WM_COMPLETED_DELTA& completed) {
                       // Shown at once, as the row turns to done.
                       m_nCompleted += completed.delta;
                       repaint(m_rcStatus);
                   },
                   [this](const WM_TASKCOUNT_DELTA& count) {
                       m_nTaskCount += count.delta;
                       repaint(m_rcStatus);
                   },
                   [this](const WM_TASK_RATE& rate) {
                       m_mapTaskRate[rate.worker] = rate.bytesPerMs;
                       // A task that ended or went no longer adds to the speed: the panel says so at once.
                       if (rate.bytesPerMs == 0)
                           RefreshSpeed();
                   },
                   [this](const WM_TASK_ENDED& ended) { TaskEnded(ended.worker, ended.done); },
               },
               message);
}

void CorvaneDlg::paintEvent(QPaintEvent*) {
    // A window moved to a screen of another density gets a skin made for it.
    if (m_skin.devicePixelRatio() != devicePixelRatioF())
        m_skin = QPixmap::fromImage(res::LoadBitmap(res::IDB_SKIN, devicePixelRatioF()));
    QPainter painter(this);
    painter.drawPixmap(rect(), m_skin);
    painter.setFont(MakeCaptionFont(kPanelFontHeight, kSongTi));
    painter.setPen(kPanelTextColor);
    DrawCrText(painter, kRemarkRect, PanelRemarkText(), kPanelFontHeight);
    m_rcStatus = kRemarkRect.translated(0, kRemarkRect.height());
    DrawCrText(painter, m_rcStatus, StatusText(), kPanelFontHeight);
    NameFigures();
}

void CorvaneDlg::NameFigures() {
    const QStringList lines = StatusText().split(QLatin1Char('\r'), Qt::SkipEmptyParts).mid(1);
    for (std::size_t i = 0; i < m_figureLabels.size() && i < static_cast<std::size_t>(lines.size()); ++i) {
        if (m_figureLabels[i]->accessibleName() != lines[static_cast<qsizetype>(i)])
            m_figureLabels[i]->setAccessibleName(lines[static_cast<qsizetype>(i)]);
    }
}

void CorvaneDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_speedTimer)
        RefreshSpeed();
    QDialog::timerEvent(event);
}

void CorvaneDlg::RefreshSpeed() {
    quint32 sum = 0; // 32-bit signed addition with wrap-around, as the figure is kept
    for (const auto& [worker, rate] : m_mapTaskRate)
        sum += static_cast<quint32>(rate);
    m_nSpeedSum = static_cast<qint32>(sum);
    repaint(m_rcStatus);
}

bool CorvaneDlg::HasUnfinishedTask() const {
    const TaskList& tasks = m_pDownloadPage->tasks();
    for (int row = 0; row < tasks.rowCount(); ++row) {
        const TaskState state = tasks.row(row).state;
        if (state != TaskState::kDone && state != TaskState::kFailed)
            return true;
    }
    return false;
}

void CorvaneDlg::TaskEnded(WorkerId worker, bool done) {
    const TaskList& tasks = m_pDownloadPage->tasks();
    const int row = tasks.FindRow(worker);
    if (row < 0)
        return;
    m_notifier->TaskEnded(worker, QString::fromStdU16String(tasks.Text(row, 1)), done,
                          done ? QString() : QString::fromStdU16String(TaskDetailText(tasks.row(row))));
}

void CorvaneDlg::closeEvent(QCloseEvent* event) {
    if (HasUnfinishedTask()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("消息"),
                        QStringLiteral("您有下载任务，是否要现在退出程序？"),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        if (box.exec() != QMessageBox::Ok) {
            event->ignore();
            return;
        }
    }
    QDialog::closeEvent(event);
}

void CorvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window manager owns the real system menu; this menu stands in for it.
    QMenu menu(this);
    menu.addAction(QStringLiteral("最小化(&N)"), this, [this] { OnSysCommand(SC_MINIMIZE); });
    menu.addAction(QStringLiteral("关闭(&C)"), this, [this] { OnSysCommand(SC_CLOSE); });
    const QString about = res::LoadString(res::IDS_ABOUTBOX);
    if (!about.isEmpty()) {
        menu.addSeparator();
        menu.addAction(about, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }
    menu.exec(event->globalPos());
}

} // namespace tessaly
