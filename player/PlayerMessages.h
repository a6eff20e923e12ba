// Messages the player page takes (posted with PostMessage from ui/PostedMessage.h).
#pragma once

#include "ui/PostedMessage.h"

namespace tessaly {

// From the main window once the page is shown: open the file in the file-to-play slot.
constexpr int WM_PLAYER_OPEN = WM_USER + 20;

} // namespace tessaly
