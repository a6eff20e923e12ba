// Compiled listings against the compilation templates, one construct at a time.
#include "pattern/PatternMatcher.h"

#include <gtest/gtest.h>
#include <vector>

namespace tessaly {
namespace {

using enum Instruction::Kind;
using Listing = std::vector<Instruction>;

struct Compiled {
    ParseError error;
    Listing program;
    std::uint32_t groups;
    std::int32_t slots;
};

Compiled Compile(const char16_t* pattern) {
    PatternMatcher matcher;
    const ParseError error = matcher.Parse(pattern);
    return Compiled{error, matcher.Program(), matcher.GroupCount(), matcher.SlotCount()};
}

// Prologue, body, epilogue of an unanchored pattern.
Listing Unanchored(const Listing& body) {
    Listing out{{Call, 2}, {NextStart, 0}};
    out.insert(out.end(), body.begin(), body.end());
    out.push_back({Accept, 0});
    return out;
}

void ExpectListing(const char16_t* pattern, const Listing& expected, std::uint32_t groups = 0,
                   std::int32_t slots = 0) {
    const Compiled c = Compile(pattern);
    ASSERT_EQ(c.error, ParseOk);
    ASSERT_EQ(c.program.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(c.program[i].kind, expected[i].kind) << "instruction " << i;
        EXPECT_EQ(c.program[i].operand, expected[i].operand) << "instruction " << i;
    }
    EXPECT_EQ(c.groups, groups);
    EXPECT_EQ(c.slots, slots);
}

TEST(Listing, WorkedExampleGroupOfAlternationInGreedyLoop) {
    ExpectListing(u"{a|b}*c",
                  Unanchored({{PushSlot, 0},         {SavePos, 0}, {PushPos, 0},      {Call, 9},
                              {PopPos, 0},           {PopSlot, 0}, {Jump, 25},        {SaveGroup, 0},
                              {GroupStart, 0},       {Call, 14},   {RestoreGroup, 0}, {Backtrack, 0},
                              {PushPos, 0},          {Call, 18},   {PopPos, 0},       {Jump, 20},
                              {Char, 'a'},           {Jump, 21},   {Char, 'b'},       {GroupEnd, 0},
                              {FailIfNoProgress, 0}, {SavePos, 0}, {Jump, 2},         {Char, 'c'}}),
                  1, 1);
}

TEST(Listing, EmptyPatternAndAnchors) {
    ExpectListing(u"", Unanchored({}));
    ExpectListing(u"^", {{Call, 2}, {Stop, 0}, {Accept, 0}});
    ExpectListing(u"^ab$", {{Call, 2}, {Stop, 0}, {Char, 'a'}, {Char, 'b'}, {Char, 0}, {Accept, 0}});
    // "^" after the first character and "$" before the last are literals.
    ExpectListing(u"x^$a", Unanchored({{Char, 'x'}, {Char, '^'}, {Char, '$'}, {Char, 'a'}}));
}

TEST(Listing, AlternationBindsSingleItemsAndNestsRight) {
    // "ab|cd" is "a(b|c)d".
    ExpectListing(u"ab|cd", Unanchored({{Char, 'a'},
                                        {PushPos, 0},
                                        {Call, 7},
                                        {PopPos, 0},
                                        {Jump, 9},
                                        {Char, 'b'},
                                        {Jump, 10},
                                        {Char, 'c'},
                                        {Char, 'd'}}));
    // "a|b|c" is "a|(b|c)": both heads jump to the one end.
    ExpectListing(u"a|b|c", Unanchored({{PushPos, 0},
                                        {Call, 6},
                                        {PopPos, 0},
                                        {Jump, 8},
                                        {Char, 'a'},
                                        {Jump, 15},
                                        {PushPos, 0},
                                        {Call, 12},
                                        {PopPos, 0},
                                        {Jump, 14},
                                        {Char, 'b'},
                                        {Jump, 15},
                                        {Char, 'c'}}));
    // "|" first is a literal.
    ExpectListing(u"|a", Unanchored({{Char, '|'}, {Char, 'a'}}));
}

TEST(Listing, AlternationWithNothingOnItsRight) {
    ExpectListing(u"ab|", Unanchored({{Char, 'a'}}));
    ExpectListing(u"(b|)c", Unanchored({{Call, 4}, {Backtrack, 0}, {Nop, 0}, {Char, 'c'}}));
    // Only the last "X|" is dropped: "a|b|" keeps "a|" with an empty right-hand side.
    ExpectListing(u"a|b|",
                  Unanchored({{PushPos, 0}, {Call, 6}, {PopPos, 0}, {Jump, 8}, {Char, 'a'}, {Jump, 8}}));
    // The dropped item's group is given back: {b} becomes group 0.
    ExpectListing(u"({a}|){b}",
                  Unanchored({{Call, 4},
                              {Backtrack, 0},
                              {Nop, 0},
                              {SaveGroup, 0},
                              {GroupStart, 0},
                              {Call, 10},
                              {RestoreGroup, 0},
                              {Backtrack, 0},
                              {Char, 'b'},
                              {GroupEnd, 0}}),
                  1);
}

TEST(Listing, GreedyLoops) {
    ExpectListing(u"a*",
                  Unanchored({{PushSlot, 0},
                              {SavePos, 0},
                              {PushPos, 0},
                              {Call, 9},
                              {PopPos, 0},
                              {PopSlot, 0},
                              {Jump, 13},
                              {Char, 'a'},
                              {FailIfNoProgress, 0},
                              {SavePos, 0},
                              {Jump, 2}}),
                  0, 1);
    ExpectListing(u"a?",
                  Unanchored({{PushSlot, 0},
                              {SavePos, 0},
                              {PushPos, 0},
                              {Call, 9},
                              {PopPos, 0},
                              {PopSlot, 0},
                              {Jump, 12},
                              {Char, 'a'},
                              {FailIfNoProgress, 0},
                              {SavePos, 0}}),
                  0, 1);
    ExpectListing(u"a+",
                  Unanchored({{Char, 'a'},
                              {PushSlot, 0},
                              {SavePos, 0},
                              {PushPos, 0},
                              {Call, 10},
                              {PopPos, 0},
                              {PopSlot, 0},
                              {Jump, 14},
                              {Char, 'a'},
                              {FailIfNoProgress, 0},
                              {SavePos, 0},
                              {Jump, 3}}),
                  0, 1);
    // Only one quantifier is read: the second "*" is a literal.
    const Compiled twice = Compile(u"a**");
    ASSERT_EQ(twice.error, ParseOk);
    EXPECT_EQ(twice.program[twice.program.size() - 2], (Instruction{Char, '*'}));
}

TEST(Listing, LazyLoops) {
    ExpectListing(u"a*?b", Unanchored({{Call, 5}, {Char, 'a'}, {Jump, 2}, {Char, 'b'}}));
    ExpectListing(u"a+?", Unanchored({{Char, 'a'}, {Call, 6}, {Char, 'a'}, {Jump, 3}}));
    ExpectListing(u"a??b", Unanchored({{Call, 4}, {Char, 'a'}, {Char, 'b'}}));
}

TEST(Listing, SecondCopyOfPlusTakesNewSlotsButKeepsGroupNumbers) {
    // First copy (group 0, slot 0 for "a*"), the loop (slot 1), second copy (group 0, slot 2).
    ExpectListing(u"{a*b}+",
                  Unanchored({{SaveGroup, 0},
                              {GroupStart, 0},
                              {Call, 7},
                              {RestoreGroup, 0},
                              {Backtrack, 0},
                              {PushSlot, 0},
                              {SavePos, 0},
                              {PushPos, 0},
                              {Call, 14},
                              {PopPos, 0},
                              {PopSlot, 0},
                              {Jump, 18},
                              {Char, 'a'},
                              {FailIfNoProgress, 0},
                              {SavePos, 0},
                              {Jump, 7},
                              {Char, 'b'},
                              {GroupEnd, 0},
                              {PushSlot, 1},
                              {SavePos, 1},
                              {PushPos, 0},
                              {Call, 27},
                              {PopPos, 0},
                              {PopSlot, 1},
                              {Jump, 48},
                              {SaveGroup, 0},
                              {GroupStart, 0},
                              {Call, 32},
                              {RestoreGroup, 0},
                              {Backtrack, 0},
                              {PushSlot, 2},
                              {SavePos, 2},
                              {PushPos, 0},
                              {Call, 39},
                              {PopPos, 0},
                              {PopSlot, 2},
                              {Jump, 43},
                              {Char, 'a'},
                              {FailIfNoProgress, 2},
                              {SavePos, 2},
                              {Jump, 32},
                              {Char, 'b'},
                              {GroupEnd, 0},
                              {FailIfNoProgress, 1},
                              {SavePos, 1},
                              {Jump, 20}}),
                  1, 3);
}

TEST(Listing, GroupsAndParentheses) {
    ExpectListing(u"{ab}",
                  Unanchored({{SaveGroup, 0},
                              {GroupStart, 0},
                              {Call, 7},
                              {RestoreGroup, 0},
                              {Backtrack, 0},
                              {Char, 'a'},
                              {Char, 'b'},
                              {GroupEnd, 0}}),
                  1);
    ExpectListing(u"{}",
                  Unanchored({{SaveGroup, 0},
                              {GroupStart, 0},
                              {Call, 7},
                              {RestoreGroup, 0},
                              {Backtrack, 0},
                              {Nop, 0},
                              {GroupEnd, 0}}),
                  1);
    ExpectListing(u"(ab)", Unanchored({{Call, 4}, {Backtrack, 0}, {Char, 'a'}, {Char, 'b'}}));
    ExpectListing(u"()", Unanchored({{Call, 4}, {Backtrack, 0}, {Nop, 0}}));
    // An unmatched closer ends the pattern.
    ExpectListing(u"abc)def", Unanchored({{Char, 'a'}, {Char, 'b'}, {Char, 'c'}}));
}

TEST(Listing, NegationTakesTwoSlots) {
    ExpectListing(u"!ab",
                  Unanchored({{SavePos, 0},
                              {SaveDepth, 1},
                              {Call, 8},
                              {LoadPos, 0},
                              {LoadDepth, 1},
                              {Jump, 12},
                              {Char, 'a'},
                              {LoadPos, 0},
                              {LoadDepth, 1},
                              {Backtrack, 0},
                              {Char, 'b'}}),
                  0, 2);
}

TEST(Listing, SetsKeepRangesInWrittenOrder) {
    ExpectListing(u"[^-z-\uffffa\\]\\t]", Unanchored({{NotInSet, 13},
                                                      {Nop, '-'},
                                                      {Nop, '-'},
                                                      {Nop, 'z'},
                                                      {Nop, 0xffff},
                                                      {Nop, 'a'},
                                                      {Nop, 'a'},
                                                      {Nop, ']'},
                                                      {Nop, ']'},
                                                      {Nop, '\t'},
                                                      {Nop, '\t'}}));
    // A "-" first or right after a range is a member.
    ExpectListing(u"[-a][a-c-e]", Unanchored({{InSet, 7},
                                              {Nop, '-'},
                                              {Nop, '-'},
                                              {Nop, 'a'},
                                              {Nop, 'a'},
                                              {InSet, 14},
                                              {Nop, 'a'},
                                              {Nop, 'c'},
                                              {Nop, '-'},
                                              {Nop, '-'},
                                              {Nop, 'e'},
                                              {Nop, 'e'}}));
}

TEST(Listing, AbbreviationsCompileTheirExpansion) {
    ExpectListing(u"\\d", Unanchored({{Call, 4}, {Backtrack, 0}, {InSet, 7}, {Nop, '0'}, {Nop, '9'}}));
    // The quantifier applies to the whole expansion.
    ExpectListing(u"\\d+", Unanchored({{Call, 4},  {Backtrack, 0},        {InSet, 7},   {Nop, '0'},
                                       {Nop, '9'}, {PushSlot, 0},         {SavePos, 0}, {PushPos, 0},
                                       {Call, 14}, {PopPos, 0},           {PopSlot, 0}, {Jump, 22},
                                       {Call, 16}, {Backtrack, 0},        {InSet, 19},  {Nop, '0'},
                                       {Nop, '9'}, {FailIfNoProgress, 0}, {SavePos, 0}, {Jump, 7}}),
                  0, 1);
    // "\n": a lone CR first, then an optional CR and a LF.
    ExpectListing(u"\\n", Unanchored({{Call, 4},    {Backtrack, 0}, {PushPos, 0},          {Call, 8},
                                      {PopPos, 0},  {Jump, 10},     {Char, '\r'},          {Jump, 23},
                                      {Call, 12},   {Backtrack, 0}, {PushSlot, 0},         {SavePos, 0},
                                      {PushPos, 0}, {Call, 19},     {PopPos, 0},           {PopSlot, 0},
                                      {Jump, 22},   {Char, '\r'},   {FailIfNoProgress, 0}, {SavePos, 0},
                                      {Char, '\n'}}),
                  0, 1);
    // Letters outside the table, and "\t" outside a set, are literals.
    ExpectListing(u"\\t\\x\\.", Unanchored({{Char, 't'}, {Char, 'x'}, {Char, '.'}}));
}

TEST(Listing, BackReferences) {
    ExpectListing(u"{a}\\0",
                  Unanchored({{SaveGroup, 0},
                              {GroupStart, 0},
                              {Call, 7},
                              {RestoreGroup, 0},
                              {Backtrack, 0},
                              {Char, 'a'},
                              {GroupEnd, 0},
                              {BackRef, 0}}),
                  1);
    // Groups are numbered by their opening braces.
    const Compiled nested = Compile(u"{a}{b{c}}\\2");
    ASSERT_EQ(nested.error, ParseOk);
    EXPECT_EQ(nested.groups, 3u);
    EXPECT_EQ(nested.program[nested.program.size() - 2], (Instruction{BackRef, 2}));
}

} // namespace
} // namespace tessaly
