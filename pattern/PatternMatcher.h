// The program's own pattern matcher: compiles a pattern into a flat instruction list (Parse) and
// runs it against a subject with a backtracking interpreter on one explicit stack (Match).
// A PatternMatcher and a MatchContext are used by one thread at a time; nothing is shared.
#pragma once

#include "pattern/FailureMemo.h"
#include "pattern/GreedyFrontier.h"
#include "pattern/LazyScanMemo.h"
#include "pattern/SimpleSequence.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace tessaly {

// Result of Parse; any value but ParseOk means the pattern cannot be used.
enum ParseError : std::int32_t {
    ParseOk = 0,
    ParseOutOfMemory = 1,
    ParseBraceExpected = 2,
    ParseParenExpected = 3,
    ParseBracketExpected = 4,
    ParseUnexpected = 5,
    ParseEmptySet = 6,
    ParseInvalidGroup = 7,
    ParseInvalidRange = 8,
    ParseEmptyRepeat = 9,
    ParseInvalidInput = 10,
};

// One compiled instruction. The operand is, by kind, a code unit, an instruction index, a group
// number or a slot number; kinds that take none carry 0.
struct Instruction {
    enum Kind : std::int32_t {
        Nop,
        GroupStart,
        GroupEnd,
        Char,
        AnyChar,
        InSet,
        NotInSet,
        Jump,
        PushPos,
        PopPos,
        Call,
        Backtrack,
        PushSlot,
        PopSlot,
        SavePos,
        SaveDepth,
        LoadPos,
        LoadDepth,
        FailIfNoProgress,
        BackRef,
        Stop,
        NextStart,
        Accept,
        SaveGroup,
        RestoreGroup,
    };

    Kind kind = Nop;
    std::int32_t operand = 0;

    friend bool operator==(const Instruction&, const Instruction&) = default;
};

// A stretch of the subject in UTF-16 code units from its first unit; kAbsent when the group
// took no part in the match.
struct MatchGroup {
    static constexpr std::ptrdiff_t kAbsent = -1;

    std::ptrdiff_t start = kAbsent;
    std::ptrdiff_t end = kAbsent;

    bool IsPresent() const { return start != kAbsent && end != kAbsent; }
    // Length in code units; 0 for an absent group.
    std::ptrdiff_t Length() const { return IsPresent() ? end - start : 0; }
};

// How a search ended: with a match, with none after trying everything, or cut off before that by
// the step limit or a stop request (the match may or may not have been there), and the steps it took.
class MatchOutcome {
public:
    enum class Kind : std::uint8_t { Matched, NotMatched, CutOff };
    enum class Cutoff : std::uint8_t { StepLimit, StopRequested };

    static constexpr MatchOutcome Matched(std::uint64_t steps) { return {Kind::Matched, {}, steps}; }
    static constexpr MatchOutcome NotMatched(std::uint64_t steps) { return {Kind::NotMatched, {}, steps}; }
    static constexpr MatchOutcome CutOff(Cutoff reason, std::uint64_t steps) {
        return {Kind::CutOff, reason, steps};
    }

    constexpr Kind GetKind() const { return m_kind; }
    constexpr bool IsMatch() const { return m_kind == Kind::Matched; }
    constexpr bool IsCutOff() const { return m_kind == Kind::CutOff; }
    // Why it was cut off; only for a cut-off outcome.
    constexpr Cutoff Reason() const { return m_reason; }
    constexpr std::uint64_t Steps() const { return m_steps; }

    friend bool operator==(const MatchOutcome&, const MatchOutcome&) = default;

private:
    constexpr MatchOutcome(Kind kind, Cutoff reason, std::uint64_t steps)
        : m_kind(kind), m_reason(reason), m_steps(steps) {}

    Kind m_kind;
    Cutoff m_reason;
    std::uint64_t m_steps;
};

