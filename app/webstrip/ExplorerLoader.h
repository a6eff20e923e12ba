// Loads the strip's browser module and drives the browsers it makes, by name. UI thread only.
#pragma once

#include <QString>

class QWidget;

namespace tessaly {

// The module's file name; it is built into the program's start-up directory.
constexpr char kExplorerModuleFileName[] = "libtessaly_explorer.so";

// libtessaly_explorer.so beside the running program.
QString ExplorerModuleBesideProgram();

// A new hidden browser from the module at modulePath, child of parent; null when the module is
// missing, cannot be loaded, or makes no browser that keeps the contract of ExplorerPlugin.h.
// A loaded module stays loaded: the browsers' code lives in it.
QWidget* CreateExplorer(const QString& modulePath, QWidget* parent);

// Sends a browser made by CreateExplorer to an address.
void NavigateExplorer(QWidget* browser, const QString& address);

} // namespace tessaly
