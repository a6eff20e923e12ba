// A hill-climbing search for slow subjects: pages of at most 8191 units built from a pattern's own
// literals, mutated toward more matcher steps (then more time), for a fixed time. Single-threaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::bench {

struct SearchResult {
    std::u16string worstPage;
    std::string shape; // the worst page as pieces and repeat counts
    std::uint64_t steps = 0;
    double ms = 0; // median of a few timed runs of the worst page
    bool matched = false;
    std::uint64_t evaluated = 0;
};

// Searches for `seconds` from seeds made of `pieces`; every page is matched with the matcher's
// default step limit, exactly as the program matches it.
SearchResult SearchWorstPage(const std::u16string& pattern, const std::vector<std::u16string>& pieces,
                             double seconds, unsigned seed);

// Median time in milliseconds of matching the subject `runs` times, with the default step limit.
double TimeMatch(const std::u16string& pattern, const std::u16string& subject, int runs, std::uint64_t* steps,
                 bool* matched);

} // namespace tessaly::bench
