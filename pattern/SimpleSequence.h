// A pattern that is a plain sequence of simple pieces (literal runs, unit tests, "X?", greedy
// "X*"/"X+" over one unit test, groups and parentheses, optional ones without loops inside, "^"
// and "$"), read off the syntax tree at Parse time, so that a match can run it with a backtracker
// of its own in place of the general interpreter. Its choices are few and all alike (a unit or a
// group present or absent, a loop's count), so it keeps them in a small array and never reads an
// instruction but its unit tests. The run itself is PatternMatcher::Run::AttemptPieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {
struct Instruction;
}

namespace tessaly::pattern_detail {

struct SyntaxTree;

struct Piece {
    enum Kind : std::uint8_t {
        Run,          // units[at, at + length), two at least: literals, 0 for "."; test: the first one's
        Unit,         // the unit test `test` (with "$" as the Char 0 that takes the terminator)
        OptionalUnit, // "X?" over the unit test `test`
        Loop,         // greedy loop over the unit test `test`, `minimum` times at least
        GroupOpen,    // "(...)?": its GroupClose is piece `length`; its entry position is kept under `at`
        GroupClose,   // the end of the optional group whose entry position is kept under `at`
        GroupStart,   // "{": group `at` starts here
        GroupEnd,     // "}": group `at` ends here
        Enter,        // parenthesis or group entries before a piece that tests first
        Accept,       // after the last piece
    };
    // How a Unit, OptionalUnit or Loop tests a unit without reading its instruction.
    enum Test : std::uint8_t { OneUnit, AnyUnit, SetOfUnits };
    static constexpr std::uint32_t kNoTest = ~std::uint32_t{0};

    Kind kind = Run;
    std::uint8_t minimum = 0;
    Test how = OneUnit;
    char16_t unit = 0; // OneUnit: the unit it takes
    // Entries the plain interpreter pushes right before this piece (parenthesis and group entries),
    // so that its stack cap ends exactly the matches it would end: only pieces that check the depth
    // before they test anything carry them (OptionalUnit, Loop, GroupOpen, GroupStart, Enter).
    std::uint32_t entries = 0;
    // GroupOpen: the entries of the parentheses its content begins with, pushed after its own.
    std::uint32_t inner = 0;
    std::uint32_t test = kNoTest;
    std::uint32_t at = 0;
    std::uint32_t length = 0;
    // Loop: the unit test that begins what follows it, sought backwards on a give-back, and its one
    // unit (0 when it takes several).
    std::uint32_t follow = kNoTest;
    char16_t followUnit = 0;
    // GroupOpen: the groups inside it, which its absent branch leaves absent.
    std::uint32_t groupsFrom = 0;
    std::uint32_t groupsTo = 0;
    // SetOfUnits: bit u tells whether the set takes unit u below 128 (never the terminator).
    std::uint64_t ascii[2] = {0, 0};
};

struct SimpleSequence {
    // Choices pending at once (each optional or loop piece leaves at most one), and optional
    // groups: more is no simple pattern.
    static constexpr std::size_t kMaxChoices = 32;

    bool usable = false;
    bool anchored = false; // "^": one attempt only
    std::vector<Piece> pieces;
    std::u16string units; // the runs' units side by side, eight more after the last for reading at once

    void Clear() {
        usable = false;
        anchored = false;
        pieces.clear();
        units.clear();
    }
};

// Fills `out` when the pattern is such a sequence (`program` is what it compiled to, read for its
// unit tests); otherwise leaves it unusable.
void ReadSimpleSequence(const SyntaxTree& tree, const Instruction* program, std::size_t size,
                        SimpleSequence& out);

} // namespace tessaly::pattern_detail
