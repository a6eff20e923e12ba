// Start-up in the order the program relies on: the single-instance lock before anything shows,
// then the application, Qt's Chinese texts, the sockets layer's (libcurl) result, the organisation
// name and the main window.
#include "app/CorvaneApp.h"

#include "app/CorvaneDlg.h"
#include "app/FontConfiguration.h"
#include "app/InstanceLock.h"
#include "app/QtChinese.h"
#include "download/core/CurlLibrary.h"
#include "res/Resources.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <future>

namespace tessaly {
namespace {

std::filesystem::path LocalPath(const QString& path) {
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

// Where config.ini and the default download folder go when the start-up directory cannot be
// written, as for an installed program: the user's config folder, and the videos folder (else
// downloads, else home) for the downloads.
AppSettings::UserFolders InstalledUserFolders() {
    const QString config = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                               .filePath(QCoreApplication::applicationName());
    QString downloads = QDir::homePath();
    for (const auto location : {QStandardPaths::MoviesLocation, QStandardPaths::DownloadLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty() && QDir(folder).exists()) {
            downloads = folder;
            break;
        }
    }
    return {LocalPath(config), LocalPath(downloads)};
}

} // namespace

int CorvaneApp::Run(int argc, char** argv) {
    InstanceLock instance(QString::fromLatin1(kInstanceName));
    if (!instance.Take())
        return 0;

    // libcurl and its libraries load on a thread of their own while the application connects to
    // the display, and so does the font configuration that the window's first text needs; the
    // main window is built only once both are done.
    QString chineseFace;
    std::future<bool> sockets = std::async(std::launch::async, [&chineseFace] {
        chineseFace = LoadFontConfiguration();
        return Curl() != nullptr;
    });
    QApplication app(argc, argv);
    InstallQtChinese(app);
    const bool socketsReady = sockets.get();
    UseChineseFace(chineseFace);
    if (!socketsReady) {
        QMessageBox::warning(nullptr, QCoreApplication::applicationName(),
                             res::LoadString(res::IDP_SOCKETS_INIT_FAILED), QMessageBox::Ok);
        return 0;
    }
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));
    appSettings().SetUserFolders(InstalledUserFolders());
    {
        // With the window goes its download page, and with the page every worker has ended.
        CorvaneDlg dlg;
        MainWindowCreated(dlg);
        dlg.exec();
    }
    // A new copy may start as soon as the window is gone, while this one still winds down.
    instance.Release();
    return 0;
}

} // namespace tessaly
