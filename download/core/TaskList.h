// The download task list without its widget: the rows (WorkerId, icon, five column texts), the
// address register, the 10-row / 3-running limits, adding, deleting and starting tasks, the handling
// of every worker message, and the figure messages for the main window.
//
// Threads: a TaskList belongs to the download page's UI thread; every member is called there.
// Workers reach it only through the WorkerMessageSink given at construction, which must queue each
// message to the UI thread (in posting order) and there call HandleWorkerMessage. Row changes are
// announced synchronously to the TaskListObserver (to mirror them into a tree widget); figure
// messages go to the FigureSink (the main window's posted messages).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "download/core/DownloadWorker.h"
#include "download/core/TaskControl.h"
#include "download/core/TaskTexts.h"
#include "download/core/WorkerMessages.h"

namespace tessaly {

// Download page to main window (window message numbers, WM_USER + n).
constexpr int WM_COMPLETED_DELTA = 0x0400 + 11;  // wParam 1: one more task done
constexpr int WM_TASKCOUNT_DELTA = 0x0400 + 12;  // wParam +1 / -1: a task added / deleted
constexpr int WM_TASK_RATE = 0x0400 + 13;        // wParam WorkerId, lParam bytes per ms (0: none)

class FigureSink {
public:
    virtual ~FigureSink() = default;
    // Called on the UI thread; the main window posts it to itself.
    virtual void PostFigureMessage(int message, std::int64_t wParam, std::int64_t lParam) = 0;
};

class TaskListObserver {
public:
    virtual ~TaskListObserver() = default;
    virtual void RowInserted(int row) = 0;  // a row appended at index row
    virtual void RowChanged(int row) = 0;   // its icon or texts changed
    virtual void RowRemoved(int row) = 0;   // the row that was at index row is gone
};

struct TaskRow {
    WorkerId workerId = 0;
    int icon = kIconWaiting;
    std::array<std::u16string, 5> columns;  // column 0 has no text
    bool named = false;  // column 1 holds the worker's file name (before, it holds the address)
};

class TaskList {
public:
    static constexpr int kMaxRows = 10;
    static constexpr int kMaxRunning = 3;
    // What the page's register starts as; addresses are appended without separator.
    static constexpr char16_t kRegisterPrefix[] = u"FIND|";

    // workers: where the workers' messages go (the page). figures: the main window. observer may be
    // null. settings.downloadFolder must be callable from any thread: each worker asks it when it
    // starts, and DeleteTask asks it (on the UI thread) for the file to delete.
    TaskList(WorkerMessageSink& workers, FigureSink& figures, TaskListObserver* observer, WorkerSettings settings);
    // The sink and the observer must outlive the list.
    // Stops every task's worker (they post nothing more and leave their files alone) without
    // waiting for them.
    ~TaskList();
    TaskList(const TaskList&) = delete;
    TaskList& operator=(const TaskList&) = delete;

    // Whether the address occurs in the register at index 2 or later.
    bool IsDuplicate(std::u16string_view address) const;
    // Appends a waiting row for the address and creates its worker, started at once when fewer
    // than kMaxRunning run. The caller has checked the row limit, duplicates and the address.
    // False (no row, no register entry, no figure) with kMaxRows rows already, or when no worker
    // thread can be created.
    bool AddTask(std::u16string address);
    // Stops the row's worker, forgets its address, optionally deletes its file (once the worker has
    // named it: before that column 1 holds the address, no file name), removes the row.
    void DeleteTask(int row, bool deleteFile);
    // Starts the topmost waiting task if a worker slot is free.
    void StartNextWaitingTask();
    // Applies one worker message to its row (messages for rows that no longer exist change nothing).
    void HandleWorkerMessage(const WorkerMessage& message);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const TaskRow& row(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }
    // The row of a worker, or -1.
    int FindRow(WorkerId id) const;
    // The register, "FIND|" followed by every added address.
    const std::u16string& addedUrls() const { return m_strAddedUrls; }
    // The address of the task deleted last (Re-download adds it again); empty at first.
    const std::u16string& selectedUrl() const { return m_strSelectedUrl; }

private:
    void SetText(int row, int column, std::u16string text);
    void Changed(int row);

    WorkerMessageSink& m_workerSink;
    FigureSink& m_figures;
    TaskListObserver* m_observer;
    WorkerSettings m_settings;
    std::vector<TaskRow> m_rows;
    std::unordered_map<WorkerId, std::shared_ptr<TaskControl>> m_controls;
    std::u16string m_strAddedUrls = kRegisterPrefix;
    std::u16string m_strSelectedUrl;
};

} // namespace tessaly
