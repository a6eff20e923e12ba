// The player page's request texts, file list and paths.
#include "player/PlayerRequests.h"

#include "download/core/PageResolution.h"
#include "player/ExternalInterface.h"
#include "player/MovieCalls.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace tessaly {

QString OpenFlvRequest(const QString& path) {
    return InvokeText(MovieCalls::openFlv(), {path});
}

QString PauseMvRequest() {
    return InvokeText(MovieCalls::pauseMv(), {QString()});
}

QString GetListRequest(const QString& list) {
    return InvokeText(MovieCalls::getList(), {list});
}

QString JoinFolder(const QString& folder, const QString& name) {
    return QString::fromStdU16String(JoinFolderPath(folder.toStdU16String(), name.toStdU16String()));
}

QString MoviePath(const QString& startDir) {
    return JoinFolder(startDir, QStringLiteral("plsys.dll"));
}

QString FlvFileList(const QString& downloadFolder) {
    const QString pattern = JoinFolder(downloadFolder, QStringLiteral("*.flv"));
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QDir dir(pattern.left(slash + 1));
    QString base = dir.absolutePath();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');

    QStringList paths;
    const QStringList names = dir.entryList(
        {pattern.mid(slash + 1)}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        const QString path = base + name;
        if (!name.contains(QLatin1Char('|')) && XmlCanCarry(path))
            paths << path;
    }
    return paths.isEmpty() ? QStringLiteral("|") : paths.join(QLatin1Char('|'));
}

MovieRequest ClassifyMovieRequest(const QString& request) {
    // The text is searched, not read as a request: a movie is only held to naming what it wants
    // after the text's first character.
    if (request.indexOf(MovieCalls::chooseFile()) > 0)
        return MovieRequest::OpenFile;
    if (request.indexOf(MovieCalls::listFiles()) > 0)
        return MovieRequest::GetList;
    return MovieRequest::Ignored;
}

QString ChosenFileToSend(const QString& chosen) {
    if (!chosen.isEmpty() && QFileInfo::exists(chosen))
        return chosen;
    return chosen.trimmed();
}

} // namespace tessaly
