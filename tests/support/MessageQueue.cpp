// The test-side message queue and figure log.
#include "tests/support/MessageQueue.h"

namespace tessaly::test {

void MessageQueue::PostWorkerMessage(WorkerMessage message) {
    {
        std::lock_guard lock(m_lock);
        if (!message.Is<WM_WORKER_ENDED>())
            m_all.push_back(message);
        m_pending.push_back(std::move(message));
    }
    m_posted.notify_all();
}

void MessageQueue::Clear() {
    std::lock_guard lock(m_lock);
    m_all.clear();
    m_pending.clear();
}

std::vector<WorkerMessage> MessageQueue::All() const {
    std::lock_guard lock(m_lock);
    return m_all;
}

bool MessageQueue::WaitFor(const std::function<bool(const WorkerMessage&)>& done,
                           std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_lock);
    return m_posted.wait_for(lock, timeout, [&] {
        for (const auto& message : m_all)
            if (done(message))
                return true;
        return false;
    });
}

bool MessageQueue::PumpUntil(TaskList& list, const std::function<bool()>& stop,
                             std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (stop())
            return true;
        std::unique_lock lock(m_lock);
        if (!m_posted.wait_until(lock, deadline, [this] { return !m_pending.empty(); }))
            return stop();
        WorkerMessage message = std::move(m_pending.front());
        m_pending.pop_front();
        lock.unlock();
        list.HandleWorkerMessage(message);
    }
}

std::vector<std::size_t> MessageKinds(const std::vector<WorkerMessage>& messages, WorkerId id) {
    std::vector<std::size_t> kinds;
    for (const auto& message : messages)
        if (message.workerId == id)
            kinds.push_back(message.body.index());
    return kinds;
}

} // namespace tessaly::test
