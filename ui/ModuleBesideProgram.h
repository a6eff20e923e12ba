// Where the program's modules lie: in its start-up directory, beside the program file.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QString>

namespace tessaly {

inline QString ModuleBesideProgram(const char* fileName) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(fileName));
}

} // namespace tessaly
