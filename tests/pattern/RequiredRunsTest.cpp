// The literal runs Parse derives for Match's prefilter, the latest viable start they give, and the
// hostile pages they are there for: such pages must still get the plain interpreter's answer.
#include "pattern/RequiredRuns.h"

#include "PatternTestSupport.h"
#include "pattern/PatternMatcher.h"
#include "pattern/PatternSyntax.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using Runs = std::vector<std::u16string>;

constexpr const char16_t* kExtractionPattern =
    u"<title>{.*?}/title>.+[\\&]{video_id=(.*?)}[\\&](.*?)[\\&]{t=(.*?)}[\\&]";
constexpr std::size_t kPageUnits = 8191;

Runs RunsOf(const char16_t* pattern) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.Parse(pattern), ParseOk);
    return matcher.RequiredRuns();
}

TEST(RequiredRuns, MandatoryLiteralsAcrossGroupsAndEscapes) {
    EXPECT_EQ(RunsOf(u"abc"), (Runs{u"abc"}));
    EXPECT_EQ(RunsOf(u"^abc"), (Runs{u"abc"}));
    EXPECT_EQ(RunsOf(u"a{b(c)}d"), (Runs{u"abcd"}));
    EXPECT_EQ(RunsOf(u"a{}b()c"), (Runs{u"abc"})); // empty content consumes nothing
    EXPECT_EQ(RunsOf(u"\\.\\{x\\t"), (Runs{u".{xt"}));
    EXPECT_EQ(RunsOf(u"[x]y[\\t][^z]w[a-b]v[c-c]"), (Runs{u"xy\t", u"w", u"vc"}));
    EXPECT_EQ(RunsOf(u"a$b"), (Runs{u"a$b"}));
    EXPECT_EQ(RunsOf(u"ab$"), (Runs{u"ab"})); // the end anchor is no unit of the subject
    EXPECT_EQ(RunsOf(kExtractionPattern), (Runs{u"<title>", u"/title>", u"&video_id=", u"&", u"&t=", u"&"}));
}

TEST(RequiredRuns, OptionalRepeatedChosenOrNegatedItemsEndARun) {
    EXPECT_EQ(RunsOf(u"ab|cd"), (Runs{u"a", u"d"})); // "|" joins single items
    EXPECT_EQ(RunsOf(u"x{ab}|{cd}y"), (Runs{u"x", u"y"}));
    EXPECT_EQ(RunsOf(u"ab|"), (Runs{u"a"}));
    EXPECT_EQ(RunsOf(u"ab*c"), (Runs{u"a", u"c"}));
    EXPECT_EQ(RunsOf(u"ab?c"), (Runs{u"a", u"c"}));
    EXPECT_EQ(RunsOf(u"ab??c(de)*?f"), (Runs{u"a", u"c", u"f"}));
    EXPECT_EQ(RunsOf(u"a(bc)+d"), (Runs{u"abc", u"d"})); // the first copy of "+" is mandatory
    EXPECT_EQ(RunsOf(u"a{b}+?c"), (Runs{u"ab", u"c"}));
    EXPECT_EQ(RunsOf(u"x!ab"), (Runs{u"x", u"b"}));
    EXPECT_EQ(RunsOf(u"{a}\\0b.c"), (Runs{u"a", u"b", u"c"}));
    EXPECT_EQ(RunsOf(u"a\\dz\\w\\qy\\n"), (Runs{u"a", u"z", u"y"}));
    EXPECT_EQ(RunsOf(u"(a|b)*"), Runs{});
    EXPECT_EQ(RunsOf(u""), Runs{});
}

TEST(RequiredRuns, FirstRunLeadsOnlyWhenNothingIsReadBeforeIt) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"abc", true},   {u"{a}b(c)", true}, {u"{}ab", true},   {u"(ab)+c", true},
        {u"a*b", false},  {u"a?bc", false},   {u".ab", false},   {u"!ab", false},
        {u"a|bc", false}, {u"[ab]c", false},  {u"{a*}b", false}, {u"$", false},
    };
    for (const auto& [pattern, leads] : cases) {
        pattern_detail::SyntaxTree tree;
        ASSERT_EQ(pattern_detail::ReadPattern(pattern, tree), ParseOk);
        EXPECT_EQ(pattern_detail::RequiredRuns(tree).firstLeads, leads) << test::Narrow(pattern);
    }
}

