// The download page's task list: a report view over TaskListModel with the five columns, their
// widths and the state icons, single full-row selection, grid lines, headers that do not sort, and
// a selection drawn light with dark text so that a selected row stays readable, focused or not.
// From the keyboard: arrows, Home/End and PgUp/PgDn move the selection, Menu and Shift+F10 open the
// row menu at the selected row, Delete asks for the row's deletion; a dotted frame marks the
// current row (or the list, when empty) while the list has the focus. UI thread.
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
    // A right-click on a row, or Menu or Shift+F10 on a selected row: the page offers its popup
    // menu there.
    void rowMenuRequested(const QPoint& globalPos);
    // Delete pressed in the list.
    void deleteRequested();

protected:
    // A right-click on a row asks for its menu there; from the keyboard, at the selected row.
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Menu and Shift+F10 ask for the row menu, Delete for the row's deletion; other keys move as
    // in any list.
    void keyPressEvent(QKeyEvent* event) override;
    // Draws the frame's sides and bottom around the rows and, with the focus, the dotted mark.
    void paintEvent(QPaintEvent* event) override;
    // Repaints the rows: the dotted mark spans every column of the current row.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // A tip on show over a changed row is told again with the row's new figures.
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    // Opens the row menu below the selected row's name (the current row is selected first when
    // none is), if there is such a row, once the events at hand are handled: the X11 platform
    // follows the Menu key's press with a context-menu request of its own, and the two open one menu.
    void RequestMenuAtSelection();
    bool m_menuRequested = false;
};

} // namespace tessaly
