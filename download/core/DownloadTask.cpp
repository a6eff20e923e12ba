// Row texts and icons from a task's state.
#include "download/core/DownloadTask.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace tessaly {

namespace {

std::u16string Number(std::int64_t value) {
    return FromUtf8(std::to_string(value));
}

std::u16string Kilobytes(std::int64_t value) {
    return Number(value) + kTextKb;
}

// The format with "%1", "%2"... replaced by the values in order.
std::u16string Fill(std::u16string_view format, std::initializer_list<std::u16string> values) {
    std::u16string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char16_t next = i + 1 < format.size() ? format[i + 1] : u'\0';
        const std::size_t index = static_cast<std::size_t>(next - u'1');
        if (format[i] == u'%' && next >= u'1' && index < values.size()) {
            out += *(values.begin() + index);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

// The table's words for the code, or null when it has none.
template <typename Code, std::size_t N>
const char16_t* FindWords(const CodeText<Code> (&table)[N], Code code) {
    for (const CodeText<Code>& entry : table)
        if (entry.code == code)
            return entry.text;
    return nullptr;
}

std::u16string HttpStatusWords(long status) {
    const char16_t* words = FindWords(kHttpStatusTexts, status);
    return words ? Number(status) + words : Number(status);
}

std::u16string NetworkErrorWords(int code) {
    const char16_t* words = FindWords(kNetworkErrorTexts, code);
    return words ? words : Fill(kTextNetworkError, {Number(code)});
}

std::u16string SystemErrorWords(int error) {
    const char16_t* words = FindWords(kSystemErrorTexts, error);
    return words ? words : Fill(kTextSystemError, {Number(error)});
}

const FailureTexts& TextsOf(FailureCause cause) {
    for (const FailureTexts& texts : kFailureTexts)
        if (texts.cause == cause)
            return texts;
    return kFailureTexts[0];
}

std::u16string FailureRowText(const DownloadTask& task) {
    const FailureDetail& detail = task.failureDetail;
    if (detail.cause == FailureCause::kFileError &&
        (detail.systemError == ENOSPC || detail.systemError == EDQUOT))
        return kTextDiskFull;
    return TextsOf(detail.cause).row;
}

std::u16string FailureDetailText(const FailureDetail& detail) {
    const std::u16string host = FromUtf8(detail.host);
    const std::u16string_view format = TextsOf(detail.cause).detail;
    switch (detail.cause) {
    case FailureCause::kFileError:
        return Fill(format, {detail.file, SystemErrorWords(detail.systemError)});
    case FailureCause::kNameTooLong:
        return Fill(format, {detail.file});
    case FailureCause::kNoVideo:
    case FailureCause::kNoHost:
    case FailureCause::kNoInternet:
        return std::u16string(format);
    default:
        break;
    }
    std::u16string second;
    if (detail.cause == FailureCause::kHttpError)
        second = HttpStatusWords(detail.httpStatus);
    else
        second = NetworkErrorWords(detail.networkError);
    return (detail.inPage ? kTextInPage : kTextInStream) + Fill(format, {host, second});
}

// A duration the user reads at a glance and that does not flicker from report to report: seconds
// up to ten, then steps of five seconds, ten seconds past a minute, whole minutes past an hour.
std::u16string Duration(double seconds) {
    const auto whole = static_cast<std::int64_t>(std::ceil(std::max(seconds, 1.0)));
    if (whole <= 10)
        return Fill(kTextSeconds, {Number(whole)});
    if (whole < 60)
        return Fill(kTextSeconds, {Number((whole + 4) / 5 * 5)});
    if (whole < 3600) {
        const std::int64_t rounded = (whole + 9) / 10 * 10;
        return Fill(kTextMinutes, {Number(rounded / 60), Number(rounded % 60)});
    }
    const std::int64_t minutes = (whole + 59) / 60;
    return Fill(kTextHours, {Number(minutes / 60), Number(minutes % 60)});
}

std::u16string ProgressText(const DownloadTask& task) {
    switch (task.state) {
    case TaskState::kWaiting:
        return kTextWaiting;
    case TaskState::kAnalysing:
        return kTextAnalysing;
    case TaskState::kNamed:
        return kTextReady;
    case TaskState::kReceiving:
    case TaskState::kDone:
        return Kilobytes(task.receivedKb);
    case TaskState::kFailed:
        return FailureRowText(task);
    }
    return {};
}

} // namespace

std::u16string TaskColumnText(const DownloadTask& task, int column) {
    switch (column) {
    case 1:
        return task.fileName ? *task.fileName : task.address;
    case 2:
        return ProgressText(task);
    case 3:
        // Bytes per millisecond times 1000/1024: kibibytes per second.
        if (task.state == TaskState::kDone)
            return kTextDone;
        // A failed task moves nothing any more, whatever it last reported.
        return task.state == TaskState::kFailed ? std::u16string(kTextZeroKb)
                                                : Kilobytes(task.speed * 125 / 128);
    case 4:
        return task.address;
    default:
        return {};
    }
}

std::optional<double> TaskProgress(const DownloadTask& task) {
    if (task.state != TaskState::kReceiving || !task.lengthBytes || *task.lengthBytes <= 0)
        return std::nullopt;
    return std::clamp(static_cast<double>(task.receivedKb) * 1024 / static_cast<double>(*task.lengthBytes),
                      0.0, 1.0);
}

std::u16string TaskDetailText(const DownloadTask& task) {
    if (task.state == TaskState::kFailed)
        return FailureDetailText(task.failureDetail);
    const auto share = TaskProgress(task);
    if (!share)
        return {};
    std::u16string text = Fill(kTextProgress, {Number(task.receivedKb), Number(*task.lengthBytes >> 10),
                                               Number(static_cast<std::int64_t>(*share * 100))});
    text += u'\n';
    const double leftBytes =
        static_cast<double>(*task.lengthBytes) - static_cast<double>(task.receivedKb) * 1024;
    if (task.smoothedSpeed <= 0)
        return text + kTextTimeUnknown;
    return text + Fill(kTextTimeLeft, {Duration(std::max(leftBytes, 0.0) / task.smoothedSpeed / 1000)});
}

void AddSpeedReport(DownloadTask& task, std::int64_t bytesPerMs) {
    task.speed = bytesPerMs;
    const double now = static_cast<double>(std::max<std::int64_t>(bytesPerMs, 0));
    task.smoothedSpeed = task.smoothedSpeed > 0 ? task.smoothedSpeed * 2 / 3 + now / 3 : now;
}

int TaskIconOf(const DownloadTask& task) {
    switch (task.state) {
    case TaskState::kWaiting:
        return kIconWaiting;
    case TaskState::kAnalysing:
    case TaskState::kNamed:
        return kIconAnalysing;
    case TaskState::kReceiving:
        return kIconReceiving;
    case TaskState::kDone:
        return kIconDone;
    case TaskState::kFailed:
        return kIconFailed;
    }
    return kIconWaiting;
}

} // namespace tessaly
