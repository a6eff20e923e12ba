// Worker threads created suspended: the thread exists (and its WorkerId is known) before it does
// anything, and runs DownloadWorker once its TaskControl's start gate opens.
// Threads: created from the task list's thread (or a tool's main thread); the threads are detached
// and end on their own, a stopped one at its next check.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "download/core/DownloadWorker.h"
#include "download/core/TaskControl.h"

namespace tessaly {

// A new process-unique, non-zero WorkerId.
WorkerId NextWorkerId();

// Creates the worker's thread behind its start gate; the returned control resumes or stops it.
// Null when no thread can be created.
std::shared_ptr<TaskControl> CreateSuspendedWorker(std::u16string pageAddress, WorkerMessageSink* sink,
                                                   WorkerSettings settings);

// Waits until every worker thread has finished its work (suspended, running and stopped ones
// count); false when some are still there after the timeout. For tests and tools: the program
// itself never waits for its workers.
bool WaitForWorkerThreads(std::chrono::milliseconds timeout);

} // namespace tessaly
