// UTF-8 and locale conversions of the core's UTF-16 text, and the terminal form of a name.
#include "base/TextCodec.h"
#include "download/core/ControlCharacters.h"

#include <clocale>
#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(TextCodec, Utf8RoundTripsEveryPlane) {
    const std::u16string text = u"a\u00e9\u4e2d\U0001F600z";
    EXPECT_EQ(ToUtf8(text), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(TextCodec, ControlCharactersAreEscapedOnOneLine) {
    // C0, DEL, C1, the bidi override, isolate and direction marks, and the backslash that escapes
    // them; ordinary text outside ASCII stays as UTF-8.
    EXPECT_EQ(EscapeControlCharacters(u"DONE\nFAILED 0\r\a\x1B[2J"), "DONE\\x0AFAILED 0\\x0D\\x07\\x1B[2J");
    EXPECT_EQ(EscapeControlCharacters(u"\x7F\x85\u202E\u2066\u2069x"), "\\x7F\\x85\\u202E\\u2066\\u2069x");
    EXPECT_EQ(EscapeControlCharacters(u"a\\x0A\u89c6\u200F\u061Cb"), "a\\\\x0A\xE8\xA7\x86\\u200F\\u061Cb");
}

TEST(TextCodec, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");                      // overlong "/"
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // encoded surrogate
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), std::u16string(4, u'\uFFFD')); // past U+10FFFF
    EXPECT_EQ(FromUtf8("x\xE4\xB8"), u"x\uFFFD\uFFFD");                    // cut short
    EXPECT_EQ(ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");                        // unpaired surrogate
    EXPECT_EQ(ToUtf8(u"x\xDC00"), "x\xEF\xBF\xBD");
}

class LocaleGuard {
public:
    explicit LocaleGuard(const char* name) : m_saved(std::setlocale(LC_ALL, nullptr)) {
        m_ok = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleGuard() { std::setlocale(LC_ALL, m_saved.c_str()); }
    bool ok() const { return m_ok; }

private:
    std::string m_saved;
    bool m_ok = false;
};

TEST(TextCodec, PageBytesDecodeWithTheLocaleEncoding) {
    LocaleGuard locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(DecodeLocaleBytes("<title>\xE4\xB8\xAD\xF0\x9F\x98\x80</title>"),
              u"<title>\u4e2d\U0001F600</title>");
    EXPECT_EQ(DecodeLocaleBytes("a\xFF"
                                "b"),
              u"a\uFFFDb");
    EXPECT_EQ(DecodeLocaleBytes("a\xE4\xB8"), u"a\uFFFD"); // a page cut inside a character
}

TEST(TextCodec, PlainCLocaleReadsUtf8) {
    LocaleGuard locale("C");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(DecodeLocaleBytes("abc \xE4\xB8\xAD"), u"abc \u4e2d");
}

} // namespace
} // namespace tessaly
