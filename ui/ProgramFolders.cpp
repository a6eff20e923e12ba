// The installed layout is told apart by what lies where, not by a build switch: the same program
// file runs from the build folder and, once installed, from the prefix's bin folder.
#include "ui/ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tessaly {
namespace {

// The movie's file name: beside the program in a build folder, in the data folder once installed.
constexpr char kMovieFileName[] = "plsys.dll";

QString BesideProgram(const QString& relative) {
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(relative));
}

} // namespace

QString InstalledDataFolder() {
    if (QFileInfo::exists(BesideProgram(QString::fromLatin1(kMovieFileName))))
        return {};
    const QString data = BesideProgram(QStringLiteral(TESSALY_DATA_DIR_FROM_BIN));
    return QFileInfo::exists(QDir(data).filePath(QString::fromLatin1(kMovieFileName))) ? data : QString();
}

QString ProgramModule(const char* fileName) {
    const QString name = QString::fromLatin1(fileName);
    if (InstalledDataFolder().isEmpty())
        return BesideProgram(name);
    return QDir(BesideProgram(QStringLiteral(TESSALY_MODULE_DIR_FROM_BIN))).filePath(name);
}

} // namespace tessaly
