// What the player page says to its movie and how it reads the movie's requests: the request
// texts, the list of downloaded files, the paths it builds. Pure functions, UI thread.
#pragma once

#include <QString>

namespace tessaly {

QString OpenFlvRequest(const QString& path);
QString PauseMvRequest();
QString GetListRequest(const QString& list);

// folder joined with name by the program's one rule for joining a folder and a file name.
QString JoinFolder(const QString& folder, const QString& name);

// The movie file the page loads: "plsys.dll" in the start-up directory.
QString MoviePath(const QString& startDir);

// The entries matching "*.flv" in the folder (folders included), as absolute paths joined by one
// "|"; a single "|" when there are none or the folder does not exist. Names holding "|" are left
// out, as the movie could not split them from their neighbours, and so are names holding a
// character no request can carry: one such name would otherwise lose the movie the whole list.
QString FlvFileList(const QString& downloadFolder);

enum class MovieRequest { Ignored, OpenFile, GetList };

// MovieCalls::chooseFile anywhere after the first character wins over MovieCalls::listFiles; case
// matters.
MovieRequest ClassifyMovieRequest(const QString& request);

// The path to hand to the movie for a file chosen in the open dialog, or an empty text when
// nothing is to be sent. White space at either end is dropped, unless the path as chosen names
// an existing file: names may end in a space here.
QString ChosenFileToSend(const QString& chosen);

} // namespace tessaly
