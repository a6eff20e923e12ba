// Page resolution: the address check, extraction, file names, stream addresses, local paths.
#include "download/core/PageResolution.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(IsWatchPageAddress, AcceptsWatchPagesWithOrWithoutShortHostLabel) {
    EXPECT_TRUE(IsWatchPageAddress(u"http://www.youtube.com/watch?v=abc123"));
    EXPECT_TRUE(IsWatchPageAddress(u"http://youtube.com/watch?v=abc123"));
    EXPECT_TRUE(IsWatchPageAddress(u"http://de.youtube.com/watch?v=abc123"));
    // Text before the address: the pattern may start anywhere.
    EXPECT_TRUE(IsWatchPageAddress(u"看这个 http://www.youtube.com/watch?v=abc123"));
    // Every unescaped "." matches any unit, the domain's dot too.
    EXPECT_TRUE(IsWatchPageAddress(u"http://www-youtube_com/watch?v=1"));
}

TEST(IsWatchPageAddress, RefusesOtherAddresses) {
    EXPECT_FALSE(IsWatchPageAddress(u""));
    EXPECT_FALSE(IsWatchPageAddress(u"http://www.youtube.com/watch"));  // no "?"
    EXPECT_FALSE(IsWatchPageAddress(u"http://www.youtube.com/watch?")); // nothing after it
    EXPECT_FALSE(IsWatchPageAddress(u"http://www.youtube.com/?v=1"));   // nothing between "/" and "?"
    EXPECT_FALSE(IsWatchPageAddress(u"http://www.youtube.com?v=1/x"));  // "?" before the "/"
    EXPECT_FALSE(IsWatchPageAddress(u"https://www.youtube.com/watch?v=1"));
    EXPECT_FALSE(IsWatchPageAddress(u"http://m.youtube.com/watch?v=1")); // label of one unit
    EXPECT_FALSE(IsWatchPageAddress(u"http://www.example.com/watch?v=1"));
}

TEST(IsWatchPageAddress, IsExactAboutCase) {
    const std::u16string upper = u"HTTP://WWW.YOUTUBE.COM/WATCH?V=ABC";
    EXPECT_FALSE(IsWatchPageAddress(upper));
    std::u16string lower = upper;
    for (auto& unit : lower)
        unit = (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
    EXPECT_TRUE(IsWatchPageAddress(lower));
}

// A page as the site serves it: a head with the title, then the "&"-separated parameters.
std::u16string Page(std::u16string_view title, std::u16string_view params) {
    return u"<html><head><title>" + std::u16string(title) + u"</title></head><body><script>var a = \"x=1" +
           std::u16string(params) + u"\";</script></body></html>";
}

TEST(ExtractVideoFields, FindsTitleAndStreamParameters) {
    const ResolveResult r =
        ExtractVideoFields(Page(u"一段 video", u"&video_id=Ab3-_x&l=212&t=OEgsToPDskK&sk=1"));
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.title, u"一段 video");
    EXPECT_EQ(r.query, u"video_id=Ab3-_x&t=OEgsToPDskK"); // the middle item is skipped
}

TEST(ExtractVideoFields, NeedsEveryPartOfThePattern) {
    EXPECT_FALSE(ExtractVideoFields(u"").success);
    EXPECT_FALSE(ExtractVideoFields(Page(u"v", u"&video_id=a&l=1&t=b")).success); // no "&" after the t item
    EXPECT_FALSE(ExtractVideoFields(Page(u"v", u"&video_id=a&t=b&")).success);    // no item between
    EXPECT_FALSE(ExtractVideoFields(u"<title>v</title>&video_id=a&l=1&t=b&").success); // nothing before "&"
    EXPECT_FALSE(ExtractVideoFields(u"<title>v&video_id=a&l=1&t=b&").success);         // no closing tag
}

TEST(ExtractVideoFields, EmptyTitleElementGivesEmptyTitle) {
    const ResolveResult r = ExtractVideoFields(Page(u"", u"&video_id=a&l=1&t=b&"));
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.title, u"");
    EXPECT_EQ(MakeVideoFileName(r.title), u".flv");
}

TEST(ExtractVideoFields, TitleOf79UnitsPassesAnd80Fails) {
    const std::u16string params = u"&video_id=a&l=1&t=b&";
    const ResolveResult ok = ExtractVideoFields(Page(std::u16string(79, u'题'), params));
    EXPECT_TRUE(ok.success);
    EXPECT_EQ(ok.title, std::u16string(79, u'题'));
    EXPECT_EQ(ok.query, u"video_id=a&t=b");

    const ResolveResult tooLong = ExtractVideoFields(Page(std::u16string(80, u'题'), params));
    EXPECT_FALSE(tooLong.success);
    EXPECT_EQ(tooLong.title, u"");
    EXPECT_EQ(tooLong.query, u"");
}

TEST(ExtractVideoFields, OverlongItemsCutTheQueryShort) {
    // "video_id=" plus 71 units is 80 units: still kept; one more is over.
    const std::u16string id80 = u"video_id=" + std::u16string(71, u'i');
    const std::u16string t80 = u"t=" + std::u16string(78, u't');
    ResolveResult r = ExtractVideoFields(Page(u"v", u"&" + id80 + u"&l=1&" + t80 + u"&"));
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.query, id80 + u"&" + t80);

    r = ExtractVideoFields(Page(u"v", u"&" + id80 + u"i&l=1&t=b&"));
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.title, u"v");
    EXPECT_EQ(r.query, u"");

    r = ExtractVideoFields(Page(u"v", u"&video_id=a&l=1&" + t80 + u"t&"));
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.query, u"video_id=a");
}

