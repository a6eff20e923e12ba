// The download page: template 131, its commands, checks and hints, the clipboard paste, the
// heading, and the task list's model and view over the task-list core.
#include "download/page/DownloaderDlg.h"

#include "base/AsciiCase.h"
#include "controls/PageHeading.h"
#include "download/core/PageResolution.h"
#include "download/page/TaskListModel.h"
#include "download/page/TaskListView.h"
#include "media/MediaLoader.h"
#include "res/DialogTemplates.h"
#include "res/Resources.h"
#include "settings/AppSettings.h"
#include "ui/DialogKeys.h"
#include "ui/PostedMessage.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

namespace tessaly {

namespace {

constexpr int kClipboardMaxChars = 80;
constexpr int kBeepHz = 300;
constexpr int kBeepMs = 50;
const QString kAddressErrorMark = QStringLiteral("{ 页面地址错误 }");
const QString kSelectHint = QStringLiteral("请选择列表中的一项任务！");
const QString kWaitHint = QStringLiteral("请等待任务下载完毕！");
const QString kHeading = QStringLiteral("YouTube 视频下载");

std::u16string ToU16(const QString& text) {
    return text.toStdU16String();
}
QString FromU16(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

QRect Place(res::DuRect du) {
    return res::ToPixels(du, res::kShellDlg8);
}

QPushButton* AddButton(QWidget* parent, const QString& text, res::DuRect du) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(Place(du));
    return button;
}

// A label on white, as the page's statics are painted.
QLabel* AddStatic(QWidget* parent, const QString& text, res::DuRect du) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(Place(du));
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

// Where the core's messages go: worker messages as posted events to the page (from any thread),
// figures as posted events to the main window (from the UI thread).
class DownloaderDlg::Sinks : public WorkerMessageSink, public FigureSink {
public:
    Sinks(DownloaderDlg* page, MessageTarget<MainWindowMessages> mainWindow)
        : m_page(page), m_mainWindow(std::move(mainWindow)) {}

