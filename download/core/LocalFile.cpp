// POSIX file calls behind LocalFile; a 16 KiB buffer keeps the 2048-byte pieces of the stream
// from costing one system call each (larger buffers measured slower: they fall out of the cache
// when several downloads run).
#include "download/core/LocalFile.h"

#include "base/TextCodec.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

namespace {

constexpr std::size_t kWriteBuffer = 16 * 1024;

// The identity of what fd (or, with fd AT_FDCWD, path without following a link) refers to; false when
// it cannot be had. The file's type goes to *regular.
bool Identify(int fd, const char* path, TaskFile& identity, bool* regular = nullptr) {
    struct statx info {};
    const int flags = path[0] ? AT_SYMLINK_NOFOLLOW : AT_EMPTY_PATH;
    if (::statx(fd, path, flags, STATX_TYPE | STATX_INO | STATX_BTIME, &info) != 0)
        return false;
    identity.device = (static_cast<std::uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor;
    identity.inode = info.stx_ino;
    identity.bornKnown = (info.stx_mask & STATX_BTIME) != 0;
    identity.bornSeconds = identity.bornKnown ? info.stx_btime.tv_sec : 0;
    identity.bornNanoseconds = identity.bornKnown ? info.stx_btime.tv_nsec : 0;
    if (regular)
        *regular = S_ISREG(info.stx_mode);
    return true;
}

} // namespace

LocalFile::~LocalFile() {
    Close();
}

LocalFile::CreateResult LocalFile::Create(const std::string& path) {
    Close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        m_error = errno;
        return errno == EEXIST ? CreateResult::kExists : CreateResult::kFailed;
    }
    m_path = path;
    m_buffer.reserve(kWriteBuffer);
    return CreateResult::kCreated;
}

TaskFile LocalFile::Identity() const {
    TaskFile identity;
    if (m_fd >= 0)
        Identify(m_fd, "", identity);
    return identity;
}

bool LocalFile::WriteOut() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : ENOSPC;
            return false;
        }
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
    if (::close(m_fd) != 0 && ok) {
        m_error = errno;
        ok = false;
    }
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
    TaskFile there;
    bool regular = false;
    if (!Identify(AT_FDCWD, path.c_str(), there, &regular) || !regular)
        return false;
    if (there.device != file.device || there.inode != file.inode || there.bornKnown != file.bornKnown ||
        there.bornSeconds != file.bornSeconds || there.bornNanoseconds != file.bornNanoseconds)
        return false;
    return ::unlink(path.c_str()) == 0;
}

} // namespace tessaly
