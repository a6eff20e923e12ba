// Modules through QPluginLoader, checked against their interface id before they are loaded.
#include "ui/LoadModule.h"

#include <QJsonObject>
#include <QPluginLoader>

namespace tessaly {

bool ModuleProvides(const QString& path, const char* iid) {
    return QPluginLoader(path).metaData().value(QStringLiteral("IID")).toString() == QLatin1String(iid);
}

QObject* LoadModuleRoot(const QString& path, const char* iid, QString* error) {
    // The loader object may go; the module it loaded stays, as no unload() is called.
    QPluginLoader loader(path);
    QString reason;
    QObject* root = nullptr;
    if (loader.metaData().value(QStringLiteral("IID")).toString() != QLatin1String(iid))
        reason = QStringLiteral("%1 is no module of %2").arg(path, QLatin1String(iid));
    else if ((root = loader.instance()) == nullptr)
        reason = loader.errorString();
    if (error != nullptr)
        *error = reason;
    return root;
}

} // namespace tessaly
