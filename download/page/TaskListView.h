// The download page's task list: a report view over TaskListModel with the five columns, their
// widths and the state icons, single full-row selection, grid lines, headers that do not sort, and
// a selection drawn light with dark text so that a selected row stays readable, focused or not.
// UI thread.
#pragma once

#include <QTreeView>

namespace tessaly {

class TaskListModel;

class TaskListView : public QTreeView {
    Q_OBJECT
public:
    explicit TaskListView(TaskListModel* model, QWidget* parent = nullptr);

    int RowCount() const;
    QString Text(int row, int column) const;
    // The state icon of a row: 0 analysing/named, 1 failed, 2 done, 3 waiting, 4 receiving; -1 none.
    int Icon(int row) const;
    // The selected row, or -1.
    int SelectedRow() const;
    // Selects the row (and makes it current); -1 clears the selection.
    void SelectRow(int row);

signals:
    // A right-click on a row: the page offers its popup menu there.
    void rowMenuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace tessaly
