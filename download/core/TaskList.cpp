// Rows, register and limits of the task list, and what each worker message does to a row.
#include "download/core/TaskList.h"

#include <filesystem>

#include "base/TextCodec.h"
#include "download/core/PageResolution.h"
#include "download/core/WorkerThread.h"

namespace tessaly {

namespace {

// The page copies at most this many units of a file name.
constexpr std::size_t kMaxFileNameUnits = 199;

std::u16string Kilobytes(std::int64_t value) { return FromUtf8(std::to_string(value)) + kTextKb; }

} // namespace

TaskList::TaskList(WorkerMessageSink& workers, FigureSink& figures, TaskListObserver* observer,
                   WorkerSettings settings)
    : m_workerSink(workers), m_figures(figures), m_observer(observer), m_settings(std::move(settings)) {}

TaskList::~TaskList() {
    for (auto& [id, control] : m_controls) {
        control->RequestStop();
        control->Resume();
    }
}

bool TaskList::IsDuplicate(std::u16string_view address) const {
    const auto found = m_strAddedUrls.find(address, 2);
    return !address.empty() && found != std::u16string::npos;
}

bool TaskList::AddTask(std::u16string address) {
    if (rowCount() >= kMaxRows)
        return false;
    auto control = CreateSuspendedWorker(address, &m_workerSink, m_settings);
    if (!control)
        return false;
    m_strAddedUrls += address;
    m_figures.PostFigureMessage(WM_TASKCOUNT_DELTA, +1, 0);
    TaskRow row;
    row.workerId = control->id();
    row.icon = kIconWaiting;
    row.columns = {u"", address, kTextWaiting, kTextZeroKb, address};
    m_rows.push_back(std::move(row));
    m_controls.emplace(control->id(), control);
    if (m_observer)
        m_observer->RowInserted(rowCount() - 1);
    if (g_runningWorkers.load() < kMaxRunning)
        control->Resume();
    return true;
}

void TaskList::DeleteTask(int index, bool deleteFile) {
    if (index < 0 || index >= rowCount())
        return;
    const TaskRow row = m_rows[static_cast<std::size_t>(index)];
    const auto control = m_controls.find(row.workerId);
    if (control != m_controls.end())
        control->second->RequestStop();

    m_strSelectedUrl = row.columns[4];
    if (!m_strSelectedUrl.empty()) {
        for (auto at = m_strAddedUrls.find(m_strSelectedUrl); at != std::u16string::npos;
             at = m_strAddedUrls.find(m_strSelectedUrl, at))
            m_strAddedUrls.erase(at, m_strSelectedUrl.size());
    }
    m_figures.PostFigureMessage(WM_TASK_RATE, row.workerId, 0);
    if (deleteFile && row.named) {
        const std::u16string folder = m_settings.downloadFolder ? m_settings.downloadFolder() : std::u16string();
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::path(ToUtf8(JoinFolderPath(folder, row.columns[1]))), ignored);
    }
    m_rows.erase(m_rows.begin() + index);
    if (m_observer)
        m_observer->RowRemoved(index);
    // A task still waiting is let through its gate so that its thread ends.
    if (control != m_controls.end()) {
        control->second->Resume();
        m_controls.erase(control);
    }
    m_figures.PostFigureMessage(WM_TASKCOUNT_DELTA, -1, 0);
    StartNextWaitingTask();
}

void TaskList::StartNextWaitingTask() {
    if (g_runningWorkers.load() >= kMaxRunning)
        return;
    for (const TaskRow& row : m_rows) {
        if (row.columns[2] != kTextWaiting)
            continue;
        // A worker already let through that has not yet reported in still reads "waiting".
        const auto control = m_controls.find(row.workerId);
        if (control == m_controls.end() || control->second->resumed())
            continue;
        control->second->Resume();
        return;
    }
}

int TaskList::FindRow(WorkerId id) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].workerId == id)
            return static_cast<int>(i);
    return -1;
}

void TaskList::SetText(int row, int column, std::u16string text) {
    m_rows[static_cast<std::size_t>(row)].columns[static_cast<std::size_t>(column)] = std::move(text);
}

void TaskList::Changed(int row) {
    if (m_observer)
        m_observer->RowChanged(row);
}

void TaskList::HandleWorkerMessage(const WorkerMessage& message) {
    const int row = FindRow(message.workerId);
    if (row < 0)
        return;
    TaskRow& target = m_rows[static_cast<std::size_t>(row)];
    switch (message.message) {
    case WM_TASK_ANALYSING:
        SetText(row, 2, kTextAnalysing);
        target.icon = kIconAnalysing;
        Changed(row);
        break;
    case WM_TASK_FAILED:
        SetText(row, 2, kTextFailed);
        target.icon = kIconFailed;
        Changed(row);
        m_figures.PostFigureMessage(WM_TASK_RATE, message.workerId, 0);
        StartNextWaitingTask();
        break;
    case WM_TASK_NAMED:
        SetText(row, 1, message.fileName.substr(0, kMaxFileNameUnits));
        target.named = true;
        SetText(row, 2, kTextReady);
        target.icon = kIconAnalysing;
        Changed(row);
        break;
    case WM_TASK_CONNECTED:
        SetText(row, 2, kTextZeroKb);
        target.icon = kIconReceiving;
        Changed(row);
        break;
    case WM_TASK_DONE:
        SetText(row, 3, kTextDone);
        target.icon = kIconDone;
        Changed(row);
        m_figures.PostFigureMessage(WM_COMPLETED_DELTA, 1, 0);
        m_figures.PostFigureMessage(WM_TASK_RATE, message.workerId, 0);
        StartNextWaitingTask();
        break;
    case WM_TASK_SPEED:
        // Bytes per millisecond times 1000/1024: kibibytes per second.
        SetText(row, 3, Kilobytes(message.lParam * 125 / 128));
        Changed(row);
        m_figures.PostFigureMessage(WM_TASK_RATE, message.workerId, message.lParam);
        break;
    case WM_TASK_RECEIVED:
        SetText(row, 2, Kilobytes(message.lParam));
        Changed(row);
        break;
    default:
        break;
    }
}

} // namespace tessaly
