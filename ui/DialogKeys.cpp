// The application's one Enter/Esc filter.
#include "ui/DialogKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace tessaly {

namespace {

// Whether the event is a press, release or shortcut probe of Enter, Return or Esc.
bool IsEnterOrEsc(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease &&
        event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// Whether the event is a first press of Enter or Return (not a key held down).
bool IsEnterPress(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return !key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

// Enter on a focused push button presses it, as Space does. Focused within its window: keys reach
// the window's focus widget even where the platform never activates windows (a Wayland compositor
// may not), and Enter should do there what Space does.
void PressFocusedButton(QObject* watched, const QEvent* event) {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !IsEnterPress(event) || !button->isEnabled() || button->window()->focusWidget() != button)
        return;
    button->click();
}

} // namespace

DialogKeys& DialogKeys::Instance() {
    // A child of the application: it goes with it, and a later application gets a new one.
    static QPointer<DialogKeys> instance;
    if (!instance) {
        instance = new DialogKeys(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(instance);
    }
    return *instance;
}

void DialogKeys::Hold(QWidget* window) {
    DialogKeys& keys = Instance();
    keys.m_windows.removeAll(nullptr);
    if (!keys.m_windows.contains(window))
        keys.m_windows.append(window);
}

void DialogKeys::SetEnterAction(QWidget* field, std::function<void()> action) {
    DialogKeys& keys = Instance();
    keys.m_enterActions.insert(field, std::move(action));
    connect(field, &QObject::destroyed, &keys, [&keys, field] { keys.m_enterActions.remove(field); });
}

bool DialogKeys::Holds(const QWidget* widget) const {
    for (const QPointer<QWidget>& window : m_windows)
        if (window && (window == widget || window->isAncestorOf(widget)))
            return true;
    return false;
}

bool DialogKeys::eventFilter(QObject* watched, QEvent* event) {
    if (!IsEnterOrEsc(event) || !watched->isWidgetType() || !Holds(static_cast<QWidget*>(watched)))
        return QObject::eventFilter(watched, event);
    if (IsEnterPress(event)) {
        if (const auto action = m_enterActions.constFind(watched); action != m_enterActions.constEnd()) {
            (*action)();
            return true;
        }
    }
    PressFocusedButton(watched, event);
    return true;
}

} // namespace tessaly
