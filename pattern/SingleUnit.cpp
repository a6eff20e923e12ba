#include "pattern/SingleUnit.h"

#include "pattern/ProgramLayout.h"
#include "pattern/UnitScan.h"

namespace tessaly::pattern_detail {

char16_t OnlyUnit(const Instruction* program, std::size_t at) {
    const Instruction& in = program[at];
    if (in.kind == Instruction::Char) {
        return static_cast<char16_t>(in.operand);
    }
    // "[&]": one bound pair, one unit.
    if (in.kind == Instruction::InSet && in.operand == static_cast<std::int32_t>(at + 3) &&
        program[at + 1].operand == program[at + 2].operand) {
        return static_cast<char16_t>(program[at + 1].operand);
    }
    return 0;
}

TestSequence TestsFrom(const Instruction* program, std::size_t at) {
    TestSequence tests;
    while (tests.count < TestSequence::kMax) {
        const Instruction& in = program[at];
        if (IsUnitTest(in.kind)) {
            tests.at[tests.count++] = at;
            if (in.kind == Instruction::Char && in.operand == 0) {
                break; // the end anchor: nothing can be read after it
            }
            at = in.kind == Instruction::InSet || in.kind == Instruction::NotInSet
                     ? layout::Target(program, at)
                     : at + 1;
        } else if (in.kind == Instruction::SaveGroup &&
                   program[at + layout::Group::kCall].kind == Instruction::Call &&
                   program[at + layout::Group::kRestore].kind == Instruction::RestoreGroup) {
            tests.pushes += 3;
            at = layout::Target(program, at + layout::Group::kCall);
        } else if (in.kind == Instruction::Call &&
                   program[at + layout::Paren::kBacktrack].kind == Instruction::Backtrack) {
            tests.pushes += 1;
            at = layout::Target(program, at);
        } else {
            break;
        }
    }
    return tests;
}

std::size_t TestsPassing(const Instruction* program, const TestSequence& tests, const char16_t* s,
                         std::ptrdiff_t p) {
    std::size_t passed = 0;
    while (passed < tests.count &&
           UnitPasses(program, tests.at[passed], s[p + static_cast<std::ptrdiff_t>(passed)])) {
        ++passed;
    }
    return passed;
}

std::ptrdiff_t LastPassing(const Instruction* program, std::size_t at, const char16_t* s, std::ptrdiff_t lo,
                           std::ptrdiff_t hi, bool vector) {
    if (const char16_t unit = vector ? OnlyUnit(program, at) : 0; unit != 0) {
        return FindLastUnit(s, lo, hi, unit);
    }
    const Instruction& in = program[at];
    switch (in.kind) {
    case Instruction::Char:
        while (hi >= lo && s[hi] != static_cast<char16_t>(in.operand)) {
            --hi;
        }
        return hi;
    case Instruction::AnyChar:
        return hi;
    default: {
        const bool inSet = in.kind == Instruction::InSet;
        while (hi >= lo && SetHolds(program, at, s[hi]) != inSet) {
            --hi;
        }
        return hi;
    }
    }
}

std::ptrdiff_t CountPassing(const Instruction* program, std::size_t at, const char16_t* s, std::ptrdiff_t p) {
    std::ptrdiff_t n = 0;
    while (UnitPasses(program, at, s[p + n])) {
        ++n;
    }
    return n;
}

} // namespace tessaly::pattern_detail
