// The application's one Enter/Esc filter.
#include "ui/DialogKeys.h"

#include <QCoreApplication>
#include <QWidget>

namespace tessaly {

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
