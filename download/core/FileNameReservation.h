// Picks a download's file name so that no download overwrites an existing file or another task's
// file: the first free one of "title.flv", "title (2).flv", "title (3).flv", ..., reserved among the
// running workers until the worker ends, and created exclusively.
// Threads: any worker thread; the set of reserved paths (owned by the downloads service) is guarded
// by its own lock.
#pragma once

#include "download/core/LocalFile.h"

#include <mutex>
#include <set>
#include <string>

namespace tessaly {

// The paths that living workers have reserved.
class ReservedNames {
private:
    friend class FileNameReservation;
    std::mutex m_lock;
    std::set<std::u16string> m_paths;
};

class FileNameReservation {
public:
    // Reserves the first free name for fileName ("title.flv") in folder (both UTF-16) among names.
    FileNameReservation(ReservedNames& names, std::u16string folder, std::u16string fileName);
    ~FileNameReservation();
    FileNameReservation(const FileNameReservation&) = delete;
    FileNameReservation& operator=(const FileNameReservation&) = delete;

    // The reserved file name, without folder.
    const std::u16string& fileName() const { return m_fileName; }
    // The reserved local path (folder joined with the name).
    const std::u16string& path() const { return m_path; }

    // Creates the reserved file. Should a file of that name have appeared since the reservation,
    // the next free name is reserved and tried. False when the file cannot be created.
    bool CreateFile(LocalFile& file);

private:
    void ReserveFrom(int number);

    ReservedNames& m_names;
    std::u16string m_folder;
    std::u16string m_stem; // the name without ".flv"
    std::u16string m_suffix;
    int m_number = 1;
    std::u16string m_fileName;
    std::u16string m_path;
};

} // namespace tessaly
