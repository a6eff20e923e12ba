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
#include <cerrno>

namespace tessaly {

namespace {

// A stream read fails for good at this many failures in the whole download.
constexpr int kMaxReadFailures = 3;

// Only a 2xx answer that carries content is a video; anything else saves nothing.
bool IsVideoStatus(long status) {
    return status >= 200 && status < 300 && status != 204 && status != 205;
}

// A network failure of the page (inPage) or the stream, told by the host it concerns.
FailureDetail NetworkDetail(const HttpFailure& failure, std::string host, bool inPage) {
    FailureDetail detail;
    detail.inPage = inPage;
    detail.host = std::move(host);
    detail.networkError = failure.curlCode;
    switch (failure.kind) {
    case HttpFailure::Kind::kTimedOut:
        detail.cause = FailureCause::kTimedOut;
        break;
    case HttpFailure::Kind::kCannotResolve:
        detail.cause = FailureCause::kCannotResolve;
        break;
    case HttpFailure::Kind::kCannotConnect:
        detail.cause = FailureCause::kCannotConnect;
        break;
    default:
        detail.cause = FailureCause::kBroken;
        break;
    }
    return detail;
}

// A failure that is no network's fault: the cause, on the page or the stream of host.
FailureDetail AnswerDetail(FailureCause cause, std::string host, bool inPage, long status = 0) {
    FailureDetail detail;
    detail.cause = cause;
    detail.inPage = inPage;
    detail.host = std::move(host);
    detail.httpStatus = status;
    return detail;
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
                  LocalFile& file, const FileNameReservation& name);
    // After a broken read: the stream again from offset on, or null when the server does not
    // continue exactly there (lost then says why).
    std::unique_ptr<HttpRequest> Reopen(HttpSession& session, const std::string& address, std::int64_t offset,
                                        FailureDetail& lost);

    void Post(WorkerMessageBody message) { m_control->Post({0, std::move(message)}); }
    bool StopRequested() const { return m_control->stopRequested(); }
    // Failure steps: tells the page why (the thread's end then frees the running slot).
    void Fail(FailureCode code, FailureDetail detail) { Post(WM_TASK_FAILED{code, std::move(detail)}); }
    // The local file cannot be made or written: the system's reason, and the file it concerns.
    void FailFile(const LocalFile& file, const FileNameReservation& name) {
        FailureDetail detail;
        detail.systemError = file.error();
        detail.cause =
            detail.systemError == ENAMETOOLONG ? FailureCause::kNameTooLong : FailureCause::kFileError;
        detail.file = detail.cause == FailureCause::kNameTooLong ? name.fileName() : name.path();
        Fail(kFailLocalFile, std::move(detail));
    }
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
    Post(WM_TASK_ANALYSING{});

    auto session = HttpSession::Open();
    if (!session)
        return Fail(kFailInternet, AnswerDetail(FailureCause::kNoInternet, {}, true));
    session->SetConnectRetries(m_settings.connectRetries);
    session->SetReceiveTimeout(m_settings.receiveTimeout);
    session->SetStopToken(m_stop);

    // Page phase.
    const std::string pageHost = AddressHost(ToUtf8(m_address));
    const PageFetchResult page = FetchPageText(*session, m_address, [this] { return StopRequested(); });
    switch (page.status) {
    case PageFetchStatus::kOk:
        break;
    case PageFetchStatus::kOpenFailed:
        return Fail(kFailPageOpen, NetworkDetail(page.failure, pageHost, true));
    case PageFetchStatus::kReadFailed:
        return Fail(kFailInternet, NetworkDetail(page.failure, page.host, true));
    case PageFetchStatus::kStopped:
        return Stop();
    }
    const ResolveResult fields = ExtractVideoFields(page.text, m_stop);
    if (StopRequested())
        return Stop();
    if (!fields.success) {
        // An error page is read like any other; without the fields, its status says why.
        if (!IsVideoStatus(page.httpStatus))
            return Fail(kFailNoVideoFields,
                        AnswerDetail(FailureCause::kHttpError, page.host, true, page.httpStatus));
        return Fail(kFailNoVideoFields, AnswerDetail(FailureCause::kNoVideo, page.host, true));
    }
    FileNameReservation name(m_names, folder, WithoutControlCharacters(MakeVideoFileName(fields.title)));
    std::u16string announced = name.fileName();
    Post(WM_TASK_NAMED{announced});
    const auto streamAddress = BuildStreamAddress(m_address, fields.query);
    if (!streamAddress)
        return Fail(kFailNoVideoFields, AnswerDetail(FailureCause::kNoHost, pageHost, true));
    if (StopRequested())
        return Stop();

