// Parse results: error codes, the may-be-empty rule, the lone trailing "\", and hostile input
// (null, unterminated, deeply nested, long, explosive) that must end in a code, never a crash.
#include "PatternTestSupport.h"
#include "pattern/PatternMatcher.h"

#include <gtest/gtest.h>
#include <string>

namespace tessaly {
namespace {

ParseError ParseOf(const std::u16string& pattern) {
    PatternMatcher matcher;
    return matcher.Parse(pattern.c_str());
}

struct ErrorCase {
    const char16_t* pattern;
    ParseError expected;
};

void ExpectErrors(std::initializer_list<ErrorCase> cases) {
    for (const ErrorCase& c : cases) {
        PatternMatcher matcher;
        EXPECT_EQ(matcher.Parse(c.pattern), c.expected)
            << std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern));
        EXPECT_EQ(matcher.LastError(), c.expected);
    }
}

TEST(Parse, NullPatternIsInvalidInput) {
    PatternMatcher matcher;
    ASSERT_EQ(matcher.Parse(u"{a}b*"), ParseOk);
    EXPECT_EQ(matcher.Parse(nullptr), ParseInvalidInput);
    EXPECT_EQ(matcher.LastError(), ParseInvalidInput);
    // The earlier program is gone, and Match refuses to run without one.
    EXPECT_TRUE(matcher.Program().empty());
    EXPECT_EQ(matcher.GroupCount(), 0u);
    MatchContext context;
    EXPECT_FALSE(matcher.Match(u"ab", &context));
    // A later good pattern starts afresh.
    ASSERT_EQ(matcher.Parse(u"b"), ParseOk);
    EXPECT_EQ(matcher.LastError(), ParseOk);
    EXPECT_TRUE(matcher.Match(u"ab", &context));
}

TEST(Parse, UnclosedBrackets) {
    ExpectErrors({{u"{a", ParseBraceExpected},
                  {u"{a)", ParseBraceExpected},
                  {u"{a]", ParseBraceExpected},
                  {u"x{", ParseBraceExpected},
                  {u"(a", ParseParenExpected},
                  {u"(a}", ParseParenExpected},
                  {u"({a)", ParseBraceExpected},
                  {u"[a", ParseBracketExpected},
                  {u"[^", ParseBracketExpected},
                  {u"[a-]", ParseBracketExpected},
                  {u"[a-", ParseBracketExpected}});
}

TEST(Parse, Sets) {
    ExpectErrors({{u"[]", ParseEmptySet},
                  {u"[^]", ParseEmptySet},
                  {u"[z-a]", ParseInvalidRange},
                  {u"[\uffff-a]", ParseInvalidRange},
                  {u"[a-\uffff]", ParseOk},
                  {u"[-a]", ParseOk},
                  {u"[a-c-e]", ParseOk},
                  {u"[\\]]", ParseOk},
                  {u"[a-\\]", ParseInvalidRange}, // the upper bound is taken literally: "\" < "a"
                  {u"[]a]", ParseEmptySet}});
}

TEST(Parse, BackReferenceNeedsAnOpenedGroup) {
    ExpectErrors({{u"\\0", ParseInvalidGroup},
                  {u"{a}\\1", ParseInvalidGroup},
                  {u"{a}\\0", ParseOk},
                  {u"{a\\0}", ParseOk},
                  {u"{a}{b}\\01", ParseOk},
                  {u"{a}\\99999999999999999999999", ParseInvalidGroup},
                  // A dropped "X|" gives its group back.
                  {u"({a}|)\\0", ParseInvalidGroup},
                  {u"({a}|b)\\0", ParseOk}});
}

TEST(Parse, RepeatOfAnItemThatMayBeEmpty) {
    ExpectErrors({{u"(a?)*", ParseEmptyRepeat},
                  {u"(a?)+", ParseEmptyRepeat},
                  {u"(a?)*?", ParseEmptyRepeat},
                  {u"(a?)+?", ParseEmptyRepeat},
                  {u"(a?)?", ParseOk},
                  {u"(a?)??", ParseOk},
                  {u"(a+)*", ParseOk},
                  {u"(a*b)*", ParseOk},
                  {u"(x?\\.)*", ParseOk},
                  {u"(a|b?)*", ParseEmptyRepeat},
                  {u"(b?|a)*", ParseEmptyRepeat},
                  {u"{a*?}+", ParseEmptyRepeat},
                  {u"(a+?)*", ParseEmptyRepeat},
                  {u"\\w*", ParseOk},
                  {u"\\q*", ParseOk},
                  // An empty "()" reports nothing: the flag it started with stays.
                  {u"()*", ParseOk},
                  {u"(()a?)*", ParseOk},
                  {u"(a?())*", ParseEmptyRepeat},
                  // "!" reports what its item reports.
                  {u"!a*", ParseOk},
                  {u"(!a?)*", ParseEmptyRepeat}});
}

TEST(Parse, LoneTrailingBackslash) {
    // Outside a set it ends the pattern; inside one the set is unclosed.
    EXPECT_EQ(test::MatchSummary(u"ab\\", u"xab"), "1-3");
    ExpectErrors({{u"\\", ParseOk},
                  {u"{a\\", ParseBraceExpected},
                  {u"[a\\", ParseBracketExpected},
                  {u"[\\", ParseBracketExpected},
                  {u"a|\\", ParseOk},
                  {u"!\\", ParseOk}});
}

TEST(Parse, HostileInputEndsInACode) {
    // Deep nesting is bounded (no recursion can exhaust the stack); up to the bound it compiles.
    const int deep = 1000;
    EXPECT_EQ(ParseOf(std::u16string(deep, u'(') + u"a" + std::u16string(deep, u')')), ParseOk);
    EXPECT_EQ(ParseOf(std::u16string(deep + 1, u'(') + u"a" + std::u16string(deep + 1, u')')),
              ParseOutOfMemory);
    EXPECT_EQ(ParseOf(std::u16string(100000, u'{')), ParseOutOfMemory);
    EXPECT_EQ(ParseOf(std::u16string(100000, u'!') + u"a"), ParseOutOfMemory);
    EXPECT_EQ(ParseOf(std::u16string(100000, u'[')), ParseBracketExpected);
    // Each "+" doubles its item: nested ones are refused before memory runs out.
    std::u16string explosive = u"a";
    for (int i = 0; i < 30; ++i) {
        explosive = u"(" + explosive + u")+";
    }
    EXPECT_EQ(ParseOf(explosive), ParseOutOfMemory);
    // Long flat patterns and long chains of "|" compile (no recursion per "|").
    std::u16string chain;
    for (int i = 0; i < 100000; ++i) {
        chain += u"a|";
    }
    EXPECT_EQ(test::MatchSummary((chain + u"b").c_str(), u"xb"), "1-2");
    EXPECT_EQ(test::MatchSummary((std::u16string(200000, u'x') + u"y").c_str(), u"xxy"), "none");
}

TEST(Parse, ErrorLeavesNoProgram) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.Parse(u"{a}b[c"), ParseBracketExpected);
    EXPECT_TRUE(matcher.Program().empty());
    MatchContext context;
    EXPECT_FALSE(matcher.Match(u"abc", &context));
    EXPECT_FALSE(PatternMatcher().Match(u"", &context)); // never compiled
}

} // namespace
} // namespace tessaly
