// Parse: reads the pattern into a syntax tree, then emits the program from it.
#include "pattern/PatternMatcher.h"

#include "pattern/PatternCompiler.h"
#include "pattern/PatternSyntax.h"
#include "pattern/ProgramLayout.h"
#include "pattern/RequiredRuns.h"
#include "pattern/SingleUnit.h"

#include <algorithm>

namespace tessaly {

namespace layout = pattern_detail::layout;

namespace {

// `out` becomes the program with each unit test that begins a run of two or more literals and
// "."s (a memo point ends a run) marked with the run's length; each of them begins the run's rest,
// as a jump may land there. False, and `out` empty, when there is no such run.
bool MarkLiteralRuns(const std::vector<Instruction>& program, std::vector<Instruction>& out) {
    out = program;
    bool any = false;
    std::int32_t run = 0;
    for (std::size_t i = out.size(); i-- > 0;) {
        const bool unit =
            (out[i].kind == Instruction::Char && out[i].operand != 0) || out[i].kind == Instruction::AnyChar;
        run = unit ? std::min(run + 1, pattern_detail::kMaxLiteralRun) : 0;
        if (run >= 2) {
            out[i] = Instruction{static_cast<Instruction::Kind>(pattern_detail::kLiteralRunKind), run};
            any = true;
        }
    }
    if (!any) {
        out.clear();
    }
    return any;
}

// Each instruction's unit where it is a literal, else 0: the runs' units side by side, padded, as
// they are read eight at a time.
std::u16string RunUnits(const std::vector<Instruction>& program) {
    std::u16string units(program.size() + 8, u'\0');
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (program[i].kind == Instruction::Char) {
            units[i] = static_cast<char16_t>(program[i].operand);
        }
    }
    return units;
}

// Marks the greedy loops over one unit after which a give-back may check more than the first unit
// test: those where a later test can fail short of the subject's end.
void MarkTestsFollow(const std::vector<Instruction>& program, std::vector<std::uint8_t>& traits) {
    for (std::size_t head = 0; head < program.size(); ++head) {
        if (!(traits[head] & pattern_detail::kSimpleGreedy)) {
            continue;
        }
        const std::size_t after = layout::GreedyExit(program.data(), head);
        if (!pattern_detail::IsUnitTest(program[after].kind)) {
            continue;
        }
        const pattern_detail::TestSequence tests = pattern_detail::TestsFrom(program.data(), after);
        for (std::size_t k = 1; k < tests.count; ++k) {
            if (program[tests.at[k]].kind != Instruction::AnyChar) {
                traits[head] |= pattern_detail::kTestsFollow;
                break;
            }
        }
    }
}

// Whether the runs from `first` on are one unit, the one the literal right after the loop takes: a
// give-back already seeks the last place of that unit, so placing them tells nothing more.
bool SeekOnlyFollowingUnit(const std::vector<Instruction>& program, std::size_t head,
                           const std::vector<std::u16string>& runs, std::size_t first) {
    return first + 1 == runs.size() && runs[first].size() == 1 &&
           program[layout::GreedyExit(program.data(), head)] ==
               Instruction{Instruction::Char, runs[first][0]};
}

} // namespace

ParseError PatternMatcher::Parse(const char16_t* pattern) {
    m_program.clear();
    m_traits.clear();
    m_memoProgram.clear();
    m_runProgram.clear();
    m_runMemoProgram.clear();
    m_runUnits.clear();
    m_groupCount = 0;
    m_slotCount = 0;
    m_startFilter = StartFilter{};
    m_requiredRuns.clear();
    m_leadingRun = false;
    m_leadingChars = 0;
    m_loopSuffixes.clear();
    m_simple.Clear();
    m_prepared.shortcuts = PreparedPlan::kUnprepared;

    pattern_detail::SyntaxTree tree;
    ParseError error = pattern_detail::ReadPattern(pattern, tree);
    if (error == ParseOk) {
        pattern_detail::CompiledPattern compiled;
        error = pattern_detail::CompileTree(tree, compiled);
        if (error == ParseOk) {
            m_program = std::move(compiled.program);
            m_traits = std::move(compiled.traits);
            m_groupCount = tree.groupCount;
            m_slotCount = compiled.slotCount;
            FindStartFilter();
            MarkTestsFollow(m_program, m_traits);
            for (std::size_t i = 0; i < m_program.size(); ++i) {
                if (m_traits[i] & pattern_detail::kMemoPoint) {
                    if (m_memoProgram.empty()) {
                        m_memoProgram = m_program;
                    }
                    m_memoProgram[i].kind = static_cast<Instruction::Kind>(pattern_detail::kMemoPointKind);
                }
            }
            if (MarkLiteralRuns(m_program, m_runProgram)) {
                m_runUnits = RunUnits(m_program);
                if (!m_memoProgram.empty()) {
                    MarkLiteralRuns(m_memoProgram, m_runMemoProgram);
                }
            }
            pattern_detail::RunSet runs = pattern_detail::RequiredRuns(tree);
            m_requiredRuns = std::move(runs.runs);
            for (const pattern_detail::TopLevelLoop& loop : compiled.topLevelLoops) {
                if (runs.after[loop.unit] < m_requiredRuns.size() &&
                    !SeekOnlyFollowingUnit(m_program, loop.head, m_requiredRuns, runs.after[loop.unit])) {
                    m_loopSuffixes.push_back(LoopSuffix{loop.head, runs.after[loop.unit]});
                }
            }
            // "^" tries one start only, which the run need not lead.
            m_leadingRun =
                runs.firstLeads && m_program[layout::Prologue::kEnd].kind == Instruction::NextStart;
            while (m_leadingRun && m_leadingChars < m_requiredRuns.front().size() &&
                   m_program[layout::Prologue::kPatternEntry + m_leadingChars] ==
                       Instruction{Instruction::Char, m_requiredRuns.front()[m_leadingChars]}) {
                ++m_leadingChars;
            }
            pattern_detail::ReadSimpleSequence(tree, m_program.data(), m_program.size(), m_simple);
        }
    }
    m_tables = (std::uint64_t{m_groupCount} << 32) | static_cast<std::uint32_t>(m_slotCount);
    if (error == ParseOk) {
        MakePlan(MatchContext::kAllShortcuts, m_prepared.plan);
        m_prepared.shortcuts = MatchContext::kAllShortcuts;
    }
    m_lastError = error;
    return error;
}

void PatternMatcher::FindStartFilter() {
    if (m_program[layout::Prologue::kEnd].kind != Instruction::NextStart) {
        return; // "^": one attempt only, nothing to skip
    }
    // Parentheses at the start only push a resume point that fails on, so look through them.
    std::size_t ip = layout::Prologue::kPatternEntry;
    while (m_program[ip].kind == Instruction::Call &&
           m_program[ip + layout::Paren::kBacktrack].kind == Instruction::Backtrack) {
        ip = layout::Target(m_program.data(), ip);
    }
    const Instruction& first = m_program[ip];
    if (first.kind == Instruction::Char && first.operand != 0) {
        m_startFilter = StartFilter{StartFilter::Unit, static_cast<char16_t>(first.operand), 0};
    } else if (first.kind == Instruction::InSet || first.kind == Instruction::NotInSet) {
        m_startFilter = StartFilter{StartFilter::Set, 0, ip};
    }
}

} // namespace tessaly
