// Test stand-ins for the page's queued delivery: the workers' messages and the figure messages are
// queued in posting order and taken on the test's thread, as the page's event loop would.
// Threads: PostWorkerMessage from any worker thread; everything else from the test's thread.
#pragma once

#include "download/core/TaskList.h"
#include "download/core/WorkerMessages.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace tessaly::test {

class MessageQueue : public WorkerMessageSink {
public:
    void PostWorkerMessage(WorkerMessage message) override;

    // Forgets every message (between cases, once the workers have ended).
    void Clear();
    // Every worker message posted so far, in order (also those already taken by Pump); the
    // service's WM_WORKER_ENDED is only delivered, not kept.
    std::vector<WorkerMessage> All() const;
    // Waits until a message satisfying done has been posted; false on timeout. done runs under
    // the queue's lock and must not call back into the queue.
    bool WaitFor(const std::function<bool(const WorkerMessage&)>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Delivers queued messages to list (as the page does on its UI thread) until stop() holds
    // after a delivery or the timeout passes; false on timeout.
    bool PumpUntil(TaskList& list, const std::function<bool()>& stop,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
    mutable std::mutex m_lock;
    std::condition_variable m_posted;
    std::vector<WorkerMessage> m_all;
    std::deque<WorkerMessage> m_pending;
};

// The main window's side: records figure messages.
struct FigureLog : FigureSink {
    void PostFigureMessage(FigureMessage message) override { entries.push_back(std::move(message)); }
    // The sum of the deltas of the messages of type M (the completed and task-count figures).
    template <typename M> std::int64_t Sum() const {
        std::int64_t sum = 0;
        for (const auto& entry : entries)
            if (const auto* m = std::get_if<M>(&entry))
                sum += m->delta;
        return sum;
    }
    // The last message, which must be an M.
    template <typename M> const M& Last() const { return std::get<M>(entries.back()); }
    std::vector<FigureMessage> entries;
};

// Which message a worker message is, comparable across messages.
template <typename M> std::size_t Kind() {
    return WorkerMessageBody(std::in_place_type<M>).index();
}
// Messages of one worker, by kind.
std::vector<std::size_t> MessageKinds(const std::vector<WorkerMessage>& messages, WorkerId id);

} // namespace tessaly::test