    // Connecting. An answer that is not a video saves nothing; nor does one of uncertain length.
    const std::string streamUtf8 = ToUtf8(*streamAddress);
    auto stream = session->OpenUrl(streamUtf8);
    if (!stream)
        return Fail(kFailStreamOpen, NetworkDetail(session->openFailure(), AddressHost(streamUtf8), false));
    if (!IsVideoStatus(stream->status())) {
        // A 2xx answer without content is no error of the server's, only no video.
        const long status = stream->status();
        const FailureCause cause =
            status >= 200 && status < 300 ? FailureCause::kNoData : FailureCause::kHttpError;
        return Fail(kFailStreamOpen, AnswerDetail(cause, stream->host(), false, status));
    }
    if (stream->lengthConflict())
        return Fail(kFailStreamOpen, AnswerDetail(FailureCause::kBadAnswer, stream->host(), false));
    Post(WM_TASK_CONNECTED{});
    if (const auto length = stream->contentLength())
        Post(WM_TASK_LENGTH{*length});
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
        return FailFile(file, name);
    if (name.fileName() != announced)
        Post(WM_TASK_NAMED{name.fileName()}); // the name was taken meanwhile: tell the one used
    Post(WM_TASK_CONNECTED{});

    Transfer(*session, streamUtf8, std::move(stream), file, name);
}

void Worker::Transfer(HttpSession& session, const std::string& streamAddress,
                      std::unique_ptr<HttpRequest> stream, LocalFile& file, const FileNameReservation& name) {
    std::array<char, kReadChunkBytes> buffer{};
    ProgressReport progress(m_settings.reportInterval, m_settings.clock());
    std::int64_t written = 0; // bytes handed to the file: where a resumed stream must continue
    int failures = 0;
    const std::string host = stream->host();
    const auto write = [&](std::ptrdiff_t count) {
        if (!file.Write(buffer.data(), static_cast<std::size_t>(count)))
            return false;
        written += count;
        return true;
    };
    // Stop steps: what has arrived is kept, also what the client holds but the loop has not read;
    // the stop lets it wait for no more.
    const auto keepArrivedAndStop = [&] {
        for (std::ptrdiff_t more; (more = stream->ReadArrived(buffer.data(), buffer.size())) > 0;)
            if (!write(more))
                break;
        Stop(&file);
    };
    // A failed download keeps what it wrote, but a file without a byte is no part of any video.
    const auto failStream = [&](FailureDetail detail) {
        file.FlushAndClose();
        if (written == 0)
            file.Remove();
        Fail(kFailStreamRead, std::move(detail));
    };
    for (;;) {
        const std::ptrdiff_t count = stream->Read(buffer.data(), buffer.size());
        if (count < 0) {
            if (StopRequested())
                return keepArrivedAndStop();
            FailureDetail lost = NetworkDetail(stream->failure(), host, false);
            stream.reset();
            while (!stream) {
                if (++failures >= kMaxReadFailures)
                    return failStream(std::move(lost));
                if (StopRequested())
                    return Stop(&file);
                stream = Reopen(session, streamAddress, written, lost);
            }
            continue;
        }
        if (count == 0)
            break;
        // What arrived is kept, also when the task has been stopped meanwhile.
        if (!write(count)) {
            file.Remove();
            return FailFile(file, name);
        }
        if (StopRequested())
            return keepArrivedAndStop();
        if (const auto figures = progress.Add(count, m_settings.clock())) {
            Post(WM_TASK_SPEED{figures->bytesPerMs});
            Post(WM_TASK_RECEIVED{static_cast<std::uint32_t>(figures->receivedKb)});
        }
    }

    // A 2xx answer that ended without a byte held no video: no empty file is kept as one.
    if (written == 0) {
        file.Remove();
        return Fail(kFailStreamOpen, AnswerDetail(FailureCause::kNoData, host, false));
    }
    // End steps.
    if (!file.FlushAndClose()) {
        file.Remove();
        return FailFile(file, name);
    }
    // The row shows the whole file, also the bytes after the last report (or before a first one).
    if ((written >> 10) != (progress.reported() >> 10))
        Post(WM_TASK_RECEIVED{static_cast<std::uint32_t>(written >> 10)});
    Post(WM_TASK_DONE{});
}

std::unique_ptr<HttpRequest> Worker::Reopen(HttpSession& session, const std::string& address,
                                            std::int64_t offset, FailureDetail& lost) {
    auto stream = session.OpenUrl(address, HttpRequestOptions{offset});
    if (!stream) {
        lost = NetworkDetail(session.openFailure(), lost.host, false);
        return nullptr;
    }
    if (stream->status() != 206 || stream->contentRangeStart() != offset) {
        lost =
            AnswerDetail(IsVideoStatus(stream->status()) ? FailureCause::kNoResume : FailureCause::kHttpError,
                         stream->host(), false, stream->status());
        return nullptr;
    }
    return stream;
}

} // namespace

void DownloadWorker(std::u16string pageAddress, std::shared_ptr<TaskControl> control, WorkerSettings settings,
                    ReservedNames& names, std::stop_token stop) {
    Worker(std::move(pageAddress), std::move(control), std::move(settings), names, std::move(stop)).Run();
}

} // namespace tessaly
