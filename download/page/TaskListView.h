// The download page's task list: a report view with the five columns, their widths and the
// five state icons (140-144), single full-row selection, grid lines, headers that do not sort.
// Mirrors the rows of the task-list core. UI thread.
#pragma once

#include <QTreeWidget>

namespace tessaly {

class TaskListView : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;

    explicit TaskListView(QWidget* parent = nullptr);

    int RowCount() const { return topLevelItemCount(); }
    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    // Sets the state icon of a row: 0 analysing/named, 1 failed, 2 done, 3 waiting, 4 receiving.
    void SetIcon(int row, int image);
    int Icon(int row) const;
    // Appends a row with the given worker id as its data and empty texts; returns its index.
    int AppendRow(quint32 workerId);
    quint32 WorkerIdOf(int row) const;
    // The row whose data is workerId, searching from the top; -1 when none.
    int FindRow(quint32 workerId) const;
    void RemoveRow(int row);
    // The first selected row, or -1.
    int SelectedRow() const;

signals:
    // A right-click on a row: the page offers its popup menu there.
    void rowMenuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace tessaly
