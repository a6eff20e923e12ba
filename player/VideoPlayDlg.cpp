// The player page.
#include "player/VideoPlayDlg.h"

#include "controls/PageHeading.h"
#include "player/PlayerMessages.h"
#include "player/PlayerRequests.h"
#include "res/DialogTemplates.h"
#include "settings/AppSettings.h"
#include "ui/DialogKeys.h"

#include <QAbstractButton>
#include <QChildEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeView>
#include <utility>

namespace tessaly {
namespace {

const QColor kPanelColour(198, 220, 245);
const QString kHeading = QStringLiteral("YouTube 视频播放");

} // namespace

VideoPlayDlg::VideoPlayDlg(AppSettings& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_wndFlash(this) {
    setObjectName(QStringLiteral("VideoPlayDlg"));
    setFont(QFont(QStringLiteral("MS Shell Dlg"), 8));
    resize(res::ToPixels(kTemplateSize, res::kShellDlg8).size());
    // Named by its heading, which is drawn, not a label.
    setAccessibleName(kHeading);

    // The control keeps its template place and size whatever size the page is given.
    m_wndFlash.setObjectName(QString::number(IDC_FLASH));
    m_wndFlash.setGeometry(res::ToPixels(kFlashRect, res::kShellDlg8));
    m_wndFlash.setFocusPolicy(Qt::StrongFocus);
    // Enter and Esc do nothing on the page or its control, also when the page stands alone.
    DialogKeys::Hold(this);
    connect(&m_wndFlash, &CShockwaveflash1::FlashCall, this, &VideoPlayDlg::OnFlashCall);
    connect(&m_wndFlash, &CShockwaveflash1::OnReadyStateChange, this, &VideoPlayDlg::OnReadyStateChange);
    // The movie is requested without waiting for it or checking that it exists.
    m_wndFlash.put_Movie(MoviePath(QString::fromStdU16String(m_settings.startDir())));
    hide();
}

void VideoPlayDlg::CallMovie(const QString& request) {
    m_wndFlash.CallFunction(request);
}

void VideoPlayDlg::PauseMovie() {
    CallMovie(PauseMvRequest());
}

bool VideoPlayDlg::event(QEvent* event) {
    if (ReceivedMessage<Messages>(event)) { // WM_PLAYER_OPEN, the only one
        OnPlayerOpen();
        return true;
    }
    const bool handled = QWidget::event(event);
    // Shown or enabled again, the page hands the movie the file it has been keeping.
    if (event->type() == QEvent::Show || event->type() == QEvent::EnabledChange)
        DeliverPendingCall();
    return handled;
}

void VideoPlayDlg::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    // Labels and buttons without an id show the page through their background.
    QObject* child = event->child();
    if (event->type() == QEvent::ChildPolished && child->objectName().isEmpty() &&
        (qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child)))
        static_cast<QWidget*>(child)->setAutoFillBackground(false);
}

void VideoPlayDlg::OnPlayerOpen() {
    m_strPendingCall = OpenFlvRequest(QString::fromStdU16String(m_settings.fileToPlay()));
    DeliverPendingCall();
}

void VideoPlayDlg::DeliverPendingCall() {
    // A movie not yet read whole may not have its functions yet (a missing or broken one never
    // will), and a hidden or disabled page keeps the request until it can be seen playing.
    if (m_strPendingCall.isEmpty() || m_wndFlash.status() != QQuickView::Ready || !isVisible() ||
        !isEnabled())
        return;
    // Taken before the call: the movie may ask the page for something while it handles it.
    CallMovie(std::exchange(m_strPendingCall, QString()));
}

void VideoPlayDlg::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Only the page being hidden pauses the movie: minimising the window hides it too, but
    // spontaneously, and the video goes on playing as the user left it.
    if (!event->spontaneous())
        PauseMovie();
}

void VideoPlayDlg::paintEvent(QPaintEvent*) {
    // No background of its own: the main window's skin shows around the shapes.
    QPainter painter(this);

    DrawPageHeading(painter, kHeading);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kPanelColour);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawRoundedRect(QRectF(16, 45, 540 - 16, 450 - 45), 3, 3);
}

void VideoPlayDlg::OnFlashCall(const QString& request) {
    switch (ClassifyMovieRequest(request)) {
    case MovieRequest::OpenFile:
        OnOpenRequest();
        break;
    case MovieRequest::GetList:
        OnListRequest();
        break;
    case MovieRequest::Ignored:
        break;
    }
}

void VideoPlayDlg::OnReadyStateChange(int) {
    // A movie read whole has its functions in place (a missing or broken one never gets there).
    DeliverPendingCall();
}

void VideoPlayDlg::OnOpenRequest() {
    const QString initial =
        JoinFolder(QString::fromStdU16String(m_settings.downloadFolder()), QStringLiteral("*.flv"));
    QFileDialog dialog(window(), QString(), initial.left(initial.lastIndexOf(QLatin1Char('/')) + 1),
                       QStringLiteral("All Files (*.flv)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("flv"));
    // Qt gives the detail view's columns fixed widths that cut sizes, types and dates once they
    // read Chinese; let those follow what they show and the name take the rest.
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = ChosenFileToSend(dialog.selectedFiles().constFirst());
    if (!path.isEmpty())
        CallMovie(OpenFlvRequest(path));
}

void VideoPlayDlg::OnListRequest() {
    CallMovie(GetListRequest(FlvFileList(QString::fromStdU16String(m_settings.downloadFolder()))));
}

} // namespace tessaly
