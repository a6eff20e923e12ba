// Window messages between the program's windows: posted, never sent, and delivered in posting
// order on the UI thread (QCoreApplication::postEvent keeps that order per receiver).
// Any thread may post; the receiver reads the message in its event() override.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>

namespace tessaly {

// Private messages are numbered from this base, as the window system does.
constexpr int WM_USER = 0x0400;

class PostedMessage : public QEvent {
public:
    PostedMessage(int message, quint64 wParam, qint64 lParam, QString text)
        : QEvent(eventType()), m_message(message), m_wParam(wParam), m_lParam(lParam),
          m_text(std::move(text)) {}

    // Registered with Qt once per process: this library is shared by the program and its modules.
    static QEvent::Type eventType();

    int message() const { return m_message; }
    quint64 wParam() const { return m_wParam; }
    qint64 lParam() const { return m_lParam; }
    // The owned string some messages carry (a file name, for example); empty otherwise.
    const QString& text() const { return m_text; }

private:
    int m_message;
    quint64 m_wParam;
    qint64 m_lParam;
    QString m_text;
};

// Posts a message to target. A null target drops it, as posting to no window does.
inline void PostMessage(QObject* target, int message, quint64 wParam = 0, qint64 lParam = 0,
                        QString text = {}) {
    if (target)
        QCoreApplication::postEvent(target, new PostedMessage(message, wParam, lParam, std::move(text)));
}

// The message a received event carries, or null when the event is not a posted message.
inline const PostedMessage* AsPostedMessage(const QEvent* event) {
    return event->type() == PostedMessage::eventType() ? static_cast<const PostedMessage*>(event) : nullptr;
}

} // namespace tessaly
