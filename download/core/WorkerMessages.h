// The messages a download worker posts about its task, one type each, the failure codes, and the
// sink that carries them to the download page.
// Threads: workers call WorkerMessageSink::PostWorkerMessage from their own threads; the sink
// must only queue the message (the page posts a queued Qt event) and return at once. The page
// then hands each message, on its UI thread and in posting order, to TaskList::HandleWorkerMessage.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace tessaly {

// Process-unique, non-zero number of a task's worker: the key of the task's row, carried by
// every message the worker posts.
using WorkerId = std::uint32_t;

// Why a worker gives up (the code of WM_TASK_FAILED).
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

// Worker to download page, one type per message.
struct WM_TASK_ANALYSING {}; // the worker has started
struct WM_TASK_FAILED {
    FailureCode code = kFailNoVideoFields;
    FailureDetail detail;
};
struct WM_TASK_NAMED {
    std::u16string fileName; // the local file name the worker uses
};
struct WM_TASK_CONNECTED {}; // stream opened, then local file created
struct WM_TASK_DONE {};      // the stream is saved whole
struct WM_TASK_SPEED {
    std::int64_t bytesPerMs = 0; // over the last interval
};
struct WM_TASK_LENGTH {
    std::int64_t bytes = 0; // the stream's length, as announced
};
struct WM_TASK_RECEIVED {
    std::int64_t kibibytes = 0; // received in all
};
// From the downloads service, not the worker: the worker's thread has ended (its running slot is free).
struct WM_WORKER_ENDED {};

using WorkerMessageBody =
    std::variant<WM_TASK_ANALYSING, WM_TASK_FAILED, WM_TASK_NAMED, WM_TASK_CONNECTED, WM_TASK_DONE,
                 WM_TASK_SPEED, WM_TASK_LENGTH, WM_TASK_RECEIVED, WM_WORKER_ENDED>;

struct WorkerMessage {
    WorkerId workerId = 0;
    WorkerMessageBody body;

    // The message's content when it is an M, else null.
    template <typename M> const M* As() const { return std::get_if<M>(&body); }
    template <typename M> bool Is() const { return std::holds_alternative<M>(body); }
};

class WorkerMessageSink {
public:
    virtual ~WorkerMessageSink() = default;
    // Called on a worker's thread; must not block on the receiver.
    virtual void PostWorkerMessage(WorkerMessage message) = 0;
};

} // namespace tessaly
