// The literal runs every match must contain, in order and without overlap, read off the syntax
// tree at Parse time; Match uses them to refuse hopeless subjects and start positions at once.
#pragma once

#include "pattern/PatternSyntax.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::pattern_detail {

// Runs of the mandatory top-level concatenation: literals, escapes and one-member sets, looking
// into groups and parentheses; anything that may be skipped, repeated or chosen ends a run.
std::vector<std::u16string> RequiredRuns(const SyntaxTree& tree);

// The latest start position from which the runs can still be found in order within
// subject[from, length), or -1 when they cannot be found from `from` at all.
std::ptrdiff_t LatestViableStart(const std::vector<std::u16string>& runs, std::u16string_view subject,
                                 std::size_t from);

} // namespace tessaly::pattern_detail
