// The program's resources by their numeric ids: pictures, icons and the string table.
// Pictures live in the Qt resource system under :/res; ids are the ones the windows use.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace tessaly::res {

// Icons.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDI_TASK_ANALYSING = 140;
constexpr int IDI_TASK_FAILED = 141;
constexpr int IDI_TASK_DONE = 142;
constexpr int IDI_TASK_WAITING = 143;
constexpr int IDI_TASK_RECEIVING = 144;

// 24-bit bitmaps.
constexpr int IDB_SKIN = 129;
constexpr int IDB_DOWNLOAD_PAGE_NORMAL = 134;
constexpr int IDB_DOWNLOAD_PAGE_DISABLED = 135;
constexpr int IDB_DOWNLOAD_PAGE_HOVER = 136;
constexpr int IDB_PLAY_PAGE_NORMAL = 137;
constexpr int IDB_PLAY_PAGE_DISABLED = 138;
constexpr int IDB_PLAY_PAGE_HOVER = 139;
constexpr int IDB_BANNER = 146;

// Strings.
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDP_SOCKETS_INIT_FAILED = 103;

// Menu 145 (the task list's popup) and its commands.
constexpr int IDR_TASK_MENU = 145;
constexpr int ID_TASK_PLAY = 32771;
constexpr int ID_TASK_DELETE = 32773;

// The screen densities besides 1 that icons carry pictures for (a desktop's usual scale factors).
inline constexpr qreal kDenseRatios[] = {1.25, 1.5, 1.75, 2, 2.5, 3};

// Resource path of bitmap id (":/res/bitmaps/<id>.bmp"); the file may not exist for unknown ids.
QString BitmapPath(int id);
// The bitmap, or a null image when the id names none. For a screen denser than 1 (device pixels
// per pixel) the picture is drawn for that density and carries it as its device pixel ratio.
QImage LoadBitmap(int id, qreal ratio = 1);
// Icon 128 or one of the state icons 140-144, with pictures made for the usual screen densities;
// a null icon for other ids.
QIcon LoadIcon(int id);
// The string table entry, or an empty string when the table has none.
QString LoadString(int id);

} // namespace tessaly::res
