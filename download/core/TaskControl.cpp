// The start gate, stop request, created file and guarded posting of one task.
#include "download/core/TaskControl.h"

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
            m_pool->running.fetch_add(1);
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
    {
        std::lock_guard lock(m_lock);
        m_stopped = true;
    }
    m_stopSource.request_stop();
    m_gate.notify_all();
}

bool TaskControl::stopRequested() const {
    std::lock_guard lock(m_lock);
    return m_stopped;
}

bool TaskControl::WaitForStart(std::stop_token stop) {
    std::unique_lock lock(m_lock);
    m_gate.wait(lock, stop, [this] { return m_open || m_stopped; });
    return m_open && !m_stopped && m_counted;
}

void TaskControl::EndRunning() {
    std::lock_guard lock(m_lock);
    if (m_counted) {
        m_counted = false;
        m_pool->running.fetch_sub(1);
    }
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

bool TaskControl::CreateFileUnlessStopped(const std::function<std::optional<TaskFile>()>& create) {
    std::lock_guard lock(m_lock);
    if (m_stopped)
        return false;
    m_file = create();
    return true;
}

std::optional<TaskFile> TaskControl::file() const {
    std::lock_guard lock(m_lock);
    return m_file;
}

} // namespace tessaly
