// Start-up in the order the program relies on: the single-instance lock before anything shows,
// then the application, the sockets layer (libcurl), the organisation name and the main window.
#include "app/CorvaneApp.h"

#include "app/CorvaneDlg.h"
#include "res/Resources.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <curl/curl.h>

namespace tessaly {

int CorvaneApp::Run(int argc, char** argv) {
    // Held until the process ends; a dead holder's lock is stale and taken over.
    QLockFile instance(QDir::temp().filePath(QString::fromLatin1(kInstanceName)));
    instance.setStaleLockTime(0);
    if (!instance.tryLock(0))
        return 0;

    QApplication app(argc, argv);
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        QMessageBox::warning(nullptr, QCoreApplication::applicationName(),
                             res::LoadString(res::IDP_SOCKETS_INIT_FAILED), QMessageBox::Ok);
        return 0;
    }
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));

    int result = 0;
    {
        CorvaneDlg dlg;
        result = dlg.exec();
    }
    return result == QDialog::Accepted ? 0 : 0;
}

} // namespace tessaly
