// The application's shared values and the download folder setting in config.ini.
#include "app/settings/AppSettings.h"

#include "app/settings/IniFile.h"
#include "base/TextCodec.h"

#include <system_error>

namespace tessaly {
namespace {

constexpr std::string_view kConfigFileName = "config.ini";
constexpr std::string_view kSection = "FOLDER";
constexpr std::string_view kKey = "DOWNLOAD";
constexpr std::u16string_view kDefaultFolderSuffix = u"/VDOWNLOAD/";

// The INI reader's cap, without leaving half a surrogate pair at the cut.
std::u16string CapValue(std::u16string value) {
    if (value.size() > AppSettings::kMaxValueUnits) {
        value.resize(AppSettings::kMaxValueUnits);
        if (value.back() >= 0xD800 && value.back() <= 0xDBFF)
            value.pop_back();
    }
    return value;
}

} // namespace

void AppSettings::LoadSettings() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    LoadSettings(error ? std::filesystem::path(".") : current);
}

void AppSettings::LoadSettings(const std::filesystem::path& startDir) {
    // Resolved once: a later change of the current directory (a file dialog may make one) must
    // not move the file that the next start reads.
    const std::filesystem::path configFile = startDir / kConfigFileName;
    const std::u8string startBytes = startDir.u8string();
    const std::u16string start =
        FromUtf8(std::string_view(reinterpret_cast<const char*>(startBytes.data()), startBytes.size()));
    std::u16string folder = CapValue(FromUtf8(ini::ReadValue(configFile, kSection, kKey)));
    if (folder.empty())
        folder = start + std::u16string(kDefaultFolderSuffix);

    std::lock_guard guard(m_lock);
    m_configFile = configFile;
    m_pszStartDir = start;
    m_pszDownloadFolder = std::move(folder);
    m_szFileToPlay.clear();
}

void AppSettings::SetDownloadFolder(std::u16string_view path) {
    std::lock_guard guard(m_lock);
    m_pszDownloadFolder = std::u16string(path);
    // A failed write is not reported: the folder then holds until the program ends.
    ini::WriteValue(m_configFile.empty() ? std::filesystem::path(kConfigFileName) : m_configFile, kSection,
                    kKey, ToUtf8(path));
}

std::u16string AppSettings::downloadFolder() const {
    std::lock_guard guard(m_lock);
    return m_pszDownloadFolder;
}

std::u16string AppSettings::startDir() const {
    std::lock_guard guard(m_lock);
    return m_pszStartDir;
}

std::u16string AppSettings::fileToPlay() const {
    std::lock_guard guard(m_lock);
    return m_szFileToPlay;
}

void AppSettings::setFileToPlay(std::u16string_view path) {
    std::lock_guard guard(m_lock);
    m_szFileToPlay = std::u16string(path);
}

AppSettings& appSettings() {
    static AppSettings instance;
    return instance;
}

} // namespace tessaly
