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
// - a greedy loop's entry and the end of its iteration take one dispatch each (kLoopEntries);
// - a pattern that is a plain sequence of simple pieces runs on a backtracker of its own
//   (AttemptPieces, SimpleSequence.cpp).
// The depth the plain interpreter would have (m_vdepth) is kept beside the real one, so the
// 1,048,576-entry cap ends exactly the matches it would end.
#include "pattern/MatchRun.h"

namespace tessaly {

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
    const std::size_t body = head + layout::Greedy::kBody;
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
    if (UnitPasses(head + layout::Greedy::kBody, p)) {
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
            LazyIterationEmpty(static_cast<std::size_t>(in.operand) + layout::Lazy::kBody, p)) {
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
            ip += layout::Greedy::kBody;
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
    const std::size_t taken = pattern_detail::UnitsTaken(m_s + p, Readable(p), m_runUnits + ip, length);
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
        if (!Push(layout::Prologue::kEnd)) {
            return Halt::Abort;
        }
        ip = layout::Prologue::kPatternEntry + m_leadingChars;
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
        switch (m_pieces != nullptr ? AttemptPieces(start) : Attempt(start)) {
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
    plan.m_pieces = (shortcuts & MatchContext::kSimplePieces) && m_simple.usable ? &m_simple : nullptr;
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
    RunPlan own;
    const RunPlan* plan = &m_prepared.plan;
    if (context->m_shortcuts != m_prepared.shortcuts) [[unlikely]] {
        if (m_lastError != ParseOk || m_program.empty()) {
            return MatchOutcome::NotMatched(0); // no usable program
        }
        MakePlan(context->m_shortcuts, own);
        plan = &own;
    }
    if (context->m_stop.stop_requested()) {
        return MatchOutcome::CutOff(MatchOutcome::Cutoff::StopRequested, 0);
    }
    return Run(*plan, subject, *context).Execute();
}

} // namespace tessaly
