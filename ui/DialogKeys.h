// Enter and Esc never close a window nor reach a dialog's default button; every window's key
// filter asks this one question, and lets Enter do only what it does on the control that has it.
#pragma once

#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

namespace tessaly {

// Whether the event is a press, release or shortcut probe of Enter, Return or Esc.
inline bool IsEnterOrEsc(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease &&
        event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// The one Enter/Esc filter, on the application: it takes Enter and Esc out of every key event bound
// for a window it holds or a widget inside one. Enter runs the Enter action of the field it
// reaches, if that has one, or else presses the focused button.
class DialogKeys : public QObject {
public:
    // Holds window's keys from now on, for as long as the window lives.
    static void Hold(QWidget* window);
    // What Enter does in field, for as long as the field lives.
    static void SetEnterAction(QWidget* field, std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
    // The application's one filter, installed when first asked for.
    static DialogKeys& Instance();
    bool Holds(const QWidget* widget) const;

    QList<QPointer<QWidget>> m_windows;
    QHash<const QObject*, std::function<void()>> m_enterActions;
};

} // namespace tessaly
