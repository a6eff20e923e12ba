// The task list as a Qt table model: one row per task, the five columns with the texts and icons
// the task's state gives (DownloadTask.h), the worker id under Qt::UserRole,
// the icon's number under kIconRole, why a task failed or how far it is as every cell's tooltip and
// accessible description, and the whole row in words as column 0's accessible text. Follows the task-list
// core as its observer. UI thread.
#pragma once

#include "download/core/TaskList.h"

#include <QAbstractTableModel>

namespace tessaly {

class TaskListModel : public QAbstractTableModel, public TaskListObserver {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;
    // Column 0 under this role: the state icon's number (TaskIcon).
    static constexpr int kIconRole = Qt::UserRole + 1;
    // Column 2 under this role: the share received (0 to 1) while the stream's length is known.
    static constexpr int kProgressRole = Qt::UserRole + 2;

    explicit TaskListModel(QObject* parent = nullptr);
    // Shows tasks (null: none) and follows its changes.
    void SetTaskList(TaskList* tasks);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void RowAboutToBeInserted(int row) override;
    void RowInserted(int row) override;
    void RowChanged(int row) override;
    void RowAboutToBeRemoved(int row) override;
    void RowRemoved(int row) override;

    TaskList* m_tasks = nullptr;
};

} // namespace tessaly
