// The pattern text read into a syntax tree: one node per construct, groups numbered in the order
// of their "{", back-references and repeats checked. Lives only while Parse runs.
#pragma once

#include "pattern/PatternMatcher.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tessaly::pattern_detail {

// How a construct answers "may it match without consuming anything?" for a given flag on entry.
// An empty "{}" or "()" reports nothing, so the flag passes through unchanged.
enum class EmptyFlag : std::uint8_t { NotEmpty, Empty, PassThrough };

enum class Quantifier : std::uint8_t { Star, Plus, Optional, LazyStar, LazyPlus, LazyOptional };

struct SyntaxNode {
    enum Type : std::uint8_t {
        Literal,     // value: code unit (0 for the end anchor)
        AnyUnit,     // "."
        Set,         // ranges, negated
        BackRef,     // value: group number; selfReference when inside that group
        Group,       // value: group number; child: content sequence or -1 when empty
        Paren,       // child: content sequence or -1 when empty
        Negation,    // child: the negated item or -1 when "!" has no item
        Alternation, // alternatives: left to right; lastIsNothing when the last one compiled to nothing
        Repeat,      // child: the item; quantifier
        Sequence,    // units: one after another
    };

    Type type = Literal;
    Quantifier quantifier = Quantifier::Star;
    bool negated = false;
    bool selfReference = false;
    bool lastIsNothing = false;
    // May really match without consuming (a lazy loop over such an item needs a progress check).
    bool nullable = false;
    EmptyFlag flag = EmptyFlag::NotEmpty;
    std::int32_t value = 0;
    std::int32_t child = -1;
    std::vector<std::int32_t> units;
    std::vector<std::pair<char16_t, char16_t>> ranges;
};

struct SyntaxTree {
    std::vector<SyntaxNode> nodes;
    std::int32_t root = -1; // top-level sequence; -1 for an empty pattern
    bool anchored = false;  // began with "^"
    std::uint32_t groupCount = 0;
};

// Deeper nesting of "{", "(", "!" and abbreviations is refused as ParseOutOfMemory, so that
// neither reading nor compiling can exhaust the thread's stack.
inline constexpr int kMaxNesting = 1000;

// Reads a 0-terminated pattern; never reads past its terminator.
ParseError ReadPattern(const char16_t* text, SyntaxTree& tree);

} // namespace tessaly::pattern_detail
