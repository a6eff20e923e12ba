// Notify calls and the clicks that come back, over org.freedesktop.Notifications.
#include "app/TaskNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <QWidget>

namespace tessaly {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The program's desktop entry and icon, as installed.
const QString kDesktopEntry = QStringLiteral("org.tessaly.tessaly");
// The action a click on the notification itself invokes.
const QString kDefaultAction = QStringLiteral("default");

} // namespace

TaskNotifier::TaskNotifier(QWidget* window, QDBusConnection bus)
    : QObject(window), m_window(window), m_bus(std::move(bus)) {
    if (!m_bus.isConnected())
        return;
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(OnActionInvoked(quint32, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(OnClosed(quint32, quint32)));
}

void TaskNotifier::TaskEnded(quint32 worker, const QString& video, bool done, const QString& detail) {
    if (!m_bus.isConnected() || !m_window || m_window->isActiveWindow())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QString summary = done ? QStringLiteral("视频下载完成") : QStringLiteral("视频下载失败");
    const QString body = detail.isEmpty() ? video : video + QLatin1Char('\n') + detail;
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), kDesktopEntry);
    hints.insert(QStringLiteral("category"),
                 done ? QStringLiteral("transfer.complete") : QStringLiteral("transfer.error"));
    call << QStringLiteral("Tessaly") << quint32(0) << kDesktopEntry << summary << body
         << QStringList{kDefaultAction, QStringLiteral("查看")} << hints << qint32(-1);
    // Asked without waiting: a missing service answers with an error, which is simply dropped.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, worker](QDBusPendingCallWatcher* reply) {
                const QDBusPendingReply<quint32> id = *reply;
                if (!id.isError())
                    m_shown[id.value()] = worker;
                reply->deleteLater();
            });
}

void TaskNotifier::OnActionInvoked(quint32 id, const QString& action) {
    const auto shown = m_shown.find(id);
    if (shown == m_shown.end() || action != kDefaultAction || !m_window)
        return;
    const quint32 worker = shown->second;
    m_shown.erase(shown);
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
    emit taskChosen(worker);
}

void TaskNotifier::OnClosed(quint32 id, quint32) {
    m_shown.erase(id);
}

} // namespace tessaly
