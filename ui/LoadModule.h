// The one way the program loads a module of its own: a Qt plugin whose root object implements a
// small abstract class declared with Q_DECLARE_INTERFACE. UI thread only.
#pragma once

#include <QObject>
#include <QString>

namespace tessaly {

// Whether the file at path is a module whose root object declares the interface iid. Reads the
// file without loading it.
bool ModuleProvides(const QString& path, const char* iid);

// Loads the module at path and returns its root object, or null with the reason in error when the
// file is missing, is no module, or declares another interface than iid. A loaded module stays
// loaded: the objects it makes live in its code.
QObject* LoadModuleRoot(const QString& path, const char* iid, QString* error);

// The module's root object as Interface, or null (see LoadModuleRoot).
template <class Interface> Interface* LoadModule(const QString& path, QString* error = nullptr) {
    return qobject_cast<Interface*>(LoadModuleRoot(path, qobject_interface_iid<Interface*>(), error));
}

} // namespace tessaly
