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

// The web engine draws through OpenGL contexts shared with the application's and crashes on a
// display with OpenGL when there is none to share. Qt makes one at start-up when asked before the
// application exists, which costs the program's start-up more than any other part of its window
// (the whole OpenGL driver); the strip makes it here instead, before the engine is loaded.
void ProvideShareContext() {
    if (QOpenGLContext::globalShareContext() != nullptr)
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance()); // kept while the application lives
    if (!context->create()) {
        // No OpenGL here (the offscreen platform): the engine draws in software.
        delete context;
        return;
    }
    qt_gl_set_global_share_context(context);
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
    ProvideShareContext();
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
