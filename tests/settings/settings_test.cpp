// The shared values and the download folder setting, against real files in temporary folders.
#include "base/TextCodec.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "tests/settings/TempDir.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace tessaly {
namespace {

using test::TempDir;

std::u16string Text(const std::filesystem::path& path) {
    return FromUtf8(path.string());
}

// Restores the current directory that a test changes.
class CurrentDirGuard {
public:
    CurrentDirGuard() : m_saved(std::filesystem::current_path()) {}
    ~CurrentDirGuard() { std::filesystem::current_path(m_saved); }

private:
    std::filesystem::path m_saved;
};

TEST(AppSettings, WithoutFileUsesDefaultFolderAndCreatesNoFile) {
    TempDir dir;
    AppSettings settings;
    settings.LoadSettings(dir.path());
    EXPECT_EQ(settings.startDir(), Text(dir.path()));
    EXPECT_EQ(settings.downloadFolder(), Text(dir.path()) + u"/VDOWNLOAD/");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(AppSettings, ReadsTheFolderExactlyAsStored) {
    TempDir dir;
    dir.Write("config.ini", "[FOLDER]\nDOWNLOAD=/home/user/视频\n");
    AppSettings settings;
    settings.LoadSettings(dir.path());
    EXPECT_EQ(settings.downloadFolder(), u"/home/user/视频"); // no trailing "/" added
}

TEST(AppSettings, NamesAreCaseInsensitiveAndValueIsTrimmedAndUnquoted) {
    TempDir dir;
    dir.Write("config.ini",
              "[other]\ndownload=/wrong\r\n  [ folder ]  \r\n\tDownLoad =  \" /media/my videos \"  \r\n");
    AppSettings settings;
    settings.LoadSettings(dir.path());
    EXPECT_EQ(settings.downloadFolder(), u" /media/my videos ");
}

TEST(AppSettings, AbsentOrEmptyValueGivesDefault) {
    const char* files[] = {
        "[DOWNLOAD]\nFOLDER=/swapped\n", // the section and key swapped are another entry
        "[FOLDER]\nDOWNLOAD=\n",
        "[FOLDER]\nDOWNLOAD=   \n",
        "DOWNLOAD=/outside/any/section\n[FOLDER]\n",
        "[FOLDER]\nDOWNLOADS=/other/key\n",
    };
    for (const char* content : files) {
        TempDir dir;
        dir.Write("config.ini", content);
        AppSettings settings;
        settings.LoadSettings(dir.path());
        EXPECT_EQ(settings.downloadFolder(), Text(dir.path()) + u"/VDOWNLOAD/") << content;
        EXPECT_EQ(dir.Read("config.ini"), content) << "the default is never written back";
    }
}

TEST(AppSettings, LongValueIsCutTo259Units) {
    TempDir dir;
    std::string value;
    for (int i = 0; i < 300; ++i)
        value += "视"; // three bytes, one unit each
    dir.Write("config.ini", "[FOLDER]\nDOWNLOAD=" + value + "\n");
    AppSettings settings;
    settings.LoadSettings(dir.path());
    EXPECT_EQ(settings.downloadFolder(), std::u16string(AppSettings::kMaxValueUnits, u'视'));
}

TEST(AppSettings, ChosenFolderIsWrittenAndReadByTheNextStart) {
    TempDir dir;
    {
        AppSettings settings;
        settings.LoadSettings(dir.path());
        settings.SetDownloadFolder(u"/srv/影片");
        EXPECT_EQ(settings.downloadFolder(), u"/srv/影片");
    }
    EXPECT_EQ(dir.Read("config.ini"), "[FOLDER]\nDOWNLOAD=/srv/影片\n");
    AppSettings next;
    next.LoadSettings(dir.path());
    EXPECT_EQ(next.downloadFolder(), u"/srv/影片");
}

TEST(AppSettings, WriteKeepsOtherContentOfTheFile) {
    TempDir dir;
    const std::string before =
        "; kept comment\r\n[window]\r\nx=10\r\n[Folder]\r\nother=1\r\ndownload=/old\r\n"
        "after=2\r\n\r\n[last]\r\ny=3";
    dir.Write("config.ini", before);
    AppSettings settings;
    settings.LoadSettings(dir.path());
    EXPECT_EQ(settings.downloadFolder(), u"/old");
    settings.SetDownloadFolder(u"/new");
    EXPECT_EQ(dir.Read("config.ini"),
              "; kept comment\r\n[window]\r\nx=10\r\n[Folder]\r\nother=1\r\nDOWNLOAD=/new\r\n"
              "after=2\r\n\r\n[last]\r\ny=3");
}

// A folder the file cannot give back unchanged is refused: the old one stays, in memory and on disk.
TEST(AppSettings, FolderThatCannotBeReadBackUnchangedIsRefused) {
    std::u16string lone = u"/a/";
    lone += char16_t(0xD800);
    const std::u16string refused[] = {
        u"/" + std::u16string(AppSettings::kMaxValueUnits, u'视'), // 260 units
        u"/a\n[FOLDER]\nDOWNLOAD=/b",
        u"/a\rb",
        u" /leading",
        u"/trailing\t",
        u"\"/quoted\"",
        u"",
        lone,
    };
    for (const std::u16string& folder : refused) {
        TempDir dir;
        AppSettings settings;
        settings.LoadSettings(dir.path());
        ASSERT_TRUE(settings.SetDownloadFolder(u"/old"));
        EXPECT_FALSE(AppSettings::CanStore(folder)) << ToUtf8(folder);
        EXPECT_FALSE(settings.SetDownloadFolder(folder)) << ToUtf8(folder);
        EXPECT_EQ(settings.downloadFolder(), u"/old");
        EXPECT_EQ(dir.Read("config.ini"), "[FOLDER]\nDOWNLOAD=/old\n");
    }
    // At the limit, and with the INI's own signs inside, a folder is stored and read back as it is.
    for (const std::u16string& folder :
         {u"/" + std::u16string(AppSettings::kMaxValueUnits - 1, u'视'), std::u16string(u"/x=[y];\"z' w")}) {
        TempDir dir;
        AppSettings settings;
        settings.LoadSettings(dir.path());
        EXPECT_TRUE(settings.SetDownloadFolder(folder));
        AppSettings next;
        next.LoadSettings(dir.path());
        EXPECT_EQ(next.downloadFolder(), folder);
    }
}

// An installed program cannot write its start-up directory: config.ini and the default folder go
// to the user's folders, while the movie is still looked for in the start-up directory.
TEST(AppSettings, UnwritableStartDirUsesTheUserFolders) {
    const std::filesystem::path readOnly = "/proc"; // not writable, not even by root
    TempDir user;
    const auto config = user.path() / "config" / "tessaly";
    AppSettings settings;
    settings.SetUserFolders({config, user.path() / "Videos"});
    settings.LoadSettings(readOnly);
    EXPECT_EQ(settings.startDir(), u"/proc");
    EXPECT_EQ(settings.downloadFolder(), Text(user.path() / "Videos") + u"/VDOWNLOAD/");
    EXPECT_FALSE(std::filesystem::exists(config)) << "nothing is written until a folder is chosen";

    EXPECT_TRUE(settings.SetDownloadFolder(u"/chosen"));
    AppSettings next;
    next.SetUserFolders({config, user.path() / "Videos"});
    next.LoadSettings(readOnly);
    EXPECT_EQ(next.downloadFolder(), u"/chosen");

    // From a folder it can write, as a build folder, nothing changes.
    TempDir start;
    AppSettings built;
    built.SetUserFolders({config, user.path() / "Videos"});
    built.LoadSettings(start.path());
    EXPECT_EQ(built.downloadFolder(), Text(start.path()) + u"/VDOWNLOAD/");
    EXPECT_TRUE(std::filesystem::is_empty(start.path())) << "the write test leaves nothing behind";
}

// Root can write an installed copy's data folder: it must still keep nothing there, nor in the
// current directory, and the movie is looked for in the data folder.
TEST(AppSettings, InstalledCopyKeepsItsFilesInTheUserFoldersEvenWhereItCouldWrite) {
    TempDir data, user, current;
    CurrentDirGuard guard;
    std::filesystem::current_path(current.path());
    const auto config = user.path() / "config" / "tessaly";
    AppSettings settings;
    settings.SetUserFolders({config, user.path() / "Videos"});
    settings.SetInstalledCopy(data.path());
    settings.LoadSettings();
    EXPECT_EQ(settings.startDir(), Text(data.path()));
    EXPECT_EQ(settings.downloadFolder(), Text(user.path() / "Videos") + u"/VDOWNLOAD/");
    EXPECT_TRUE(settings.SetDownloadFolder(u"/chosen"));
    EXPECT_EQ(ini::ReadValue(config / "config.ini", "FOLDER", "DOWNLOAD"), "/chosen");
    EXPECT_TRUE(std::filesystem::is_empty(data.path()));
    EXPECT_TRUE(std::filesystem::is_empty(current.path()));
}

TEST(AppSettings, LaterChangeOfCurrentDirectoryDoesNotMoveTheFile) {
    TempDir start;
    TempDir elsewhere;
    CurrentDirGuard guard;
    std::filesystem::current_path(start.path());
    AppSettings settings;
    settings.LoadSettings();
    // Compared through the file system: the temporary folder may be reached through a link.
    EXPECT_TRUE(std::filesystem::equivalent(ToUtf8(settings.startDir()), start.path()));

    std::filesystem::current_path(elsewhere.path()); // as a file dialog may do
    settings.SetDownloadFolder(u"/chosen");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "config.ini"));
    EXPECT_EQ(start.Read("config.ini"), "[FOLDER]\nDOWNLOAD=/chosen\n");
}

