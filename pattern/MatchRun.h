// The interpreter's state for one match and its parts: the dispatch and backtracking (MatchRun.cpp),
// the give-back of greedy loops (GiveBack.cpp) and the scans of lazy loops (LazyScan.cpp). Private
// to the matcher.
#pragma once

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

namespace pattern_detail {

// Entries of the interpreter's own that no instruction pushes: real entries (indices, positions,
// depths, group bounds) are never below -1.
inline constexpr std::ptrdiff_t kLazyMark = std::numeric_limits<std::ptrdiff_t>::min();
inline constexpr std::ptrdiff_t kRunMark = kLazyMark + 1;
inline constexpr std::size_t kRunRecordSize = 5;
// A memo record under the entries of a run from a memo point: depth, position, instruction, mark.
inline constexpr std::ptrdiff_t kMemoMark = kLazyMark + 2;
inline constexpr std::size_t kMemoRecordSize = 4;

} // namespace pattern_detail

using pattern_detail::kLazyMark;
using pattern_detail::kMemoMark;
using pattern_detail::kMemoRecordSize;
using pattern_detail::kRunMark;
using pattern_detail::kRunRecordSize;

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
        entries[2] = static_cast<std::ptrdiff_t>(head + layout::Greedy::kCall + 1);
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

    // How many units from p a run may read at once: the subject's rest and its terminator once the
    // length is known, else 0 (one at a time).
    std::size_t Readable(std::ptrdiff_t p) const {
        return m_length >= 0 && m_vector ? static_cast<std::size_t>(m_length - p + 1) : 0;
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
    Halt AttemptPieces(std::ptrdiff_t start); // SimpleSequence.cpp
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
        const std::ptrdiff_t p = pattern_detail::LastPassing(m_program, at, m_s, lo, hi, m_vector);
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

} // namespace tessaly
