// Match results: positions and groups in backtracking order, construct by construct, the
// decisions on lazy loops that consume nothing and self-references, and the stack's growth and cap.
#include "PatternTestSupport.h"
#include "pattern/PatternMatcher.h"

#include <chrono>
#include <gtest/gtest.h>
#include <stop_token>
#include <string>
#include <thread>

namespace tessaly {
namespace {

using test::MatchSummary;

TEST(Match, AttemptsAndAnchors) {
    EXPECT_EQ(MatchSummary(u"abc", u"xabcx"), "1-4");
    EXPECT_EQ(MatchSummary(u"b", u"ab"), "1-2");
    EXPECT_EQ(MatchSummary(u"^b", u"ab"), "none");
    EXPECT_EQ(MatchSummary(u"^a", u"ab"), "0-1");
    // "$" consumes the terminator, so the end is one past the last unit.
    EXPECT_EQ(MatchSummary(u"c$", u"abc"), "2-4");
    EXPECT_EQ(MatchSummary(u"b$", u"abc"), "none");
    // The terminator is a start position only for the empty subject.
    EXPECT_EQ(MatchSummary(u"$", u"abc"), "none");
    EXPECT_EQ(MatchSummary(u"$", u""), "0-1");
    EXPECT_EQ(MatchSummary(u"a*", u""), "0-0");
    EXPECT_EQ(MatchSummary(u"", u"abc"), "0-0");
    EXPECT_EQ(MatchSummary(u"a", u""), "none");
    EXPECT_EQ(MatchSummary(u"a*$", u"baa"), "1-4");
    // Exact code-unit comparison, unsigned in sets.
    EXPECT_EQ(MatchSummary(u"A", u"a"), "none");
    EXPECT_EQ(MatchSummary(u"[\u00e0-\uffff]+", u"a\u00e9\uffff\U0001F600"),
              "1-5"); // surrogates are units too
    EXPECT_EQ(MatchSummary(u"[^a-c]", u"abc"), "none");
    EXPECT_EQ(MatchSummary(u"[^a-c]", u"abcd"), "3-4");
    EXPECT_EQ(MatchSummary(u".", u""), "none");
    EXPECT_EQ(MatchSummary(u"a.", u"a"), "none");
    // A run of literals and "."s read eight units at once stops at the terminator all the same.
    EXPECT_EQ(MatchSummary(u"z*abcdefg.", u"abcdefg"), "none");
    EXPECT_EQ(MatchSummary(u"z*abcdefg.", u"abcdefgh"), "0-8");
}

TEST(Match, LiteralsWhereOtherDialectsHaveOperators) {
    EXPECT_EQ(MatchSummary(u"a**", u"aa*"), "0-3");
    EXPECT_EQ(MatchSummary(u"a**", u"aa"), "none");
    EXPECT_EQ(MatchSummary(u"|a", u"x|a"), "1-3");
    EXPECT_EQ(MatchSummary(u"x^", u"x^"), "0-2");
    EXPECT_EQ(MatchSummary(u"a$b", u"a$b"), "0-3");
    EXPECT_EQ(MatchSummary(u"\\?\\.\\\\\\{", u"a?.\\{"), "1-5");
    EXPECT_EQ(MatchSummary(u"abc)def", u"abc"), "0-3");
    EXPECT_EQ(MatchSummary(u"ab|", u"ab"), "0-1");
    EXPECT_EQ(MatchSummary(u"\\t\\x\\.", u"tx."), "0-3");
}

TEST(Match, AlternationChoosesBetweenSingleItemsLeftFirst) {
    EXPECT_EQ(MatchSummary(u"ab|cd", u"abd"), "0-3");
    EXPECT_EQ(MatchSummary(u"ab|cd", u"acd"), "0-3");
    EXPECT_EQ(MatchSummary(u"ab|cd", u"ab"), "none");
    EXPECT_EQ(MatchSummary(u"ab|cd", u"cd"), "none");
    // The first alternative that leads to a match wins, not the longest.
    EXPECT_EQ(MatchSummary(u"{(ab)|(abc)}", u"abcd"), "0-2 (0-2)");
    EXPECT_EQ(MatchSummary(u"{(ab)|(abc)}d", u"abcd"), "0-4 (0-3)");
    EXPECT_EQ(MatchSummary(u"{a}|b", u"b"), "0-1 -");
    EXPECT_EQ(MatchSummary(u"{ab}|{cd}", u"xcd"), "1-3 - (1-3)");
    EXPECT_EQ(MatchSummary(u"a|b|c", u"c"), "0-1");
    EXPECT_EQ(MatchSummary(u"a||b", u"|b"), "0-2");
    EXPECT_EQ(MatchSummary(u"a*|b", u"b"), "0-0");
    EXPECT_EQ(MatchSummary(u"(b|)c", u"bc"), "1-2");
    // Only the last "X|" is dropped: "a|b|" is "a" or nothing, and the dropped item's group is
    // given back, so "{b}" is group 0.
    EXPECT_EQ(MatchSummary(u"a|b|", u"b"), "0-0");
    EXPECT_EQ(MatchSummary(u"a|b|", u"a"), "0-1");
    EXPECT_EQ(MatchSummary(u"({a}|){b}", u"ab"), "1-2 (1-2)");
}

TEST(Match, GreedyLoopsGiveBackLatestFirst) {
    EXPECT_EQ(MatchSummary(u"{a|b}*c", u"xbac"), "1-4 (2-3)");
    EXPECT_EQ(MatchSummary(u"{a*}", u"aaa"), "0-3 (0-3)");
    EXPECT_EQ(MatchSummary(u"{a}*", u"aaa"), "0-3 (2-3)");
    EXPECT_EQ(MatchSummary(u"{a*}{a*}", u"aaa"), "0-3 (0-3) (3-3)");
    EXPECT_EQ(MatchSummary(u"{.*}b", u"abab"), "0-4 (0-3)");
    EXPECT_EQ(MatchSummary(u"{.+}{.+}", u"abc"), "0-3 (0-2) (2-3)");
    EXPECT_EQ(MatchSummary(u"{a?}ab", u"ab"), "0-2 (0-0)");
    EXPECT_EQ(MatchSummary(u"{[ab]+}b", u"abab"), "0-4 (0-3)");
    // Given back to the latest unit that lets the rest pass, not only the latest that begins it.
    EXPECT_EQ(MatchSummary(u"{.+}b{.}", u"abbab"), "0-4 (0-2) (3-4)");
    EXPECT_EQ(MatchSummary(u"{a+}a", u"aaa"), "0-3 (0-2)");
    // An optional group is tried present before absent, and so is an optional unit inside it.
    EXPECT_EQ(MatchSummary(u"x({a}b?)?{b?}", u"xab"), "0-3 (1-2) (3-3)");
    EXPECT_EQ(MatchSummary(u"x({a}b?)?{b}", u"xab"), "0-3 (1-2) (2-3)");
    EXPECT_EQ(MatchSummary(u"x({a}b?)?{a}", u"xa"), "0-2 - (1-2)");
    // An optional group's content that ends where it began fails, and each group nested in another
    // is checked against its own entry.
    EXPECT_EQ(MatchSummary(u"(x(a)?)?y", u"xy"), "0-2");
    // Backtracked into, the content is checked against where it ended before, not where it began:
    // ending at its entry now passes.
    EXPECT_EQ(MatchSummary(u"({c?})?cx", u"cx"), "0-2 (0-0)");
    // A loop whose item matches empty stops iterating instead of spinning.
    EXPECT_EQ(MatchSummary(u"(()a)*", u"aab"), "0-2");
    EXPECT_EQ(MatchSummary(u"{!b}*a", u"a"), "0-1 -");
    // The second copy of "X+" has loop slots of its own and the same group.
    EXPECT_EQ(MatchSummary(u"{a*b}+", u"abaab"), "0-5 (2-5)");
    EXPECT_EQ(MatchSummary(u"{a*b}+c", u"abaabab"), "none");
}

TEST(Match, LazyLoopsTryTheRestFirst) {
    EXPECT_EQ(MatchSummary(u"{a*?}", u"aaa"), "0-0 (0-0)");
    EXPECT_EQ(MatchSummary(u"{a*?}b", u"aab"), "0-3 (0-2)");
    EXPECT_EQ(MatchSummary(u"{a+?}", u"aaa"), "0-1 (0-1)");
    EXPECT_EQ(MatchSummary(u"(ab)??", u"ab"), "0-0");
    EXPECT_EQ(MatchSummary(u"{ab}??b", u"abb"), "0-3 (0-2)");
    EXPECT_EQ(MatchSummary(u"{ab}??b", u"b"), "0-1 -");
    EXPECT_EQ(MatchSummary(u"<title>{.*?}/title>", u"<title>a</title>b</title>"), "0-16 (7-9)");
    // A failure restores no position: the loop goes on where the failed rest stopped.
    EXPECT_EQ(MatchSummary(u"a*?bc", u"ababc"), "0-5");
    EXPECT_EQ(MatchSummary(u"{.*?}bc", u"abcbc"), "0-3 (0-1)");
    // Also where the rest failed after a loop had given back all it took: "ab" passed at its start.
    EXPECT_EQ(MatchSummary(u"{.*?}[xa]*abc", u"ababc"), "1-5 (1-2)");
}

TEST(Match, LazyIterationThatConsumesNothingFails) {
    // A negation never consumes: the loop may not spin on it, and must not lose the later start.
    EXPECT_EQ(MatchSummary(u"(!b)*?x", u"ax"), "1-2");
    // The first copy of "X+?" is no lazy iteration: it may consume nothing.
    EXPECT_EQ(MatchSummary(u"(!b)+?x", u"ax"), "1-2");
    EXPECT_EQ(MatchSummary(u"()*?x", u"ax"), "1-2");
    EXPECT_EQ(MatchSummary(u"{}*?x", u"aax"), "2-3 -");
    // Items that may match empty but here consume still iterate.
    EXPECT_EQ(MatchSummary(u"{a|!b}*?c", u"aac"), "0-3 (1-2)");
    EXPECT_EQ(MatchSummary(u"{a}{\\0}*?c", u"aaac"), "0-4 (0-1) (2-3)");
}

TEST(Match, GroupsRestoredOnBacktracking) {
    // The second iteration sets the group, then is given back with its bounds.
    EXPECT_EQ(MatchSummary(u"({a}b)*ac", u"abac"), "0-4 (0-1)");
    EXPECT_EQ(MatchSummary(u"({a}b)?ac", u"ac"), "0-2 -");
    // The first alternative's group goes back to absent when the second is tried.
    EXPECT_EQ(MatchSummary(u"({a}b)|({a}c)", u"ac"), "0-2 - (0-1)");
    EXPECT_EQ(MatchSummary(u"{a}{b}{c}", u"abc"), "0-3 (0-1) (1-2) (2-3)");
    EXPECT_EQ(MatchSummary(u"{a}{b{c}}", u"abc"), "0-3 (0-1) (1-3) (2-3)");
    // Numbered by their opening braces.
    EXPECT_EQ(MatchSummary(u"{a}{b{c}}\\2", u"abcc"), "0-4 (0-1) (1-3) (2-3)");
}

TEST(Match, NegationConsumesNothing) {
    EXPECT_EQ(MatchSummary(u"!a", u"ba"), "0-0");
    EXPECT_EQ(MatchSummary(u"!a", u"ab"), "1-1");
    EXPECT_EQ(MatchSummary(u"!a", u"aa"), "none"); // the terminator is no start position here
    EXPECT_EQ(MatchSummary(u"!ab", u"cb"), "1-2");
    EXPECT_EQ(MatchSummary(u"!(ab)..", u"abac"), "1-3");
    // Bounds a matched negation recorded stay: the failed attempt at 0 left group 0 at 0-1.
    EXPECT_EQ(MatchSummary(u"!{a}.", u"ab"), "1-2 (0-1)");
    // "!" with nothing after it negates the empty match and never succeeds.
    EXPECT_EQ(MatchSummary(u"a!", u"ab"), "none");
}

TEST(Match, BackReferences) {
    EXPECT_EQ(MatchSummary(u"{a+}\\0", u"aaaa"), "0-4 (0-2)");
    EXPECT_EQ(MatchSummary(u"{a+}\\0", u"aaa"), "0-2 (0-1)");
    EXPECT_EQ(MatchSummary(u"{.}\\0", u"abccd"), "2-4 (2-3)");
    EXPECT_EQ(MatchSummary(u"{ab}x\\0", u"abxa"), "none"); // the subject ends sooner
    // A group that took no part compares as empty.
    EXPECT_EQ(MatchSummary(u"({a}|b)\\0c", u"bc"), "0-2 -");
    // A reference inside its own group has no end to compare with: it fails.
    EXPECT_EQ(MatchSummary(u"{a\\0}", u"aa"), "none");
    EXPECT_EQ(MatchSummary(u"{a\\0}|a", u"aa"), "0-1 -");
    EXPECT_EQ(MatchSummary(u"({a\\0?}b)+", u"abaab"), "0-2 (0-1)");
}

TEST(Match, AbbreviationsMatchTheirExpansion) {
    EXPECT_EQ(MatchSummary(u"\\d+", u"ab1234c"), "2-6");
    EXPECT_EQ(MatchSummary(u"\\q", u"say 'x' or \"y\""), "4-7");
    EXPECT_EQ(MatchSummary(u"\\q", u"say \"y\" or 'x'"), "4-7");
    EXPECT_EQ(MatchSummary(u"\\t", u"\tt"), "1-2");
    EXPECT_EQ(MatchSummary(u"[\\t]", u"t\t"), "1-2");
    EXPECT_EQ(MatchSummary(u"a\\nb", u"a\r\nb"), "0-4");
    EXPECT_EQ(MatchSummary(u"a\\nb", u"a\nb"), "0-3");
    EXPECT_EQ(MatchSummary(u"{\\n}", u"\r\n"), "0-1 (0-1)"); // a lone CR is tried first
    // Ranges and members in the order written; "-" first or right after a range is a member.
    EXPECT_EQ(MatchSummary(u"[^-z-\uffffa\\]\\t]", u"a]\t-{b"), "5-6");
    EXPECT_EQ(MatchSummary(u"[-a][a-c-e]", u"-d-e"), "2-4");
    EXPECT_EQ(MatchSummary(u"\\w\\b\\z", u"-- abc\t42!"), "3-9");
    EXPECT_EQ(MatchSummary(u"\\h\\h", u"g0fZ"), "1-3");
    EXPECT_EQ(MatchSummary(u"\\a+", u"--x9Y--"), "2-5");
    EXPECT_EQ(MatchSummary(u"\\c\\d", u"1a2"), "1-3");
}

TEST(Match, NoSubjectOrNoContext) {
    PatternMatcher matcher;
    ASSERT_EQ(matcher.Parse(u"a"), ParseOk);
    MatchContext context;
    EXPECT_FALSE(matcher.Match(nullptr, &context));
    EXPECT_FALSE(matcher.Match(u"a", nullptr));
}

TEST(Match, ContextIsResizedAndClearedForEachMatch) {
    MatchContext context;
    PatternMatcher two;
    ASSERT_EQ(two.Parse(u"{a}|{b}"), ParseOk);
    ASSERT_TRUE(two.Match(u"a", &context));
    EXPECT_EQ(test::Summarize(context), "0-1 (0-1) -");
    ASSERT_TRUE(two.Match(u"b", &context));
    EXPECT_EQ(test::Summarize(context), "0-1 - (0-1)");
    PatternMatcher none;
    ASSERT_EQ(none.Parse(u"x"), ParseOk);
    ASSERT_TRUE(none.Match(u"x", &context));
    EXPECT_EQ(context.GroupCount(), 0u);
}

TEST(Match, CopiedMatcherKeepsItsOwnPattern) {
    PatternMatcher original;
    ASSERT_EQ(original.Parse(u"abc"), ParseOk);
    const PatternMatcher copy = original;
    PatternMatcher other;
    ASSERT_EQ(other.Parse(u"xyz"), ParseOk);
    // The original's tables are overwritten where they stand: the copy's must be its own.
    original = other;
    MatchContext context;
    ASSERT_TRUE(copy.Match(u"abc", &context));
    EXPECT_EQ(test::Summarize(context), "0-3");
    EXPECT_FALSE(copy.Match(u"xyz", &context));
    EXPECT_TRUE(original.Match(u"xyz", &context));
}

TEST(Match, DeepStacksAndReusedContexts) {
    // "(a)*" keeps four entries per iteration: 63 of them outgrow the first room of 256 entries,
    // 200 outgrow the grown room again; a short match after a long one in the same context and a
    // long one after a short one give the plain answers.
    PatternMatcher matcher;
    ASSERT_EQ(matcher.Parse(u"{(a)*}b"), ParseOk);
    MatchContext context;
    for (const int length : {62, 63, 1, 200, 3}) {
        ASSERT_TRUE(
            matcher.Match((std::u16string(static_cast<std::size_t>(length), u'a') + u"b").c_str(), &context));
        EXPECT_EQ(test::Summarize(context),
                  "0-" + std::to_string(length + 1) + " (0-" + std::to_string(length) + ")");
    }
}

TEST(Match, StackCapEndsTheMatchWithFalse) {
    // "a*" runs its iterations at once, "(a)*" one by one; both end where the plain interpreter's
    // stack would reach 1,048,576 entries (3 and 4 per iteration, plus the prologue's and the
    // failing iteration's).
    PatternMatcher star;
    ASSERT_EQ(star.Parse(u"a*b"), ParseOk);
    MatchContext context;
    EXPECT_TRUE(star.Match((std::u16string(349523, u'a') + u"b").c_str(), &context));
    EXPECT_EQ(context.WholeMatch().end, 349524);
    EXPECT_FALSE(star.Match((std::u16string(349524, u'a') + u"b").c_str(), &context));
    PatternMatcher paren;
    ASSERT_EQ(paren.Parse(u"(a)*b"), ParseOk);
    EXPECT_TRUE(paren.Match((std::u16string(262142, u'a') + u"b").c_str(), &context));
    EXPECT_FALSE(paren.Match((std::u16string(262143, u'a') + u"b").c_str(), &context));
    // The depth counts the same when a compact run lies under other entries: "{{x}}" adds six.
    PatternMatcher under;
    ASSERT_EQ(under.Parse(u"a*{{x}}b"), ParseOk);
    EXPECT_TRUE(under.Match((std::u16string(349522, u'a') + u"xb").c_str(), &context));
    EXPECT_FALSE(under.Match((std::u16string(349523, u'a') + u"xb").c_str(), &context));
    // A runaway loop (its progress check compares with a slot a later iteration left) ends too.
    EXPECT_EQ(MatchSummary(u"(a|!b)*c", u"ad"), "none");
}

TEST(Match, StepLimitAndStopTokenEndALongBacktrack) {
    PatternMatcher matcher;
    ASSERT_EQ(matcher.Parse(u"(.+)+x"), ParseOk);
    // The one "x" stands first, so that the required literal lets the first attempt run.
    const std::u16string hopeless = u"x" + std::u16string(40, u'a');
    // The default limit is on in every context.
    MatchContext context;
    EXPECT_EQ(matcher.Search(hopeless.c_str(), &context),
              MatchOutcome::CutOff(MatchOutcome::Cutoff::StepLimit, MatchContext::kDefaultStepLimit + 1));
    context.SetStepLimit(100000);
    EXPECT_EQ(matcher.Search(hopeless.c_str(), &context),
              MatchOutcome::CutOff(MatchOutcome::Cutoff::StepLimit, 100001));
    // A limit below the first look at the marks is kept to the step too.
    context.SetStepLimit(100);
    EXPECT_EQ(matcher.Search(hopeless.c_str(), &context),
              MatchOutcome::CutOff(MatchOutcome::Cutoff::StepLimit, 101));
    context.SetStepLimit(100000);
    // A match that finishes within the limit is not cut off, and the cut-off does not stick.
    EXPECT_EQ(matcher.Search(u"aaax", &context).GetKind(), MatchOutcome::Kind::Matched);
    EXPECT_EQ(test::Summarize(context), "0-4");
    // Trying everything within the limit is not a cut-off either.
    EXPECT_EQ(matcher.Search(u"aaa", &context).GetKind(), MatchOutcome::Kind::NotMatched);

    // A stop requested before the match begins ends even a match that would succeed at once.
    std::stop_source stopped;
    stopped.request_stop();
    context.SetStopToken(stopped.get_token());
    EXPECT_EQ(matcher.Search(u"aaax", &context),
              MatchOutcome::CutOff(MatchOutcome::Cutoff::StopRequested, 0));

    // Without a limit only the stop ends it; requested from another thread while it runs.
    MatchContext unlimited;
    unlimited.SetStepLimit(0);
    std::stop_source source;
    unlimited.SetStopToken(source.get_token());
    std::thread stopper([&source] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        source.request_stop();
    });
    const MatchOutcome outcome = matcher.Search((u"x" + std::u16string(200, u'a')).c_str(), &unlimited);
    stopper.join();
    EXPECT_TRUE(outcome.IsCutOff());
    EXPECT_EQ(outcome.Reason(), MatchOutcome::Cutoff::StopRequested);
}

} // namespace
} // namespace tessaly
