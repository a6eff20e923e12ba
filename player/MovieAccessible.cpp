// The player control's accessible interface, over the movie's root item.
#include "player/MovieAccessible.h"

#include "player/CShockwaveflash1.h"

#include <QAccessibleWidget>
#include <QQuickItem>

namespace tessaly {
namespace {

class MovieAccessible : public QAccessibleWidget {
public:
    explicit MovieAccessible(CShockwaveflash1* control) : QAccessibleWidget(control, QAccessible::Client) {}

    int childCount() const override { return Movie() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override { return index == 0 ? Movie() : nullptr; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child == Movie() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* movie = Movie();
        return movie && movie->rect().contains(x, y) ? movie : nullptr;
    }

private:
    QAccessibleInterface* Movie() const {
        QQuickItem* root = static_cast<CShockwaveflash1*>(widget())->rootObject();
        return root ? QAccessible::queryAccessibleInterface(root) : nullptr;
    }
};

QAccessibleInterface* MovieAccessibleFactory(const QString& key, QObject* object) {
    if (key == QLatin1String(CShockwaveflash1::staticMetaObject.className()))
        return new MovieAccessible(static_cast<CShockwaveflash1*>(object));
    return nullptr;
}

} // namespace

void InstallMovieAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(MovieAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace tessaly
