// A deliberately plain interpreter of compiled programs, written from the instruction table
// alone, against which the matcher's own (optimised) interpreter is compared.
#pragma once

#include "pattern/PatternMatcher.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::test {

struct ReferenceResult {
    enum Outcome { Matched, NotMatched, GaveUp };
    Outcome outcome = NotMatched;
    MatchGroup whole;
    std::vector<MatchGroup> groups;
};

// Runs a program without the matcher's side notes, so only for patterns with no lazy loop over an
// item that may match empty and no back-reference inside its own group. Gives up after maxSteps
// instructions.
ReferenceResult RunReference(const PatternMatcher& matcher, const std::u16string& subject,
                             std::uint64_t maxSteps);

} // namespace tessaly::test
