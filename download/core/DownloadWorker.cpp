// The worker's main sequence: page phase, connecting, transfer loop, and its end, stop and
// failure steps. Each step that can end the task says which ending it takes.
#include "download/core/DownloadWorker.h"

#include <array>

#include "base/TextCodec.h"
#include "download/core/FileNameReservation.h"
#include "download/core/LocalFile.h"
#include "download/core/PageFetch.h"
#include "download/core/PageResolution.h"

namespace tessaly {

std::atomic<std::int32_t> g_runningWorkers{0};

namespace {

using Clock = std::chrono::steady_clock;

// A stream read fails for good at this many failures in the whole download.
constexpr int kMaxReadFailures = 3;

class Worker {
public:
    Worker(std::u16string address, std::shared_ptr<TaskControl> control, WorkerSettings settings)
        : m_address(std::move(address)), m_control(std::move(control)), m_settings(std::move(settings)) {}

    void Run();

private:
    void Transfer(HttpSession& session, const std::string& streamAddress,
                  std::unique_ptr<HttpRequest> stream, LocalFile& file);
    // After a broken read: the stream again from offset on, or null when the server does not
    // continue exactly there.
    std::unique_ptr<HttpRequest> Reopen(HttpSession& session, const std::string& address, std::int64_t offset);

    void Post(int message, std::int64_t lParam = 0, std::u16string fileName = {}) {
        m_control->Post({message, 0, lParam, std::move(fileName)});
    }
    bool StopRequested() const { return m_control->stopRequested(); }
    // Failure steps: the worker stops counting as running, then tells the page why.
    void Fail(FailureCode code) {
        m_control->EndRunning();
        Post(WM_TASK_FAILED, code);
    }
    // Stop steps: the file keeps what was written before the stop; nothing is posted.
    void Stop(LocalFile* file = nullptr) {
        if (file)
            file->Discard();
        m_control->EndRunning();
    }

    std::u16string m_address;
    std::shared_ptr<TaskControl> m_control;
    WorkerSettings m_settings;
};

void Worker::Run() {
    if (!m_control->WaitForStart())
        return;  // stopped while waiting: never counted, nothing to tell
    const std::u16string folder = m_settings.downloadFolder ? m_settings.downloadFolder() : std::u16string();
    Post(WM_TASK_ANALYSING);

    auto session = HttpSession::Open();
    if (!session)
        return Fail(kFailInternet);
    session->SetConnectRetries(m_settings.connectRetries);
    session->SetReceiveTimeout(m_settings.receiveTimeout);

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
    const ResolveResult fields = ExtractVideoFields(page.text);
    if (!fields.success)
        return Fail(kFailNoVideoFields);
    FileNameReservation name(folder, MakeVideoFileName(fields.title));
    std::u16string announced = name.fileName();
    Post(WM_TASK_NAMED, 0, announced);
    const auto streamAddress = BuildStreamAddress(m_address, fields.query);
    if (!streamAddress)
        return Fail(kFailNoVideoFields);
    if (StopRequested())
        return Stop();

    // Connecting. An error status is not a video: nothing is saved for it.
    const std::string streamUtf8 = ToUtf8(*streamAddress);
    auto stream = session->OpenUrl(streamUtf8);
    if (!stream || stream->status() >= 400)
        return Fail(kFailStreamOpen);
    Post(WM_TASK_CONNECTED);
    LocalFile file;
    bool created = false;
    if (!m_control->RunUnlessStopped([&] { created = name.CreateFile(file); }))
        return Stop();
    if (!created)
        return Fail(kFailLocalFile);
    if (name.fileName() != announced)
        Post(WM_TASK_NAMED, 0, name.fileName());  // the name was taken meanwhile: tell the one used
    Post(WM_TASK_CONNECTED);

    Transfer(*session, streamUtf8, std::move(stream), file);
}

void Worker::Transfer(HttpSession& session, const std::string& streamAddress,
                      std::unique_ptr<HttpRequest> stream, LocalFile& file) {
    std::array<char, kReadChunkBytes> buffer{};
    std::int64_t sinceReport = 0;
    auto reportTime = Clock::now();
    std::int64_t total = 0;    // bytes reported so far
    std::int64_t written = 0;  // bytes handed to the file: where a resumed stream must continue
    int failures = 0;
    for (;;) {
        const std::ptrdiff_t count = stream->Read(buffer.data(), buffer.size());
        if (count < 0) {
            stream.reset();
            while (!stream) {
                if (++failures >= kMaxReadFailures) {
                    if (!m_control->RunUnlessStopped([&] { file.FlushAndClose(); }))
                        return Stop(&file);
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
        bool writeOk = true;
        if (!m_control->RunUnlessStopped([&] { writeOk = file.Write(buffer.data(), static_cast<std::size_t>(count)); }))
            return Stop(&file);
        if (!writeOk) {
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

    // End steps. The last, unreported interval stays out of the total, as the row shows it.
    bool closed = false;
    if (!m_control->RunUnlessStopped([&] { closed = file.FlushAndClose(); }))
        return Stop(&file);
    if (!closed) {
        file.Remove();
        return Fail(kFailLocalFile);
    }
    m_control->EndRunning();
    Post(WM_TASK_DONE);
}

std::unique_ptr<HttpRequest> Worker::Reopen(HttpSession& session, const std::string& address, std::int64_t offset) {
    auto stream = session.OpenUrl(address, HttpRequestOptions{offset});
    if (!stream || stream->status() != 206 || stream->contentRangeStart() != offset)
        return nullptr;
    return stream;
}

} // namespace

void DownloadWorker(std::u16string pageAddress, std::shared_ptr<TaskControl> control, WorkerSettings settings) {
    Worker(std::move(pageAddress), std::move(control), std::move(settings)).Run();
}

} // namespace tessaly
