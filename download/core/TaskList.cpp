// Tasks, register and limits of the task list, and what each worker message does to a task.
#include "download/core/TaskList.h"

#include "base/Overloaded.h"

namespace tessaly {

namespace {

// The page copies at most this many units of a file name.
constexpr std::size_t kMaxFileNameUnits = 199;

} // namespace

TaskList::TaskList(DownloadService& service, FigureSink& figures, WorkerSettings settings)
    : m_service(service), m_figures(figures), m_settings(std::move(settings)) {
}

TaskList::~TaskList() {
    for (auto& [id, control] : m_controls)
        control->RequestStop();
}

bool TaskList::IsDuplicate(std::u16string_view address) const {
    const auto found = m_strAddedUrls.find(address, 2);
    return !address.empty() && found != std::u16string::npos;
}

bool TaskList::AddTask(std::u16string address) {
    if (rowCount() >= kMaxRows)
        return false;
    auto control = m_service.CreateWorker(address, m_settings);
    if (!control)
        return false;
    m_strAddedUrls += address;
    m_figures.PostFigureMessage(WM_TASKCOUNT_DELTA{+1});
    DownloadTask task;
    task.workerId = control->id();
    task.address = std::move(address);
    if (m_observer)
        m_observer->RowAboutToBeInserted(rowCount());
    m_tasks.push_back(std::move(task));
    m_controls.emplace(control->id(), control);
    if (m_observer)
        m_observer->RowInserted(rowCount() - 1);
    if (m_service.running() < kMaxRunning)
        control->Resume();
    return true;
}

void TaskList::DeleteTask(int index, bool deleteFile) {
    if (index < 0 || index >= rowCount())
        return;
    const DownloadTask task = m_tasks[static_cast<std::size_t>(index)];
    std::shared_ptr<TaskControl> control;
    if (const auto found = m_controls.find(task.workerId); found != m_controls.end()) {
        control = found->second;
        m_controls.erase(found);
        // From here on the worker creates no file: the one it may have made is known now.
        control->RequestStop();
    }

    m_strSelectedUrl = task.address;
    if (!m_strSelectedUrl.empty()) {
        for (auto at = m_strAddedUrls.find(m_strSelectedUrl); at != std::u16string::npos;
             at = m_strAddedUrls.find(m_strSelectedUrl, at))
            m_strAddedUrls.erase(at, m_strSelectedUrl.size());
    }
    m_figures.PostFigureMessage(WM_TASK_RATE{task.workerId, 0});
    if (deleteFile && control) {
        if (const auto file = control->file())
            RemoveTaskFile(*file);
    }
    if (m_observer)
        m_observer->RowAboutToBeRemoved(index);
    m_tasks.erase(m_tasks.begin() + index);
    if (m_observer)
        m_observer->RowRemoved(index);
    m_figures.PostFigureMessage(WM_TASKCOUNT_DELTA{-1});
    StartNextWaitingTask();
}

void TaskList::StartNextWaitingTask() {
    if (m_service.running() >= kMaxRunning)
        return;
    for (const DownloadTask& task : m_tasks) {
        if (task.state != TaskState::kWaiting)
            continue;
        // A worker already let through that has not yet reported in still waits.
        const auto control = m_controls.find(task.workerId);
        if (control == m_controls.end() || control->second->resumed())
            continue;
        control->second->Resume();
        return;
    }
}

int TaskList::FindRow(WorkerId id) const {
    for (std::size_t i = 0; i < m_tasks.size(); ++i)
        if (m_tasks[i].workerId == id)
            return static_cast<int>(i);
    return -1;
}

void TaskList::Changed(int row) {
    if (m_observer)
        m_observer->RowChanged(row);
}

void TaskList::HandleWorkerMessage(const WorkerMessage& message) {
    if (message.Is<WM_WORKER_ENDED>()) {
        // A stopped, done or failed worker's thread has ended: its slot is free now.
        StartNextWaitingTask();
        return;
    }
    const int row = FindRow(message.workerId);
    if (row < 0)
        return;
    DownloadTask& task = m_tasks[static_cast<std::size_t>(row)];
    std::visit(Overloaded{
                   [&](const WM_TASK_ANALYSING&) { task.state = TaskState::kAnalysing; },
                   [&](const WM_TASK_FAILED& failed) {
                       task.state = TaskState::kFailed;
                       task.failure = failed.code;
                       task.failureDetail = failed.detail;
                   },
                   [&](const WM_TASK_NAMED& named) {
                       task.fileName = named.fileName.substr(0, kMaxFileNameUnits);
                       task.state = TaskState::kNamed;
                   },
                   [&](const WM_TASK_CONNECTED&) {
                       task.state = TaskState::kReceiving;
                       task.receivedKb = 0;
                   },
                   [&](const WM_TASK_DONE&) { task.state = TaskState::kDone; },
                   [&](const WM_TASK_SPEED& speed) { AddSpeedReport(task, speed.bytesPerMs); },
                   [&](const WM_TASK_LENGTH& length) { task.lengthBytes = length.bytes; },
                   [&](const WM_TASK_RECEIVED& received) { task.receivedKb = received.kibibytes; },
                   [](const WM_WORKER_ENDED&) {},
               },
               message.body);
    if (!task.file) {
        if (const auto control = m_controls.find(task.workerId); control != m_controls.end())
            task.file = control->second->file();
    }
    Changed(row);
    const WorkerId id = message.workerId;
    if (message.Is<WM_TASK_FAILED>()) {
        m_figures.PostFigureMessage(WM_TASK_ENDED{id, false});
        m_figures.PostFigureMessage(WM_TASK_RATE{id, 0});
        StartNextWaitingTask();
    } else if (message.Is<WM_TASK_DONE>()) {
        m_figures.PostFigureMessage(WM_TASK_ENDED{id, true});
        m_figures.PostFigureMessage(WM_COMPLETED_DELTA{1});
        m_figures.PostFigureMessage(WM_TASK_RATE{id, 0});
        StartNextWaitingTask();
    } else if (const auto* speed = message.As<WM_TASK_SPEED>()) {
        m_figures.PostFigureMessage(WM_TASK_RATE{id, speed->bytesPerMs});
    }
}

} // namespace tessaly
