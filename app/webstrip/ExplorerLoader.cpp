// Loads the strip's browser module with QPluginLoader and checks the browser it makes.
#include "app/webstrip/ExplorerLoader.h"

#include "app/webstrip/ExplorerPlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>
#include <QPluginLoader>
#include <QWidget>

namespace tessaly {
namespace {

bool KeepsContract(const QWidget* browser) {
    const QMetaObject* meta = browser->metaObject();
    return meta->indexOfMethod("Navigate(QString)") >= 0 && meta->indexOfSignal("NavigateError()") >= 0 &&
           meta->indexOfSignal("NavigateComplete2()") >= 0;
}

} // namespace

QString ExplorerModuleBesideProgram() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kExplorerModuleFileName));
}

QWidget* CreateExplorer(const QString& modulePath, QWidget* parent) {
    // The loader object may go; the module it loaded stays, as no unload() is called.
    QPluginLoader loader(modulePath);
    auto* factory = qobject_cast<ExplorerFactory*>(loader.instance());
    if (factory == nullptr)
        return nullptr;
    QWidget* browser = factory->CreateExplorer(parent);
    if (browser != nullptr && !KeepsContract(browser)) {
        delete browser;
        return nullptr;
    }
    return browser;
}

void NavigateExplorer(QWidget* browser, const QString& address) {
    QMetaObject::invokeMethod(browser, "Navigate", Qt::DirectConnection, Q_ARG(QString, address));
}

} // namespace tessaly
