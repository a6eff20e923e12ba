// The owner of every download worker: their threads (std::jthread behind a start gate), the count
// of running workers and the file names they have reserved. Held by the download page (or a tool);
// closing it stops every worker and waits for them a few seconds.
// Threads: a DownloadService belongs to its owner's thread (the UI thread), which makes every call.
// Workers reach the shared parts only through the WorkerPool; when a worker's thread ends, the
// sink receives WM_WORKER_ENDED for it (from that thread), so the owner can start the next task.
#pragma once

#include "download/core/DownloadWorker.h"
#include "download/core/TaskControl.h"
#include "download/core/WorkerPool.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>

namespace tessaly {

class DownloadService {
public:
    // How long closing waits for the workers to end.
    static constexpr std::chrono::seconds kShutdownDeadline{3};

    // sink: where the workers' messages and WM_WORKER_ENDED go; it must outlive the service.
    explicit DownloadService(WorkerMessageSink& sink);
    // Shutdown(kShutdownDeadline).
    ~DownloadService();
    DownloadService(const DownloadService&) = delete;
    DownloadService& operator=(const DownloadService&) = delete;

    // Creates a worker thread for the address behind its start gate; the returned control resumes
    // or stops it. Null when no thread can be created or the service is shut down.
    std::shared_ptr<TaskControl> CreateWorker(std::u16string pageAddress, WorkerSettings settings);

    // Workers counted as running (resumed, thread not yet ended).
    int running() const { return m_pool->running.load(); }
    // Worker threads that have not yet ended, waiting ones included.
    int liveThreads() const { return m_pool->liveThreads(); }

    // Waits until every worker thread has ended, and joins them; false on timeout.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    // Stops every worker and waits for them until the deadline; afterwards nothing more is posted
    // to the sink and no worker is created. Threads still there at the deadline are let go: they
    // hold only shared state and post nothing. True when every thread has ended.
    bool Shutdown(std::chrono::milliseconds deadline);

private:
    struct Worker {
        std::jthread thread;
        std::shared_ptr<TaskControl> control;
    };
    // Joins the threads that have ended and forgets them.
    void Reap();

    std::shared_ptr<WorkerPool> m_pool;
    WorkerMessageSink& m_sink;
    std::unordered_map<WorkerId, Worker> m_workers;
    WorkerId m_lastId = 0;
    bool m_shutDown = false;
};

} // namespace tessaly
