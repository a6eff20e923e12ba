// INI text rewriting: where a new key or section goes, and what stays untouched.
#include "settings/IniFile.h"
#include "tests/settings/TempDir.h"

#include <gtest/gtest.h>

namespace tessaly::ini {
namespace {

TEST(IniFile, NewKeyGoesAfterTheLastEntryOfItsSection) {
    EXPECT_EQ(WithValue("[a]\nx=1\n\n[b]\n", "A", "k", "v"), "[a]\nx=1\nk=v\n\n[b]\n");
    EXPECT_EQ(WithValue("[a]", "a", "k", "v"), "[a]\nk=v\n");
}

TEST(IniFile, NewSectionGoesAtTheEndWithTheFilesLineBreaks) {
    EXPECT_EQ(WithValue("", "FOLDER", "DOWNLOAD", "/x"), "[FOLDER]\nDOWNLOAD=/x\n");
    EXPECT_EQ(WithValue("[a]\r\nx=1", "s", "k", "v"), "[a]\r\nx=1\r\n[s]\r\nk=v\r\n");
}

TEST(IniFile, OnlyTheFirstSectionOfTheNameCounts) {
    const std::string content = "[s]\nk=1\n[s]\nk=2\n";
    EXPECT_EQ(FindValue(content, "s", "k"), "1");
    EXPECT_EQ(WithValue(content, "s", "k", "3"), "[s]\nk=3\n[s]\nk=2\n");
}

TEST(IniFile, ByteOrderMarkIsNotPartOfTheFirstSection) {
    const std::string content = "\xEF\xBB\xBF[s]\nk=1\n";
    EXPECT_EQ(FindValue(content, "s", "k"), "1");
    EXPECT_EQ(WithValue(content, "s", "k", "2"), "\xEF\xBB\xBF[s]\nk=2\n");
}

// A line break would end the key's line and start lines of its own, a section header among them.
TEST(IniFile, ValueWithALineBreakIsNeverWritten) {
    for (const char* value : {"/a\n[other]\nk=/b", "/a\r\nx", "/a\rb"}) {
        EXPECT_EQ(WithValue("[s]\nk=1\n", "s", "k", value), std::nullopt) << value;
        test::TempDir dir;
        dir.Write("config.ini", "[s]\nk=1\n");
        EXPECT_FALSE(WriteValue(dir.path() / "config.ini", "s", "k", value));
        EXPECT_EQ(dir.Read("config.ini"), "[s]\nk=1\n");
    }
}

TEST(IniFile, UnwritableFileReportsFailureAndLeavesNothingBehind) {
    test::TempDir dir;
    const auto missingFolder = dir.path() / "no" / "config.ini";
    EXPECT_FALSE(WriteValue(missingFolder, "s", "k", "v"));
    EXPECT_EQ(ReadValue(missingFolder, "s", "k"), "");
    EXPECT_TRUE(WriteValue(dir.path() / "config.ini", "s", "k", "v"));
    EXPECT_EQ(ReadValue(dir.path() / "config.ini", "S", "K"), "v");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace tessaly::ini
