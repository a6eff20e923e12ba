// A task's local file: created exclusively (never over an existing file), written through a small
// buffer, flushed and closed; removable when the download fails.
// Threads: owned and used by one worker thread.
#pragma once

#include <cstddef>
#include <string>

namespace tessaly {

class LocalFile {
public:
    enum class CreateResult { kCreated, kExists, kFailed };

    LocalFile() = default;
    ~LocalFile();
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // Creates the file at path (UTF-8); kExists when something of that name is already there.
    CreateResult Create(const std::string& path);
    // Appends bytes; false when the file cannot take them.
    bool Write(const void* data, std::size_t size);
    // Writes out what is buffered and closes the file; false when anything failed to be written.
    bool FlushAndClose();
    // Closes the file dropping what is buffered (after a stop request).
    void Discard();
    // Closes the file (dropping what is buffered) and removes it from disk.
    void Remove();

    const std::string& path() const { return m_path; }

private:
    bool WriteOut();

    int m_fd = -1;
    std::string m_path;
    std::string m_buffer;
};

} // namespace tessaly
