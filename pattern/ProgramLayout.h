// Where, inside the instruction block the compiler emits for a construct, each of its parts stands,
// counted from the block's first instruction. The compiler emits by these offsets and the
// interpreter's shortcuts read by them, so a change to a template is a change here.
#pragma once

#include "pattern/PatternMatcher.h"

#include <cstddef>
#include <cstdint>

namespace tessaly::pattern_detail::layout {

// "X*" and "X?": PushSlot m, SavePos m, PushPos, Call body, PopPos, PopSlot m, Jump exit, X...,
// FailIfNoProgress m, SavePos m (and for "X*" Jump head).
inline constexpr std::int32_t kGreedyCall = 3;
inline constexpr std::int32_t kGreedyExit = 6; // the Jump past the loop
inline constexpr std::int32_t kGreedyBody = 7; // the item's first instruction

// "{X}": SaveGroup n, GroupStart n, Call content, RestoreGroup n, Backtrack, X..., GroupEnd n.
inline constexpr std::int32_t kGroupCall = 2;
inline constexpr std::int32_t kGroupRestore = 3;
inline constexpr std::int32_t kGroupContent = 5;

// "(X)": Call content, Backtrack, X...
inline constexpr std::int32_t kParenBacktrack = 1;
inline constexpr std::int32_t kParenContent = 2;

// "!X": SavePos, SaveDepth, Call item, LoadPos, LoadDepth, Jump exit, X..., LoadPos, LoadDepth,
// Backtrack.
inline constexpr std::int32_t kNegationExit = 5;
inline constexpr std::int32_t kNegationItem = 6;

// Every alternative but the last: PushPos, Call alternative, PopPos, Jump right, X..., Jump end.
inline constexpr std::int32_t kAlternativeRight = 3;
inline constexpr std::int32_t kAlternativeItem = 4;

// "X*?": Call rest, X..., Jump head.
inline constexpr std::int32_t kLazyBody = 1;

// The program's prologue: Call 2, NextStart (or Stop), then the pattern.
inline constexpr std::int32_t kPrologueEnd = 1;
inline constexpr std::int32_t kPatternEntry = 2;

inline std::size_t Target(const Instruction* program, std::size_t at) {
    return static_cast<std::size_t>(program[at].operand);
}

// The first instruction after a greedy loop headed at `head`.
inline std::size_t GreedyExit(const Instruction* program, std::size_t head) {
    return Target(program, head + kGreedyExit);
}

} // namespace tessaly::pattern_detail::layout
