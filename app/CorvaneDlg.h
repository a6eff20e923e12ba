// The program's only top-level window: skin, page buttons, page area with the download and player
// pages, status figures, web strip, About item, close confirmation. Lives on the UI thread; the
// download page's notifications reach it as posted messages, delivered in posting order.
#pragma once

#include "download/page/PageMessages.h"
#include "ui/PostedMessage.h"

#include <QDialog>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>
#include <map>

class QAbstractButton;
class QLabel;

namespace tessaly {

class DownloaderDlg;
class TaskNotifier;

class CorvaneDlg : public QDialog {
    Q_OBJECT
public:
    // What it takes as posted messages: the download page's figures and its request to play.
    using Messages = MainWindowMessages;

    // Commands of the system menu stand-in (values as the window system numbers them).
    static constexpr int IDM_ABOUTBOX = 16;
    static constexpr int SC_MINIMIZE = 0xF020;
    static constexpr int SC_CLOSE = 0xF060;

    explicit CorvaneDlg(QWidget* parent = nullptr);
    ~CorvaneDlg() override;

    void ShowDownloadPage();
    void ShowPlayerPage();
    // A system command: ids 16 to 31 open the About box; minimise and close as usual.
    void OnSysCommand(int id);

    // The status block as it is drawn: lines end at carriage returns.
    QString StatusText() const;
    int speedSum() const { return m_nSpeedSum; }
    int taskCount() const { return m_nTaskCount; }
    int completed() const { return m_nCompleted; }
    QRect statusRect() const { return m_rcStatus; }
    QRect pageRect() const { return m_rcPage; }
    DownloaderDlg* downloadPage() const { return m_pDownloadPage; }
    QWidget* playerPage() const { return m_pPlayerPage; }
    QAbstractButton* downloadPageButton() const { return m_btnDownloadPage; }
    QAbstractButton* playPageButton() const { return m_btnPlayPage; }
    QWidget* webStrip() const { return m_webStrip; }

protected:
    // Routes its Messages to HandleMessage.
    bool event(QEvent* event) override;
    // Draws the skin with the remark and the status figures on it.
    void paintEvent(QPaintEvent* event) override;
    // Refreshes the speed figure from the tasks' rates every two seconds.
    void timerEvent(QTimerEvent* event) override;
    // Asks before closing while a task is unfinished.
    void closeEvent(QCloseEvent* event) override;
    // Opens the system menu's stand-in: minimise, close and the About box.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void HandleMessage(const Messages& message);
    void RefreshSpeed();
    // True when some row of the task list is neither done nor failed.
    bool HasUnfinishedTask() const;
    // A task has ended: the desktop hears of it while the window is not the active one.
    void TaskEnded(WorkerId worker, bool done);
    // Gives the figures' stand-ins the lines just drawn.
    void NameFigures();

    QPixmap m_skin;
    DownloaderDlg* m_pDownloadPage = nullptr;
    QWidget* m_pPlayerPage = nullptr;
    QRect m_rcStatus;
    QRect m_rcPage;
    int m_nSpeedSum = 0;
    int m_nTaskCount = 0;
    int m_nCompleted = 0;
    std::map<WorkerId, std::int64_t> m_mapTaskRate; // bytes per millisecond
    QWidget* m_webStrip = nullptr;
    QAbstractButton* m_btnDownloadPage = nullptr;
    QAbstractButton* m_btnPlayPage = nullptr;
    int m_speedTimer = 0;
    TaskNotifier* m_notifier = nullptr;
    // The figures are painted on the skin; these empty labels over their lines carry them, as
    // drawn, to a screen reader.
    std::array<QLabel*, 3> m_figureLabels{};
};

} // namespace tessaly
