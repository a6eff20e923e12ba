// Loads the strip's browser module with QPluginLoader and checks the browser it makes.
#include "app/webstrip/ExplorerLoader.h"

#include "app/webstrip/ExplorerPlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QWidget>

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
    if (QOpenGLContext::globalShareContext() != nullptr ||
        QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance()); // kept while the application lives
    if (context->create()) {
        qt_gl_set_global_share_context(context);
        return;
    }
    delete context;
    // No OpenGL here (the offscreen platform): the engine, told that contexts are shared, finds
    // none to share and draws in software. Qt warns once that the request comes late.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

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
    if (!QFileInfo::exists(modulePath))
        return nullptr;
    ShareOpenGLContexts();
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
