// Creates the player page in the main window and hands it the file to play.
#include "app/PlayerPageHost.h"

#include "app/PostedMessage.h"
#include "player/PlayerMessages.h"
#include "player/VideoPlayDlg.h"

namespace tessaly {

QWidget* CreatePlayerPage(QWidget* parent) {
    return new VideoPlayDlg(parent);
}

void OpenFileInPlayer(QWidget* playerPage) {
    PostMessage(playerPage, WM_PLAYER_OPEN);
}

} // namespace tessaly
