// The messages a download worker posts about its task, their numbers, the failure codes, and the
// sink that carries them to the download page.
// Threads: workers call WorkerMessageSink::PostWorkerMessage from their own threads; the sink
// must only queue the message (the page posts a queued Qt event) and return at once. The page
// then hands each message, on its UI thread and in posting order, to TaskList::HandleWorkerMessage.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// Process-unique, non-zero number of a task's worker: the key of the task's row and the wParam
// of every message the worker posts.
using WorkerId = std::uint32_t;

// Worker to download page (window message numbers, WM_USER + n).
constexpr int WM_TASK_ANALYSING = 0x0400 + 1; // lParam 0: the worker has started
constexpr int WM_TASK_FAILED = 0x0400 + 2;    // lParam: the FailureCode
constexpr int WM_TASK_NAMED = 0x0400 + 3;     // fileName: the local file name the worker uses
constexpr int WM_TASK_CONNECTED = 0x0400 + 4; // lParam 0: stream opened, then local file created
constexpr int WM_TASK_DONE = 0x0400 + 5;      // lParam 0: the stream is saved whole
constexpr int WM_TASK_SPEED = 0x0400 + 6;     // lParam: bytes per millisecond over the last interval
constexpr int WM_TASK_LENGTH = 0x0400 + 7;    // lParam: the stream's length in bytes, as announced
constexpr int WM_TASK_RECEIVED = 0x0400 + 8;  // lParam: kibibytes received in all
// From the downloads service, not the worker: the worker's thread has ended (its running slot is free).
constexpr int WM_WORKER_ENDED = 0x0400 + 9;

// Why a worker gives up (the lParam of WM_TASK_FAILED).
enum FailureCode : int {
    kFailNoVideoFields = 0, // the page lacks title / stream parameters, or its address has no host
    kFailStreamOpen = 1,    // the stream cannot be opened, or answers with an error status
    kFailLocalFile = 2,     // the local file cannot be created or written
    kFailPageOpen = 3,      // the page address cannot be opened
    kFailInternet = 4,      // no Internet handle, or reading the page failed
    kFailStreamRead = 5,    // reading the stream failed for the third time
};

// What exactly went wrong, beyond the FailureCode: what the row tells the user in its tooltip.
enum class FailureCause {
    kNoVideo,       // the page holds no title and stream parameters
    kNoHost,        // the page address has no usable host part
    kTimedOut,      // the server did not answer in time
    kCannotResolve, // the host name is unknown
    kCannotConnect, // nothing answers at the server's port
    kHttpError,     // the server answered with an error status
    kBadAnswer,     // the answer announced two different lengths
    kNoData,        // the stream's answer held no byte
    kNoResume,      // the server cannot go on where a broken stream stopped
    kBroken,        // the connection broke off (networkError says how)
    kFileError,     // the local file cannot be created or written (systemError says why)
    kNameTooLong,   // the system refuses the file name
    kNoInternet,    // no Internet handle
};

struct FailureDetail {
    FailureCause cause = FailureCause::kNoVideo;
    bool inPage = false;  // it happened while the page was fetched (else: the stream)
    std::string host;     // the server, with its port if the address names one (UTF-8)
    long httpStatus = 0;  // kHttpError
    int networkError = 0; // libcurl's result code, where one was given
    int systemError = 0;  // kFileError, kNameTooLong: the system's error number
    std::u16string file;  // kFileError: the file's path; kNameTooLong: the refused name
};

struct WorkerMessage {
    int message = 0;
    WorkerId workerId = 0;
    std::int64_t lParam = 0;
    std::u16string fileName; // WM_TASK_NAMED only: an owned copy
    FailureDetail failure;   // WM_TASK_FAILED only
};

class WorkerMessageSink {
public:
    virtual ~WorkerMessageSink() = default;
    // Called on a worker's thread; must not block on the receiver.
    virtual void PostWorkerMessage(WorkerMessage message) = 0;
};

} // namespace tessaly
