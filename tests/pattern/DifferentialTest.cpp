// The matcher against the plain reference interpreter on generated patterns and subjects, and on
// the extraction pattern over generated pages: the matcher's shortcuts must never change a result.
#include "PatternTestSupport.h"
#include "ReferenceInterpreter.h"
#include "pattern/PatternMatcher.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>

namespace tessaly {
namespace {

using test::Narrow;

// Patterns over the letters a, b, c with every construct; lazy loops only over items that cannot
// match empty, back-references only to closed groups (the reference knows neither rule).
class PatternGenerator {
public:
    explicit PatternGenerator(unsigned seed) : m_rng(seed) {}

    std::u16string Pattern() {
        m_opened = 0;
        m_closed.clear();
        std::u16string out = Chance(10) ? u"^" : u"";
        out += Sequence(0);
        if (Chance(10)) {
            out += u"$";
        }
        return out;
    }

    std::u16string Subject() {
        static constexpr char16_t kUnits[] = u"aaabbbcc1-&";
        std::u16string out;
        const int length = Chance(20) ? Below(60) : Below(10);
        for (int i = 0; i < length; ++i) {
            out += kUnits[Below(11)];
        }
        return out;
    }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    std::u16string Sequence(int depth) {
        std::u16string out;
        const int units = 1 + Below(3);
        for (int i = 0; i < units; ++i) {
            out += Unit(depth);
        }
        return out;
    }

    std::u16string Unit(int depth) {
        std::u16string out = Quantified(depth);
        if (Chance(15)) {
            out += u"|" + Unit(depth);
        }
        return out;
    }

    std::u16string Quantified(int depth) {
        static const char16_t* const kQuantifiers[] = {u"*", u"+", u"?", u"*?", u"+?", u"??"};
        if (!Chance(35)) {
            return Item(depth);
        }
        const int q = Below(6);
        const bool lazyLoop = q == 3 || q == 4;
        return (lazyLoop ? Solid() : Item(depth)) + kQuantifiers[q];
    }

    // An item that always consumes.
    std::u16string Solid() {
        switch (Below(4)) {
        case 0:
            return u".";
        case 1:
            return u"[ab]";
        case 2:
            m_closed.push_back(m_opened++);
            return u"{" + Letter() + Letter() + u"}";
        default:
            return Letter();
        }
    }

    static std::u16string Digits(int n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    }

    std::u16string Letter() { return std::u16string(1, static_cast<char16_t>(u'a' + Below(3))); }

    std::u16string Item(int depth) {
        switch (Below(depth < 3 ? 11 : 6)) {
        case 0:
        case 1:
            return Letter();
        case 2:
            return u".";
        case 3:
            return Chance(50) ? u"[a-b]" : u"[^a&]";
        case 4:
            return m_closed.empty() ? u"\\d"
                                    : u"\\" + Digits(m_closed[static_cast<std::size_t>(
                                                  Below(static_cast<int>(m_closed.size())))]);
        case 5:
            return Chance(50) ? u"\\w" : u"&";
        case 6:
        case 7: {
            const int number = m_opened++; // numbered by its "{"
            const std::u16string inner = Sequence(depth + 1);
            m_closed.push_back(number); // only now may a reference name it
            return u"{" + inner + u"}";
        }
        case 8:
            return u"(" + Sequence(depth + 1) + u")";
        case 9:
            return u"!" + Item(depth + 1);
        default:
            return u"(" + Sequence(depth + 1) + u")";
        }
    }