    void PostWorkerMessage(WorkerMessage message) override { PostMessage(m_page, std::move(message)); }
    void PostFigureMessage(FigureMessage message) override {
        std::visit([this](auto&& figure) { m_mainWindow.Post(std::move(figure)); }, std::move(message));
    }
    const MessageTarget<MainWindowMessages>& mainWindow() const { return m_mainWindow; }

private:
    DownloaderDlg* const m_page;
    const MessageTarget<MainWindowMessages> m_mainWindow;
};

DownloaderDlg::DownloaderDlg(QWidget* parent, MessageTarget<MainWindowMessages> mainWindow)
    : QWidget(parent), m_sinks(std::make_unique<Sinks>(this, std::move(mainWindow))) {
    using namespace res::downloader;
    setFont(QFont(QStringLiteral("MS Shell Dlg"), 8));
    resize(Place(kSize).size());
    // Named by its heading, which is drawn, not a label.
    setAccessibleName(kHeading);

    QLabel* urlLabel = AddStatic(this, QStringLiteral("视频网页地址："), kUrlLabel);
    QLabel* folderLabel = AddStatic(this, QStringLiteral("本机保存目录："), kFolderLabel);

    m_editUrl = new QLineEdit(this);
    m_editUrl->setObjectName(QStringLiteral("url"));
    m_editUrl->setGeometry(Place(kUrl));
    QPalette urlPalette = m_editUrl->palette();
    urlPalette.setColor(QPalette::Text, QColor(0, 0, 200));
    m_editUrl->setPalette(urlPalette);
    // A screen reader names each field after the label beside it.
    urlLabel->setBuddy(m_editUrl);
    m_btnDownload = AddButton(this, QStringLiteral("&D下载"), kDownload);
    m_btnDownload->setObjectName(QStringLiteral("download"));
    connect(m_btnDownload, &QPushButton::clicked, this, &DownloaderDlg::OnDownload);

    m_editFolder = new QLineEdit(this);
    m_editFolder->setObjectName(QStringLiteral("folder"));
    m_editFolder->setGeometry(Place(kFolder));
    folderLabel->setBuddy(m_editFolder);
    connect(AddButton(this, QStringLiteral("&F目录..."), kChooseFolder), &QPushButton::clicked, this,
            &DownloaderDlg::OnChooseFolder);

    m_hint = AddStatic(this, QStringLiteral("请选择下载列表中的一项任务！"), kHint);
    m_hint->setObjectName(QStringLiteral("hint"));
    QPalette hintPalette = m_hint->palette();
    hintPalette.setColor(QPalette::WindowText, QColor(240, 0, 0));
    m_hint->setPalette(hintPalette);
    m_hint->hide();
    m_hintTimer.setSingleShot(true);
    connect(&m_hintTimer, &QTimer::timeout, m_hint, &QWidget::hide);

    m_model = new TaskListModel(this);
    m_list = new TaskListView(m_model, this);
    m_list->setObjectName(QStringLiteral("tasks"));
    m_list->setGeometry(Place(kTasks));
    m_list->setAccessibleName(QStringLiteral("下载任务列表"));
    connect(m_list, &TaskListView::rowMenuRequested, this, &DownloaderDlg::ShowRowMenu);
    connect(m_list, &TaskListView::deleteRequested, this, &DownloaderDlg::OnDelete);

    connect(AddButton(this, QStringLiteral("&R重新下载"), kRedownload), &QPushButton::clicked, this,
            &DownloaderDlg::OnRedownload);
    connect(AddButton(this, QStringLiteral("&D删除任务"), kDelete), &QPushButton::clicked, this,
            &DownloaderDlg::OnDelete);
    m_checkDeleteFile = new QCheckBox(QStringLiteral("并删除已下载文件"), this);
    m_checkDeleteFile->setObjectName(QStringLiteral("deleteFile"));
    m_checkDeleteFile->setGeometry(Place(kDeleteFile));
    connect(AddButton(this, QStringLiteral("&P播放视频"), kPlay), &QPushButton::clicked, this,
            &DownloaderDlg::OnPlay);

    WorkerSettings settings;
    settings.downloadFolder = [] { return appSettings().downloadFolder(); };
    m_service = std::make_unique<DownloadService>(*m_sinks);
    m_tasks = std::make_unique<TaskList>(*m_service, *m_sinks, std::move(settings));
    m_model->SetTaskList(m_tasks.get());

    // Sees the address field's focus; Enter and Esc are taken out of the page's key events, also
    // when the page stands alone: Esc closes nothing, and Enter only presses 下载 from the address
    // field or the focused button.
    m_editUrl->installEventFilter(this);
    DialogKeys::Hold(this);
    DialogKeys::SetEnterAction(m_editUrl, [this] { m_btnDownload->click(); });

    m_strFolder = FromU16(appSettings().downloadFolder()).replace(QStringLiteral("//"), QStringLiteral("/"));
    UpdateData(false);
}

DownloaderDlg::~DownloaderDlg() {
    // Every worker ends (or is let go after the deadline, posting nothing) before the sinks and the
    // widgets go.
    m_model->SetTaskList(nullptr);
    m_tasks.reset();
    m_service.reset();
}

void DownloaderDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_strUrl = m_editUrl->text();
        m_strFolder = m_editFolder->text();
        m_bDeleteFile = m_checkDeleteFile->isChecked() ? 1 : 0;
    } else {
        m_editUrl->setText(m_strUrl);
        m_editFolder->setText(m_strFolder);
        m_checkDeleteFile->setChecked(m_bDeleteFile != 0);
    }
}

int DownloaderDlg::TaskCount() const {
    return m_tasks->rowCount();
}

QString DownloaderDlg::TaskText(int row, int column) const {
    return row >= 0 && row < m_tasks->rowCount() ? FromU16(m_tasks->Text(row, column)) : QString();
}

void DownloaderDlg::OnDownload() {
    if (m_tasks->rowCount() > TaskList::kMaxRows - 1) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("下载任务请不要超过10个！"));
        return;
    }
    UpdateData(true);
    m_strUrl = m_strUrl.trimmed();
    UpdateData(false);

    if (m_tasks->IsDuplicate(ToU16(m_strUrl))) {
        QMessageBox::information(this, QStringLiteral("提示"), QStringLiteral("该链接已在下载任务列表！"));
        return;
    }
    if (!QFileInfo::exists(m_strFolder)) {
        // One directory level; a folder that is already there counts as made.
        const QString folder = FromU16(appSettings().downloadFolder());
        if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir()) {
            QMessageBox::critical(this, QStringLiteral("错误"),
                                  QStringLiteral("创建下载目录失败，请关闭再试！"));
            return;
        }
    }
    // A marked text was refused before: it stays refused, whatever address it holds.
    const bool marked = m_strUrl.contains(kAddressErrorMark);
    if (!marked && IsWatchPageAddress(LowerAsciiCopy(ToU16(m_strUrl)))) {
        if (!m_tasks->AddTask(ToU16(m_strUrl)))
            QMessageBox::critical(this, QStringLiteral("错误"),
                                  QStringLiteral("无法创建下载任务，请关闭再试！"));
        return;
    }
    if (!marked) {
        m_strUrl += kAddressErrorMark;
        UpdateData(false);
    }
    Beep(kBeepHz, kBeepMs);
    emit beeped();
}

