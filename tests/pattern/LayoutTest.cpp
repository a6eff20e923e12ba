// The compiled program as the interpreter reads it: the worked example's listing, and each
// construct's parts where the shared layout says they stand.
#include "pattern/PatternMatcher.h"
#include "pattern/ProgramLayout.h"

#include <gtest/gtest.h>
#include <vector>

namespace tessaly {
namespace {

using enum Instruction::Kind;
namespace layout = pattern_detail::layout;

std::vector<Instruction> Compile(const char16_t* pattern) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.Parse(pattern), ParseOk);
    return matcher.Program();
}

TEST(Layout, WorkedExampleGroupOfAlternationInGreedyLoop) {
    const std::vector<Instruction> expected = {
        {Call, 2},         {NextStart, 0}, {PushSlot, 0}, {SavePos, 0},   {PushPos, 0},          {Call, 9},
        {PopPos, 0},       {PopSlot, 0},   {Jump, 25},    {SaveGroup, 0}, {GroupStart, 0},       {Call, 14},
        {RestoreGroup, 0}, {Backtrack, 0}, {PushPos, 0},  {Call, 18},     {PopPos, 0},           {Jump, 20},
        {Char, 'a'},       {Jump, 21},     {Char, 'b'},   {GroupEnd, 0},  {FailIfNoProgress, 0}, {SavePos, 0},
        {Jump, 2},         {Char, 'c'},    {Accept, 0},
    };
    EXPECT_EQ(Compile(u"{a|b}*c"), expected);
}

// Each construct compiled after an "x" (so that it does not stand at the prologue's end) and
// before a "z": where the layout puts its parts, the program has them.
TEST(Layout, ConstructsHaveTheirPartsWhereTheInterpreterLooks) {
    constexpr std::size_t kAt = layout::Prologue::kPatternEntry + 1; // after the "x"
    auto target = [](const std::vector<Instruction>& p, std::size_t at) {
        return static_cast<std::size_t>(p[at].operand);
    };
    const std::vector<Instruction> prologue = Compile(u"xz");
    EXPECT_EQ(prologue[0], (Instruction{Call, layout::Prologue::kPatternEntry}));
    EXPECT_EQ(prologue[layout::Prologue::kEnd].kind, NextStart);

    for (const char16_t* greedy : {u"xy*z", u"xy?z"}) {
        const std::vector<Instruction> p = Compile(greedy);
        EXPECT_EQ(p[kAt].kind, PushSlot);
        EXPECT_EQ(p[kAt + layout::Greedy::kCall],
                  (Instruction{Call, static_cast<int>(kAt + layout::Greedy::kBody)}));
        EXPECT_EQ(p[kAt + layout::Greedy::kBody], (Instruction{Char, 'y'}));
        EXPECT_EQ(p[kAt + layout::Greedy::kExit].kind, Jump);
        EXPECT_EQ(p[layout::GreedyExit(p.data(), kAt)], (Instruction{Char, 'z'}));
    }

    const std::vector<Instruction> group = Compile(u"x{y}z");
    EXPECT_EQ(group[kAt].kind, SaveGroup);
    EXPECT_EQ(group[kAt + layout::Group::kCall].kind, Call);
    EXPECT_EQ(target(group, kAt + layout::Group::kCall), kAt + layout::Group::kContent);
    EXPECT_EQ(group[kAt + layout::Group::kRestore].kind, RestoreGroup);
    EXPECT_EQ(group[kAt + layout::Group::kContent], (Instruction{Char, 'y'}));

    const std::vector<Instruction> paren = Compile(u"x(y)z");
    EXPECT_EQ(paren[kAt], (Instruction{Call, static_cast<int>(kAt + layout::Paren::kContent)}));
    EXPECT_EQ(paren[kAt + layout::Paren::kBacktrack].kind, Backtrack);
    EXPECT_EQ(paren[kAt + layout::Paren::kContent], (Instruction{Char, 'y'}));

    const std::vector<Instruction> negation = Compile(u"x!yz");
    EXPECT_EQ(negation[kAt + layout::Negation::kItem], (Instruction{Char, 'y'}));
    EXPECT_EQ(negation[kAt + layout::Negation::kExit].kind, Jump);
    EXPECT_EQ(negation[target(negation, kAt + layout::Negation::kExit)], (Instruction{Char, 'z'}));

    const std::vector<Instruction> choice = Compile(u"xy|wz");
    EXPECT_EQ(choice[kAt].kind, PushPos);
    EXPECT_EQ(choice[kAt + layout::Alternative::kItem], (Instruction{Char, 'y'}));
    EXPECT_EQ(choice[target(choice, kAt + layout::Alternative::kRight)], (Instruction{Char, 'w'}));

    const std::vector<Instruction> lazy = Compile(u"xy*?z");
    EXPECT_EQ(lazy[kAt].kind, Call);
    EXPECT_EQ(lazy[kAt + layout::Lazy::kBody], (Instruction{Char, 'y'}));
    EXPECT_EQ(lazy[target(lazy, kAt)], (Instruction{Char, 'z'}));
}

} // namespace
} // namespace tessaly
