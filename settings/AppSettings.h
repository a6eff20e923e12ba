// The three process-wide values the pages share (download folder, start-up directory,
// file-to-play slot) and the one stored setting, the download folder in config.ini.
// Owned by the application for the whole run. The UI thread writes; download workers take a
// copy of the folder when they start, so every accessor hands out a copy under the lock.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

class AppSettings {
public:
    // Each value holds at most this many UTF-16 code units (a 260-unit buffer with its terminator).
    static constexpr std::size_t kMaxValueUnits = 259;

    // Where an installed program keeps its files when its start-up directory cannot be written:
    // config.ini in config, and the default download folder below downloads.
    struct UserFolders {
        std::filesystem::path config;
        std::filesystem::path downloads;
    };

    // Takes the current directory as the start-up directory and reads the folder from
    // config.ini there (default: start-up directory + "/VDOWNLOAD/"); clears the file-to-play slot.
    // With user folders given and a start-up directory that cannot be written, config.ini and the
    // default folder are the user folders' instead; the start-up directory stays as it is.
    void LoadSettings();
    // The same with an explicit start-up directory (tests, tools).
    void LoadSettings(const std::filesystem::path& startDir);
    // Takes effect at the next LoadSettings.
    void SetUserFolders(UserFolders folders);
    // An installed copy: LoadSettings() takes its data folder (the movie's) as the start-up
    // directory instead of the current directory, and config.ini and the default folder are the
    // user folders' even where the data folder could be written (run as root): an installed
    // copy keeps nothing in its own folders. Takes effect at the next LoadSettings.
    void SetInstalledCopy(std::filesystem::path dataFolder);

    // Whether config.ini can carry the folder and give it back unchanged: not empty, at most
    // kMaxValueUnits units, no line break, nothing the reader would trim or unquote.
    static bool CanStore(std::u16string_view folder);
    // Replaces the download folder and writes it to config.ini. False, changing nothing, for a
    // folder CanStore refuses. A failed write is not reported: the folder then holds until the
    // program ends.
    bool SetDownloadFolder(std::u16string_view path);

    std::u16string downloadFolder() const;
    std::u16string startDir() const;
    std::u16string fileToPlay() const;
    void setFileToPlay(std::u16string_view path);

private:
    mutable std::mutex m_lock;
    std::u16string m_pszDownloadFolder;
    std::u16string m_pszStartDir;
    std::u16string m_szFileToPlay;
    std::filesystem::path m_configFile;
    std::optional<UserFolders> m_userFolders;
    std::optional<std::filesystem::path> m_installedData;
};

// The application's one instance.
AppSettings& appSettings();

} // namespace tessaly
