// The application's shared values and the download folder setting in config.ini.
#include "settings/AppSettings.h"

#include "base/TextCodec.h"
#include "settings/IniFile.h"

#include <fstream>
#include <random>
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

std::u16string Text(const std::filesystem::path& path) {
    const std::u8string bytes = path.u8string();
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Tried rather than judged from permission bits: those say nothing of a read-only file system,
// and root may write anywhere on paper.
bool CanWriteIn(const std::filesystem::path& dir) {
    const std::filesystem::path probe = dir / (".tessaly-probe-" + std::to_string(std::random_device{}()));
    const bool made = std::ofstream(probe, std::ios::binary).good();
    std::error_code ignored;
    std::filesystem::remove(probe, ignored);
    return made;
}

} // namespace

void AppSettings::SetUserFolders(UserFolders folders) {
    std::lock_guard guard(m_lock);
    m_userFolders = std::move(folders);
}

void AppSettings::SetInstalledCopy(std::filesystem::path dataFolder) {
    std::lock_guard guard(m_lock);
    m_installedData = std::move(dataFolder);
}

void AppSettings::LoadSettings() {
    std::optional<std::filesystem::path> installedData;
    {
        std::lock_guard guard(m_lock);
        installedData = m_installedData;
    }
    if (installedData) {
        LoadSettings(*installedData);
        return;
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    LoadSettings(error ? std::filesystem::path(".") : current);
}

void AppSettings::LoadSettings(const std::filesystem::path& startDir) {
    std::optional<UserFolders> userFolders;
    bool installed = false;
    {
        std::lock_guard guard(m_lock);
        userFolders = m_userFolders;
        installed = m_installedData.has_value();
    }
    const bool useUserFolders = userFolders && (installed || !CanWriteIn(startDir));
    // Resolved once: a later change of the current directory (a file dialog may make one) must
    // not move the file that the next start reads.
    const std::filesystem::path configFile =
        (useUserFolders ? userFolders->config : startDir) / kConfigFileName;
    const std::u16string start = Text(startDir);
    std::u16string folder = CapValue(FromUtf8(ini::ReadValue(configFile, kSection, kKey)));
    if (folder.empty())
        folder =
            (useUserFolders ? Text(userFolders->downloads) : start) + std::u16string(kDefaultFolderSuffix);

    std::lock_guard guard(m_lock);
    m_configFile = configFile;
    m_pszStartDir = start;
    m_pszDownloadFolder = std::move(folder);
    m_szFileToPlay.clear();
}

bool AppSettings::CanStore(std::u16string_view folder) {
    if (folder.empty() || folder.size() > kMaxValueUnits)
        return false;
    const std::string bytes = ToUtf8(folder);
    const std::optional<std::string> file = ini::WithValue({}, kSection, kKey, bytes);
    return file && FromUtf8(ini::FindValue(*file, kSection, kKey)) == folder;
}

bool AppSettings::SetDownloadFolder(std::u16string_view path) {
    if (!CanStore(path))
        return false;
    std::lock_guard guard(m_lock);
    m_pszDownloadFolder = std::u16string(path);
    const std::filesystem::path file =
        m_configFile.empty() ? std::filesystem::path(kConfigFileName) : m_configFile;
    // The user's config folder may not be there yet.
    std::error_code ignored;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ignored);
    // A failed write is not reported: the folder then holds until the program ends.
    ini::WriteValue(file, kSection, kKey, ToUtf8(path));
    return true;
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
