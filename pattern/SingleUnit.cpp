#include "pattern/SingleUnit.h"

namespace tessaly::pattern_detail {

std::ptrdiff_t LastPassing(const Instruction* program, std::size_t at, const char16_t* s, std::ptrdiff_t lo,
                           std::ptrdiff_t hi) {
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
