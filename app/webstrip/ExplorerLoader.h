// Loads the strip's browser module and makes browsers from it. UI thread only.
#pragma once

#include <QString>

class QWidget;

namespace tessaly {

class Explorer;
class ExplorerEvents;

// The module's file name; it is built into the program's start-up directory.
constexpr char kExplorerModuleFileName[] = "libtessaly_explorer.so";

// libtessaly_explorer.so beside the running program.
QString ExplorerModuleBesideProgram();

// A new hidden browser from the module at modulePath, child of parent, reporting to events; null
// when the module is missing, cannot be loaded, is no browser module, or makes no browser.
// A loaded module stays loaded: the browsers' code lives in it.
Explorer* CreateExplorer(const QString& modulePath, QWidget* parent, ExplorerEvents& events);

} // namespace tessaly
