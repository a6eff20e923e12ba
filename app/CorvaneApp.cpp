// Start-up in the order the program relies on: the single-instance lock before anything shows,
// then the application, the sockets layer (libcurl), the organisation name and the main window.
#include "app/CorvaneApp.h"

#include "app/CorvaneDlg.h"
#include "download/core/CurlLibrary.h"
#include "res/Resources.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tessaly {
namespace {

// The web strip's engine refuses its sandbox to root and takes the whole process down with it.
void AllowWebEngineForRoot() {
#ifdef Q_OS_UNIX
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

} // namespace

int CorvaneApp::Run(int argc, char** argv) {
    // Held until the process ends; a dead holder's lock is stale and taken over.
    QLockFile instance(QDir::temp().filePath(QString::fromLatin1(kInstanceName)));
    instance.setStaleLockTime(0);
    // Only another running copy ends this one; a temporary folder that cannot hold the lock at
    // all must not keep the program from starting.
    if (!instance.tryLock(0) && instance.error() == QLockFile::LockFailedError)
        return 0;

    // Set before any other thread reads the environment; the engine reads it when the strip loads it.
    AllowWebEngineForRoot();

    // libcurl and its libraries load on a thread of their own while the application connects to
    // the display and the main window is built; the window runs only once they are up, and never
    // when they fail.
    std::future<bool> sockets = std::async(std::launch::async, [] { return Curl() != nullptr; });
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));

    {
        std::optional<CorvaneDlg> dlg(std::in_place);
        if (!sockets.get()) {
            // Gone before the message box's event loop could run any of its timers.
            dlg.reset();
            QMessageBox::warning(nullptr, QCoreApplication::applicationName(),
                                 res::LoadString(res::IDP_SOCKETS_INIT_FAILED), QMessageBox::Ok);
            return 0;
        }
        MainWindowCreated(*dlg);
        dlg->exec();
    }
    // The window is gone and every worker has been told to stop; those still inside a transfer
    // are not waited for. Ending here, without the process's static destructors, keeps a worker
    // that is still finishing from touching anything already torn down.
    std::fflush(nullptr);
    std::quick_exit(0);
}

} // namespace tessaly
