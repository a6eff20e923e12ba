// A browser module for the strip's tests whose "browser" keeps none of the names the strip needs.
#include "app/webstrip/ExplorerPlugin.h"

#include <QObject>
#include <QWidget>

class NoSignalsModule : public QObject, public tessaly::ExplorerFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TessalyExplorerFactory_iid)
    Q_INTERFACES(tessaly::ExplorerFactory)

public:
    QWidget* CreateExplorer(QWidget* parent) override { return new QWidget(parent); }
};

#include "no_signals_module.moc"
