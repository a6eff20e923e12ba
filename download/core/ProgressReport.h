// The worker's progress figures: bytes are counted as they arrive, and once more than the report
// interval has passed since the last report, the speed over that interval and the kibibytes
// received in all are due.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace tessaly {

using WorkerClock = std::chrono::steady_clock;
// What the worker reads the time from: the steady clock in the program, a test clock in tests.
using WorkerClockSource = std::function<WorkerClock::time_point()>;

class ProgressReport {
public:
    struct Figures {
        std::int64_t bytesPerMs; // over the interval just ended
        std::int64_t receivedKb; // in all, up to this report
    };

    ProgressReport(std::chrono::milliseconds interval, WorkerClock::time_point start)
        : m_interval(interval), m_last(start) {}

    // count more bytes arrived at now: the figures when a report is due.
    std::optional<Figures> Add(std::int64_t count, WorkerClock::time_point now) {
        m_sinceReport += count;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_last);
        if (elapsed <= m_interval)
            return std::nullopt;
        m_reported += m_sinceReport;
        const Figures figures{m_sinceReport / elapsed.count(), m_reported >> 10};
        m_sinceReport = 0;
        m_last = now;
        return figures;
    }
    // Bytes covered by the reports so far.
    std::int64_t reported() const { return m_reported; }

private:
    std::chrono::milliseconds m_interval;
    WorkerClock::time_point m_last;
    std::int64_t m_sinceReport = 0;
    std::int64_t m_reported = 0;
};

} // namespace tessaly
