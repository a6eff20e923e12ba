// POSIX file calls behind LocalFile; a 16 KiB buffer keeps the 2048-byte pieces of the stream
// from costing one system call each (larger buffers measured slower: they fall out of the cache
// when several downloads run).
#include "download/core/LocalFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "download/core/TextCodec.h"

namespace tessaly {

namespace {
constexpr std::size_t kWriteBuffer = 16 * 1024;
}

LocalFile::~LocalFile() { Close(); }

LocalFile::CreateResult LocalFile::Create(const std::string& path) {
    Close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return errno == EEXIST ? CreateResult::kExists : CreateResult::kFailed;
    m_path = path;
    m_buffer.reserve(kWriteBuffer);
    return CreateResult::kCreated;
}

TaskFile LocalFile::Identity() const {
    TaskFile identity;
    struct stat info {};
    if (m_fd >= 0 && ::fstat(m_fd, &info) == 0) {
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
    }
    return identity;
}

bool LocalFile::WriteOut() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return true;
}

bool LocalFile::Write(const void* data, std::size_t size) {
    if (m_fd < 0)
        return false;
    m_buffer.append(static_cast<const char*>(data), size);
    return m_buffer.size() < kWriteBuffer || WriteOut();
}

bool LocalFile::FlushAndClose() {
    if (m_fd < 0)
        return false;
    bool ok = WriteOut();
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    m_buffer.clear();
    return ok;
}

void LocalFile::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_buffer.clear();
}

void LocalFile::Remove() {
    Close();
    if (!m_path.empty())
        ::unlink(m_path.c_str());
}

bool RemoveTaskFile(const TaskFile& file) {
    if (file.path.empty())
        return false;
    const std::string path = ToUtf8(file.path);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (info.st_dev != file.device || info.st_ino != file.inode)
        return false;
    return ::unlink(path.c_str()) == 0;
}

} // namespace tessaly
