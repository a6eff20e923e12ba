// Start-up in the order the program relies on: the single-instance lock before anything shows,
// then the application, Qt's Chinese texts, the sockets layer's (libcurl) result, the organisation
// name and the main window.
#include "app/CorvaneApp.h"

#include "app/CommandLine.h"
#include "app/CorvaneDlg.h"
#include "app/FontConfiguration.h"
#include "app/InstanceLock.h"
#include "app/QtChinese.h"
#include "download/core/CurlLibrary.h"
#include "res/Resources.h"
#include "settings/AppSettings.h"
#include "ui/ProgramFolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <future>
#include <iostream>

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

// Qt would keep the movie's compiled QML in a cache folder named after the organisation; the
// program's caches go in a folder of its own name, beside the user's other programs'.
void UseProgramCacheFolder() {
    if (qEnvironmentVariableIsSet("QML_DISK_CACHE_PATH"))
        return;
    const QDir cache(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
    qputenv("QML_DISK_CACHE_PATH", QFile::encodeName(cache.filePath(QCoreApplication::applicationName() +
                                                                    QStringLiteral("/qmlcache"))));
}

} // namespace

int CorvaneApp::Run(int argc, char** argv) {
    // Before anything that needs a display or another running copy.
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv, std::cout))
        return *answered;
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
    UseProgramCacheFolder();
    appSettings().SetUserFolders(InstalledUserFolders());
    if (const QString data = InstalledDataFolder(); !data.isEmpty())
        appSettings().SetInstalledCopy(LocalPath(data));
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
