// What the player page takes (posted with PostMessage from ui/PostedMessage.h).
#pragma once

#include <variant>

namespace tessaly {

// From the main window once the page is shown: open the file in the file-to-play slot.
struct PlayerOpen {};
inline constexpr PlayerOpen WM_PLAYER_OPEN{};

using PlayerMessages = std::variant<PlayerOpen>;

} // namespace tessaly
