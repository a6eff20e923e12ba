// Picks a download's file name so that no download overwrites an existing file or another task's
// file: the first free one of "title.flv", "title (2).flv", "title (3).flv", ..., reserved among the
// running workers until the worker ends, and created exclusively.
// Threads: any worker thread; the process-wide set of reserved paths is guarded by a lock.
#pragma once

#include <string>

#include "download/core/LocalFile.h"

namespace tessaly {

class FileNameReservation {
public:
    // Reserves the first free name for fileName ("title.flv") in folder (both UTF-16).
    FileNameReservation(std::u16string folder, std::u16string fileName);
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

    std::u16string m_folder;
    std::u16string m_stem;  // the name without ".flv"
    std::u16string m_suffix;
    int m_number = 1;
    std::u16string m_fileName;
    std::u16string m_path;
};

} // namespace tessaly
