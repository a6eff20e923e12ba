// What the downloads service shares with its task controls and worker threads: the count of
// running workers, the reserved file names, and the bookkeeping of living threads. Held by
// shared_ptr, so it lasts as long as the last of them.
// Threads: every member is safe from any thread (atomic, or under its lock).
#pragma once

#include "download/core/FileNameReservation.h"
#include "download/core/WorkerMessages.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tessaly {

class WorkerPool {
public:
    // Workers counted as running: from the resume that starts them until their thread has ended.
    std::atomic<std::int32_t> running{0};
    ReservedNames names;

    explicit WorkerPool(WorkerMessageSink* sink) : m_sink(sink) {}

    // A thread was created / is about to return. ThreadEnded posts WM_WORKER_ENDED for it.
    void ThreadStarted();
    void ThreadEnded(WorkerId id);
    // The ids of the threads that ended since the last call (their threads may be joined at once).
    std::vector<WorkerId> TakeEnded();
    int liveThreads() const;
    // Waits until no thread lives; false when some still do at the deadline.
    template <class Deadline> bool WaitUntilNoneLive(Deadline deadline) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_until(lock, deadline, [this] { return m_live == 0; });
    }
    // No WM_WORKER_ENDED is posted from now on (the receiver is going away).
    void DetachSink();

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    int m_live = 0;
    std::vector<WorkerId> m_ended;
    WorkerMessageSink* m_sink;
};

} // namespace tessaly
