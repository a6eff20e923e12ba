// A browser module for the strip's tests that keeps the interface but makes no browser.
#include "app/webstrip/ExplorerPlugin.h"

#include <QObject>

class NoBrowserModule : public QObject, public tessaly::ExplorerFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TessalyExplorerFactory_iid)
    Q_INTERFACES(tessaly::ExplorerFactory)

public:
    tessaly::Explorer* CreateExplorer(QWidget*, tessaly::ExplorerEvents&) override { return nullptr; }
};

#include "no_browser_module.moc"