    std::mt19937 m_rng;
    int m_opened = 0;
    std::vector<int> m_closed;
};

std::string Describe(bool matched, const MatchGroup& whole, const std::vector<MatchGroup>& groups) {
    if (!matched) {
        return "none";
    }
    std::string out = std::to_string(whole.start) + "-" + std::to_string(whole.end);
    for (const MatchGroup& g : groups) {
        out += " " + std::to_string(g.start) + "-" + std::to_string(g.end);
    }
    return out;
}

// One context per choice of shortcuts for every comparison: what a match leaves in its context (a
// long one's memories above all) must not change the next, whatever its pattern.
MatchContext& ReusedContext(std::uint32_t shortcuts) {
    static std::map<std::uint32_t, MatchContext> contexts;
    MatchContext& context = contexts[shortcuts];
    context.SetShortcuts(shortcuts);
    return context;
}

// Compares one pattern on one subject, with every shortcut on, all off and each alone; false when
// the reference gave up.
bool Compare(const PatternMatcher& matcher, const std::u16string& pattern, const std::u16string& subject) {
    const test::ReferenceResult expected = test::RunReference(matcher, subject, 200000);
    if (expected.outcome == test::ReferenceResult::GaveUp) {
        return false;
    }
    const std::string want =
        Describe(expected.outcome == test::ReferenceResult::Matched, expected.whole, expected.groups);
    for (const std::uint32_t shortcuts :
         {+MatchContext::kAllShortcuts, 0u, +MatchContext::kRequiredRuns, +MatchContext::kFailureMemo,
          +MatchContext::kLazyScanMemo, +MatchContext::kVectorScans, +MatchContext::kLeadingRun,
          +MatchContext::kLiteralRuns, +MatchContext::kSuffixRuns, +MatchContext::kFollowingTests,
          +MatchContext::kOptionalUnits, +MatchContext::kShortSubjects, +MatchContext::kLoopEntries,
          +MatchContext::kSimplePieces}) {
        MatchContext& context = ReusedContext(shortcuts);
        const bool matched = matcher.Match(subject.c_str(), &context);
        std::vector<MatchGroup> groups;
        for (std::uint32_t n = 0; matched && n < context.GroupCount(); ++n) {
            groups.push_back(context.Group(n));
        }
        EXPECT_EQ(Describe(matched, context.WholeMatch(), groups), want)
            << "pattern " << Narrow(pattern) << " subject " << Narrow(subject) << " shortcuts " << shortcuts;
    }
    return true;
}

TEST(Differential, GeneratedPatternsMatchLikeThePlainInterpreter) {
    PatternGenerator gen(20261207);
    int compared = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::u16string pattern = gen.Pattern();
        PatternMatcher matcher;
        if (matcher.Parse(pattern.c_str()) != ParseOk) {
            continue;
        }
        for (int k = 0; k < 8; ++k) {
            compared += Compare(matcher, pattern, gen.Subject()) ? 1 : 0;
        }
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    EXPECT_GT(compared, 10000);
}

// Every subject over a, b, c up to six units against patterns built from a loop, what stands
// before it and what follows it: a shortcut that goes wrong only where a failure leaves a
// position for an enclosing loop to go on from is found here when random subjects miss it.
TEST(Differential, LoopShapesOnEverySmallSubject) {
    static const char16_t* const kBefore[] = {u"", u"{.*?}", u".*?", u"{a*?}", u"(a|ab)", u"b*"};
    static const char16_t* const kLoop[] = {u"[ac]*", u"a*", u".+",   u"[^b]+?",
                                            u"(ab)*", u"a?", u"{b}*", u"[ab]*?"};
    static const char16_t* const kAfter[] = {u"abc", u"ab", u"b", u"a$", u"c", u"[bc]a", u".b", u"bc?a"};
    std::vector<std::u16string> subjects = {u""};
    for (std::size_t from = 0; subjects[from].size() < 6; ++from) {
        for (const char16_t unit : {u'a', u'b', u'c'}) {
            subjects.push_back(subjects[from] + unit);
        }
    }
    for (const char16_t* before : kBefore) {
        for (const char16_t* loop : kLoop) {
            for (const char16_t* after : kAfter) {
                const std::u16string pattern = std::u16string(before) + loop + after;
                PatternMatcher matcher;
                ASSERT_EQ(matcher.Parse(pattern.c_str()), ParseOk) << Narrow(pattern);
                for (const std::u16string& subject : subjects) {
                    Compare(matcher, pattern, subject);
                }
                if (::testing::Test::HasFailure()) {
                    return;
                }
            }
        }
    }
}

TEST(Differential, ExtractionPatternOnGeneratedPages) {
    static const char16_t* const kPieces[] = {u"<title>", u"/title>", u"</title>", u"&", u"&&", u"video_id=",
                                              u"t=",      u"x",       u"yz",       u"=", u"<",  u"\n"};
    const std::u16string pattern = u"<title>{.*?}/title>.+[\\&]{video_id=(.*?)}[\\&](.*?)[\\&]{t=(.*?)}[\\&]";
    PatternMatcher matcher;
    ASSERT_EQ(matcher.Parse(pattern.c_str()), ParseOk);
    PatternGenerator gen(7);
    int matched = 0;
    for (int i = 0; i < 1500; ++i) {
        // Noise pieces around a skeleton that can match, so that both outcomes occur.
        std::u16string page;
        const int noisy = gen.Chance(25) ? 40 : 4; // long pages make the remembered scans take part
        const char16_t* const skeleton[] = {u"<title>", u"T", u"</title>", u"x",  u"&", u"video_id=", u"v",
                                            u"&",       u"o", u"&",        u"t=", u"w", u"&"};
        for (const char16_t* part : skeleton) {
            if (!gen.Chance(8)) {
                page += part;
            }
            for (int noise = gen.Below(noisy); noise > 0; --noise) {
                page += kPieces[gen.Below(12)];
            }
        }
        MatchContext context;
        matched += matcher.Match(page.c_str(), &context) ? 1 : 0;
        Compare(matcher, pattern, page);
    }
    EXPECT_GT(matched, 150); // the generated pages do reach the groups
}

TEST(Differential, LoopsOverOneUnitBesideWhatFollowsThem) {
    // Shapes the interpreter's shortcuts look at: what follows a lazy loop (group ends, tests,
    // group and parenthesis entries, the end anchor) and what follows a greedy one.
    const char16_t* const patterns[] = {
        u"a*?bc",
        u"{.*?}(b{c})d",
        u"[ab]*?{a}b$",
        u"x.*?&(t=)",
        u"{x(.*?)}[&]{t=}",
        u"(.*?)$",
        u"{.*?}",
        u"{[^&]*?}&\\0",
        u"{a*?}{b+?}c",
        u"(({.*?}))&t",
        u".+?[&]t=.*?&",
        u"{.+}&{.*}t",
        u"[a&]*{t}",
        u"a.*b|.*?t=&",
        u"!(.*?t)&.+",
        u"<title>{.*?}/title>.+[\\&]{video_id=(.*?)}[\\&](.*?)[\\&]{t=(.*?)}[\\&]",
        // Top-level loops and choices followed by more: remembered failures at their ends.
        u"a.*?b.*c(a|b)*?x",
        u"{.*}[ab]+?{c}|b.*&",
        u"{a|ab}(c|bcd)(d*)t",
        u"<{.*?}>.+&{.*?}&.*?&",
    };
    PatternGenerator gen(99);
    for (const char16_t* pattern : patterns) {
        PatternMatcher matcher;
        ASSERT_EQ(matcher.Parse(pattern), ParseOk) << Narrow(pattern);
        for (int k = 0; k < 300; ++k) {
            static constexpr char16_t kUnits[] = u"abcx<>/&t=";
            std::u16string subject;
            // Some subjects long enough for the remembered scans to take part, some of them with
            // "&", "t" and "=" so rare that seeking them reads far (and their places get listed).
            const int spread = gen.Chance(50) ? 10 : 7;
            for (int n = gen.Chance(30) ? 100 + gen.Below(300) : gen.Below(40); n > 0; --n) {
                subject += kUnits[spread == 10 || gen.Below(40) == 0 ? gen.Below(10) : gen.Below(spread)];
            }
            Compare(matcher, pattern, subject);
        }
    }
}

} // namespace
} // namespace tessaly
