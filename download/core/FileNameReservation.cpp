// The process-wide register of file names that running workers have claimed.
#include "download/core/FileNameReservation.h"

#include <filesystem>
#include <mutex>
#include <set>

#include "base/TextCodec.h"
#include "download/core/PageResolution.h"

namespace tessaly {

namespace {

std::mutex g_reservedLock;
std::set<std::u16string>& Reserved() {
    static std::set<std::u16string> reserved;
    return reserved;
}

bool PathExists(const std::u16string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(std::filesystem::path(ToUtf8(path)), error).type() !=
           std::filesystem::file_type::not_found;
}

// Files beyond this many numbered names are not looked for; the creation then fails.
constexpr int kMaxNumber = 10000;

} // namespace

FileNameReservation::FileNameReservation(std::u16string folder, std::u16string fileName)
    : m_folder(std::move(folder)) {
    const std::u16string extension = u".flv";
    if (fileName.size() >= extension.size() && fileName.ends_with(extension)) {
        m_stem = fileName.substr(0, fileName.size() - extension.size());
        m_suffix = extension;
    } else {
        m_stem = std::move(fileName);
    }
    ReserveFrom(1);
}

FileNameReservation::~FileNameReservation() {
    std::lock_guard lock(g_reservedLock);
    Reserved().erase(m_path);
}

void FileNameReservation::ReserveFrom(int number) {
    std::lock_guard lock(g_reservedLock);
    if (!m_path.empty())
        Reserved().erase(m_path);
    for (m_number = number;; ++m_number) {
        m_fileName = m_number == 1 ? m_stem + m_suffix
                                   : m_stem + u" (" + FromUtf8(std::to_string(m_number)) + u")" + m_suffix;
        m_path = JoinFolderPath(m_folder, m_fileName);
        if (m_number >= kMaxNumber || (!Reserved().contains(m_path) && !PathExists(m_path)))
            break;
    }
    Reserved().insert(m_path);
}

bool FileNameReservation::CreateFile(LocalFile& file) {
    for (;;) {
        switch (file.Create(ToUtf8(m_path))) {
        case LocalFile::CreateResult::kCreated:
            return true;
        case LocalFile::CreateResult::kFailed:
            return false;
        case LocalFile::CreateResult::kExists:
            if (m_number >= kMaxNumber)
                return false;
            ReserveFrom(m_number + 1);
            break;
        }
    }
}

} // namespace tessaly
