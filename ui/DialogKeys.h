// Enter and Esc never close or trigger anything in the program's windows; every window's
// key filter asks this one question.
#pragma once

#include <QEvent>
#include <QKeyEvent>

namespace tessaly {

// Whether the event is a press, release or shortcut probe of Enter, Return or Esc.
inline bool IsEnterOrEsc(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease &&
        event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace tessaly
