// Loads the strip's browser module with QPluginLoader and checks the browser it makes.
#include "app/webstrip/ExplorerLoader.h"

#include "app/ModuleBesideProgram.h"
#include "app/webstrip/ExplorerPlugin.h"

#include <QJsonObject>
#include <QMetaObject>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Exported by Qt GUI, which keeps its declaration private.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace tessaly {
namespace {

// The web engine draws through OpenGL contexts shared with the application's, and crashes when
// they are not shared. Qt shares them when asked before the application exists, but then makes
// its share context at start-up, which costs the program's start-up more than any other part of
// its window (the whole OpenGL driver); the strip makes that context just before the engine is
// loaded instead.
void ShareOpenGLContexts() {
    if (QOpenGLContext::globalShareContext() != nullptr)
        return;
    // Kept for the process's life, as Qt's own would be. Where there is no OpenGL (the offscreen
    // platform) it cannot be created, and shared all the same, as Qt does: the engine then sees
    // no OpenGL and draws in software.
    auto* context = new QOpenGLContext;
    context->create();
    qt_gl_set_global_share_context(context);
}

// The engine's sandbox refuses to start for root and takes the whole process down with it; for
// root it has to be switched off before the engine starts, as the engine itself asks.
void AllowEngineForRoot() {
#ifdef Q_OS_UNIX
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

bool KeepsContract(const QWidget* browser) {
    const QMetaObject* meta = browser->metaObject();
    return meta->indexOfMethod("Navigate(QString)") >= 0 && meta->indexOfSignal("NavigateError()") >= 0 &&
           meta->indexOfSignal("NavigateComplete2()") >= 0;
}

} // namespace

QString ExplorerModuleBesideProgram() {
    return ModuleBesideProgram(kExplorerModuleFileName);
}

QWidget* CreateExplorer(const QString& modulePath, QWidget* parent) {
    // The loader object may go; the module it loaded stays, as no unload() is called.
    QPluginLoader loader(modulePath);
    // Read from the file without loading it: no OpenGL is set up for a file that is not the module.
    if (loader.metaData().value(QStringLiteral("IID")).toString() !=
        QStringLiteral(TessalyExplorerFactory_iid))
        return nullptr;
    ShareOpenGLContexts();
    AllowEngineForRoot();
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
