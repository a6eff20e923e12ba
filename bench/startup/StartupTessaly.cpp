// The program's own start-up (lock, application, sockets layer, organisation, main window) with
// the probe on the main window.
#include "ShownProbe.h"
#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"

#include <QDir>
#include <QLockFile>
#include <curl/curl.h>

int main(int argc, char** argv) {
    QLockFile instance(QDir::temp().filePath(QString::fromLatin1(tessaly::CorvaneApp::kInstanceName)));
    instance.setStaleLockTime(0);
    if (!instance.tryLock(0))
        return 1;
    QApplication app(argc, argv);
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return 1;
    QCoreApplication::setOrganizationName(QString::fromLatin1(tessaly::CorvaneApp::kOrganisation));
    tessaly::CorvaneDlg dlg;
    ShownProbe probe(&dlg);
    dlg.show();
    return app.exec();
}
