// Enter and Esc never close a window nor reach a dialog's default button: one filter on the
// application takes them out of the windows it holds, and lets Enter do only what it does on the
// control that has it.
#pragma once

#include <QEvent>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

namespace tessaly {

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