// The results of one Match and the interpreter's working memory. Owned by the caller; its stack
// room survives from one Match to the next.
class MatchContext {
public:
    static constexpr std::size_t kInitialStackRoom = 256;

    MatchContext() : m_stack(kInitialStackRoom) {}

    // A step is one backward move of the interpreter, a failure or a jump, and each unit a shortcut
    // examines in one go (a "." loop's count, a give-back or a remembered answer is one). Between
    // two steps the interpreter runs at most the program's length of forward instructions, so steps
    // bound a match's time whatever the subject: 5 to 25 ns each here. A realistic watch page takes
    // a few hundred and the worst crafted pages found about 60,000; this many keeps any match
    // within about 100 ms even at the slowest rate on a busy machine.
    static constexpr std::uint64_t kDefaultStepLimit = 4000000;
    // How often, in steps, a running Match looks at its stop token.
    static constexpr std::uint64_t kStopCheckInterval = 2048;

    // Match gives up with false after this many steps; 0 means no limit (only for callers that
    // must see the plain result, such as tests comparing with the reference interpreter).
    void SetStepLimit(std::uint64_t steps) {
        m_stepLimit = steps;
        m_firstCheck = steps != 0 && steps < kMarkFloor ? steps + 1 : kMarkFloor;
    }

    // Match looks at the token every kStopCheckInterval steps and, once a stop is requested, ends
    // with false (also when the stop was requested before it began).
    void SetStopToken(std::stop_token stop) { m_stop = std::move(stop); }

    // Shortcuts Match may take that skip work without changing any result; all are on by default.
    // Switching them off is for tests and fuzzing that check exactly that.
    enum Shortcut : std::uint32_t {
        // Refuse subjects and start positions where the required literal runs cannot all be found
        // (sought once a match has taken as many steps as the subject has units, 256 at least).
        kRequiredRuns = 1u << 0,
        // Remember where a failed run from a top-level unit (or a top-level lazy loop's head) at a
        // position stopped, and fail at once the next time it is reached there; give back at once
        // the iterations of a top-level "." loop whose runs are known to fail.
        kFailureMemo = 1u << 1,
        // Remember where a lazy loop's scan for what follows it ended, by the position it began at.
        kLazyScanMemo = 1u << 2,
        // Seek the subject's end, the required runs and the unit a give-back or a lazy loop's scan
        // looks for eight units at a time.
        kVectorScans = 1u << 3,
        // Begin attempts only where the literal run every match begins with stands.
        kLeadingRun = 1u << 4,
        // Compare a run of literals and "."s in one go rather than one instruction at a time.
        kLiteralRuns = 1u << 5,
        // Give back at once the iterations of a top-level loop over one unit after which the
        // required runs that follow it can no longer be placed.
        kSuffixRuns = 1u << 6,
        // Give back at once the iterations of a loop over one unit after which the unit tests the
        // rest runs next without a choice do not all pass (else only those where the first fails).
        kFollowingTests = 1u << 7,
        // Run an optional over one unit test ("X?") in one go, leaving what its instructions leave.
        kOptionalUnits = 1u << 8,
        // Place the required runs before the first attempt on a subject of at most
        // kShortSubject units (an address), refusing it at once when they do not all fit.
        kShortSubjects = 1u << 9,
        // Enter a greedy loop or optional (PushSlot, SavePos, PushPos, Call) and end an iteration
        // (FailIfNoProgress, SavePos) in one dispatch each.
        kLoopEntries = 1u << 10,
        // Run a pattern that is a plain sequence of literal runs, unit tests, "X?", greedy loops over
        // one unit test and groups (optional ones without loops) with a backtracker of its own
        // instead of the interpreter (SimpleSequence.h).
        kSimplePieces = 1u << 11,
        kAllShortcuts = kRequiredRuns | kFailureMemo | kLazyScanMemo | kVectorScans | kLeadingRun |
                        kLiteralRuns | kSuffixRuns | kFollowingTests | kOptionalUnits | kShortSubjects |
                        kLoopEntries | kSimplePieces,
    };
    // Reading so few units for the runs costs less than the attempt that fails for want of one.
    static constexpr std::size_t kShortSubject = 256;
    void SetShortcuts(std::uint32_t shortcuts) { m_shortcuts = shortcuts; }

