// Loads the strip's browser module.
#include "app/webstrip/ExplorerLoader.h"

#include "app/webstrip/ExplorerPlugin.h"
#include "ui/LoadModule.h"
#include "ui/ProgramFolders.h"

#include <QWidget>

namespace tessaly {

QString ExplorerModuleBesideProgram() {
    return ProgramModule(kExplorerModuleFileName);
}

Explorer* CreateExplorer(const QString& modulePath, QWidget* parent, ExplorerEvents& events) {
    auto* factory = LoadModule<ExplorerFactory>(modulePath);
    return factory != nullptr ? factory->CreateExplorer(parent, events) : nullptr;
}

} // namespace tessaly
