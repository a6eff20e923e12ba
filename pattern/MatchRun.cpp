// Match: the backtracking interpreter. One explicit stack of untagged entries, no recursion;
// "fail" pops an instruction index and continues there, restoring no position.
//
// Shortcuts that keep every result identical to running the instructions one by one:
// - a greedy loop over one unit test runs all its iterations at once and leaves one run record
//   (first position, old slot value, iteration count, loop head, kRunMark) where the plain loop
//   leaves three entries per iteration; failing into the record gives back one iteration at a
//   time, skipping those where the instruction after the loop would fail at once;
// - a lazy loop over one unit test scans for the first position where the rest's first unit
//   matches instead of trying the rest at every position; long scans are remembered by position;
// - start positions whose first unit cannot begin a match are skipped (see FindStartFilter);
// - a subject lacking the pattern's required literal runs is refused before any attempt, and
//   start positions after the latest place the runs still fit are never tried (RequiredRuns.h);
// - at a memo point (the start of a top-level unit after a loop, or the head of a top-level lazy
//   loop, from where all that runs depends only on the position, see MarkMemoPoints) a run that
//   failed back out of it is remembered with the position it failed at; reached there again, at
//   no greater depth, it fails at once at that position. Failing out restores every group and
//   loop slot it touched, so the position is all a failure leaves;
// - a top-level greedy loop over "." gives back at once the iterations whose runs are known to
//   fail (GreedyFrontier).
// The depth the plain interpreter would have (m_vdepth) is kept beside the real one, so the
// 1,048,576-entry cap ends exactly the matches it would end.
#include "pattern/PatternCompiler.h"
#include "pattern/PatternMatcher.h"
#include "pattern/RequiredRuns.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

namespace tessaly {

using pattern_detail::kLazyBackEdge;
using pattern_detail::kLazyBodyEntry;
using pattern_detail::kSelfBackRef;
using pattern_detail::kSimpleGreedy;
using pattern_detail::kSimpleLazy;

namespace {

// Entries of the interpreter's own that no instruction pushes: real entries (indices, positions,
// depths, group bounds) are never below -1.
constexpr std::ptrdiff_t kLazyMark = std::numeric_limits<std::ptrdiff_t>::min();
constexpr std::ptrdiff_t kRunMark = kLazyMark + 1;
constexpr std::size_t kRunRecordSize = 5;
// A memo record under the entries of a run from a memo point: depth, position, instruction, mark.
constexpr std::ptrdiff_t kMemoMark = kLazyMark + 2;
constexpr std::size_t kMemoRecordSize = 4;

// Whether one of the bound pairs after the set instruction at `at` holds the unit.
bool SetHolds(const Instruction* program, std::size_t at, char16_t unit) {
    const auto end = static_cast<std::size_t>(program[at].operand);
    for (std::size_t i = at + 1; i + 1 < end; i += 2) {
        if (program[i].operand <= unit && unit <= program[i + 1].operand) {
            return true;
        }
    }
    return false;
}

} // namespace

class PatternMatcher::Run {
public:
    Run(const PatternMatcher& matcher, const char16_t* subject, MatchContext& context)
        : m_program(matcher.m_program.data()), m_dispatch(m_program),
          m_memoProgram((context.m_shortcuts & MatchContext::kFailureMemo) && !matcher.m_memoProgram.empty()
                            ? matcher.m_memoProgram.data()
                            : nullptr),
          m_traits(matcher.m_traits.data()), m_size(matcher.m_program.size()),
          m_filter(matcher.m_startFilter), m_runs(matcher.m_requiredRuns), m_s(subject), m_context(context),
          m_groups(context.m_groups.data()), m_slots(context.m_slots.data()),
          m_savedDepths(context.m_savedDepths.data()), m_stack(context.m_stack.data()),
          m_room(context.m_stack.size()), m_stepLimit(context.m_stepLimit), m_stop(context.m_stop) {}

    bool Execute();

    std::uint64_t Steps() const { return m_steps; }
    MatchContext::Cutoff CutoffReason() const { return m_cutoff; }

private:
    enum class GiveBackResult { Resume, FailOn, Abort };

    // An entry the plain interpreter pushes too.
    bool Push(std::ptrdiff_t value) { return ++m_vdepth < kMaxStackEntries && PushReal(value); }

