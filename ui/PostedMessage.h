// Window messages between the program's windows: posted, never sent, and delivered in posting
// order on the UI thread (QCoreApplication::postEvent keeps that order per receiver).
//
// Each receiver lists the messages it takes as a std::variant of message types (its `Messages`),
// and is reached only through that list: posting a message its receiver does not take does not
// compile. Any thread may post; the receiver reads its messages in its event() override with
// ReceivedMessage<Messages>.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <type_traits>
#include <utility>
#include <variant>

namespace tessaly {

// The posted messages' one event type, registered with Qt once per process: this library is
// shared by the program and its modules.
QEvent::Type PostedMessageEventType();

// A posted message for a receiver that takes Messages.
template <typename Messages> class PostedMessage : public QEvent {
public:
    explicit PostedMessage(Messages message)
        : QEvent(PostedMessageEventType()), m_message(std::move(message)) {}
    const Messages& message() const { return m_message; }

private:
    Messages m_message;
};

template <typename Message, typename Messages> struct IsOneOfMessages : std::false_type {};
template <typename Message, typename... Alternatives>
struct IsOneOfMessages<Message, std::variant<Alternatives...>>
    : std::bool_constant<(std::is_same_v<Message, Alternatives> || ...)> {};
// Whether Message is one of the messages in the list Messages.
template <typename Message, typename Messages>
concept OneOfMessages = IsOneOfMessages<std::remove_cvref_t<Message>, Messages>::value;

// A receiver of Messages for senders that do not know its class (a lower layer's window posting
// to the main window). A null or destroyed receiver drops what is posted, as posting to no window
// does.
template <typename Messages> class MessageTarget {
public:
    MessageTarget() = default;
    // receiver's event() must take Messages.
    explicit MessageTarget(QObject* receiver) : m_receiver(receiver) {}

    template <OneOfMessages<Messages> Message> void Post(Message&& message) const {
        PostAny(Messages(std::forward<Message>(message)));
    }
    // Any message of the list, already wrapped.
    void PostAny(Messages message) const {
        if (m_receiver)
            QCoreApplication::postEvent(m_receiver, new PostedMessage<Messages>(std::move(message)));
    }

private:
    QPointer<QObject> m_receiver;
};

// Posts a message to a receiver whose class is known: Receiver::Messages says what it takes. A null
// target drops it. Any thread may post, while the target lives.
template <typename Receiver, typename Message>
requires OneOfMessages<Message, typename Receiver::Messages>
void PostMessage(Receiver* target, Message&& message) {
    using Messages = typename Receiver::Messages;
    if (target)
        QCoreApplication::postEvent(target,
                                    new PostedMessage<Messages>(Messages(std::forward<Message>(message))));
}

// The message for a receiver of Messages that a received event carries, or null.
template <typename Messages> const Messages* ReceivedMessage(const QEvent* event) {
    if (event->type() != PostedMessageEventType())
        return nullptr;
    const auto* posted = dynamic_cast<const PostedMessage<Messages>*>(event);
    return posted ? &posted->message() : nullptr;
}

} // namespace tessaly
