// Turning a syntax tree into the instruction list, construct by construct, with the fixed
// compilation templates; also notes where the interpreter needs more than an instruction says.
#pragma once

#include "pattern/PatternMatcher.h"
#include "pattern/PatternSyntax.h"

#include <cstdint>
#include <vector>

namespace tessaly::pattern_detail {

// Per-instruction notes for the interpreter, kept beside the program so the listing stays as
// the templates give it.
enum Trait : std::uint8_t {
    kLazyBodyEntry = 1, // first instruction of a lazy loop's item that may match empty
    kLazyBackEdge = 2,  // the Jump that closes such a loop: an iteration must have consumed
    kSelfBackRef = 4,   // BackRef inside its own group: the group has no end yet, so it fails
    kSimpleGreedy = 8,  // PushSlot heading "X*" whose X is one unit test: run in one go
    kSimpleLazy = 16,   // Call heading "X*?" whose X is one unit test: scan for the rest's first unit
    kMemoPoint = 32,    // first instruction of a top-level unit whose failures may be remembered
    kTestsFollow = 64,  // kSimpleGreedy head whose exit runs unit tests on that may fail before the end
    // PushSlot heading "X?" whose X is one unit test: run in one dispatch
    kSimpleOptional = 128,
};

// Stands in for a memo point's kind in the copy of the program the interpreter dispatches on.
inline constexpr std::int32_t kMemoPointKind = 64;
// Stands in for the kind of a Char or AnyChar that begins a run of them, with the run's length as
// its operand, in the copies of the program the interpreter dispatches on when it reads runs at once.
inline constexpr std::int32_t kLiteralRunKind = 65;
inline constexpr std::int32_t kMaxLiteralRun = 1 << 16;

// Longer programs are refused as ParseOutOfMemory: each "+" doubles its item, so nested ones
// would otherwise grow without bound.
inline constexpr std::size_t kMaxProgramSize = std::size_t{1} << 20;

// A greedy loop over one unit test that is a unit of the pattern's top-level sequence.
struct TopLevelLoop {
    std::size_t head; // its PushSlot
    std::size_t unit; // its place in the top-level sequence
};

struct CompiledPattern {
    std::vector<Instruction> program;
    std::vector<std::uint8_t> traits;
    std::int32_t slotCount = 0;
    std::vector<TopLevelLoop> topLevelLoops;
};

ParseError CompileTree(const SyntaxTree& tree, CompiledPattern& out);

} // namespace tessaly::pattern_detail