TEST(RequiredRuns, PlacementsKeepOrderWithoutOverlap) {
    using pattern_detail::EarliestPlacement;
    using pattern_detail::LatestStart;
    for (const bool vector : {false, true}) {
        EXPECT_EQ(EarliestPlacement({u"ab", u"cd"}, u"xxabyyabcdcd", 0, vector), 2);
        EXPECT_EQ(LatestStart(Runs{u"ab", u"cd"}, u"xxabyyabcdcd", vector), 6);
        EXPECT_EQ(EarliestPlacement({u"ab", u"cd"}, u"xxabyyabcdcd", 7, vector), -1); // no "ab" from 7 on
        EXPECT_EQ(EarliestPlacement({u"cd", u"ab"}, u"abcd", 0, vector), -1);         // wrong order
        EXPECT_EQ(LatestStart(Runs{u"cd", u"ab"}, u"abcd", vector), -1);
        EXPECT_EQ(EarliestPlacement({u"aba", u"aba"}, u"ababa", 0, vector), -1); // they would overlap
        EXPECT_EQ(LatestStart(Runs{u"aba", u"aba"}, u"ababa", vector), -1);
        EXPECT_EQ(EarliestPlacement({u"aba", u"aba"}, u"abaaba", 0, vector), 0);
        EXPECT_EQ(LatestStart(Runs{u"aba", u"aba"}, u"abaaba", vector), 0);
        EXPECT_EQ(LatestStart(Runs{u"a", u"a"}, u"aaab", vector), 1);
        EXPECT_EQ(EarliestPlacement({u"a"}, u"", 0, vector), -1);
        // Long enough for whole blocks of eight units, the runs at a block's edges.
        const std::u16string page = u"&video_i&&video_id" + std::u16string(13, u'&') + u"video_id=x&t=&";
        EXPECT_EQ(EarliestPlacement({u"&video_id=", u"&t="}, page, 0, vector), 30);
        EXPECT_EQ(LatestStart(Runs{u"&video_id=", u"&t="}, page, vector), 30);
    }
}

TEST(RequiredRuns, StartsPastTheLastViableOneAreNotMatches) {
    // Starts the bound cuts off must really be hopeless, and the ones it keeps still found.
    EXPECT_EQ(test::MatchSummary(u"a.*?b", u"xaxxbxa"), "1-5");
    EXPECT_EQ(test::MatchSummary(u"{a*}b", u"aab"), "0-3 (0-2)");
    EXPECT_EQ(test::MatchSummary(u"x+?ab|cd", u"xxxacd"), "0-6");
    EXPECT_EQ(test::MatchSummary(u"x+?ab|cd", u"xxxaxbd"), "none"); // the lazy loop resumes at "x"
    EXPECT_EQ(test::MatchSummary(u"^ab", u"xab"), "none");
    EXPECT_EQ(test::MatchSummary(u"{a}\\0a", u"aaaa"), "0-3 (0-1)");
    EXPECT_EQ(test::MatchSummary(u"ab", u""), "none");
}

std::u16string Fill(std::u16string head, const std::u16string& repeat, const std::u16string& tail) {
    while (head.size() + repeat.size() + tail.size() <= kPageUnits) {
        head += repeat;
    }
    return head + tail;
}

std::u16string Repeated(const std::u16string& unit, std::size_t units) {
    std::u16string out;
    while (out.size() + unit.size() <= units) {
        out += unit;
    }
    return out;
}

std::string Extract(const std::u16string& page) {
    return test::MatchSummary(kExtractionPattern, page.c_str());
}

std::string Span(std::size_t start, std::size_t end) {
    return std::to_string(start) + "-" + std::to_string(end);
}

TEST(RequiredRuns, HostilePagesGetThePlainAnswer) {
    const std::u16string titles = Repeated(u"<title>/title>", kPageUnits / 5);
    const std::u16string openings = Repeated(u"<title>", kPageUnits / 2);
    // No "t=" item at all, and one whose closing "&" is missing: no match.
    EXPECT_EQ(Extract(Fill(titles, u"&video_id=a&b", u"")), "none");
    EXPECT_EQ(Extract(Fill(titles, u"&video_id=a&b", u"&t=2")), "none");
    EXPECT_EQ(Extract(Fill(openings + u"/title>x", u"&video_id=1", u"&t=2")), "none");
    EXPECT_EQ(Extract(Fill(u"<title>a/title>x&video_id=1&t=2&", u"&video_id=a", u"")), "none");

    // The same pages made to match, at the very end.
    const std::u16string closed = Fill(titles, u"&video_id=a&b", u"&t=2&");
    const std::size_t lastId = closed.rfind(u"video_id=");
    EXPECT_EQ(Extract(closed), Span(0, closed.size()) + " (7-7) (" + Span(lastId, lastId + 10) + ") (" +
                                   Span(closed.size() - 4, closed.size() - 1) + ")");
    const std::u16string late = Fill(openings + u"/title>x", u"&video_id=1", u"&t=2&");
    // The last "video_id=" item has no item between it and "t=", so the one before it is taken.
    const std::size_t lateId = late.rfind(u"video_id=", late.rfind(u"video_id=") - 1);
    EXPECT_EQ(Extract(late), Span(0, late.size()) + " (" + Span(7, openings.size()) + ") (" +
                                 Span(lateId, lateId + 10) + ") (" + Span(late.size() - 4, late.size() - 1) +
                                 ")");

    // A match near the start followed by a flood of items that almost match.
    EXPECT_EQ(Extract(Fill(u"<title>a/title>x&video_id=1&b&t=2&", u"&video_id=a&b&t", u"")),
              "0-34 (7-8) (17-27) (30-33)");
}

} // namespace
} // namespace tessaly
