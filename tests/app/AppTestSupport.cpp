// Helpers for the application's widget tests.
#include "AppTestSupport.h"

#include "settings/AppSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <memory>

namespace tessaly::test {

ScratchStartDir::ScratchStartDir() : m_previous(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
    appSettings().LoadSettings();
}

ScratchStartDir::~ScratchStartDir() {
    QDir::setCurrent(m_previous);
}

QString ScratchStartDir::downloadFolder() const {
    return QString::fromStdU16String(appSettings().downloadFolder());
}

void WhenModalShows(std::function<bool(QWidget*)> take) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    auto deadline = std::make_shared<int>(1500); // 30 s
    QObject::connect(timer, &QTimer::timeout, timer, [timer, take, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if ((modal && take(modal)) || --*deadline <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void AnswerNextBox(QMessageBox::StandardButton button, SeenBox* seen) {
    WhenModalShows([button, seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return false;
        if (seen) {
            seen->caption = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            seen->buttons = box->standardButtons();
        }
        box->button(button)->click();
        return true;
    });
}

void RejectNextDialog(const char* className, QString* title) {
    WhenModalShows([className, title](QWidget* modal) {
        if (!modal->inherits(className))
            return false;
        if (title)
            *title = modal->windowTitle();
        static_cast<QDialog*>(modal)->reject();
        return true;
    });
}

bool MessageLog::event(QEvent* event) {
    if (const Messages* message = ReceivedMessage<Messages>(event)) {
        entries.push_back(*message);
        return true;
    }
    return QObject::event(event);
}

// The font files mapped into this process whose names say they hold a bold face.
QStringList MappedBoldFaces() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(no maps)")};
    QStringList faces;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString path = QString::fromUtf8(line.mid(line.indexOf('/')));
        if (line.contains("/fonts/") && QFileInfo(path).fileName().contains(QStringLiteral("Bold")) &&
            !faces.contains(path))
            faces << path;
    }
    return faces;
}

} // namespace tessaly::test
