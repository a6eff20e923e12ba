// For a top-level greedy loop over "." followed by a memo point: the positions from `from` to the
// subject's end where the run after the loop is known to fail, when reached at a plain depth d at
// position x with d - 3x <= offset (so never deeper than where each was found to fail, as a
// remembered failure requires). Such a loop always runs to the subject's end and gives back from
// there, one iteration (three plain entries) per position.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

namespace tessaly::pattern_detail {

class GreedyFrontier {
public:
    explicit GreedyFrontier(std::ptrdiff_t end) : m_from(end + 1) {}

    // The run after the loop has just failed at `failed`, reached at `offset` (its plain depth less
    // three per position). Returns the lowest position, not below `lowest`, down to which the runs
    // at every position are known to fail as well; `failed` when none below it is known.
    std::ptrdiff_t Failed(std::ptrdiff_t failed, std::ptrdiff_t lowest, std::ptrdiff_t offset) {
        if (failed + 1 == m_from) {
            m_from = failed;
            m_offset = std::min(m_offset, offset);
        } else if (failed > m_from && offset <= m_offset) {
            return std::max(m_from, lowest);
        }
        return failed;
    }

    // Whether the failures known reach down to `p`.
    bool Reaches(std::ptrdiff_t p) const { return m_from <= p; }

    // The run after the loop fails at p too (a unit test there failed, alike at any depth).
    void ExtendTo(std::ptrdiff_t p) { m_from = std::min(m_from, p); }

private:
    std::ptrdiff_t m_from;
    std::ptrdiff_t m_offset = std::numeric_limits<std::ptrdiff_t>::max();
};

// The frontiers of one match, by loop head.
class GreedyFrontiers {
public:
    // The frontier of the loop headed at `head`, made for a subject of `length` units when new;
    // null without memory for it.
    GreedyFrontier* Of(std::size_t head, std::ptrdiff_t length);

    void Clear() { m_loops.clear(); }

private:
    struct Loop {
        std::size_t head;
        GreedyFrontier frontier;
    };
    std::vector<Loop> m_loops;
};

} // namespace tessaly::pattern_detail
