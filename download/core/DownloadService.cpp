// Creating, stopping, reaping and joining the worker threads; the pool's thread bookkeeping.
#include "download/core/DownloadService.h"

#include <system_error>
#include <utility>

namespace tessaly {

void WorkerPool::ThreadStarted() {
    std::lock_guard lock(m_lock);
    ++m_live;
}

void WorkerPool::ThreadEnded(WorkerId id) {
    std::lock_guard lock(m_lock);
    --m_live;
    m_ended.push_back(id);
    if (m_sink)
        m_sink->PostWorkerMessage({id, WM_WORKER_ENDED{}});
    m_changed.notify_all();
}

std::vector<WorkerId> WorkerPool::TakeEnded() {
    std::lock_guard lock(m_lock);
    return std::exchange(m_ended, {});
}

int WorkerPool::liveThreads() const {
    std::lock_guard lock(m_lock);
    return m_live;
}

void WorkerPool::DetachSink() {
    std::lock_guard lock(m_lock);
    m_sink = nullptr;
}

DownloadService::DownloadService(WorkerMessageSink& sink)
    : m_pool(std::make_shared<WorkerPool>(&sink)), m_sink(sink) {
}

DownloadService::~DownloadService() {
    Shutdown(kShutdownDeadline);
}

std::shared_ptr<TaskControl> DownloadService::CreateWorker(std::u16string pageAddress,
                                                           WorkerSettings settings) {
    if (m_shutDown)
        return nullptr;
    Reap();
    do
        ++m_lastId;
    while (m_lastId == 0 || m_workers.contains(m_lastId));
    auto control = std::make_shared<TaskControl>(m_lastId, &m_sink, m_pool);
    m_pool->ThreadStarted();
    Worker worker;
    try {
        worker.thread = std::jthread([pool = m_pool, control, address = std::move(pageAddress),
                                      settings = std::move(settings)](std::stop_token stop) mutable {
            DownloadWorker(std::move(address), control, std::move(settings), pool->names, stop);
            control->EndRunning();
            pool->ThreadEnded(control->id());
        });
    } catch (const std::system_error&) {
        m_pool->ThreadEnded(control->id());
        return nullptr;
    }
    control->SetStopSource(worker.thread.get_stop_source());
    worker.control = control;
    m_workers.emplace(control->id(), std::move(worker));
    return control;
}

void DownloadService::Reap() {
    for (const WorkerId id : m_pool->TakeEnded()) {
        const auto found = m_workers.find(id);
        if (found == m_workers.end())
            continue;
        found->second.thread.join();
        m_workers.erase(found);
    }
}

bool DownloadService::WaitUntilIdle(std::chrono::milliseconds timeout) {
    const bool idle = m_pool->WaitUntilNoneLive(std::chrono::steady_clock::now() + timeout);
    Reap();
    return idle;
}

bool DownloadService::Shutdown(std::chrono::milliseconds deadline) {
    m_shutDown = true;
    m_pool->DetachSink();
    for (auto& [id, worker] : m_workers)
        worker.control->RequestStop();
    const bool ended = WaitUntilIdle(deadline);
    for (auto& [id, worker] : m_workers)
        worker.thread.detach();
    m_workers.clear();
    return ended;
}

} // namespace tessaly
