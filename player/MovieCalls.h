// The names the player page and its movie call each other by, written once for both sides: the
// page builds and recognises its request texts with them, and the movie reads the same names as
// MovieCalls.openFlv, MovieCalls.chooseFile ... from the Tessaly.Movie module. UI thread.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

class MovieCalls : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // The movie's functions, which the page calls.
    Q_PROPERTY(QString openFlv READ openFlv CONSTANT)
    Q_PROPERTY(QString pauseMv READ pauseMv CONSTANT)
    Q_PROPERTY(QString getList READ getList CONSTANT)
    // The movie's requests to the page: a file dialog, the list of downloaded files.
    Q_PROPERTY(QString chooseFile READ chooseFile CONSTANT)
    Q_PROPERTY(QString listFiles READ listFiles CONSTANT)

public:
    using QObject::QObject;

    static QString openFlv() { return QStringLiteral("openFlv"); }
    static QString pauseMv() { return QStringLiteral("pauseMv"); }
    static QString getList() { return QStringLiteral("getList"); }
    static QString chooseFile() { return QStringLiteral("openfile"); }
    static QString listFiles() { return QStringLiteral("getlist"); }
};

} // namespace tessaly
