// What the main window takes from the download page: the task-list figures, and the request to play.
#pragma once

#include "download/core/TaskList.h"
#include "ui/PostedMessage.h"

#include <variant>

namespace tessaly {

// Play the file in the application's file-to-play slot.
struct PlayFile {};
inline constexpr PlayFile WM_PLAY_FILE{};

using MainWindowMessages =
    std::variant<PlayFile, WM_COMPLETED_DELTA, WM_TASKCOUNT_DELTA, WM_TASK_RATE, WM_TASK_ENDED>;

} // namespace tessaly