    // Valid after Match returned true.
    std::uint32_t GroupCount() const { return static_cast<std::uint32_t>(m_groups.size()); }
    const MatchGroup& WholeMatch() const { return m_match; }
    const MatchGroup& Group(std::uint32_t n) const { return m_groups[n]; }

private:
    friend class PatternMatcher;

    // Up to this many slots are cleared in one fixed-size write, so the slot tables are never
    // shorter: few patterns have more loops and negations.
    static constexpr std::size_t kClearedSlots = 8;
    static constexpr std::uint64_t kNoTables = ~std::uint64_t{0};
    // A match looks at its marks (when to remember, when to seek the required runs) no earlier
    // than this step.
    static constexpr std::uint64_t kMarkFloor = 256;

    MatchGroup m_match;
    std::vector<MatchGroup> m_groups;
    std::vector<std::ptrdiff_t> m_slots;
    std::vector<std::ptrdiff_t> m_savedDepths; // beside each SaveDepth slot: the uncompacted depth
    std::vector<std::ptrdiff_t> m_stack;       // entries 1..depth are in use; size() is the room
    // The group and slot counts the tables above are sized for (as PatternMatcher::m_tables).
    std::uint64_t m_tables = kNoTables;
    std::uint64_t m_stepLimit = kDefaultStepLimit;
    // The first step a match checks at: the marks' floor, or the step past the limit when sooner.
    std::uint64_t m_firstCheck = kMarkFloor;
    std::stop_token m_stop;
    std::uint32_t m_shortcuts = kAllShortcuts;
    // What a match that backtracks long remembers; empty between matches, so that a short one
    // neither builds nor clears them, and a long one leaves no memory held.
    pattern_detail::FailureMemo m_failures;
    pattern_detail::LazyScanMemo m_scans;
    pattern_detail::GreedyFrontiers m_frontiers;
};

class PatternMatcher {
public:
    // Entries the match stack may hold at most, counted as if every iteration of every loop had
    // its own; a match that needs more ends with false.
    static constexpr std::size_t kMaxStackEntries = 1048576;

    // Compiles a 0-terminated pattern, discarding any earlier program. Null gives ParseInvalidInput.
    ParseError Parse(const char16_t* pattern);

    // Whether the pattern occurs in the 0-terminated subject; the context receives where the first
    // occurrence lies and what each group captured. False for a null subject or context.
    bool Match(const char16_t* subject, MatchContext* context) const {
        return Search(subject, context).IsMatch();
    }

    // Match with how it ended: a search that was cut off, or that could not begin (null subject or
    // context, no usable program, no memory for the context's tables), is not a match.
    MatchOutcome Search(const char16_t* subject, MatchContext* context) const;

    ParseError LastError() const { return m_lastError; }
    std::uint32_t GroupCount() const { return m_groupCount; }
    std::int32_t SlotCount() const { return m_slotCount; }
    // The compiled program; an instruction's index is its address.
    const std::vector<Instruction>& Program() const { return m_program; }
    // Literal runs every match contains in this order without overlap; Match refuses a subject, or
    // the start positions past the last place, where they cannot all be found.
    const std::vector<std::u16string>& RequiredRuns() const { return m_requiredRuns; }

private:
    class Run;
    struct RunPlan;
    struct LoopSuffix;

    // Attempts whose first consuming instruction fails at their start position change nothing,
    // so Match may skip them without running them. No defaults: a plan is made without a write
    // until it is needed.
    struct StartFilter {
        enum Kind : std::uint8_t { None, Unit, Set };
        Kind kind;
        char16_t unit;
        std::size_t set; // index of the InSet or NotInSet instruction
    };

