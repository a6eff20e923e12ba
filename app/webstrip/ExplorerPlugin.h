// The narrow seam between the strip and its browser module (libtessaly_explorer.so), so the program
// links no browser and pays for one only when the strip first needs it.
#pragma once

#include <QtPlugin>

class QString;
class QWidget;

namespace tessaly {

// What the strip hears from its browser.
class ExplorerEvents {
public:
    // A navigation failed; its error page's completion follows.
    virtual void NavigateError() = 0;
    // A navigation has arrived and its page is shown.
    virtual void NavigateComplete2() = 0;

protected:
    ~ExplorerEvents() = default;
};

// A browser the module made: a widget that goes where it is sent. Its parent widget owns it.
class Explorer {
public:
    virtual ~Explorer() = default;
    virtual QWidget* widget() = 0;
    // Sends the browser to an address; the outcome arrives as ExplorerEvents.
    virtual void Navigate(const QString& address) = 0;
};

// The module's root object implements this.
class ExplorerFactory {
public:
    virtual ~ExplorerFactory() = default;
    // A new browser, child of parent, hidden, telling events (which outlives it) what it does.
    virtual Explorer* CreateExplorer(QWidget* parent, ExplorerEvents& events) = 0;
};

} // namespace tessaly

#define TessalyExplorerFactory_iid "org.tessaly.ExplorerFactory/2"
Q_DECLARE_INTERFACE(tessaly::ExplorerFactory, TessalyExplorerFactory_iid)
