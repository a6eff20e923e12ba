// Match: the backtracking interpreter. One explicit stack of untagged entries, no recursion;
// "fail" pops an instruction index and continues there, restoring no position. An attempt runs
// forward (Step) until an instruction fails, then backward (Backtrack) to the latest resume point.
//
// Shortcuts that keep every result identical to running the instructions one by one:
// - a greedy loop over one unit test runs all its iterations at once and leaves one run record
//   (first position, old slot value, iteration count, loop head, kRunMark) where the plain loop
//   leaves three entries per iteration; failing into the record gives back one iteration at a
//   time, skipping those where the instruction after the loop would fail at once;
// - a lazy loop over one unit test scans for the first position where the rest's first unit
//   matches instead of trying the rest at every position; long scans are remembered by position
//   (LazyScanMemo);
// - start positions whose first unit cannot begin a match are skipped (see FindStartFilter);
// - a subject lacking the pattern's required literal runs is refused, and start positions after
//   the latest place the runs still fit are never tried (RequiredRuns.h);
// - at a memo point (the start of a top-level unit after a loop, or the head of a top-level lazy
//   loop, from where all that runs depends only on the position, see MarkMemoPoints) a run that
//   failed back out of it is remembered with the position it failed at (FailureMemo); reached
//   there again, at no greater depth, it fails at once at that position. Failing out restores
//   every group and loop slot it touched, so the position is all a failure leaves;
// - a top-level greedy loop over "." gives back at once the iterations whose runs are known to
//   fail (GreedyFrontier).
// Engines that find where things stand before the interpreter runs (each switchable too):
// - the subject's end, the required runs and the one unit a give-back or a ".*?" scan seeks are
//   found eight units at a time (UnitScan.h);
// - attempts begin only where the leading literal run stands, after the Chars that read it;
// - the required runs are sought only once a match outlasts half a reading of its subject;
// - a run of literals is compared in one go (LiteralRun);
// - a give-back skips the iterations after which the unit tests that follow the loop without a
//   choice do not all pass (LastFollowingPasses);
// - an optional over one unit test runs in one dispatch (RunOptional);
// - a short subject is read for the required runs before the first attempt (PlaceRunsIfShort);
// - a greedy loop's entry and the end of its iteration take one dispatch each (kLoopEntries).
// The depth the plain interpreter would have (m_vdepth) is kept beside the real one, so the
// 1,048,576-entry cap ends exactly the matches it would end.
#include "pattern/FailureMemo.h"
#include "pattern/GreedyFrontier.h"
#include "pattern/LazyScanMemo.h"
#include "pattern/PatternCompiler.h"
#include "pattern/PatternMatcher.h"
#include "pattern/ProgramLayout.h"
#include "pattern/RequiredRuns.h"
#include "pattern/SingleUnit.h"
#include "pattern/UnitRun.h"
#include "pattern/UnitScan.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <string>

