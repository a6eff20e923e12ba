// Claiming the first free numbered name among the files on disk and the names other workers hold.
#include "download/core/FileNameReservation.h"

#include "base/TextCodec.h"
#include "download/core/PageResolution.h"

#include <filesystem>

namespace tessaly {

namespace {

bool PathExists(const std::u16string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(std::filesystem::path(ToUtf8(path)), error).type() !=
           std::filesystem::file_type::not_found;
}

// Files beyond this many numbered names are not looked for; the creation then fails.
constexpr int kMaxNumber = 10000;

} // namespace

FileNameReservation::FileNameReservation(ReservedNames& names, std::u16string folder, std::u16string fileName)
    : m_names(names), m_folder(std::move(folder)) {
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
    std::lock_guard lock(m_names.m_lock);
    m_names.m_paths.erase(m_path);
}

void FileNameReservation::ReserveFrom(int number) {
    std::lock_guard lock(m_names.m_lock);
    if (!m_path.empty())
        m_names.m_paths.erase(m_path);
    for (m_number = number;; ++m_number) {
        m_fileName = m_number == 1 ? m_stem + m_suffix
                                   : m_stem + u" (" + FromUtf8(std::to_string(m_number)) + u")" + m_suffix;
        m_path = JoinFolderPath(m_folder, m_fileName);
        if (m_number >= kMaxNumber || (!m_names.m_paths.contains(m_path) && !PathExists(m_path)))
            break;
    }
    m_names.m_paths.insert(m_path);
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
