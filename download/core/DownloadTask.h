// One task of the task list as typed state: its worker, where it stands, its figures and the file
// its worker created; and the one place that turns that state into the row's icon and texts.
// Plain values, used on the task list's (UI) thread.
#pragma once

#include "download/core/LocalFile.h"
#include "download/core/TaskTexts.h"
#include "download/core/WorkerMessages.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessaly {

enum class TaskState {
    kWaiting,   // added, its worker not yet reported in
    kAnalysing, // the page phase
    kNamed,     // the file name is made
    kReceiving, // the stream is open (connected, then receiving)
    kDone,
    kFailed,
};

struct DownloadTask {
    WorkerId workerId = 0;
    TaskState state = TaskState::kWaiting;
    FailureCode failure = kFailNoVideoFields; // when failed
    FailureDetail failureDetail;              // when failed: why exactly
    std::u16string address;
    std::optional<std::u16string> fileName;  // once named
    std::int64_t receivedKb = 0;             // the last WM_TASK_RECEIVED figure
    std::int64_t speed = 0;                  // the last WM_TASK_SPEED figure, bytes per millisecond
    std::optional<std::int64_t> lengthBytes; // the stream's length, when it announced one
    double smoothedSpeed = 0;                // bytes per millisecond, averaged over the reports
    std::optional<TaskFile> file;            // once the worker has created it
};

// The row's texts: column 0 none, 1 the file name (the address until named), 2 the progress, 3 the
// speed, 4 the address.
std::u16string TaskColumnText(const DownloadTask& task, int column);
// The row's icon (TaskIcon).
int TaskIconOf(const DownloadTask& task);
// The row's tooltip and accessible description: why a failed task failed; received / total, share
// and time left of a receiving task whose length is known; otherwise empty.
std::u16string TaskDetailText(const DownloadTask& task);
// The share received (0 to 1) of a receiving task whose length is known.
std::optional<double> TaskProgress(const DownloadTask& task);
// Folds a speed report into the task's figures (the average weighs the newest report a third, so
// the time left moves smoothly).
void AddSpeedReport(DownloadTask& task, std::int64_t bytesPerMs);

} // namespace tessaly
