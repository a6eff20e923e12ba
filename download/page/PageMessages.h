// Messages the download page posts to the main window besides the task-list figures.
#pragma once

#include "ui/PostedMessage.h"

namespace tessaly {

// Play the file in the application's file-to-play slot (wParam 0, lParam 0).
constexpr int WM_PLAY_FILE = WM_USER + 10;

} // namespace tessaly
