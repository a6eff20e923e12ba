// Instructions that consume exactly one unit or fail ("unit tests": a literal, "." or a set), asked
// about one position or run along the subject in one go.
#pragma once

#include "pattern/PatternMatcher.h"

#include <cstddef>

namespace tessaly::pattern_detail {

// Whether one of the bound pairs after the set instruction at `at` holds the unit.
inline bool SetHolds(const Instruction* program, std::size_t at, char16_t unit) {
    const auto end = static_cast<std::size_t>(program[at].operand);
    for (std::size_t i = at + 1; i + 1 < end; i += 2) {
        if (program[i].operand <= unit && unit <= program[i + 1].operand) {
            return true;
        }
    }
    return false;
}

inline bool IsUnitTest(Instruction::Kind kind) {
    return kind == Instruction::Char || kind == Instruction::AnyChar || kind == Instruction::InSet ||
           kind == Instruction::NotInSet;
}

// Whether the unit test at `at` takes the unit (the terminator only as the end anchor "Char 0").
inline bool UnitPasses(const Instruction* program, std::size_t at, char16_t unit) {
    const Instruction& in = program[at];
    switch (in.kind) {
    case Instruction::Char:
        return unit == static_cast<char16_t>(in.operand);
    case Instruction::AnyChar:
        return unit != 0;
    default:
        return unit != 0 && SetHolds(program, at, unit) == (in.kind == Instruction::InSet);
    }
}

// The unit tests a run from `at` takes one after another, reaching through the entries of groups
// and parentheses between them (whose failure gives back what they pushed and leaves the groups
// as they were), up to and with an end anchor; at most kMax.
struct TestSequence {
    static constexpr std::size_t kMax = 8;
    std::size_t at[kMax];
    std::size_t count = 0;
    std::size_t pushes = 0; // entries the group and parenthesis entries push the plain way
};
TestSequence TestsFrom(const Instruction* program, std::size_t at);

// How many of the tests pass one after another from p; all of them, or the index of the one that
// fails there (the plain run leaves p that far on).
std::size_t TestsPassing(const Instruction* program, const TestSequence& tests, const char16_t* s,
                         std::ptrdiff_t p);

// The one unit the literal or set at `at` takes, or 0 when it takes none or several.
char16_t OnlyUnit(const Instruction* program, std::size_t at);

// The last position from lo to hi where the unit test at `at` takes the subject's unit, or lo - 1.
// Every unit there lies before the terminator. With `vector`, a test of one unit is sought eight
// units at a time.
std::ptrdiff_t LastPassing(const Instruction* program, std::size_t at, const char16_t* s, std::ptrdiff_t lo,
                           std::ptrdiff_t hi, bool vector);

// How many units from p on the literal or set at `at` takes one after another (never the
// terminator). "." takes all up to the subject's length, which the caller knows best.
std::ptrdiff_t CountPassing(const Instruction* program, std::size_t at, const char16_t* s, std::ptrdiff_t p);

} // namespace tessaly::pattern_detail
