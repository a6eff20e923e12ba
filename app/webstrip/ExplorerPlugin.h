// The narrow seam between the strip and its browser module (libtessaly_explorer.so), so the program
// links no web engine and pays for one only when the strip first needs its browser.
#pragma once

#include <QtPlugin>

class QWidget;

namespace tessaly {

// The module's root object implements this. The browser it makes is reached by name alone, so
// neither side shares a class with the other:
//   Q_INVOKABLE void Navigate(const QString& address)
//   signal void NavigateError()      a navigation failed; its error page's completion follows
//   signal void NavigateComplete2()  a navigation has arrived and its page is shown
class ExplorerFactory {
public:
    virtual ~ExplorerFactory() = default;
    // A new browser, child of parent, hidden.
    virtual QWidget* CreateExplorer(QWidget* parent) = 0;
};

} // namespace tessaly

#define TessalyExplorerFactory_iid "org.tessaly.ExplorerFactory/1"
Q_DECLARE_INTERFACE(tessaly::ExplorerFactory, TessalyExplorerFactory_iid)