namespace tessaly {

using pattern_detail::FailureMemo;
using pattern_detail::GreedyFrontier;
using pattern_detail::kLazyBackEdge;
using pattern_detail::kLazyBodyEntry;
using pattern_detail::kSelfBackRef;
using pattern_detail::kSimpleGreedy;
using pattern_detail::kSimpleLazy;
using pattern_detail::kSimpleOptional;
using pattern_detail::LazyScanMemo;
using pattern_detail::SetHolds;
namespace layout = pattern_detail::layout;

namespace {

// Entries of the interpreter's own that no instruction pushes: real entries (indices, positions,
// depths, group bounds) are never below -1.
constexpr std::ptrdiff_t kLazyMark = std::numeric_limits<std::ptrdiff_t>::min();
constexpr std::ptrdiff_t kRunMark = kLazyMark + 1;
constexpr std::size_t kRunRecordSize = 5;
// A memo record under the entries of a run from a memo point: depth, position, instruction, mark.
constexpr std::ptrdiff_t kMemoMark = kLazyMark + 2;
constexpr std::size_t kMemoRecordSize = 4;

} // namespace

class PatternMatcher::Run : private RunPlan {
public:
    Run(const RunPlan& plan, const char16_t* subject, MatchContext& context)
        : RunPlan(plan), m_s(subject), m_context(context), m_groups(context.m_groups.data()),
          m_slots(context.m_slots.data()), m_savedDepths(context.m_savedDepths.data()),
          m_stack(context.m_stack.data()), m_room(context.m_stack.size()), m_nextCheck(context.m_firstCheck) {
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    // Only a match that remembers fills the failures and frontiers.
    ~Run() {
        if (m_remembering) {
            m_context.m_failures.Clear();
            m_context.m_frontiers.Clear();
        }
        if (m_context.m_scans.Used()) {
            m_context.m_scans.Clear();
        }
    }

    [[gnu::always_inline]] inline MatchOutcome Execute();

private:
    // How running forward ended.
    enum class Halt { Continue, Fail, Accept, NextStart, Stop, Abort };
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

    // Room for `entries` more of this interpreter's own entries, made as that many PushReal would
    // make it, so that a record is written in one go.
    bool Reserve(std::size_t entries) {
        if (m_depth + entries < m_room) {
            return true;
        }
        const std::size_t depth = m_depth;
        for (std::size_t k = 0; k < entries; ++k) {
            if (!PushReal(0)) {
                return false;
            }
        }
        m_depth = depth;
        return true;
    }

    // A greedy loop's entry from its head to its item in one go (PushSlot, SavePos, PushPos, Call):
    // the three entries it pushes and the slot it sets. False where the plain entry ends the match.
    bool EnterLoop(std::size_t head, std::ptrdiff_t p) {
        if (m_vdepth + 3 >= kMaxStackEntries || !Reserve(3)) {
            return false;
        }
        const auto slot = static_cast<std::size_t>(m_program[head].operand);
        std::ptrdiff_t* const entries = m_stack + m_depth + 1;
        entries[0] = m_slots[slot];
        entries[1] = p;
        entries[2] = static_cast<std::ptrdiff_t>(head + layout::kGreedyCall + 1);
        m_depth += 3;
        m_vdepth += 3;
        m_slots[slot] = p;
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

    bool IsUnitTest(std::size_t at) const { return pattern_detail::IsUnitTest(m_program[at].kind); }

    // Whether the unit test at `at` succeeds at p.
    bool UnitPasses(std::size_t at, std::ptrdiff_t p) const {
        return pattern_detail::UnitPasses(m_program, at, m_s[p]);
    }

    // How many units from p on the unit test at `at` takes one after another (never the terminator).
    std::ptrdiff_t CountUnits(std::size_t at, std::ptrdiff_t p) {
        if (m_program[at].kind == Instruction::AnyChar) {
            return std::max<std::ptrdiff_t>(Length() - p, 0);
        }
        return pattern_detail::CountPassing(m_program, at, m_s, p);
    }

    std::ptrdiff_t Length() {
        if (m_length < 0) {
            m_length = static_cast<std::ptrdiff_t>(m_vector ? pattern_detail::SubjectLength(m_s)
                                                            : std::char_traits<char16_t>::length(m_s));
        }
        return m_length;
    }

    std::u16string_view Subject() { return {m_s, static_cast<std::size_t>(Length())}; }

    // Remembering starts once a match has taken more steps than reading its subject takes, that is
    // once it backtracks in earnest; a realistic page (a few hundred steps) never gets there, while
    // a crafted one is remembered from early in its first attempt on. Checkpoint
    // turns it on at the step that crosses the mark.
    bool Remembering() const { return m_remembering; }

    // False once the step limit is passed or a stop is requested, and from then on for good.
    bool AddSteps(std::uint64_t steps) {
        m_steps += steps;
        return m_steps < m_nextCheck || Checkpoint();
    }

    bool Checkpoint();
    bool SeekRunsWhenDue();
    bool PlaceRunsIfShort(std::optional<std::size_t> leading);
    void StartRememberingWhenDue();

    // The first start from `start` on that may begin a match; false when none may.
    bool NextViableStart(std::ptrdiff_t& start);
    Halt Attempt(std::ptrdiff_t start);
    Halt Step(const Instruction& in, std::ptrdiff_t& p, std::size_t& ip);
    Halt AtMemoPoint(std::ptrdiff_t& p, std::size_t& ip);
    Halt LiteralRun(std::size_t length, std::ptrdiff_t& p, std::size_t& ip);
    bool Backtrack(std::ptrdiff_t& p, std::size_t& ip);
    bool BackRefPasses(std::size_t ip, std::ptrdiff_t& p) const;

    bool ScanLazy(std::size_t head, std::size_t rest, std::ptrdiff_t& p);
    // How many attempts a lazy loop's scan takes before its ends are remembered: a few once the
    // match backtracks in earnest; before that, an eighth of the subject, which no scan of a
    // realistic page takes, so that it never pays for a table.
    std::uint64_t ScanTableAfter() {
        return Remembering() ? LazyScanMemo::kAfterAttempts
                             : std::max<std::uint64_t>(LazyScanMemo::kAfterAttempts,
                                                       static_cast<std::uint64_t>(Length()) / 8);
    }
    bool RunGreedy(std::size_t head, std::ptrdiff_t& p, std::size_t& ip);
    Halt RunOptional(std::size_t head, std::ptrdiff_t& p, std::size_t& ip);
    GiveBackResult GiveBack(std::ptrdiff_t& p, std::size_t& ip);
    std::ptrdiff_t LastFollowingPasses(std::size_t after, std::ptrdiff_t first, std::ptrdiff_t latest,
                                       std::size_t& leftAtFirst, std::uint64_t& read);
    // The last position from lo to hi where the unit test at `at` passes, lo - 1 when none does;
    // `read` grows by the units passed over.
    std::ptrdiff_t LastPassing(std::size_t at, std::ptrdiff_t lo, std::ptrdiff_t hi,
                               std::uint64_t& read) const {
        // A literal, the usual test after a loop, is sought without the general search's dispatch.
        const Instruction& in = m_program[at];
        const std::ptrdiff_t p =
            in.kind == Instruction::Char && in.operand != 0 && m_vector
                ? pattern_detail::FindLastUnit(m_s, lo, hi, static_cast<char16_t>(in.operand))
                : pattern_detail::LastPassing(m_program, at, m_s, lo, hi, m_vector);
        read += static_cast<std::uint64_t>(hi - p);
        return p;
    }
    GreedyFrontier* FrontierOf(std::size_t head, std::size_t after);
    std::ptrdiff_t SuffixStart(std::size_t head);
    bool LazyIterationEmpty(std::size_t bodyEntry, std::ptrdiff_t p) const;

    const char16_t* m_s;
    MatchContext& m_context;
    MatchGroup* m_groups;
    std::ptrdiff_t* m_slots;
    std::ptrdiff_t* m_savedDepths;
    std::ptrdiff_t* m_stack;
    std::size_t m_room;
    std::uint64_t m_nextCheck; // the step at which Checkpoint is next due
    // The rest is laid out by first value, so that a match's set-up writes several at a time.
    std::size_t m_depth = 0;  // entries in use on the real stack
    std::size_t m_vdepth = 0; // entries the plain interpreter would have in use
    std::uint64_t m_steps = 0;
    std::ptrdiff_t m_attemptStart = 0;
    std::optional<MatchOutcome::Cutoff> m_cutoff;
    bool m_memoFromKnown = false;
    bool m_remembering = false;
    bool m_runsFromKnown = false;
    bool m_hopeless = false;           // the runs cannot be placed: end the match
    std::uint8_t m_suffixesSought = 0; // bit k: m_suffixStarts[k] is known
    // The steps remembering starts at and the required runs are sought from: floors until the
    // subject's length is known. Once sought, where the runs were placed first and the latest start
    // they allow.
    std::uint64_t m_memoFrom = MatchContext::kMarkFloor;
    std::uint64_t m_runsFrom = MatchContext::kMarkFloor;
    std::ptrdiff_t m_earliest = -1;
    std::ptrdiff_t m_length = -1; // of the subject, once needed
    std::ptrdiff_t m_lastStart = std::numeric_limits<std::ptrdiff_t>::max();
    // The starts SuffixStart found, by the loop's place in m_loopSuffixes, where m_suffixesSought
    // says so. Loops past the first few are sought each time: no pattern of this program has more.
    std::array<std::ptrdiff_t, 4> m_suffixStarts;
};

bool PatternMatcher::Run::Checkpoint() {
    if (!m_cutoff) {
        if (m_context.m_stepLimit != 0 && m_steps > m_context.m_stepLimit) {
            m_cutoff = MatchOutcome::Cutoff::StepLimit;
        } else if (m_context.m_stop.stop_requested()) {
            m_cutoff = MatchOutcome::Cutoff::StopRequested;
        }
    }
    if (m_cutoff || m_hopeless) {
        m_nextCheck = 0;
        return false;
    }
    m_nextCheck = m_steps + MatchContext::kStopCheckInterval;
    if (m_context.m_stepLimit != 0) {
        m_nextCheck = std::min(m_nextCheck, m_context.m_stepLimit + 1);
    }
    if (!m_remembering) {
        StartRememberingWhenDue();
    }
    if (m_runsPending && !SeekRunsWhenDue()) {
        m_hopeless = true;
        m_nextCheck = 0;
        return false;
    }
    return true;
}

// A match that ends within about half as many steps as its subject has units (a realistic page)
// never reads the whole subject for the required runs: only one that goes on longer (a seek
// reading its subject once takes as many) does, once, from the start of the attempt it is in.
// False when they cannot all be placed from there: neither that attempt nor any later one can
// match.
bool PatternMatcher::Run::SeekRunsWhenDue() {
    if (m_steps >= m_runsFrom && !m_runsFromKnown) {
        m_runsFrom += static_cast<std::uint64_t>(Length()) / 2;
        m_runsFromKnown = true;
    }
    if (m_steps < m_runsFrom) {
        m_nextCheck = std::min(m_nextCheck, m_runsFrom);
        return true;
    }
    m_runsPending = false;
    m_earliest = pattern_detail::EarliestPlacement(m_runs, Subject(),
                                                   static_cast<std::size_t>(m_attemptStart), m_vector);
    return m_earliest >= 0;
}

// An address is read for the required runs before the first attempt (from 0, or after the leading
// run where it was found, `leading`): one that lacks them is refused for less than a failing
// attempt costs, and one that has them begins where the first stands. False when they cannot all
// be placed.
bool PatternMatcher::Run::PlaceRunsIfShort(std::optional<std::size_t> leading) {
    m_placeIfShort = false;
    // Known already where seeking the leading run needed it.
    const std::size_t length =
        m_length >= 0 ? static_cast<std::size_t>(m_length)
        : m_vector    ? pattern_detail::SubjectLengthWithin(m_s, MatchContext::kShortSubject)
                      : pattern_detail::SubjectLengthWithinByUnit(m_s, MatchContext::kShortSubject);
    if (length > MatchContext::kShortSubject) {
        return true; // a page: sought only once a match outlasts half a reading of it
    }
    m_length = static_cast<std::ptrdiff_t>(length);
    m_runsPending = false;
    if (!leading) {
        m_earliest = pattern_detail::EarliestPlacement(m_runs, Subject(), 0, m_vector);
        return m_earliest >= 0;
    }
    m_earliest = static_cast<std::ptrdiff_t>(*leading);
    return m_runs.size() == 1 ||
           pattern_detail::EarliestPlacement(std::span<const std::u16string>(m_runs).subspan(1), Subject(),
                                             *leading + m_runs.front().size(), m_vector) >= 0;
}

// The subject's length, which sets the mark, is read only once the match has taken as many
// steps as the mark is at least. Until the mark is passed, the plain program is dispatched, so
// that memo points cost nothing; from then on the one with memo points.
void PatternMatcher::Run::StartRememberingWhenDue() {
    if (m_steps >= m_memoFrom && !m_memoFromKnown) {
        m_memoFrom += static_cast<std::uint64_t>(Length());
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

// All iterations of a greedy loop over one unit test at once. The plain loop pushes three entries
// per iteration, plus three for the iteration whose unit fails and which is given back at once.
// Inlined into the dispatch, as is RunOptional: on a short subject a call's saving and restoring of
// registers cost as much as the loop's work.
[[gnu::always_inline]] inline bool PatternMatcher::Run::RunGreedy(std::size_t head, std::ptrdiff_t& p,
                                                                  std::size_t& ip) {
    const auto slot = static_cast<std::size_t>(m_program[head].operand);
    const std::size_t body = head + layout::kGreedyBody;
    const std::ptrdiff_t count = CountUnits(body, p);
    const auto iterations = static_cast<std::size_t>(count);
    // Steps measure the work done: counting the units of "." takes none.
    const std::uint64_t work = m_program[body].kind == Instruction::AnyChar ? 1 : iterations + 1;
    if (m_vdepth + 3 * iterations + 3 >= kMaxStackEntries || !AddSteps(work)) {
        return false;
    }
    if (count > 0) {
        if (!Reserve(kRunRecordSize)) {
            return false;
        }
        std::ptrdiff_t* const record = m_stack + m_depth + 1;
        record[0] = p;
        record[1] = m_slots[slot];
        record[2] = count;
        record[3] = static_cast<std::ptrdiff_t>(head);
        record[4] = kRunMark;
        m_depth += kRunRecordSize;
        m_vdepth += 3 * iterations;
        p += count;
        m_slots[slot] = p;
    }
    ip = layout::GreedyExit(m_program, head);
    return true;
}

// "X?" over one unit test at once: the entries, slot, position and steps its instructions leave,
// three entries when X passes (as the plain way, until a failure comes back to them), none and two
// steps when it fails (the failure and the Jump past the item).
[[gnu::always_inline]] inline PatternMatcher::Run::Halt
PatternMatcher::Run::RunOptional(std::size_t head, std::ptrdiff_t& p, std::size_t& ip) {
    const auto slot = static_cast<std::size_t>(m_program[head].operand);
    if (UnitPasses(head + layout::kGreedyBody, p)) {
        if (!EnterLoop(head, p)) {
            return Halt::Abort;
        }
        m_slots[slot] = ++p;
    } else if (m_vdepth + 3 >= kMaxStackEntries || !AddSteps(1) || !AddSteps(1)) {
        return Halt::Abort; // the plain way pushes three entries all the same
    }
    ip = layout::GreedyExit(m_program, head);
    return Halt::Continue;
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
    const char16_t seek = m_vector && m_program[head + layout::kLazyBody].kind == Instruction::AnyChar
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
            } else if (!UnitPasses(head + layout::kLazyBody, p + static_cast<std::ptrdiff_t>(passed))) {
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
        m_program[head + layout::kGreedyBody].kind != Instruction::AnyChar || !Remembering()) {
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

// The lazy iteration that reached its loop's Jump consumed nothing.
bool PatternMatcher::Run::LazyIterationEmpty(std::size_t bodyEntry, std::ptrdiff_t p) const {
    for (std::size_t i = m_depth; i >= 3; --i) {
        if (m_stack[i] == kLazyMark && m_stack[i - 1] == static_cast<std::ptrdiff_t>(bodyEntry)) {
            return m_stack[i - 2] == p;
        }
    }
    return false;
}

// "\n" at p: the text group n holds now follows (nothing when the group is absent).
bool PatternMatcher::Run::BackRefPasses(std::size_t ip, std::ptrdiff_t& p) const {
    if (m_traits[ip] & kSelfBackRef) {
        return false;
    }
    const MatchGroup& group = m_groups[m_program[ip].operand];
    if (!group.IsPresent()) {
        return true;
    }
    const std::ptrdiff_t length = group.end - group.start;
    if (length < 0) {
        return false;
    }
    // The group's text holds no terminator, so the comparison stops at the subject's.
    for (std::ptrdiff_t i = 0; i < length; ++i) {
        if (m_s[p + i] != m_s[group.start + i]) {
            return false;
        }
    }
    p += length;
    return true;
}

// One instruction, as the instruction table says, with the shortcuts the program's traits allow.
inline PatternMatcher::Run::Halt PatternMatcher::Run::Step(const Instruction& in, std::ptrdiff_t& p,
                                                           std::size_t& ip) {
    switch (in.kind) {
    case Instruction::Nop:
        break;
    case Instruction::GroupStart:
        m_groups[in.operand].start = p;
        break;
    case Instruction::GroupEnd:
        m_groups[in.operand].end = p;
        break;
    case Instruction::Char:
        if (m_s[p] != static_cast<char16_t>(in.operand)) {
            return Halt::Fail;
        }
        ++p;
        break;
    case Instruction::AnyChar:
        if (m_s[p] == 0) {
            return Halt::Fail;
        }
        ++p;
        break;
    case Instruction::InSet:
    case Instruction::NotInSet:
        if (m_s[p] == 0 || SetHolds(m_program, ip, m_s[p]) != (in.kind == Instruction::InSet)) {
            return Halt::Fail;
        }
        ++p;
        ip = static_cast<std::size_t>(in.operand);
        return Halt::Continue;
    case Instruction::Jump:
        if (!AddSteps(1)) {
            return Halt::Abort;
        }
        if ((m_traits[ip] & kLazyBackEdge) &&
            LazyIterationEmpty(static_cast<std::size_t>(in.operand) + layout::kLazyBody, p)) {
            return Halt::Fail;
        }
        ip = static_cast<std::size_t>(in.operand);
        return Halt::Continue;
    case Instruction::PushPos:
        if (!Push(p)) {
            return Halt::Abort;
        }
        break;
    case Instruction::PopPos:
        p = Pop();
        break;
    case Instruction::Call: {
        const auto target = static_cast<std::size_t>(in.operand);
        if ((m_traits[ip] & kSimpleLazy) && !ScanLazy(ip, target, p)) {
            return Halt::Fail;
        }
        if (!Push(static_cast<std::ptrdiff_t>(ip + 1))) {
            return Halt::Abort;
        }
        ip = target;
        return Halt::Continue;
    }
    case Instruction::Backtrack:
        return Halt::Fail;
    case Instruction::PushSlot:
        if (m_traits[ip] & kSimpleGreedy) {
            return RunGreedy(ip, p, ip) ? Halt::Continue : Halt::Abort;
        }
        if (m_traits[ip] & m_optionalTrait) {
            return RunOptional(ip, p, ip);
        }
        if (m_loopEntries) {
            if (!EnterLoop(ip, p)) {
                return Halt::Abort;
            }
            ip += layout::kGreedyBody;
            return Halt::Continue;
        }
        if (!Push(m_slots[in.operand])) {
            return Halt::Abort;
        }
        break;
    case Instruction::PopSlot:
        m_slots[in.operand] = Pop();
        break;
    case Instruction::SavePos:
        m_slots[in.operand] = p;
        break;
    case Instruction::SaveDepth:
        m_slots[in.operand] = static_cast<std::ptrdiff_t>(m_depth);
        m_savedDepths[in.operand] = static_cast<std::ptrdiff_t>(m_vdepth);
        break;
    case Instruction::LoadPos:
        p = m_slots[in.operand];
        break;
    case Instruction::LoadDepth:
        m_depth = static_cast<std::size_t>(m_slots[in.operand]);
        m_vdepth = static_cast<std::size_t>(m_savedDepths[in.operand]);
        break;
    case Instruction::FailIfNoProgress:
        if (p == m_slots[in.operand]) {
            return Halt::Fail;
        }
        if (m_loopEntries) {
            m_slots[in.operand] = p; // the SavePos after it
            ip += 2;
            return Halt::Continue;
        }
        break;
    case Instruction::BackRef:
        if (!BackRefPasses(ip, p)) {
            return Halt::Fail;
        }
        break;
    case Instruction::Stop:
        return Halt::Stop;
    case Instruction::NextStart:
        return Halt::NextStart;
    case Instruction::Accept:
        m_context.m_match.end = p;
        return Halt::Accept;
    case Instruction::SaveGroup:
        if (!Push(m_groups[in.operand].start) || !Push(m_groups[in.operand].end)) {
            return Halt::Abort;
        }
        break;
    case Instruction::RestoreGroup:
        m_groups[in.operand].end = Pop();
        m_groups[in.operand].start = Pop();
        break;
    default:
        if (in.kind == pattern_detail::kLiteralRunKind) {
            return LiteralRun(static_cast<std::size_t>(in.operand), p, ip);
        }
        if (in.kind == pattern_detail::kMemoPointKind) {
            return AtMemoPoint(p, ip);
        }
        return Halt::Abort; // no other kinds exist
    }
    ++ip;
    return Halt::Continue;
}

// The `length` Chars and AnyChars from ip in one go: where one fails, p stands at its unit, as the
// tests before it took theirs.
inline PatternMatcher::Run::Halt PatternMatcher::Run::LiteralRun(std::size_t length, std::ptrdiff_t& p,
                                                                 std::size_t& ip) {
    // Once the length is known, so is how far the subject may be read.
    const std::size_t readable = m_length >= 0 && m_vector ? static_cast<std::size_t>(m_length - p + 1) : 0;
    const std::size_t taken = pattern_detail::UnitsTaken(m_s + p, readable, m_runUnits + ip, length);
    p += static_cast<std::ptrdiff_t>(taken);
    if (taken < length) {
        return Halt::Fail;
    }
    ip += length;
    return Halt::Continue;
}

// A memo point in the dispatched program: fail at once where the run from here is known to fail,
// else leave a memo record under what the run pushes and run the instruction that stands here.
PatternMatcher::Run::Halt PatternMatcher::Run::AtMemoPoint(std::ptrdiff_t& p, std::size_t& ip) {
    // Marks pile up while a lazy loop extends: past half the cap, stop adding them.
    if (m_depth <= kMaxStackEntries / 2) {
        if (const FailureMemo::Failure* failed = m_context.m_failures.Find(ip, p);
            failed != nullptr && m_vdepth <= failed->vdepth) {
            p = failed->exit;
            return Halt::Fail;
        }
        if (!PushReal(static_cast<std::ptrdiff_t>(m_vdepth)) || !PushReal(p) ||
            !PushReal(static_cast<std::ptrdiff_t>(ip)) || !PushReal(kMemoMark)) {
            return Halt::Abort;
        }
    }
    return Step(m_program[ip], p, ip);
}

// Pops to the latest resume point and continues there; false when the attempt is to end (the step
// limit or a stop, an empty or broken stack, no memory).
bool PatternMatcher::Run::Backtrack(std::ptrdiff_t& p, std::size_t& ip) {
    for (;;) {
        if (!AddSteps(1) || m_depth == 0) {
            return false;
        }
        const std::ptrdiff_t resume = m_stack[m_depth];
        if (resume == kRunMark) {
            const GiveBackResult result = GiveBack(p, ip);
            if (result == GiveBackResult::FailOn) {
                continue;
            }
            return result == GiveBackResult::Resume;
        }
        if (resume == kLazyMark) {
            m_depth -= 3; // the lazy iteration it opened is abandoned
            continue;
        }
        if (resume == kMemoMark) {
            const std::ptrdiff_t* const record = m_stack + m_depth - (kMemoRecordSize - 1);
            m_depth -= kMemoRecordSize;
            m_context.m_failures.Remember(static_cast<std::size_t>(record[2]), record[1],
                                          FailureMemo::Failure{p, static_cast<std::size_t>(record[0])});
            continue;
        }
        Pop();
        if (resume < 0 || static_cast<std::size_t>(resume) >= m_size) {
            return false; // not a resume point: the program's stack discipline broke
        }
        ip = static_cast<std::size_t>(resume);
        return !(m_traits[ip] & kLazyBodyEntry) ||
               (PushReal(p) && PushReal(static_cast<std::ptrdiff_t>(ip)) && PushReal(kLazyMark));
    }
}

bool PatternMatcher::Run::NextViableStart(std::ptrdiff_t& start) {
    if (m_leadingRun) {
        const std::u16string_view run = m_runs.front();
        // Where the runs were placed, the first stands at the earliest place no attempt before
        // it can begin.
        const auto at = static_cast<std::size_t>(std::max(start, m_earliest));
        // Most subjects of a pattern led by a run begin with it: look there before seeking it.
        // The run holds no terminator, so the comparison stops at the subject's.
        std::size_t same = 0;
        while (same < run.size() && m_s[at + same] == run[same]) {
            ++same;
        }
        const std::size_t found = same == run.size() ? at
                                  : m_vector         ? pattern_detail::FindRun(Subject(), run, at)
                                                     : Subject().find(run, at);
        if (found == std::u16string_view::npos) {
            return false; // every attempt from here on fails at once
        }
        if (m_placeIfShort && !PlaceRunsIfShort(found)) {
            return false; // no attempt can begin before the run, and the rest do not follow it
        }
        start = static_cast<std::ptrdiff_t>(found);
    } else if (m_filter.kind == StartFilter::Unit && m_vector) {
        start = static_cast<std::ptrdiff_t>(pattern_detail::FindUnit(
            m_s, static_cast<std::size_t>(start), static_cast<std::size_t>(Length()), m_filter.unit));
        if (start == Length()) {
            return false;
        }
    } else if (m_filter.kind != StartFilter::None) {
        // Counted in a local: a store through `start` could change the filter, for all the
        // compiler knows, which it would then read again at every unit.
        const char16_t* const s = m_s;
        std::ptrdiff_t at = start;
        while (s[at] != 0 && !Passes(s[at])) {
            ++at;
        }
        start = at;
        if (s[at] == 0) {
            return false; // the attempt at the terminator would fail at once too
        }
    }
    // Once the runs were placed, the latest start they allow is sought when an attempt past the
    // earliest placement is due.
    if (m_earliest < 0) {
        return true; // not sought (yet)
    }
    if (start > m_earliest && m_lastStart == std::numeric_limits<std::ptrdiff_t>::max()) {
        m_lastStart = pattern_detail::LatestStart(m_runs, Subject(), m_vector);
    }
    return start <= m_lastStart; // every attempt after the last start misses a required run
}

PatternMatcher::Run::Halt PatternMatcher::Run::Attempt(std::ptrdiff_t start) {
    std::ptrdiff_t p = start;
    std::size_t ip = 0;
    m_depth = 0;
    m_vdepth = 0;
    m_attemptStart = start;
    m_context.m_match.start = start;
    if (m_leadingRun && m_leadingChars > 0) {
        // The run was found here: what the prologue's Call and the Chars that read it do.
        if (!Push(layout::kPrologueEnd)) {
            return Halt::Abort;
        }
        ip = layout::kPatternEntry + m_leadingChars;
        p += static_cast<std::ptrdiff_t>(m_leadingChars);
    }
    // Steps, by far the most frequent calls, get copies of where the attempt stands: the compiler
    // then keeps the loop's own in registers across them, where a store to the stack could
    // otherwise have changed them for all it knows.
    for (;;) {
        std::ptrdiff_t q = p;
        std::size_t at = ip;
        const Halt halt = Step(m_dispatch[at], q, at);
        p = q;
        ip = at;
        if (halt == Halt::Continue) {
            continue;
        }
        if (halt != Halt::Fail) {
            return halt;
        }
        if (!Backtrack(p, ip)) {
            return Halt::Abort;
        }
    }
}

MatchOutcome PatternMatcher::Run::Execute() {
    // A pattern led by a run places them once the run is found (NextViableStart).
    if (m_placeIfShort && !m_leadingRun && !PlaceRunsIfShort(std::nullopt)) {
        return MatchOutcome::NotMatched(m_steps);
    }
    for (std::ptrdiff_t start = 0; NextViableStart(start);) {
        switch (Attempt(start)) {
        case Halt::Accept:
            return MatchOutcome::Matched(m_steps);
        case Halt::NextStart:
            break;
        case Halt::Abort:
            return m_cutoff ? MatchOutcome::CutOff(*m_cutoff, m_steps) : MatchOutcome::NotMatched(m_steps);
        default:
            return MatchOutcome::NotMatched(m_steps);
        }
        // The terminator is tried as a start only when the subject is empty.
        if (m_s[start] == 0 || m_s[++start] == 0) {
            break;
        }
    }
    return MatchOutcome::NotMatched(m_steps);
}

void PatternMatcher::MakePlan(std::uint32_t shortcuts, RunPlan& plan) const {
    plan.m_program = m_program.data();
    plan.m_dispatch = (shortcuts & MatchContext::kLiteralRuns) && !m_runProgram.empty() ? m_runProgram.data()
                                                                                        : m_program.data();
    plan.m_memoProgram = !(shortcuts & MatchContext::kFailureMemo) || m_memoProgram.empty() ? nullptr
                         : plan.m_dispatch == plan.m_program ? m_memoProgram.data()
                                                             : m_runMemoProgram.data();
    plan.m_runUnits = m_runUnits.data();
    plan.m_traits = m_traits.data();
    plan.m_size = m_program.size();
    plan.m_runs = m_requiredRuns;
    plan.m_loopSuffixes = (shortcuts & MatchContext::kSuffixRuns) ? &m_loopSuffixes : nullptr;
    plan.m_leadingChars = m_leadingChars;
    plan.m_filter = m_startFilter;
    plan.m_vector = (shortcuts & MatchContext::kVectorScans) != 0;
    plan.m_leadingRun = m_leadingRun && (shortcuts & MatchContext::kLeadingRun);
    plan.m_followingTests = (shortcuts & MatchContext::kFollowingTests) != 0;
    plan.m_optionalTrait = (shortcuts & MatchContext::kOptionalUnits) ? kSimpleOptional : 0;
    plan.m_loopEntries = (shortcuts & MatchContext::kLoopEntries) != 0;
    plan.m_placeIfShort = !m_requiredRuns.empty() && (shortcuts & MatchContext::kShortSubjects);
    plan.m_runsPending = !m_requiredRuns.empty() && (shortcuts & MatchContext::kRequiredRuns);
}

// Sizes the context's tables for this pattern's groups and slots, cleared; false without memory
// for them.
bool PatternMatcher::SizeTables(MatchContext& context) const {
    const std::size_t slots = std::max(static_cast<std::size_t>(m_slotCount), MatchContext::kClearedSlots);
    try {
        context.m_groups.assign(m_groupCount, MatchGroup{});
        context.m_slots.assign(slots, 0);
        context.m_savedDepths.resize(slots);
    } catch (const std::bad_alloc&) {
        context.m_groups.clear();
        context.m_slots.clear();
        context.m_tables = MatchContext::kNoTables;
        return false;
    }
    context.m_tables = m_tables;
    return true;
}

MatchOutcome PatternMatcher::Search(const char16_t* subject, MatchContext* context) const {
    if (subject == nullptr || context == nullptr) {
        return MatchOutcome::NotMatched(0);
    }
    // A context matched with this pattern's counts before has its tables' sizes already: only
    // clear them.
    if (context->m_tables != m_tables) [[unlikely]] {
        if (!SizeTables(*context)) {
            return MatchOutcome::NotMatched(0);
        }
    } else {
        MatchGroup* const groups = context->m_groups.data();
        for (std::uint32_t n = 0; n < m_groupCount; ++n) {
            groups[n] = MatchGroup{};
        }
        std::ptrdiff_t* const slots = context->m_slots.data();
        if (static_cast<std::size_t>(m_slotCount) <= MatchContext::kClearedSlots) [[likely]] {
            std::memset(slots, 0, MatchContext::kClearedSlots * sizeof(std::ptrdiff_t));
        } else {
            std::fill(slots, slots + m_slotCount, 0);
        }
    }
    // A prepared plan implies a usable program. Another is made only for other shortcuts.
    union Own {
        Own() {}
        RunPlan plan;
    } own;
    const RunPlan* plan = &m_prepared.plan;
    if (context->m_shortcuts != m_prepared.shortcuts) [[unlikely]] {
        if (m_lastError != ParseOk || m_program.empty()) {
            return MatchOutcome::NotMatched(0); // no usable program
        }
        MakePlan(context->m_shortcuts, own.plan);
        plan = &own.plan;
    }
    if (context->m_stop.stop_requested()) {
        return MatchOutcome::CutOff(MatchOutcome::Cutoff::StopRequested, 0);
    }
    return Run(*plan, subject, *context).Execute();
}

} // namespace tessaly
