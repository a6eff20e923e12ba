// The worker's main sequence: page phase, connecting, transfer loop, and its end, stop and
// failure steps. Each step that can end the task says which ending it takes.
#include "download/core/DownloadWorker.h"

#include "base/TextCodec.h"
#include "download/core/ControlCharacters.h"
#include "download/core/FileNameReservation.h"
#include "download/core/LocalFile.h"
#include "download/core/PageFetch.h"
#include "download/core/PageResolution.h"

#include <array>

namespace tessaly {

namespace {

using Clock = std::chrono::steady_clock;

// A stream read fails for good at this many failures in the whole download.
constexpr int kMaxReadFailures = 3;

// Only a 2xx answer that carries content is a video; anything else saves nothing.
bool IsVideoStatus(long status) {
    return status >= 200 && status < 300 && status != 204 && status != 205;
}

class Worker {
public:
    Worker(std::u16string address, std::shared_ptr<TaskControl> control, WorkerSettings settings,
           ReservedNames& names, std::stop_token stop)
        : m_address(std::move(address)), m_control(std::move(control)), m_settings(std::move(settings)),
          m_names(names), m_stop(std::move(stop)) {}

    void Run();

private:
    void Transfer(HttpSession& session, const std::string& streamAddress, std::unique_ptr<HttpRequest> stream,
                  LocalFile& file);
    // After a broken read: the stream again from offset on, or null when the server does not
    // continue exactly there.
    std::unique_ptr<HttpRequest> Reopen(HttpSession& session, const std::string& address,
                                        std::int64_t offset);

    void Post(int message, std::int64_t lParam = 0, std::u16string fileName = {}) {
        m_control->Post({message, 0, lParam, std::move(fileName)});
    }
    bool StopRequested() const { return m_control->stopRequested(); }
    // Failure steps: tells the page why (the thread's end then frees the running slot).
    void Fail(FailureCode code) { Post(WM_TASK_FAILED, code); }
    // Stop steps: the file keeps everything that arrived before the stop; nothing is posted.
    void Stop(LocalFile* file = nullptr) {
        if (file)
            file->FlushAndClose();
    }

    std::u16string m_address;
    std::shared_ptr<TaskControl> m_control;
    WorkerSettings m_settings;
    ReservedNames& m_names;
    std::stop_token m_stop;
};

void Worker::Run() {
    if (!m_control->WaitForStart(m_stop))
        return; // stopped while waiting: never counted, nothing to tell
    const std::u16string folder = m_settings.downloadFolder ? m_settings.downloadFolder() : std::u16string();
    Post(WM_TASK_ANALYSING);

    auto session = HttpSession::Open();
    if (!session)
        return Fail(kFailInternet);
    session->SetConnectRetries(m_settings.connectRetries);
    session->SetReceiveTimeout(m_settings.receiveTimeout);
    session->SetStopToken(m_stop);

    // Page phase.
    const PageFetchResult page = FetchPageText(*session, m_address, [this] { return StopRequested(); });
    switch (page.status) {
    case PageFetchStatus::kOk:
        break;
    case PageFetchStatus::kOpenFailed:
        return Fail(kFailPageOpen);
    case PageFetchStatus::kReadFailed:
        return Fail(kFailInternet);
    case PageFetchStatus::kStopped:
        return Stop();
    }
    const ResolveResult fields = ExtractVideoFields(page.text, m_stop);
    if (StopRequested())
        return Stop();
    if (!fields.success)
        return Fail(kFailNoVideoFields);
    FileNameReservation name(m_names, folder, WithoutControlCharacters(MakeVideoFileName(fields.title)));
    std::u16string announced = name.fileName();
    Post(WM_TASK_NAMED, 0, announced);
    const auto streamAddress = BuildStreamAddress(m_address, fields.query);
    if (!streamAddress)
        return Fail(kFailNoVideoFields);
    if (StopRequested())
        return Stop();

    // Connecting. An answer that is not a video saves nothing.
    const std::string streamUtf8 = ToUtf8(*streamAddress);
    auto stream = session->OpenUrl(streamUtf8);
    if (!stream || !IsVideoStatus(stream->status()))
        return Fail(kFailStreamOpen);
    Post(WM_TASK_CONNECTED);
    LocalFile file;
    bool created = false;
    const bool notStopped = m_control->CreateFileUnlessStopped([&]() -> std::optional<TaskFile> {
        created = name.CreateFile(file);
        if (!created)
            return std::nullopt;
        TaskFile made = file.Identity();
        made.path = name.path();
        return made;
    });
    if (!notStopped)
        return Stop();
    if (!created)
        return Fail(kFailLocalFile);
    if (name.fileName() != announced)
        Post(WM_TASK_NAMED, 0, name.fileName()); // the name was taken meanwhile: tell the one used
    Post(WM_TASK_CONNECTED);

    Transfer(*session, streamUtf8, std::move(stream), file);
}

void Worker::Transfer(HttpSession& session, const std::string& streamAddress,
                      std::unique_ptr<HttpRequest> stream, LocalFile& file) {
    std::array<char, kReadChunkBytes> buffer{};
    std::int64_t sinceReport = 0;
    auto reportTime = Clock::now();
    std::int64_t total = 0;   // bytes reported so far
    std::int64_t written = 0; // bytes handed to the file: where a resumed stream must continue
    int failures = 0;
    for (;;) {
        const std::ptrdiff_t count = stream->Read(buffer.data(), buffer.size());
        if (count < 0) {
            stream.reset();
            while (!stream) {
                if (++failures >= kMaxReadFailures) {
                    file.FlushAndClose();
                    return Fail(kFailStreamRead);
                }
                if (StopRequested())
                    return Stop(&file);
                stream = Reopen(session, streamAddress, written);
            }
            continue;
        }
        if (count == 0)
            break;
        if (StopRequested())
            return Stop(&file);
        if (!file.Write(buffer.data(), static_cast<std::size_t>(count))) {
            file.Remove();
            return Fail(kFailLocalFile);
        }
        written += count;
        sinceReport += count;
        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - reportTime);
        if (elapsed <= m_settings.reportInterval)
            continue;
        total += sinceReport;
        Post(WM_TASK_SPEED, sinceReport / elapsed.count());
        Post(WM_TASK_RECEIVED, static_cast<std::uint32_t>(total >> 10));
        sinceReport = 0;
        reportTime = now;
    }

    // A 2xx answer that ended without a byte held no video: no empty file is kept as one.
    if (written == 0) {
        file.Remove();
        return Fail(kFailStreamOpen);
    }
    // End steps. The last, unreported interval stays out of the total, as the row shows it.
    if (!file.FlushAndClose()) {
        file.Remove();
        return Fail(kFailLocalFile);
    }
    Post(WM_TASK_DONE);
}

std::unique_ptr<HttpRequest> Worker::Reopen(HttpSession& session, const std::string& address,
                                            std::int64_t offset) {
    auto stream = session.OpenUrl(address, HttpRequestOptions{offset});
    if (!stream || stream->status() != 206 || stream->contentRangeStart() != offset)
        return nullptr;
    return stream;
}

} // namespace

void DownloadWorker(std::u16string pageAddress, std::shared_ptr<TaskControl> control, WorkerSettings settings,
                    ReservedNames& names, std::stop_token stop) {
    Worker(std::move(pageAddress), std::move(control), std::move(settings), names, std::move(stop)).Run();
}

} // namespace tessaly
