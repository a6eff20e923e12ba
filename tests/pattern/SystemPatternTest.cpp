// The program's two patterns: the watch-page address check and the page extraction.
#include "PatternTestSupport.h"
#include "pattern/PatternMatcher.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace tessaly {
namespace {

constexpr const char16_t* kAddressPattern =
    u"http://([a-zA-Z0-9][a-zA-Z0-9][a-zA-Z0-9]?.)?youtube.com/.+\\?.+";
constexpr const char16_t* kExtractionPattern =
    u"<title>{.*?}/title>.+[\\&]{video_id=(.*?)}[\\&](.*?)[\\&]{t=(.*?)}[\\&]";

bool IsAddress(const char16_t* text) {
    return test::MatchSummary(kAddressPattern, text) != "none";
}

TEST(SystemPatterns, AddressCheck) {
    EXPECT_TRUE(IsAddress(u"http://www.youtube.com/watch?v=abc"));
    EXPECT_TRUE(IsAddress(u"http://youtube.com/watch?v=abc"));
    EXPECT_TRUE(IsAddress(u"http://uk.youtube.com/watch?v=abc"));
    EXPECT_TRUE(IsAddress(u"see http://www.youtube.com/watch?v=abc here")); // anywhere in the text
    EXPECT_TRUE(IsAddress(u"http://www.youtubeXcom/watch?v=abc"));          // "." is any unit
    EXPECT_TRUE(IsAddress(u"http://www.youtube.com//?x"));
    EXPECT_FALSE(IsAddress(u"HTTP://WWW.YOUTUBE.COM/WATCH?V=ABC")); // exact about case
    EXPECT_FALSE(IsAddress(u"http://m.youtube.com/watch?v=abc"));   // a one-letter label is not a prefix
    EXPECT_FALSE(IsAddress(u"http://wwww.youtube.com/watch?v=abc"));
    EXPECT_FALSE(IsAddress(u"http://www.youtube.com/watch"));
    EXPECT_FALSE(IsAddress(u"http://www.youtube.com/watch?"));
    EXPECT_FALSE(IsAddress(u"http://www.youtube.com/?v=1"));
    EXPECT_FALSE(IsAddress(u"https://www.youtube.com/watch?v=abc"));
    EXPECT_FALSE(IsAddress(u""));
}

TEST(SystemPatterns, ExtractionPicksTitleAndTheLastUsableItems) {
    const std::u16string page =
        u"<html><head><title>Cats: the *best* one</title></head><body>\n"
        u"<embed flashvars=\"a=1&video_id=first&l=3&t=old&x=2&video_id=Zk3_x&l=241&t=OEgsToPDs&hl=en\">";
    PatternMatcher matcher;
    ASSERT_EQ(matcher.Parse(kExtractionPattern), ParseOk);
    MatchContext context;
    ASSERT_TRUE(matcher.Match(page.c_str(), &context));
    ASSERT_EQ(context.GroupCount(), 3u);
    auto text = [&](std::uint32_t n) {
        const MatchGroup& g = context.Group(n);
        return page.substr(static_cast<std::size_t>(g.start), static_cast<std::size_t>(g.Length()));
    };
    EXPECT_EQ(text(0), u"Cats: the *best* one<"); // ends with the "<" of the closing tag
    EXPECT_EQ(text(1), u"video_id=Zk3_x");
    EXPECT_EQ(text(2), u"t=OEgsToPDs");
    EXPECT_EQ(context.WholeMatch().start, static_cast<std::ptrdiff_t>(page.find(u"<title>")));
}

TEST(SystemPatterns, ExtractionNeedsEveryAmpersand) {
    // The item between "video_id=" and "t=" is skipped.
    EXPECT_EQ(test::MatchSummary(kExtractionPattern, u"<title>T</title>x&video_id=A&x=1&t=T&"),
              "0-37 (7-9) (18-28) (33-36)");
    EXPECT_EQ(test::MatchSummary(kExtractionPattern, u"<title>T</title>x&video_id=A&x=1&t=T"), "none");
    EXPECT_EQ(test::MatchSummary(kExtractionPattern, u"<title>T</title>xvideo_id=A&x=1&t=T&"), "none");
    EXPECT_EQ(test::MatchSummary(kExtractionPattern, u"<title>T</title>x&video_id=A&t=T&"), "none");
    // ".+" needs at least one unit after the title.
    EXPECT_EQ(test::MatchSummary(kExtractionPattern, u"<title>T</title>&video_id=A&x=1&t=T&"), "none");
    EXPECT_EQ(test::MatchSummary(kExtractionPattern, u"&video_id=A&x=1&t=T&<title>T</title>"), "none");
}

// Pages of 8191 units, from the pattern's own literals, that held the interpreter for up to minutes;
// "found" ones come from bench_pattern's search. The answers are the plain interpreter's; with the
// shortcuts each ends well within the step limit.
TEST(SystemPatterns, SlowPagesKeepTheirAnswers) {
    struct Case {
        const char* file;
        const char16_t* pattern;
        const char* answer;
    };
    const Case cases[] = {
        {"slow-extraction-crafted-1", kExtractionPattern, "none"},
        {"slow-extraction-crafted-2", kExtractionPattern, "none"},
        {"slow-extraction-found", kExtractionPattern, "none"},
        {"slow-extraction-found-2", kExtractionPattern, "none"},
        {"slow-address-found", kAddressPattern, "0-8191"},
    };
    for (const Case& c : cases) {
        std::ifstream file(std::string(TESSALY_FUZZ_CORPUS) + "/fuzz_extract/" + c.file, std::ios::binary);
        ASSERT_TRUE(file) << c.file;
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::u16string page(bytes.begin(), bytes.end()); // ASCII: one unit per byte
        PatternMatcher matcher;
        ASSERT_EQ(matcher.Parse(c.pattern), ParseOk);
        MatchContext context;
        const MatchOutcome outcome = matcher.Search(page.c_str(), &context);
        EXPECT_EQ(outcome.IsMatch() ? test::Summarize(context) : "none", c.answer) << c.file;
        EXPECT_FALSE(outcome.IsCutOff()) << c.file;
    }
}

} // namespace
} // namespace tessaly
