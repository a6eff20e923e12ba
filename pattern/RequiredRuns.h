// The literal runs every match must contain, in order and without overlap, read off the syntax
// tree at Parse time; Match uses them to refuse hopeless subjects and start positions at once.
#pragma once

#include "pattern/PatternSyntax.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::pattern_detail {

// Runs of the mandatory top-level concatenation: literals, escapes and one-member sets, looking
// into groups and parentheses; anything that may be skipped, repeated or chosen ends a run.
// `firstLeads` when the first run is the first thing every attempt reads, so that an attempt can
// only succeed where it stands at the attempt's start.
// `after[i]`: the first run that lies wholly after unit i of a top-level sequence (runs.size()
// when none does); empty when the pattern is no sequence.
struct RunSet {
    std::vector<std::u16string> runs;
    bool firstLeads = false;
    std::vector<std::size_t> after;
};
RunSet RequiredRuns(const SyntaxTree& tree);

// Where the first run lies when the runs are placed in order, each as early as it can be, within
// subject[from, size); -1 when they do not all fit, and then no start from `from` on can match.
// With `vector`, the runs are sought eight units at a time (UnitScan.h), with the same answer.
std::ptrdiff_t EarliestPlacement(std::span<const std::u16string> runs, std::u16string_view subject,
                                 std::size_t from, bool vector);
inline std::ptrdiff_t EarliestPlacement(const std::vector<std::u16string>& runs, std::u16string_view subject,
                                        std::size_t from, bool vector) {
    return EarliestPlacement(std::span<const std::u16string>(runs), subject, from, vector);
}

// Where the first run lies when the runs are placed in order, each as late as it can be: the
// latest start from which a match is still possible; -1 when they do not all fit.
std::ptrdiff_t LatestStart(std::span<const std::u16string> runs, std::u16string_view subject, bool vector);

} // namespace tessaly::pattern_detail
