// Row texts and icons from a task's state.
#include "download/core/DownloadTask.h"

#include "base/TextCodec.h"

namespace tessaly {

namespace {

std::u16string Kilobytes(std::int64_t value) {
    return FromUtf8(std::to_string(value)) + kTextKb;
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
        return kTextFailed;
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
        return task.state == TaskState::kDone ? std::u16string(kTextDone) : Kilobytes(task.speed * 125 / 128);
    case 4:
        return task.address;
    default:
        return {};
    }
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
