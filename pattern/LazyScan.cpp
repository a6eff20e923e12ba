// A lazy loop over one unit test, extended by a scan for where its rest can begin.
#include "pattern/MatchRun.h"

namespace tessaly {

// A lazy loop over one unit test whose rest begins (after any group ends) with unit tests, possibly
// with group or parenthesis entries between them. Each extension of the plain loop pushes its
// resume point, records the group ends, runs those tests until one fails (entries it crossed are
// given back with no trace), resumes the loop where that test failed and takes one unit there.
// Returns false where the loop's own unit fails (the plain loop then fails on, with the group ends
// recorded at the last attempt's start); otherwise p is where all the tests pass, and the rest runs
// from there the plain way. A step limit that runs out also returns false; the failure that
// follows then finds it exceeded.
bool PatternMatcher::Run::ScanLazy(std::size_t head, std::size_t rest, std::ptrdiff_t& p) {
    std::size_t at = rest;
    while (m_program[at].kind == Instruction::GroupEnd) {
        ++at;
    }
    const std::size_t groupEnds = at;
    const pattern_detail::TestSequence sequence = pattern_detail::TestsFrom(m_program, at);
    const std::size_t count = sequence.count;
    const std::size_t* const tests = sequence.at;
    const std::size_t pushes = 1 + sequence.pushes; // and the loop's own resume point
    if (count == 0 || m_vdepth + pushes >= kMaxStackEntries) {
        return true; // the plain way: the Call pushes, and reaches the cap itself
    }
    bool remember = (m_context.m_shortcuts & MatchContext::kLazyScanMemo) != 0;
    LazyScanMemo::Table* ends = remember ? m_context.m_scans.Find(head) : nullptr;
    // What the loop's earlier scans went through without a table: asked once this one is long.
    std::optional<std::uint64_t> goneThrough;
    m_context.m_scans.BeginScan();
    // ".*?" before one unit: the attempts where that unit is missing take one unit each, so they
    // can be skipped to where it stands (the terminator ends the scan there too). A remembered scan
    // notes where it stood, and one that begins elsewhere is led to the same places.
    const char16_t seek = m_vector && m_program[head + layout::Lazy::kBody].kind == Instruction::AnyChar
                              ? pattern_detail::OnlyUnit(m_program, tests[0])
                              : 0;
    // Steps: two for each attempt, as the plain loop's extension takes (its Jump and the
    // Backtrack into it), one for each unit a seek reads past.
    std::uint64_t attempts = 0;
    std::uint64_t sought = 0;
    // The first position whose scan leads to where this one stands now.
    std::ptrdiff_t from = p;
    for (;; ++attempts) {
        if (seek != 0 && (ends == nullptr ||
                          ends->At(static_cast<std::size_t>(p)).attempt == LazyScanMemo::ScanEnd::kUnknown)) {
            const auto found = static_cast<std::ptrdiff_t>(pattern_detail::FindUnit(
                m_s, static_cast<std::size_t>(p), static_cast<std::size_t>(Length()), seek));
            sought += static_cast<std::uint64_t>(found - p);
            p = found;
        }
        if (ends == nullptr && remember && attempts + sought >= LazyScanMemo::kAfterAttempts) {
            if (!goneThrough) {
                goneThrough = m_context.m_scans.GoneThrough(head);
            }
            if (*goneThrough + attempts + sought >= ScanTableAfter()) {
                ends = m_context.m_scans.Create(head, static_cast<std::size_t>(Length()) + 1);
                remember = ends != nullptr; // without memory for it, the scan goes on without
            }
        }
        LazyScanMemo::ScanEnd end;
        if (ends != nullptr) {
            end = ends->At(static_cast<std::size_t>(p));
            m_context.m_scans.Attempted(from, p);
        }
        if (end.attempt == LazyScanMemo::ScanEnd::kUnknown) {
            const std::size_t passed = pattern_detail::TestsPassing(m_program, sequence, m_s, p);
            if (passed == count) {
                end = LazyScanMemo::ScanEnd{LazyScanMemo::ScanEnd::kPassed, p};
            } else if (!UnitPasses(head + layout::Lazy::kBody, p + static_cast<std::ptrdiff_t>(passed))) {
                end = LazyScanMemo::ScanEnd{p, p + static_cast<std::ptrdiff_t>(passed)};
            } else {
                // A scan from a unit the tests passed over seeks past it to where this one goes
                // on, unless the unit sought stands among them.
                const std::ptrdiff_t next = p + static_cast<std::ptrdiff_t>(passed) + 1;
                from = seek != 0 && std::find(m_s + p + 1, m_s + next, seek) == m_s + next ? p + 1 : next;
                p = next;
                continue;
            }
        }
        if (ends != nullptr) {
            m_context.m_scans.Settle(*ends, end);
        } else if (remember && attempts + sought >= LazyScanMemo::kAfterAttempts) {
            m_context.m_scans.WentThrough(head, attempts + sought);
        }
        p = end.end;
        if (end.attempt == LazyScanMemo::ScanEnd::kPassed) {
            return AddSteps(2 * attempts + sought);
        }
        for (std::size_t i = rest; i < groupEnds; ++i) {
            m_groups[m_program[i].operand].end = end.attempt;
        }
        AddSteps(2 * attempts + sought + 2);
        return false;
    }
}

} // namespace tessaly
