// Helpers shared by the pattern matcher tests: one-line summaries of parse and match results.
#pragma once

#include "pattern/PatternMatcher.h"

#include <string>
#include <string_view>

namespace tessaly::test {

// "none" when there is no match, "error N" when the pattern does not compile, otherwise
// "start-end" followed by one " (start-end)" or " -" per group.
std::string MatchSummary(const char16_t* pattern, const char16_t* subject);

// The summary of a context after a successful Match.
std::string Summarize(const MatchContext& context);

// ASCII text for failure messages (other units are cut to their low byte).
std::string Narrow(std::u16string_view text);

} // namespace tessaly::test