void DownloaderDlg::PasteFromClipboard() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty() || text.size() > kClipboardMaxChars)
        return;
    if (IsWatchPageAddress(ToU16(text))) {
        m_strUrl = text;
        UpdateData(false);
    }
}

void DownloaderDlg::OnChooseFolder() {
    // The typed address and the check box survive the fields being shown again below.
    UpdateData(true);
    QFileDialog dialog(this, QStringLiteral("选择视频本地保存目录..."), m_strFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = QDir::cleanPath(dialog.selectedFiles().first());
        // A folder config.ini cannot give back unchanged would be another folder at the next start.
        if (appSettings().SetDownloadFolder(ToU16(path))) {
            m_strFolder = path;
        } else {
            QMessageBox::information(
                this, QStringLiteral("提示"),
                QStringLiteral("该目录的路径过长或含有无法保存的字符，请选择其他目录！"));
        }
    }
    UpdateData(false);
}

bool DownloaderDlg::CheckSelection() {
    if (m_list->SelectedRow() >= 0)
        return true;
    ShowHint(kSelectHint);
    return false;
}

void DownloaderDlg::ShowHint(const QString& text) {
    m_hint->setText(text);
    m_hint->show();
    m_hintTimer.start(kHintMs);
}

void DownloaderDlg::OnDelete() {
    if (!CheckSelection())
        return;
    const int row = m_list->SelectedRow();
    UpdateData(true);
    m_tasks->DeleteTask(row, m_bDeleteFile != 0);
    // The view would select the neighbour by itself; a second press must not delete it.
    m_list->SelectRow(-1);
}

void DownloaderDlg::OnPlay() {
    if (!CheckSelection())
        return;
    const DownloadTask& task = m_tasks->row(m_list->SelectedRow());
    if (task.state != TaskState::kDone || !task.file) {
        ShowHint(kWaitHint);
        return;
    }
    // The task's own file, wherever the folder setting points now. The slot takes a path of any
    // length, so a long folder and name still play.
    appSettings().setFileToPlay(task.file->path);
    m_sinks->mainWindow().Post(WM_PLAY_FILE);
}

void DownloaderDlg::OnRedownload() {
    if (!CheckSelection())
        return;
    OnDelete();
    m_strUrl = FromU16(m_tasks->selectedUrl());
    UpdateData(false);
    OnDownload();
}

void DownloaderDlg::ShowRowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&P 播放"), this, &DownloaderDlg::OnPlay);
    menu.addAction(QStringLiteral("&D 删除任务"), this, &DownloaderDlg::OnDelete);
    menu.exec(globalPos);
}

bool DownloaderDlg::event(QEvent* event) {
    if (const Messages* message = ReceivedMessage<Messages>(event)) {
        m_tasks->HandleWorkerMessage(std::get<WorkerMessage>(*message));
        return true;
    }
    return QWidget::event(event);
}

bool DownloaderDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editUrl && event->type() == QEvent::FocusIn)
        PasteFromClipboard();
    return QWidget::eventFilter(watched, event);
}

void DownloaderDlg::paintEvent(QPaintEvent*) {
    // No background of its own: the main window's skin shows through; only the heading is drawn.
    QPainter painter(this);
    DrawPageHeading(painter, kHeading);
}

void DownloaderDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window restored from its minimised state shows its pages again spontaneously; only the
    // page being shown counts.
    if (event->spontaneous())
        return;
    UpdateData(true);
    m_strUrl = m_strUrl.trimmed();
    if (m_strUrl.isEmpty())
        PasteFromClipboard();
}

} // namespace tessaly
