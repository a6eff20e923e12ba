// A word from the program when a task ends while its window is not the active one: a desktop
// notification through the freedesktop notification service on the session bus. Clicking it brings
// the window forward and names the task. Without a bus or a service nothing is shown and nothing
// complains. UI thread.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <map>

class QWidget;

namespace tessaly {

class TaskNotifier : public QObject {
    Q_OBJECT
public:
    // window: whose activity decides and which a click brings forward. bus: where the service is.
    explicit TaskNotifier(QWidget* window, QDBusConnection bus = QDBusConnection::sessionBus());

    // The task of worker has ended (done, or failed with detail) with the video's file name.
    // Shown unless the window is active.
    void TaskEnded(quint32 worker, const QString& video, bool done, const QString& detail);

signals:
    // The user clicked the notification of worker's task; the window has been brought forward.
    void taskChosen(quint32 worker);

private slots:
    void OnActionInvoked(quint32 id, const QString& action);
    void OnClosed(quint32 id, quint32 reason);

private:
    QPointer<QWidget> m_window;
    QDBusConnection m_bus;
    // The worker of each notification shown, by the service's id for it.
    std::map<quint32, quint32> m_shown;
};

} // namespace tessaly
