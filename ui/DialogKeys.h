// Enter and Esc never close a window nor reach a dialog's default button; every window's key
// filter asks this one question, and lets Enter do only what it does on the control that has it.
#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace tessaly {

// Whether the event is a press, release or shortcut probe of Enter, Return or Esc.
inline bool IsEnterOrEsc(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease &&
        event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// Whether the event is a first press of Enter or Return (not a key held down).
inline bool IsEnterPress(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return !key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

// Enter on a focused push button presses it, as Space does. True when it did.
inline bool PressFocusedButton(QObject* watched, const QEvent* event) {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !IsEnterPress(event) || !button->isEnabled() || !button->hasFocus())
        return false;
    button->click();
    return true;
}

} // namespace tessaly
