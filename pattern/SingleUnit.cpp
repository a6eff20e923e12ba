#include "pattern/SingleUnit.h"

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
