// Failing into the run record of a greedy loop over one unit: the give-back, with what it may skip.
#include "pattern/MatchRun.h"

namespace tessaly {

// Failing into a run record gives back its latest iteration: the position and slot it saved are
// restored and matching goes on after the loop. While the instruction there is a unit test that
// fails at once, the next iteration is given back straight away.
PatternMatcher::Run::GiveBackResult PatternMatcher::Run::GiveBack(std::ptrdiff_t& p, std::size_t& ip) {
    std::ptrdiff_t* const record = m_stack + m_depth - (kRunRecordSize - 1);
    const std::ptrdiff_t first = record[0];
    const auto head = static_cast<std::size_t>(record[3]);
    const auto slot = static_cast<std::size_t>(m_program[head].operand);
    const std::size_t after = layout::GreedyExit(m_program, head);
    const bool test = IsUnitTest(after);
    std::ptrdiff_t count = record[2];
    std::uint64_t failures = 0;
    GreedyFrontier* const frontier = m_remembering ? FrontierOf(head, after) : nullptr;
    if (frontier != nullptr) {
        // The run from `after` at first + count has just failed, at this depth. Every iteration down
        // to the frontier fails too; the first one is left to the plain way, since the position its
        // failure leaves goes on below the loop.
        const std::ptrdiff_t failed = first + count;
        const std::ptrdiff_t to =
            frontier->Failed(failed, first + 1, static_cast<std::ptrdiff_t>(m_vdepth) - 3 * failed);
        if (to < failed) {
            m_vdepth -= 3 * static_cast<std::size_t>(failed - to);
            count = to - first;
            ++failures;
        }
    }
    // A unit test fails alike at any depth: where it does below a frontier that reaches down to
    // here, the frontier moves down too.
    const bool extend = frontier != nullptr && frontier->Reaches(first + count);
    // Each iteration given back pops its three entries; the depth is settled after the loop.
    const std::ptrdiff_t from = count;
    std::ptrdiff_t latest = first + count - 1;
    // Past the latest place the runs the rest needs still fit, the rest fails wherever it begins.
    if (const std::ptrdiff_t last = SuffixStart(head); last < latest) {
        latest = std::max(last, first - 1);
        ++failures;
    }
    std::size_t leftAtFirst = 0; // how far the run from `first` got before it failed
    std::uint64_t read = 0;      // units passed over on the way down
    p = !test ? latest
        : m_traits[head] & pattern_detail::kTestsFollow
            ? LastFollowingPasses(after, first, latest, leftAtFirst, read)
            : LastPassing(after, first, latest, read);
    failures += read;
    count = p - first;
    m_slots[slot] = count <= 0 ? record[1] : p;
    if (count < 0) {
        p = first + static_cast<std::ptrdiff_t>(leftAtFirst);
        if (extend) {
            frontier->ExtendTo(first);
        }
        m_vdepth -= 3 * static_cast<std::size_t>(from);
        m_depth -= kRunRecordSize;
        return AddSteps(failures) ? GiveBackResult::FailOn : GiveBackResult::Abort;
    }
    m_vdepth -= 3 * static_cast<std::size_t>(from - count);
    if (extend) {
        frontier->ExtendTo(p + 1);
    }
    if (count == 0) {
        m_depth -= kRunRecordSize;
    } else {
        record[2] = count;
    }
    ip = after;
    return AddSteps(failures) ? GiveBackResult::Resume : GiveBackResult::Abort;
}

// The last position from `first` to `latest` where the unit test at `after` passes, first - 1 when
// none does. With kFollowingTests, where it passes but a unit test the run reaches next without a
// choice fails, the run fails there all the same (what it pushed on the way is given back and the
// groups it entered are restored), so the search goes on below; `leftAtFirst` is then how far the
// run from `first` got.
std::ptrdiff_t PatternMatcher::Run::LastFollowingPasses(std::size_t after, std::ptrdiff_t first,
                                                        std::ptrdiff_t latest, std::size_t& leftAtFirst,
                                                        std::uint64_t& read) {
    std::ptrdiff_t p = LastPassing(after, first, latest, read);
    if (!m_followingTests || p < first) {
        return p;
    }
    const pattern_detail::TestSequence tests = pattern_detail::TestsFrom(m_program, after);
    if (tests.count < 2 || m_vdepth + tests.pushes >= kMaxStackEntries) {
        return p; // the plain way, which reaches the cap itself
    }
    for (std::size_t passed;
         p >= first && (passed = pattern_detail::TestsPassing(m_program, tests, m_s, p)) < tests.count;) {
        if (p == first) {
            leftAtFirst = passed;
        }
        ++read; // p itself is given back
        p = LastPassing(after, first, p - 1, read);
    }
    return p;
}

// The frontier of a top-level greedy loop over "." followed by a memo point, once remembering has
// begun; null otherwise.
GreedyFrontier* PatternMatcher::Run::FrontierOf(std::size_t head, std::size_t after) {
    if (m_memoProgram == nullptr || !(m_traits[after] & pattern_detail::kMemoPoint) ||
        m_program[head + layout::Greedy::kBody].kind != Instruction::AnyChar || !Remembering()) {
        return nullptr;
    }
    return m_context.m_frontiers.Of(head, Length());
}

// For a top-level loop followed by required runs, the latest position from which they all fit
// (-1 when they do not); otherwise no bound. Sought once per match.
[[gnu::always_inline]] inline std::ptrdiff_t PatternMatcher::Run::SuffixStart(std::size_t head) {
    if (m_loopSuffixes == nullptr) {
        return std::numeric_limits<std::ptrdiff_t>::max();
    }
    const std::vector<LoopSuffix>& suffixes = *m_loopSuffixes;
    for (std::size_t k = 0; k < suffixes.size(); ++k) {
        if (suffixes[k].head != head) {
            continue;
        }
        if (k < m_suffixStarts.size() && (m_suffixesSought & (1u << k))) {
            return m_suffixStarts[k];
        }
        const std::ptrdiff_t start = pattern_detail::LatestStart(
            std::span<const std::u16string>(m_runs).subspan(suffixes[k].firstRun), Subject(), m_vector);
        if (k < m_suffixStarts.size()) {
            m_suffixStarts[k] = start;
            m_suffixesSought |= static_cast<std::uint8_t>(1u << k);
        }
        return start;
    }
    return std::numeric_limits<std::ptrdiff_t>::max();
}

} // namespace tessaly
