// Start-up in the order the program relies on: the single-instance lock before anything shows,
// then the application, the sockets layer (libcurl), the organisation name and the main window.
#include "app/CorvaneApp.h"

#include "app/CorvaneDlg.h"
#include "res/Resources.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>

namespace tessaly {

int CorvaneApp::Run(int argc, char** argv) {
    // Held until the process ends; a dead holder's lock is stale and taken over.
    QLockFile instance(QDir::temp().filePath(QString::fromLatin1(kInstanceName)));
    instance.setStaleLockTime(0);
    // Only another running copy ends this one; a temporary folder that cannot hold the lock at
    // all must not keep the program from starting.
    if (!instance.tryLock(0) && instance.error() == QLockFile::LockFailedError)
        return 0;

    QApplication app(argc, argv);
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        QMessageBox::warning(nullptr, QCoreApplication::applicationName(),
                             res::LoadString(res::IDP_SOCKETS_INIT_FAILED), QMessageBox::Ok);
        return 0;
    }
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));

    {
        CorvaneDlg dlg;
        dlg.exec();
    }
    // The window is gone and every worker has been told to stop; those still inside a transfer
    // are not waited for. Ending here, without the process's static destructors, keeps a worker
    // that is still finishing from touching anything already torn down.
    std::fflush(nullptr);
    std::quick_exit(0);
}

} // namespace tessaly
