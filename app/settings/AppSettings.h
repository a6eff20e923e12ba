// The three process-wide values the pages share (download folder, start-up directory,
// file-to-play slot) and the one stored setting, the download folder in config.ini.
// Owned by the application for the whole run. The UI thread writes; download workers take a
// copy of the folder when they start, so every accessor hands out a copy under the lock.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace tessaly {

class AppSettings {
public:
    // Each value holds at most this many UTF-16 code units (a 260-unit buffer with its terminator).
    static constexpr std::size_t kMaxValueUnits = 259;

    // Takes the current directory as the start-up directory and reads the folder from
    // config.ini there (default: start-up directory + "/VDOWNLOAD/"); clears the file-to-play slot.
    void LoadSettings();
    // The same with an explicit start-up directory (tests, tools).
    void LoadSettings(const std::filesystem::path& startDir);

    // Replaces the download folder and writes it to config.ini in the start-up directory.
    void SetDownloadFolder(std::u16string_view path);

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
};

// The application's one instance.
AppSettings& appSettings();

} // namespace tessaly
