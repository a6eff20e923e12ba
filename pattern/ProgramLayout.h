// Where, inside the instruction block the compiler emits for a construct, each of its parts stands,
// counted from the block's first instruction. The compiler emits by these offsets and the
// interpreter's shortcuts read by them, so a change to a template is a change here.
#pragma once

#include "pattern/PatternMatcher.h"

#include <cstddef>
#include <cstdint>

namespace tessaly::pattern_detail::layout {

// "X*" and "X?": PushSlot m, SavePos m, PushPos, Call body, PopPos, PopSlot m, Jump exit, X...,
// FailIfNoProgress m, SavePos m (and for "X*" Jump head). kExit is the Jump past the loop, kBody
// the item's first instruction.
struct Greedy {
    static constexpr std::int32_t kCall = 3, kExit = 6, kBody = 7;
};

// "{X}": SaveGroup n, GroupStart n, Call content, RestoreGroup n, Backtrack, X..., GroupEnd n.
struct Group {
    static constexpr std::int32_t kCall = 2, kRestore = 3, kContent = 5;
};

// "(X)": Call content, Backtrack, X...
struct Paren {
    static constexpr std::int32_t kBacktrack = 1, kContent = 2;
};

// "!X": SavePos, SaveDepth, Call item, LoadPos, LoadDepth, Jump exit, X..., LoadPos, LoadDepth,
// Backtrack.
struct Negation {
    static constexpr std::int32_t kExit = 5, kItem = 6;
};

// Every alternative but the last: PushPos, Call alternative, PopPos, Jump right, X..., Jump end.
struct Alternative {
    static constexpr std::int32_t kRight = 3, kItem = 4;
};

// "X*?": Call rest, X..., Jump head.
struct Lazy {
    static constexpr std::int32_t kBody = 1;
};

// The program's prologue: Call 2, NextStart (or Stop), then the pattern.
struct Prologue {
    static constexpr std::int32_t kEnd = 1, kPatternEntry = 2;
};

inline std::size_t Target(const Instruction* program, std::size_t at) {
    return static_cast<std::size_t>(program[at].operand);
}

// The first instruction after a greedy loop headed at `head`.
inline std::size_t GreedyExit(const Instruction* program, std::size_t head) {
    return Target(program, head + Greedy::kExit);
}

} // namespace tessaly::pattern_detail::layout
