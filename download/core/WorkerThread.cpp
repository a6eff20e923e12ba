// Thread creation and the count of living worker threads.
#include "download/core/WorkerThread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace tessaly {

namespace {

std::atomic<WorkerId> g_lastWorkerId{0};
std::mutex g_liveLock;
std::condition_variable g_liveChanged;
int g_liveThreads = 0;

} // namespace

WorkerId NextWorkerId() {
    WorkerId id;
    do
        id = g_lastWorkerId.fetch_add(1) + 1;
    while (id == 0);
    return id;
}

std::shared_ptr<TaskControl> CreateSuspendedWorker(std::u16string pageAddress, WorkerMessageSink* sink,
                                                   WorkerSettings settings) {
    auto control = std::make_shared<TaskControl>(NextWorkerId(), sink);
    {
        std::lock_guard lock(g_liveLock);
        ++g_liveThreads;
    }
    try {
        std::thread([address = std::move(pageAddress), control, settings = std::move(settings)]() mutable {
            DownloadWorker(std::move(address), std::move(control), std::move(settings));
            std::lock_guard lock(g_liveLock);
            --g_liveThreads;
            g_liveChanged.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        std::lock_guard lock(g_liveLock);
        --g_liveThreads;
        return nullptr;
    }
    return control;
}

bool WaitForWorkerThreads(std::chrono::milliseconds timeout) {
    std::unique_lock lock(g_liveLock);
    return g_liveChanged.wait_for(lock, timeout, [] { return g_liveThreads == 0; });
}

} // namespace tessaly
