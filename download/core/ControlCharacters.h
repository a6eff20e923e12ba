// Characters a title must not carry into a file name or onto a terminal: the C0 and C1 controls,
// DEL, and the bidirectional marks, embeddings, overrides and isolates (which reorder what follows).
// Pure text functions, callable from any thread.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

bool IsControlCharacter(char16_t c);

// The text without those characters.
std::u16string WithoutControlCharacters(std::u16string_view text);

// The text as UTF-8 for one line of a terminal: each of those characters becomes "\xNN" (up to
// U+00FF) or "\uNNNN", and a backslash becomes "\\", so the escaped text reads back unambiguously.
std::string EscapeControlCharacters(std::u16string_view text);

} // namespace tessaly
