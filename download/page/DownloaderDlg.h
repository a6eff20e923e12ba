// The download page: address and folder fields, the task list, the task buttons and the hint.
// Checks new addresses, adds, deletes, re-downloads and plays tasks, takes addresses from the
// clipboard. A child page of the main window; UI thread. The page holds the downloads service (every
// worker thread), the task-list core and its table model. Worker messages arrive as posted events
// and go to the task-list core; its figure messages are posted to the main window.
#pragma once

#include "download/core/TaskList.h"
#include "download/page/PageMessages.h"

#include <QTimer>
#include <QWidget>
#include <memory>
#include <variant>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class TaskListModel;
class TaskListView;

class DownloaderDlg : public QWidget {
    Q_OBJECT
public:
    // The hint stays this long after a selection check or a premature Play.
    static constexpr int kHintMs = 5000;

    // What it takes as posted messages: its workers' messages, from their threads.
    using Messages = std::variant<WorkerMessage>;

    // mainWindow receives the figure messages and WM_PLAY_FILE; a null one drops them.
    DownloaderDlg(QWidget* parent, MessageTarget<MainWindowMessages> mainWindow);
    // Stops every worker and waits for them a few seconds (DownloadService::kShutdownDeadline).
    ~DownloaderDlg() override;

    // The page's commands (buttons 1003, 1005, 1012, 1014, 1017; menu commands 32771, 32773).
    void OnDownload();
    void OnChooseFolder();
    void OnDelete();
    void OnPlay();
    void OnRedownload();
    // Puts a watch-page address from the clipboard into the address field.
    void PasteFromClipboard();

    // The task list as the main window reads it when asked to close.
    int TaskCount() const;
    QString TaskText(int row, int column) const;
    TaskListView* taskList() const { return m_list; }
    const TaskList& tasks() const { return *m_tasks; }
    const DownloadService& service() const { return *m_service; }

    // Copies the fields into the members (true) or the members into the fields (false).
    void UpdateData(bool saveAndValidate);

    QString m_strUrl;
    QString m_strFolder;
    int m_bDeleteFile = 0;

signals:
    // The refusal tone was sounded (an address that is not a watch page).
    void beeped();

protected:
    // Hands its workers' messages to the task-list core.
    bool event(QEvent* event) override;
    // The address field taking the keyboard takes a watch-page address from the clipboard.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Draws the heading only: the main window's skin shows through the rest.
    void paintEvent(QPaintEvent* event) override;
    // Shown as the page (not with its window restored) with no address typed, it takes one from
    // the clipboard.
    void showEvent(QShowEvent* event) override;

private:
    class Sinks;

    // Shows the hint for kHintMs; false when no row is selected (the command then ends).
    bool CheckSelection();
    void ShowHint(const QString& text);
    void ShowRowMenu(const QPoint& globalPos);

    QLineEdit* m_editUrl = nullptr;
    QPushButton* m_btnDownload = nullptr;
    QLineEdit* m_editFolder = nullptr;
    TaskListView* m_list = nullptr;
    QCheckBox* m_checkDeleteFile = nullptr;
    QLabel* m_hint = nullptr;
    // Hides the hint when it has stood for kHintMs.
    QTimer m_hintTimer;
    TaskListModel* m_model = nullptr;
    // In this order: the workers post through the sinks until the service has ended them, and the
    // task list's controls belong to the service's workers.
    std::unique_ptr<Sinks> m_sinks;
    std::unique_ptr<DownloadService> m_service;
    std::unique_ptr<TaskList> m_tasks;
};

} // namespace tessaly
