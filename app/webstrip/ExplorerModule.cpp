// The browser module's root object: makes CExplorer1 browsers for the strip.
#include "app/webstrip/CExplorer1.h"
#include "app/webstrip/ExplorerPlugin.h"

#include <QObject>

namespace tessaly {

class ExplorerModule : public QObject, public ExplorerFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TessalyExplorerFactory_iid)
    Q_INTERFACES(tessaly::ExplorerFactory)

public:
    Explorer* CreateExplorer(QWidget* parent, ExplorerEvents& events) override {
        auto* browser = new CExplorer1(parent);
        browser->hide();
        connect(browser, &CExplorer1::NavigateError, browser, [&events] { events.NavigateError(); });
        connect(browser, &CExplorer1::NavigateComplete2, browser, [&events] { events.NavigateComplete2(); });
        return browser;
    }
};

} // namespace tessaly

#include "ExplorerModule.moc"
