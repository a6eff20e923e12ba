// DownloadWorker: one task's download, from the watch-page address to the local .flv file, with the
// messages it posts on the way.
// Threads: DownloadWorker runs on the task's own worker thread (see DownloadService.h); it uses its
// own HTTP session and file and reaches the page only through its TaskControl.
#pragma once

#include "download/core/FileNameReservation.h"
#include "download/core/HttpClient.h"
#include "download/core/ProgressReport.h"
#include "download/core/TaskControl.h"

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

namespace tessaly {

struct WorkerSettings {
    // The download folder, asked once on the worker's thread when it starts (so it must be
    // thread-safe, e.g. a copy taken from the application's settings under their lock).
    std::function<std::u16string()> downloadFolder;
    int connectRetries = HttpSession::kDefaultConnectRetries;
    std::chrono::milliseconds receiveTimeout = HttpSession::kDefaultReceiveTimeout;
    // Progress is reported when more than this much time has passed since the last report.
    std::chrono::milliseconds reportInterval{2000};
    // Where the report interval's time is read.
    WorkerClockSource clock = WorkerClock::now;
};

// Runs the whole download of pageAddress once the control's start gate has opened, and returns
// when it is done, has failed, or the task was stopped (stop fires: every wait gives up). Messages
// go out through the control, which drops them once the task is stopped. The file name is reserved
// among names.
void DownloadWorker(std::u16string pageAddress, std::shared_ptr<TaskControl> control, WorkerSettings settings,
                    ReservedNames& names, std::stop_token stop);

} // namespace tessaly