TEST(ExtractVideoFields, TakesTheFirstTitleAndTheLastCompleteItems) {
    const std::u16string page = u"<title>first</title><title>second</title>&video_id=A&l=1&t=1&x=2"
                                u"&video_id=B&l=2&t=2&more&video_id=C&t=3";
    const ResolveResult r = ExtractVideoFields(page);
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.title, u"first");
    EXPECT_EQ(r.query, u"video_id=B&t=2");
}

TEST(ExtractVideoFields, TextAfterAZeroUnitIsNotRead) {
    std::u16string page = Page(u"v", u"&video_id=a&l=1&t=b&");
    page.insert(page.find(u"&video_id"), 1, u'\0');
    EXPECT_FALSE(ExtractVideoFields(page).success);
}

std::u16string Repeat(std::u16string_view piece, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Pages of 8191 units built from the pattern's own literals, every required literal present; the
// plain interpreter spends seconds to minutes on them before failing.
TEST(ExtractVideoFields, CraftedPagesYieldNoFieldsAndAStopEndsTheMatch) {
    const std::u16string crafted[] = {
        Repeat(u"<title>", 292) + Repeat(u"/title>x", 256) + Repeat(u"&video_id=", 409) + u"&yx&&t=c&",
        Repeat(u"<title>", 389) + u"/title>&video_id=&&t=&" + Repeat(u"&video_id=", 544),
    };
    for (const std::u16string& page : crafted) {
        const ResolveResult r = ExtractVideoFields(page);
        EXPECT_FALSE(r.success);
        EXPECT_EQ(r.title, u"");
        EXPECT_EQ(r.query, u"");
    }
    // A stopped worker's page yields nothing, even one that would resolve.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(ExtractVideoFields(Page(u"v", u"&video_id=a&l=1&t=b&"), stop.get_token()).success);
    EXPECT_TRUE(
        ExtractVideoFields(Page(u"v", u"&video_id=a&l=1&t=b&"), std::stop_source().get_token()).success);
}

TEST(MakeVideoFileName, RemovesWhatAFileNameCannotHold) {
    EXPECT_EQ(MakeVideoFileName(u"Clip: part*1"), u"Clip  part1.flv");
    EXPECT_EQ(MakeVideoFileName(u"a\\b/c:d*e?f|g\"h<i>j;k"), u"abc defghijk.flv"); // ":" becomes a space
    EXPECT_EQ(MakeVideoFileName(u"  视频 .. 'x' "), u"  视频 .. 'x' .flv");        // nothing else changes
    EXPECT_EQ(MakeVideoFileName(u""), u".flv");
    EXPECT_EQ(MakeVideoFileName(u".."), u"...flv");
    EXPECT_EQ(MakeVideoFileName(u"/../../etc/x"), u"....etcx.flv"); // never leaves its folder
}

TEST(BuildStreamAddress, KeepsSchemeAndHostAndAppendsTheQuery) {
    EXPECT_EQ(BuildStreamAddress(u"http://www.youtube.com/watch?v=abc", u"video_id=a&t=b"),
              u"http://www.youtube.com/get_video?video_id=a&t=b");
    EXPECT_EQ(BuildStreamAddress(u"http://abc/", u"q"), u"http://abc/get_video?q"); // "/" at index 10
    EXPECT_EQ(BuildStreamAddress(u"http://127.0.0.1:8080/watch?v=1", u""),
              u"http://127.0.0.1:8080/get_video?");
}

TEST(BuildStreamAddress, FailsWithoutAHostPart) {
    EXPECT_EQ(BuildStreamAddress(u"", u"q"), std::nullopt);
    EXPECT_EQ(BuildStreamAddress(u"http://", u"q"), std::nullopt);
    EXPECT_EQ(BuildStreamAddress(u"http://a", u"q"), std::nullopt);      // 8 units, nothing from index 8
    EXPECT_EQ(BuildStreamAddress(u"http://a/x/y", u"q"), std::nullopt);  // first "/" at index 8
    EXPECT_EQ(BuildStreamAddress(u"http://ab/x/y", u"q"), std::nullopt); // ... at index 9
    EXPECT_EQ(BuildStreamAddress(u"http://www.youtube.com", u"q"), std::nullopt);
}

TEST(JoinFolderPath, OneSeparatorWhetherOrNotTheFolderEndsInOne) {
    EXPECT_EQ(JoinFolderPath(u"/home/u/VDOWNLOAD", u"a.flv"), u"/home/u/VDOWNLOAD/a.flv");
    EXPECT_EQ(JoinFolderPath(u"/home/u/VDOWNLOAD/", u"a.flv"), u"/home/u/VDOWNLOAD/a.flv");
    EXPECT_EQ(JoinFolderPath(u"/", u"a.flv"), u"/a.flv");
    // The default folder under a root start-up directory holds a doubled separator.
    EXPECT_EQ(JoinFolderPath(u"//VDOWNLOAD/", u"a.flv"), u"/VDOWNLOAD/a.flv");
}

} // namespace
} // namespace tessaly
