// One running copy per user session: a lock file named after the instance name in the user's
// runtime folder (XDG_RUNTIME_DIR), else in the temporary folder with the user id in its name.
// UI thread, for the whole run.
#pragma once

#include <QLockFile>
#include <QString>

namespace tessaly {

class InstanceLock {
public:
    explicit InstanceLock(const QString& name);

    // False only while another live copy holds the lock. A dead holder's lock is stale and taken
    // over; a folder that cannot hold the lock at all does not keep the program from starting.
    bool Take();
    // Lets the next copy start; the destructor does the same.
    void Release();

    // Where the lock for name lives for this user.
    static QString PathFor(const QString& name);

private:
    QLockFile m_file;
};

} // namespace tessaly
