// The start gate, stop flag and guarded posting of one task.
#include "download/core/TaskControl.h"

#include "download/core/DownloadWorker.h"

namespace tessaly {

bool TaskControl::Resume() {
    bool started = false;
    {
        std::lock_guard lock(m_lock);
        if (m_open)
            return false;
        m_open = true;
        if (!m_stopped) {
            m_counted = true;
            g_runningWorkers.fetch_add(1);
            started = true;
        }
    }
    m_gate.notify_all();
    return started;
}

bool TaskControl::resumed() const {
    std::lock_guard lock(m_lock);
    return m_open;
}

void TaskControl::RequestStop() {
    std::lock_guard lock(m_lock);
    m_stopped = true;
    if (m_counted) {
        m_counted = false;
        g_runningWorkers.fetch_sub(1);
    }
}

void TaskControl::EndRunning() {
    std::lock_guard lock(m_lock);
    if (m_counted) {
        m_counted = false;
        g_runningWorkers.fetch_sub(1);
    }
}

bool TaskControl::stopRequested() const {
    std::lock_guard lock(m_lock);
    return m_stopped;
}

bool TaskControl::WaitForStart() {
    std::unique_lock lock(m_lock);
    m_gate.wait(lock, [this] { return m_open; });
    return !m_stopped;
}

bool TaskControl::Post(WorkerMessage message) {
    std::lock_guard lock(m_lock);
    if (m_stopped)
        return false;
    message.workerId = m_id;
    if (m_sink)
        m_sink->PostWorkerMessage(std::move(message));
    return true;
}

} // namespace tessaly