    void FindStartFilter();
    void MakePlan(std::uint32_t shortcuts, RunPlan& plan) const;
    bool SizeTables(MatchContext& context) const;

    ParseError m_lastError = ParseOk;
    std::vector<Instruction> m_program;
    std::vector<std::uint8_t> m_traits; // per instruction: notes for the interpreter
    // The program as the interpreter dispatches it when failures are remembered: memo points carry
    // kMemoPointKind in place of their kind, so that other instructions pay nothing for them.
    std::vector<Instruction> m_memoProgram;
    // Both again with runs of literals marked (kLiteralRunKind); empty when the pattern has none.
    std::vector<Instruction> m_runProgram;
    std::vector<Instruction> m_runMemoProgram;
    // Per instruction, the unit a Char of such a run takes, 0 for an AnyChar: a run's units side by
    // side, to be compared with the subject's without reading instructions.
    std::u16string m_runUnits;
    StartFilter m_startFilter{};
    std::vector<std::u16string> m_requiredRuns;
    bool m_leadingRun = false; // every attempt begins by reading m_requiredRuns[0]
    // How many of its units the program's first instructions read one Char each: an attempt that
    // begins where the run was found may begin after them.
    std::size_t m_leadingChars = 0;
    // Top-level loops over one unit with required runs after them: the loop's head and the first
    // such run.
    struct LoopSuffix {
        std::size_t head;
        std::size_t firstRun;
    };
    std::vector<LoopSuffix> m_loopSuffixes;
    pattern_detail::SimpleSequence m_simple; // unusable when the pattern is no such sequence
    // What a Run takes from the pattern and the shortcuts chosen (named as the Run's members).
    struct RunPlan {
        const Instruction* m_program;
        // m_program or its copy with literal runs; m_memoProgram once remembering.
        const Instruction* m_dispatch;
        const Instruction* m_memoProgram; // null when failures are not to be remembered
        const char16_t* m_runUnits;       // the units of the runs m_dispatch marks, by instruction
        const std::uint8_t* m_traits;
        std::size_t m_size;
        std::span<const std::u16string> m_runs;
        const std::vector<LoopSuffix>* m_loopSuffixes; // null when kSuffixRuns is off
        std::size_t m_leadingChars;
        StartFilter m_filter;
        bool m_vector;                // kVectorScans
        bool m_leadingRun;            // kLeadingRun, and the pattern has such a run
        bool m_followingTests;        // kFollowingTests
        std::uint8_t m_optionalTrait; // kSimpleOptional with kOptionalUnits, else 0
        bool m_loopEntries;           // kLoopEntries
        // kSimplePieces and the pattern is such a sequence: attempts run it instead of the program.
        const pattern_detail::SimpleSequence* m_pieces;
        // Per match: kShortSubjects, the pattern has runs, and they are not placed yet.
        bool m_placeIfShort;
        // Per match: kRequiredRuns, the pattern has runs, and they are not sought yet.
        bool m_runsPending;
    };
    // The plan for all shortcuts on, made by Parse. It points into this matcher's tables, so a copy
    // of the matcher starts without it and plans each Search until it parses.
    class PreparedPlan {
    public:
        // No shortcuts a context can hold: not prepared.
        static constexpr std::uint64_t kUnprepared = std::uint64_t{1} << 32;

        PreparedPlan() = default;
        PreparedPlan(const PreparedPlan&) {}
        PreparedPlan& operator=(const PreparedPlan&) {
            shortcuts = kUnprepared;
            return *this;
        }
        ~PreparedPlan() = default;

        RunPlan plan;
        std::uint64_t shortcuts = kUnprepared; // the shortcuts `plan` was made for
    };

    std::uint32_t m_groupCount = 0;
    std::int32_t m_slotCount = 0;
    std::uint64_t m_tables = 0; // the group count above the slot count, as MatchContext::m_tables
    PreparedPlan m_prepared;
};

} // namespace tessaly
