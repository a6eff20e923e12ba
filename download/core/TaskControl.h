// What a task's row and its worker share: the start gate, the task's own stop flag and the way
// out for the worker's messages. Held by shared_ptr by the task list and by the worker thread.
// Threads: Resume/RequestStop come from the task list's (UI) thread, the rest from the worker.
#pragma once

#include <condition_variable>
#include <mutex>

#include "download/core/WorkerMessages.h"

namespace tessaly {

class TaskControl {
public:
    TaskControl(WorkerId id, WorkerMessageSink* sink) : m_id(id), m_sink(sink) {}

    WorkerId id() const { return m_id; }

    // Opens the start gate. The first call of a task not yet stopped counts the worker as running
    // (g_runningWorkers) right away, so that the next start decision sees it; later calls change
    // nothing. Returns whether this call started the worker.
    bool Resume();
    bool resumed() const;

    // Asks the worker to end. Once this returns the worker posts nothing more and never touches
    // its file again; a worker still behind the gate ends as soon as the gate opens. A running
    // worker stops counting as running at once, so its slot is free for the next waiting task.
    void RequestStop();
    bool stopRequested() const;

    // Worker side: blocks until the gate opens. True when the worker was counted as running and
    // must go on; false when it was stopped before it started (it then just ends).
    bool WaitForStart();

    // Worker side, when it ends in any way: it no longer counts as running (if it still did).
    void EndRunning();
    // Worker side: posts a message unless the task has been stopped; false when stopped.
    bool Post(WorkerMessage message);
    // Worker side: runs action under the stop lock unless the task has been stopped, so that the
    // action cannot overlap a RequestStop. False when stopped (action not run).
    template <class Action> bool RunUnlessStopped(Action&& action) {
        std::lock_guard lock(m_lock);
        if (m_stopped)
            return false;
        action();
        return true;
    }

private:
    const WorkerId m_id;
    WorkerMessageSink* const m_sink;
    mutable std::mutex m_lock;
    std::condition_variable m_gate;
    bool m_open = false;
    bool m_counted = false;
    bool m_stopped = false;
};

} // namespace tessaly
