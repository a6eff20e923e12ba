// The single-instance lock's place and its taking; the one spot where users are told apart.
#include "app/InstanceLock.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tessaly {

InstanceLock::InstanceLock(const QString& name) : m_file(PathFor(name)) {
    m_file.setStaleLockTime(0);
}

QString InstanceLock::PathFor(const QString& name) {
    // The runtime folder belongs to one login session of one user, as a session's named mutex does.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
#ifdef Q_OS_UNIX
    // The shared temporary folder: another user's lock there is neither ours to honour nor
    // ours to remove.
    return QDir::temp().filePath(name + QStringLiteral("-%1").arg(::getuid()));
#else
    return QDir::temp().filePath(name);
#endif
}

bool InstanceLock::Take() {
    return m_file.tryLock(0) || m_file.error() != QLockFile::LockFailedError;
}

void InstanceLock::Release() {
    if (m_file.isLocked())
        m_file.unlock();
}

} // namespace tessaly
