// The download task list without its widget: the typed tasks, the address register, the 10-row /
// 3-running limits, adding, deleting and starting tasks, the handling of every worker message, and
// the figure messages for the main window.
//
// Threads: a TaskList belongs to the download page's UI thread; every member is called there.
// Its workers belong to the DownloadService given at construction, whose sink must queue each
// message to the UI thread (in posting order) and there call HandleWorkerMessage. Row changes are
// announced synchronously to the TaskListObserver (a table model); figure messages go to the
// FigureSink (the main window's posted messages).
#pragma once

#include "download/core/DownloadService.h"
#include "download/core/DownloadTask.h"
#include "download/core/TaskControl.h"
#include "download/core/WorkerMessages.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace tessaly {

// Download page to main window: the figures of its panel.
struct WM_COMPLETED_DELTA {
    int delta = 1; // one more task done
};
struct WM_TASKCOUNT_DELTA {
    int delta = 0; // +1 / -1: a task added / deleted
};
struct WM_TASK_RATE {
    WorkerId worker = 0;
    std::int64_t bytesPerMs = 0; // 0: the task adds nothing to the speed any more
};
struct WM_TASK_ENDED {
    WorkerId worker = 0;
    bool done = false; // else failed
};
using FigureMessage = std::variant<WM_COMPLETED_DELTA, WM_TASKCOUNT_DELTA, WM_TASK_RATE, WM_TASK_ENDED>;

class FigureSink {
public:
    virtual ~FigureSink() = default;
    // Called on the UI thread; the page posts it on to the main window.
    virtual void PostFigureMessage(FigureMessage message) = 0;
};

class TaskListObserver {
public:
    virtual ~TaskListObserver() = default;
    virtual void RowAboutToBeInserted(int row) = 0; // a row is about to be appended at index row
    virtual void RowInserted(int row) = 0;
    virtual void RowChanged(int row) = 0;          // its state changed
    virtual void RowAboutToBeRemoved(int row) = 0; // the row at index row is about to go
    virtual void RowRemoved(int row) = 0;
};

class TaskList {
public:
    static constexpr int kMaxRows = 10;
    static constexpr int kMaxRunning = 3;
    // What the page's register starts as; addresses are appended without separator.
    static constexpr char16_t kRegisterPrefix[] = u"FIND|";

    // service: owns the workers. figures: the main window. settings.downloadFolder must be callable
    // from any thread: each worker asks it when it starts.
    TaskList(DownloadService& service, FigureSink& figures, WorkerSettings settings);
    // Stops every task's worker (they post nothing more); the service ends their threads.
    ~TaskList();
    TaskList(const TaskList&) = delete;
    TaskList& operator=(const TaskList&) = delete;

    // Row changes go to observer from now on (null: none). It must outlive the list or be unset.
    void SetObserver(TaskListObserver* observer) { m_observer = observer; }

    // Whether the address occurs in the register at index 2 or later.
    bool IsDuplicate(std::u16string_view address) const;
    // Appends a waiting task for the address and creates its worker, started at once when fewer
    // than kMaxRunning run. The caller has checked the row limit, duplicates and the address.
    // False (no row, no register entry, no figure) with kMaxRows rows already, or when no worker
    // thread can be created.
    bool AddTask(std::u16string address);
    // Stops the row's worker, forgets its address, optionally deletes the file that this task's
    // worker created (where it created it, and only while it is still that file), removes the row.
    void DeleteTask(int row, bool deleteFile);
    // Starts the topmost waiting task if a worker slot is free.
    void StartNextWaitingTask();
    // Applies one worker message to its task (messages for tasks that no longer exist change
    // nothing but may start a waiting task when a slot has come free).
    void HandleWorkerMessage(const WorkerMessage& message);

    int rowCount() const { return static_cast<int>(m_tasks.size()); }
    const DownloadTask& row(int index) const { return m_tasks.at(static_cast<std::size_t>(index)); }
    // A row's column text, as the list shows it.
    std::u16string Text(int row, int column) const { return TaskColumnText(this->row(row), column); }
    // The row of a worker, or -1.
    int FindRow(WorkerId id) const;
    // The register, "FIND|" followed by every added address.
    const std::u16string& addedUrls() const { return m_strAddedUrls; }
    // The address of the task deleted last (Re-download adds it again); empty at first.
    const std::u16string& selectedUrl() const { return m_strSelectedUrl; }

private:
    void Changed(int row);

    DownloadService& m_service;
    FigureSink& m_figures;
    TaskListObserver* m_observer = nullptr;
    WorkerSettings m_settings;
    std::vector<DownloadTask> m_tasks;
    std::unordered_map<WorkerId, std::shared_ptr<TaskControl>> m_controls;
    std::u16string m_strAddedUrls = kRegisterPrefix;
    std::u16string m_strSelectedUrl;
};

} // namespace tessaly