TEST(AppSettings, LoadClearsTheFileToPlaySlot) {
    TempDir dir;
    AppSettings settings;
    settings.setFileToPlay(u"/a/b.flv");
    EXPECT_EQ(settings.fileToPlay(), u"/a/b.flv");
    settings.LoadSettings(dir.path());
    EXPECT_EQ(settings.fileToPlay(), u"");
}

// Workers copy the folder from their threads while the UI thread replaces it.
TEST(AppSettings, FolderCanBeCopiedWhileItIsReplaced) {
    TempDir dir;
    AppSettings settings;
    settings.LoadSettings(dir.path());
    const std::u16string first = u"/first/folder", second = u"/second/folder/with/a/longer/name";
    settings.SetDownloadFolder(first);
    std::atomic<bool> done{false};
    std::vector<std::thread> readers;
    std::atomic<int> torn{0};
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!done) {
                const std::u16string folder = settings.downloadFolder();
                if (folder != first && folder != second)
                    ++torn;
            }
        });
    for (int i = 0; i < 200; ++i)
        settings.SetDownloadFolder(i % 2 ? first : second);
    done = true;
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(torn, 0);
}

TEST(AppSettings, OneProcessWideInstance) {
    EXPECT_EQ(&appSettings(), &appSettings());
}

} // namespace
} // namespace tessaly
