// What a task's row and its worker share: the start gate, the task's stop request, the file the
// worker created, and the way out for the worker's messages. Held by shared_ptr by the task list,
// the downloads service and the worker thread.
// Threads: Resume/RequestStop come from the owner's (UI) thread, the rest from the worker.
#pragma once

#include "download/core/LocalFile.h"
#include "download/core/WorkerMessages.h"
#include "download/core/WorkerPool.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

namespace tessaly {

class TaskControl {
public:
    TaskControl(WorkerId id, WorkerMessageSink* sink, std::shared_ptr<WorkerPool> pool)
        : m_id(id), m_sink(sink), m_pool(std::move(pool)) {}

    WorkerId id() const { return m_id; }

    // The worker thread's stop source, set once by the service right after creating the thread.
    void SetStopSource(std::stop_source source) { m_stopSource = std::move(source); }

    // Opens the start gate. The first call of a task not yet stopped counts the worker as running
    // right away, so that the next start decision sees it; later calls change nothing. Returns
    // whether this call started the worker.
    bool Resume();
    bool resumed() const;

    // Asks the worker to end: its stop token fires (waits for the network, the gate and the page
    // matcher give up), it posts nothing more and creates no file. The worker stays counted as
    // running until its thread has ended.
    void RequestStop();
    bool stopRequested() const;

    // Worker side: blocks until the gate opens or stop fires. True when the worker was counted as
    // running and must go on; false when it was stopped before it started (it then just ends).
    bool WaitForStart(std::stop_token stop);
    // Worker side, as its thread ends: it no longer counts as running (if it did).
    void EndRunning();
    // Worker side: posts a message unless the task has been stopped; false when stopped.
    bool Post(WorkerMessage message);
    // Worker side: runs create under the stop lock unless the task has been stopped, and records the
    // file it returns, so that a stop either comes first (no file) or sees the file. False when
    // stopped (create not run).
    bool CreateFileUnlessStopped(const std::function<std::optional<TaskFile>()>& create);
    // The file the worker created, once it has.
    std::optional<TaskFile> file() const;

private:
    const WorkerId m_id;
    WorkerMessageSink* const m_sink;
    const std::shared_ptr<WorkerPool> m_pool;
    std::stop_source m_stopSource{std::nostopstate};
    mutable std::mutex m_lock;
    std::condition_variable_any m_gate;
    bool m_open = false;
    bool m_counted = false;
    bool m_stopped = false;
    std::optional<TaskFile> m_file;
};

} // namespace tessaly
