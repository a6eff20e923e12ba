// The program's side of the media module: loads libtessaly_media.so beside the program the first
// time the player page or a tone is wanted, and keeps it loaded. UI thread only.
#pragma once

class QWidget;

namespace tessaly {

// The module's file name; it is built into the program's start-up directory.
constexpr char kMediaModuleFileName[] = "libtessaly_media.so";

// The player page as a child of parent, hidden, reading the program's settings. Without a usable
// module the page is an empty one, and the reason is logged once.
QWidget* CreatePlayerPage(QWidget* parent);

// A sine tone of hz for ms milliseconds without blocking; the desktop's bell without a module.
void Beep(int hz, int ms);

} // namespace tessaly
