// A task's local file: created exclusively (never over an existing file), written through a small
// buffer, flushed and closed; removable when the download fails. Also the identity a task keeps of
// the file it created, so that deleting the task removes that file and no other.
// Threads: a LocalFile is owned and used by one worker thread; RemoveTaskFile runs on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaly {

// The file a task's worker created: where, and which file it was: device and inode, and its birth
// time where the file system keeps one (an inode number is soon reused by a file made in its place).
struct TaskFile {
    std::u16string path;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t bornSeconds = 0;
    std::uint32_t bornNanoseconds = 0;
    bool bornKnown = false;
};

class LocalFile {
public:
    enum class CreateResult { kCreated, kExists, kFailed };

    LocalFile() = default;
    ~LocalFile();
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // Creates the file at path (UTF-8); kExists when something of that name is already there.
    CreateResult Create(const std::string& path);
    // The created file's device and inode (into a TaskFile whose path the caller sets).
    TaskFile Identity() const;
    // Appends bytes; false when the file cannot take them.
    bool Write(const void* data, std::size_t size);
    // Writes out what is buffered and closes the file; false when anything failed to be written.
    bool FlushAndClose();
    // Closes the file (dropping what is buffered) and removes it from disk.
    void Remove();

    const std::string& path() const { return m_path; }
    // The system's error number of the last call that failed (0 while none has).
    int error() const { return m_error; }

private:
    bool WriteOut();
    void Close();

    int m_fd = -1;
    std::string m_path;
    std::string m_buffer;
    int m_error = 0;
};

// Removes the task's file if its path still names that very file (a regular file with the same
// device, inode and birth time); a file put in its place since, or none, is left alone. True when it
// was removed.
bool RemoveTaskFile(const TaskFile& file);

} // namespace tessaly
