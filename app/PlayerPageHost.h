// Creates the player page in the main window and hands it the file to play. UI thread.
#pragma once

class QWidget;

namespace tessaly {

// The player page as a child of parent, not yet shown.
QWidget* CreatePlayerPage(QWidget* parent);
// Posts the open request; the page reads the file-to-play slot when it handles it.
void OpenFileInPlayer(QWidget* playerPage);

} // namespace tessaly