    // An entry of this interpreter's own.
    bool PushReal(std::ptrdiff_t value) {
        if (++m_depth >= m_room && !Grow()) {
            return false;
        }
        m_stack[m_depth] = value;
        return true;
    }

    std::ptrdiff_t Pop() {
        --m_vdepth;
        return m_stack[m_depth--];
    }

    // The room grows to twice the new depth plus 2, up to the cap.
    bool Grow() {
        if (m_depth >= kMaxStackEntries) {
            return false;
        }
        const std::size_t room = std::min<std::size_t>(2 * m_depth + 2, kMaxStackEntries);
        try {
            m_context.m_stack.resize(room);
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_stack = m_context.m_stack.data();
        m_room = room;
        return true;
    }

    bool Passes(char16_t unit) const {
        switch (m_filter.kind) {
        case StartFilter::Unit:
            return unit == m_filter.unit;
        case StartFilter::Set:
            return unit != 0 && SetHolds(m_program, m_filter.set, unit) ==
                                    (m_program[m_filter.set].kind == Instruction::InSet);
        case StartFilter::None:
            break;
        }
        return true;
    }

    bool IsUnitTest(std::size_t at) const {
        const Instruction::Kind kind = m_program[at].kind;
        return kind == Instruction::Char || kind == Instruction::AnyChar || kind == Instruction::InSet ||
               kind == Instruction::NotInSet;
    }

    // Whether the unit test at `at` succeeds at p.
    bool UnitPasses(std::size_t at, std::ptrdiff_t p) const {
        const Instruction& in = m_program[at];
        const char16_t unit = m_s[p];
        switch (in.kind) {
        case Instruction::Char:
            return unit == static_cast<char16_t>(in.operand);
        case Instruction::AnyChar:
            return unit != 0;
        default:
            return unit != 0 && SetHolds(m_program, at, unit) == (in.kind == Instruction::InSet);
        }
    }

    // The last position from lo to hi where the unit test at `at` succeeds, or lo - 1. Every unit
    // there lies before the terminator, as a loop took them.
    std::ptrdiff_t LastPassing(std::size_t at, std::ptrdiff_t lo, std::ptrdiff_t hi) const {
        const Instruction& in = m_program[at];
        switch (in.kind) {
        case Instruction::Char:
            while (hi >= lo && m_s[hi] != static_cast<char16_t>(in.operand)) {
                --hi;
            }
            return hi;
        case Instruction::AnyChar:
            return hi;
        default: {
            const bool inSet = in.kind == Instruction::InSet;
            while (hi >= lo && SetHolds(m_program, at, m_s[hi]) != inSet) {
                --hi;
            }
            return hi;
        }
        }
    }

    // How many units from p on the unit test at `at` takes one after another (never the terminator).
    std::ptrdiff_t CountUnits(std::size_t at, std::ptrdiff_t p) {
        if (m_program[at].kind == Instruction::AnyChar) {
            return std::max<std::ptrdiff_t>(Length() - p, 0);
        }
        std::ptrdiff_t n = 0;
        while (UnitPasses(at, p + n)) {
            ++n;
        }
        return n;
    }

    std::ptrdiff_t Length() {
        if (m_length < 0) {
            m_length = static_cast<std::ptrdiff_t>(std::char_traits<char16_t>::length(m_s));
        }
        return m_length;
    }

    std::u16string_view Subject() { return {m_s, static_cast<std::size_t>(Length())}; }

    // Remembering starts once a match has taken several times more steps than reading its subject
    // takes, that is once it backtracks in earnest; a realistic page never gets there. Checkpoint
    // turns it on at the step that crosses the mark.
    bool Remembering() const { return m_remembering; }

    // False once the step limit is passed or a stop is requested, and from then on for good.
    bool AddSteps(std::uint64_t steps) {
        m_steps += steps;
        return m_steps < m_nextCheck || Checkpoint();
    }

    bool Checkpoint() {
        if (m_cutoff == MatchContext::Cutoff::None) {
            if (m_stepLimit != 0 && m_steps > m_stepLimit) {
                m_cutoff = MatchContext::Cutoff::StepLimit;
            } else if (m_stop.stop_requested()) {
                m_cutoff = MatchContext::Cutoff::StopRequested;
            }
        }
        if (m_cutoff != MatchContext::Cutoff::None) {
            m_nextCheck = 0;
            return false;
        }
        m_nextCheck = m_steps + MatchContext::kStopCheckInterval;
        if (m_stepLimit != 0) {
            m_nextCheck = std::min(m_nextCheck, m_stepLimit + 1);
        }
        if (!m_remembering) {
            StartRememberingWhenDue();
        }
        return true;
    }

    // The subject's length, which sets the mark, is read only once the match has taken as many
    // steps as the mark is at least. Until the mark is passed, the plain program is dispatched, so
    // that memo points cost nothing; from then on the one with memo points.
    void StartRememberingWhenDue() {
        if (m_steps >= m_memoFrom && !m_memoFromKnown) {
            m_memoFrom += 4 * static_cast<std::uint64_t>(Length());
            m_memoFromKnown = true;
        }
        if (m_steps >= m_memoFrom) {
            m_remembering = true;
            if (m_memoProgram != nullptr) {
                m_dispatch = m_memoProgram;
            }
            return;
        }
        m_nextCheck = std::min(m_nextCheck, m_memoFrom);
    }

    // Failed runs from memo points: open addressing on (instruction, position).
    struct MemoEntry {
        std::ptrdiff_t p = -1; // -1: free
        std::size_t ip = 0;
        std::ptrdiff_t exit = 0; // where the run failed
        std::size_t vdepth = 0;  // the plain depth it was reached at
    };

    std::size_t MemoSlot(std::size_t ip, std::ptrdiff_t p) const {
        const std::uint64_t h =
            (static_cast<std::uint64_t>(p) * 0x9E3779B97F4A7C15u) ^ (ip * 0xC2B2AE3D27D4EB4Fu);
        return static_cast<std::size_t>(h >> 20) & (m_memo.size() - 1);
    }

    const MemoEntry* FindFailure(std::size_t ip, std::ptrdiff_t p) const {
        if (m_memo.empty()) {
            return nullptr;
        }
        for (std::size_t i = MemoSlot(ip, p);; i = (i + 1) & (m_memo.size() - 1)) {
            const MemoEntry& e = m_memo[i];
            if (e.p == p && e.ip == ip) {
                return &e;
            }
            if (e.p < 0) {
                return nullptr;
            }
        }
    }

    void RememberFailure(std::size_t ip, std::ptrdiff_t p, std::ptrdiff_t exit, std::size_t vdepth);

    // Where a lazy loop's scan from a position ends: all the rest's tests pass at `end`, or the
    // loop's own unit fails at `end` after the last attempt began at `attempt`. The attempts from
    // one position follow one chain, so every position on it ends alike.
    struct ScanEnd {
        static constexpr std::ptrdiff_t kUnknown = -1;
        static constexpr std::ptrdiff_t kPassed = -2;
        std::ptrdiff_t attempt = kUnknown;
        std::ptrdiff_t end = 0;
    };
    struct LazyScans {
        std::size_t head;
        std::vector<ScanEnd> ends;
    };
    // Short scans are not worth a table, nor any scan before the match backtracks in earnest; once a
    // loop has its table, every scan of it uses it.
    static constexpr std::uint64_t kScanMemoAfter = 32;

    std::vector<ScanEnd>* ScanEnds(std::size_t head, bool create);

    // For a greedy loop over ".": the runs from the instruction after it fail at every position
    // from `from` to the subject's end, when reached at a depth d at position x with
    // d - 3x <= offset (so never deeper than where each was found to fail, as the memo requires).
    struct GreedyFrontier {
        std::size_t head;
        std::ptrdiff_t from;
        std::ptrdiff_t offset;
    };
    GreedyFrontier* FrontierOf(std::size_t head, std::size_t after);
    bool ScanLazy(std::size_t head, std::size_t rest, std::ptrdiff_t& p);
    bool RunGreedy(std::size_t head, std::ptrdiff_t& p, std::size_t& ip);
    GiveBackResult GiveBack(std::ptrdiff_t& p, std::size_t& ip);
    bool LazyIterationEmpty(std::size_t bodyEntry, std::ptrdiff_t p) const;

    const Instruction* m_program;
    const Instruction* m_dispatch;    // m_program, or m_memoProgram once remembering
    const Instruction* m_memoProgram; // null when failures are not to be remembered
    const std::uint8_t* m_traits;
    std::size_t m_size;
    StartFilter m_filter;
    const std::vector<std::u16string>& m_runs;
    const char16_t* m_s;
    MatchContext& m_context;
    MatchGroup* m_groups;
    std::ptrdiff_t* m_slots;
    std::ptrdiff_t* m_savedDepths;
    std::ptrdiff_t* m_stack;
    std::size_t m_room;
    std::size_t m_depth = 0;      // entries in use on the real stack
    std::size_t m_vdepth = 0;     // entries the plain interpreter would have in use
    std::ptrdiff_t m_length = -1; // of the subject, once needed
    std::uint64_t m_stepLimit;
    const std::stop_token& m_stop;
    std::uint64_t m_steps = 0;
    std::uint64_t m_nextCheck = 0; // the first step already looks at the limit and the token
    MatchContext::Cutoff m_cutoff = MatchContext::Cutoff::None;
    std::uint64_t m_memoFrom = 256; // the step remembering starts at; its floor until known
    bool m_memoFromKnown = false;
    bool m_remembering = false;
    std::vector<MemoEntry> m_memo; // a power of two in size once used
    std::size_t m_memoUsed = 0;
    std::vector<LazyScans> m_scans;
    std::vector<GreedyFrontier> m_frontiers;
    std::vector<std::ptrdiff_t> m_chain; // positions the current scan attempted since it remembers
};

// A newer record for the same place replaces the old: it was reached at a greater depth (else the
// old one had been used), so it covers more. Without memory for it, nothing is remembered.
void PatternMatcher::Run::RememberFailure(std::size_t ip, std::ptrdiff_t p, std::ptrdiff_t exit,
                                          std::size_t vdepth) {
    if (2 * (m_memoUsed + 1) > m_memo.size()) {
        std::vector<MemoEntry> old;
        old.swap(m_memo);
        try {
            m_memo.resize(std::max<std::size_t>(256, 2 * old.size()));
        } catch (const std::bad_alloc&) {
            m_memo.swap(old);
            return;
        }
        for (const MemoEntry& e : old) {
            if (e.p >= 0) {
                std::size_t i = MemoSlot(e.ip, e.p);
                while (m_memo[i].p >= 0) {
                    i = (i + 1) & (m_memo.size() - 1);
                }
                m_memo[i] = e;
            }
        }
    }
    std::size_t i = MemoSlot(ip, p);
    while (m_memo[i].p >= 0 && !(m_memo[i].p == p && m_memo[i].ip == ip)) {
        i = (i + 1) & (m_memo.size() - 1);
    }
    m_memoUsed += m_memo[i].p < 0 ? 1 : 0;
    m_memo[i] = MemoEntry{p, ip, exit, vdepth};
}

// All iterations of a greedy loop over one unit test at once. The plain loop pushes three entries
// per iteration, plus three for the iteration whose unit fails and which is given back at once.
bool PatternMatcher::Run::RunGreedy(std::size_t head, std::ptrdiff_t& p, std::size_t& ip) {
    const auto slot = static_cast<std::size_t>(m_program[head].operand);
    const std::ptrdiff_t count = CountUnits(head + 7, p);
    const auto iterations = static_cast<std::size_t>(count);
    // Steps measure the work done: counting the units of "." takes none.
    const std::uint64_t work = m_program[head + 7].kind == Instruction::AnyChar ? 1 : iterations + 1;
    if (m_vdepth + 3 * iterations + 3 >= kMaxStackEntries || !AddSteps(work)) {
        return false;
    }
    if (count > 0) {
        const std::size_t vdepth = m_vdepth;
        if (!PushReal(p) || !PushReal(m_slots[slot]) || !PushReal(count) ||
            !PushReal(static_cast<std::ptrdiff_t>(head)) || !PushReal(kRunMark)) {
            return false;
        }
        m_vdepth = vdepth + 3 * iterations;
        p += count;
        m_slots[slot] = p;
    }
    ip = static_cast<std::size_t>(m_program[head + 6].operand);
    return true;
}

// A lazy loop over one unit test whose rest begins (after any group ends) with unit tests, possibly
// with group or parenthesis entries between them. Each extension of the plain loop pushes its
// resume point, records the group ends, runs those tests until one fails (entries it crossed are
// given back with no trace), resumes the loop where that test failed and takes one unit there.
// Returns false where the loop's own unit fails (the plain loop then fails on, with the group ends
// recorded at the last attempt's start); otherwise p is where all the tests pass, and the rest runs
// from there the plain way. A step limit that runs out also returns false; the failure that
// follows then finds it exceeded.
bool PatternMatcher::Run::ScanLazy(std::size_t head, std::size_t rest, std::ptrdiff_t& p) {
    constexpr std::size_t kMaxTests = 8;
    std::size_t tests[kMaxTests];
    std::size_t count = 0;
    std::size_t pushes = 1; // the loop's own resume point
    std::size_t at = rest;
    while (m_program[at].kind == Instruction::GroupEnd) {
        ++at;
    }
    const std::size_t groupEnds = at;
    while (count < kMaxTests) {
        const Instruction& in = m_program[at];
        if (IsUnitTest(at)) {
            tests[count++] = at;
            if (in.kind == Instruction::Char && in.operand == 0) {
                break; // the end anchor: nothing can be read after it
            }
            at = in.kind == Instruction::InSet || in.kind == Instruction::NotInSet
                     ? static_cast<std::size_t>(in.operand)
                     : at + 1;
        } else if (in.kind == Instruction::SaveGroup && m_program[at + 2].kind == Instruction::Call &&
                   m_program[at + 3].kind == Instruction::RestoreGroup) {
            pushes += 3;
            at = static_cast<std::size_t>(m_program[at + 2].operand);
        } else if (in.kind == Instruction::Call && m_program[at + 1].kind == Instruction::Backtrack) {
            pushes += 1;
            at = static_cast<std::size_t>(in.operand);
        } else {
            break;
        }
    }
    if (count == 0 || m_vdepth + pushes >= kMaxStackEntries) {
        return true; // the plain way: the Call pushes, and reaches the cap itself
    }
    const bool remember = (m_context.m_shortcuts & MatchContext::kLazyScanMemo) && Remembering();
    std::vector<ScanEnd>* ends = remember ? ScanEnds(head, false) : nullptr;
    m_chain.clear();
    std::uint64_t attempts = 0;
    for (;; ++attempts) {
        if (ends == nullptr && attempts == kScanMemoAfter && remember) {
            ends = ScanEnds(head, true);
        }
        ScanEnd end;
        if (ends != nullptr) {
            end = (*ends)[static_cast<std::size_t>(p)];
            m_chain.push_back(p);
        }
        if (end.attempt == ScanEnd::kUnknown) {
            std::size_t passed = 0;
            while (passed < count && UnitPasses(tests[passed], p + static_cast<std::ptrdiff_t>(passed))) {
                ++passed;
            }
            if (passed == count) {
                end = ScanEnd{ScanEnd::kPassed, p};
            } else if (!UnitPasses(head + 1, p + static_cast<std::ptrdiff_t>(passed))) {
                end = ScanEnd{p, p + static_cast<std::ptrdiff_t>(passed)};
            } else {
                p += static_cast<std::ptrdiff_t>(passed) + 1;
                continue;
            }
        }
        if (ends != nullptr) {
            for (const std::ptrdiff_t at : m_chain) {
                (*ends)[static_cast<std::size_t>(at)] = end;
            }
        }
        p = end.end;
        if (end.attempt == ScanEnd::kPassed) {
            return AddSteps(2 * attempts);
        }
        for (std::size_t i = rest; i < groupEnds; ++i) {
            m_groups[m_program[i].operand].end = end.attempt;
        }
        AddSteps(2 * attempts + 2);
        return false;
    }
}

// The scan results of the lazy loop headed at `head`, by position; allocated when `create` says
// so. Null when there are none, or no memory for them (the scan then goes on without).
std::vector<PatternMatcher::Run::ScanEnd>* PatternMatcher::Run::ScanEnds(std::size_t head, bool create) {
    for (LazyScans& scans : m_scans) {
        if (scans.head == head) {
            return &scans.ends;
        }
    }
    if (!create) {
        return nullptr;
    }
    try {
        m_scans.push_back(LazyScans{head, std::vector<ScanEnd>(static_cast<std::size_t>(Length()) + 1)});
        m_chain.reserve(64);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return &m_scans.back().ends;
}

// Failing into a run record gives back its latest iteration: the position and slot it saved are
// restored and matching goes on after the loop. While the instruction there is a unit test that
// fails at once, the next iteration is given back straight away.
PatternMatcher::Run::GiveBackResult PatternMatcher::Run::GiveBack(std::ptrdiff_t& p, std::size_t& ip) {
    std::ptrdiff_t* const record = m_stack + m_depth - (kRunRecordSize - 1);
    const std::ptrdiff_t first = record[0];
    const auto head = static_cast<std::size_t>(record[3]);
    const auto slot = static_cast<std::size_t>(m_program[head].operand);
    const auto after = static_cast<std::size_t>(m_program[head + 6].operand);
    const bool test = IsUnitTest(after);
    std::ptrdiff_t count = record[2];
    std::uint64_t failures = 0;
    GreedyFrontier* const frontier = m_remembering ? FrontierOf(head, after) : nullptr;
    if (frontier != nullptr) {
        // The run from `after` at first + count has just failed, at this depth.
        const std::ptrdiff_t failed = first + count;
        const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(m_vdepth) - 3 * failed;
        if (failed + 1 == frontier->from) {
            frontier->from = failed;
            frontier->offset = std::min(frontier->offset, offset);
        } else if (failed > frontier->from && offset <= frontier->offset) {
            // Every iteration down to the frontier fails too; the first one is left to the plain
            // way, since the position its failure leaves goes on below the loop.
            const std::ptrdiff_t to = std::max(frontier->from, first + 1);
            if (to < failed) {
                m_vdepth -= 3 * static_cast<std::size_t>(failed - to);
                count = to - first;
                ++failures;
            }
        }
    }
    // A unit test fails alike at any depth: where it does below a frontier that reaches down to
    // here, the frontier moves down too.
    const bool extend = frontier != nullptr && frontier->from <= first + count;
    // Each iteration given back pops its three entries; the depth is settled after the loop.
    const std::ptrdiff_t from = count;
    const std::ptrdiff_t latest = first + count - 1;
    p = test ? LastPassing(after, first, latest) : latest;
    failures += static_cast<std::uint64_t>(latest - p);
    count = p - first;
    m_slots[slot] = count <= 0 ? record[1] : p;
    if (count < 0) {
        p = first;
        if (extend) {
            frontier->from = first;
        }
        m_vdepth -= 3 * static_cast<std::size_t>(from);
        m_depth -= kRunRecordSize;
        return AddSteps(failures) ? GiveBackResult::FailOn : GiveBackResult::Abort;
    }
    m_vdepth -= 3 * static_cast<std::size_t>(from - count);
    if (extend) {
        frontier->from = std::min(frontier->from, p + 1);
    }
    if (count == 0) {
        m_depth -= kRunRecordSize;
    } else {
        record[2] = count;
    }
    ip = after;
    return AddSteps(failures) ? GiveBackResult::Resume : GiveBackResult::Abort;
}

// The frontier of a top-level greedy loop over "." followed by a memo point, once remembering has
// begun; null otherwise. Such a loop always runs to the subject's end and gives back from there.
PatternMatcher::Run::GreedyFrontier* PatternMatcher::Run::FrontierOf(std::size_t head, std::size_t after) {
    if (m_memoProgram == nullptr || !(m_traits[after] & pattern_detail::kMemoPoint) ||
        m_program[head + 7].kind != Instruction::AnyChar || !Remembering()) {
        return nullptr;
    }
    for (GreedyFrontier& frontier : m_frontiers) {
        if (frontier.head == head) {
            return &frontier;
        }
    }
    try {
        m_frontiers.push_back(GreedyFrontier{head, Length() + 1, std::numeric_limits<std::ptrdiff_t>::max()});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return &m_frontiers.back();
}

// The lazy iteration that reached its loop's Jump consumed nothing.
bool PatternMatcher::Run::LazyIterationEmpty(std::size_t bodyEntry, std::ptrdiff_t p) const {
    for (std::size_t i = m_depth; i >= 3; --i) {
        if (m_stack[i] == kLazyMark && m_stack[i - 1] == static_cast<std::ptrdiff_t>(bodyEntry)) {
            return m_stack[i - 2] == p;
        }
    }
    return false;
}

bool PatternMatcher::Run::Execute() {
    const char16_t* const s = m_s;
    std::ptrdiff_t start = 0;
    // The runs' earliest placement is found before the first attempt; the latest start is sought
    // only once an attempt past the earliest one is due, which a page that matches rarely needs.
    const bool checkRuns = !m_runs.empty() && (m_context.m_shortcuts & MatchContext::kRequiredRuns);
    std::ptrdiff_t earliest = -1;
    std::ptrdiff_t lastStart = std::numeric_limits<std::ptrdiff_t>::max();

    for (;;) {
        if (m_filter.kind != StartFilter::None) {
            while (s[start] != 0 && !Passes(s[start])) {
                ++start;
            }
            if (s[start] == 0) {
                return false; // the attempt at the terminator would fail at once too
            }
        }
        if (checkRuns && earliest < 0) {
            earliest = pattern_detail::EarliestPlacement(m_runs, Subject(), static_cast<std::size_t>(start));
            if (earliest < 0) {
                return false; // every attempt misses a required run
            }
        }
        if (checkRuns && start > earliest && lastStart == std::numeric_limits<std::ptrdiff_t>::max()) {
            lastStart = pattern_detail::LatestStart(m_runs, Subject());
        }
        if (start > lastStart) {
            return false; // every attempt from here on misses a required run
        }
        std::ptrdiff_t p = start;
        std::size_t ip = 0;
        m_depth = 0;
        m_vdepth = 0;
        m_context.m_match.start = start;
        for (;;) {
            Instruction in = m_dispatch[ip];
        dispatch:
            switch (in.kind) {
            case Instruction::Nop:
                ++ip;
                continue;
            case Instruction::GroupStart:
                m_groups[in.operand].start = p;
                ++ip;
                continue;
            case Instruction::GroupEnd:
                m_groups[in.operand].end = p;
                ++ip;
                continue;
            case Instruction::Char:
                if (s[p] != static_cast<char16_t>(in.operand)) {
                    goto fail;
                }
                ++p;
                ++ip;
                continue;
            case Instruction::AnyChar:
                if (s[p] == 0) {
                    goto fail;
                }
                ++p;
                ++ip;
                continue;
            case Instruction::InSet:
            case Instruction::NotInSet:
                if (s[p] == 0 || SetHolds(m_program, ip, s[p]) != (in.kind == Instruction::InSet)) {
                    goto fail;
                }
                ++p;
                ip = static_cast<std::size_t>(in.operand);
                continue;
            case Instruction::Jump:
                if (!AddSteps(1)) {
                    return false;
                }
                if ((m_traits[ip] & kLazyBackEdge) &&
                    LazyIterationEmpty(static_cast<std::size_t>(in.operand) + 1, p)) {
                    goto fail;
                }
                ip = static_cast<std::size_t>(in.operand);
                continue;
            case Instruction::PushPos:
                if (!Push(p)) {
                    return false;
                }
                ++ip;
                continue;
            case Instruction::PopPos:
                p = Pop();
                ++ip;
                continue;
            case Instruction::Call: {
                const auto target = static_cast<std::size_t>(in.operand);
                if ((m_traits[ip] & kSimpleLazy) && !ScanLazy(ip, target, p)) {
                    goto fail;
                }
                if (!Push(static_cast<std::ptrdiff_t>(ip + 1))) {
                    return false;
                }
                ip = target;
                continue;
            }
            case Instruction::Backtrack:
                goto fail;
            case Instruction::PushSlot:
                if (m_traits[ip] & kSimpleGreedy) {
                    if (!RunGreedy(ip, p, ip)) {
                        return false;
                    }
                    continue;
                }
                if (!Push(m_slots[in.operand])) {
                    return false;
                }
                ++ip;
                continue;
            case Instruction::PopSlot:
                m_slots[in.operand] = Pop();
                ++ip;
                continue;
            case Instruction::SavePos:
                m_slots[in.operand] = p;
                ++ip;
                continue;
            case Instruction::SaveDepth:
                m_slots[in.operand] = static_cast<std::ptrdiff_t>(m_depth);
                m_savedDepths[in.operand] = static_cast<std::ptrdiff_t>(m_vdepth);
                ++ip;
                continue;
            case Instruction::LoadPos:
                p = m_slots[in.operand];
                ++ip;
                continue;
            case Instruction::LoadDepth:
                m_depth = static_cast<std::size_t>(m_slots[in.operand]);
                m_vdepth = static_cast<std::size_t>(m_savedDepths[in.operand]);
                ++ip;
                continue;
            case Instruction::FailIfNoProgress:
                if (p == m_slots[in.operand]) {
                    goto fail;
                }
                ++ip;
                continue;
            case Instruction::BackRef: {
                if (m_traits[ip] & kSelfBackRef) {
                    goto fail;
                }
                const MatchGroup& group = m_groups[in.operand];
                if (group.IsPresent()) {
                    const std::ptrdiff_t length = group.end - group.start;
                    if (length < 0) {
                        goto fail;
                    }
                    // The group's text holds no terminator, so the comparison stops at the subject's.
                    for (std::ptrdiff_t i = 0; i < length; ++i) {
                        if (s[p + i] != s[group.start + i]) {
                            goto fail;
                        }
                    }
                    p += length;
                }
                ++ip;
                continue;
            }
            case Instruction::Stop:
                return false;
            case Instruction::NextStart:
                goto next;
            case Instruction::Accept:
                m_context.m_match.end = p;
                return true;
            case Instruction::SaveGroup:
                if (!Push(m_groups[in.operand].start) || !Push(m_groups[in.operand].end)) {
                    return false;
                }
                ++ip;
                continue;
            case Instruction::RestoreGroup:
                m_groups[in.operand].end = Pop();
                m_groups[in.operand].start = Pop();
                ++ip;
                continue;
            default:
                if (in.kind != pattern_detail::kMemoPointKind) {
                    return false; // no other kinds exist
                }
                // Marks pile up while a lazy loop extends: past half the cap, stop adding them.
                if (m_depth > kMaxStackEntries / 2) {
                    in = m_program[ip];
                    goto dispatch;
                }
                if (const MemoEntry* failed = FindFailure(ip, p);
                    failed != nullptr && m_vdepth <= failed->vdepth) {
                    p = failed->exit;
                    goto fail;
                }
                if (!PushReal(static_cast<std::ptrdiff_t>(m_vdepth)) || !PushReal(p) ||
                    !PushReal(static_cast<std::ptrdiff_t>(ip)) || !PushReal(kMemoMark)) {
                    return false;
                }
                in = m_program[ip];
                goto dispatch;
            }
        fail:
            if (!AddSteps(1) || m_depth == 0) {
                return false;
            }
            {
                const std::ptrdiff_t resume = m_stack[m_depth];
                if (resume == kRunMark) {
                    switch (GiveBack(p, ip)) {
                    case GiveBackResult::Resume:
                        continue;
                    case GiveBackResult::FailOn:
                        goto fail;
                    case GiveBackResult::Abort:
                        return false;
                    }
                }
                if (resume == kLazyMark) {
                    m_depth -= 3; // the lazy iteration it opened is abandoned
                    goto fail;
                }
                if (resume == kMemoMark) {
                    const std::ptrdiff_t* const record = m_stack + m_depth - (kMemoRecordSize - 1);
                    m_depth -= kMemoRecordSize;
                    RememberFailure(static_cast<std::size_t>(record[2]), record[1], p,
                                    static_cast<std::size_t>(record[0]));
                    goto fail;
                }
                Pop();
                if (resume < 0 || static_cast<std::size_t>(resume) >= m_size) {
                    return false; // not a resume point: the program's stack discipline broke
                }
                ip = static_cast<std::size_t>(resume);
            }
            if ((m_traits[ip] & kLazyBodyEntry) &&
                !(PushReal(p) && PushReal(static_cast<std::ptrdiff_t>(ip)) && PushReal(kLazyMark))) {
                return false;
            }
        }
    next:
        // The terminator is tried as a start only when the subject is empty.
        if (s[start] == 0 || s[++start] == 0) {
            return false;
        }
    }
}

bool PatternMatcher::Match(const char16_t* subject, MatchContext* context) const {
    if (subject == nullptr || context == nullptr) {
        return false;
    }
    try {
        context->m_groups.assign(m_groupCount, MatchGroup{});
        context->m_slots.assign(static_cast<std::size_t>(m_slotCount), 0);
        context->m_savedDepths.resize(static_cast<std::size_t>(m_slotCount));
    } catch (const std::bad_alloc&) {
        context->m_groups.clear();
        context->m_slots.clear();
        return false;
    }
    context->m_stepsTaken = 0;
    context->m_cutoff = MatchContext::Cutoff::None;
    if (m_lastError != ParseOk || m_program.empty()) {
        return false; // no usable program
    }
    if (context->m_stop.stop_requested()) {
        context->m_cutoff = MatchContext::Cutoff::StopRequested;
        return false;
    }
    Run run(*this, subject, *context);
    const bool matched = run.Execute();
    context->m_stepsTaken = run.Steps();
    context->m_cutoff = run.CutoffReason();
    return matched;
}

} // namespace tessaly
