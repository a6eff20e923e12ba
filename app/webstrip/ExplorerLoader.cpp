// Loads the strip's browser module and shares the application's OpenGL context with the engine.
#include "app/webstrip/ExplorerLoader.h"

#include "app/webstrip/ExplorerPlugin.h"
#include "ui/LoadModule.h"
#include "ui/ModuleBesideProgram.h"

#include <QOpenGLContext>
#include <QWidget>

// Qt GUI keeps the share context's setter in its private API, which may change with any release:
// the private header ties the call to the Qt at hand, and the check to the major version it was
// checked against (6.4).
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0) && QT_VERSION < QT_VERSION_CHECK(7, 0, 0)
#include <QtGui/private/qopenglcontext_p.h>
#else
#error "qt_gl_set_global_share_context: check Qt GUI's private qopenglcontext_p.h of this Qt"
#endif

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

} // namespace

QString ExplorerModuleBesideProgram() {
    return ModuleBesideProgram(kExplorerModuleFileName);
}

Explorer* CreateExplorer(const QString& modulePath, QWidget* parent, ExplorerEvents& events) {
    // Read from the file without loading it: no OpenGL is set up for a file that is not the module.
    if (!ModuleProvides(modulePath, TessalyExplorerFactory_iid))
        return nullptr;
    ShareOpenGLContexts();
    auto* factory = LoadModule<ExplorerFactory>(modulePath);
    return factory != nullptr ? factory->CreateExplorer(parent, events) : nullptr;
}

} // namespace tessaly
