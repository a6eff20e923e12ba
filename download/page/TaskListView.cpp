// The task list's columns, icons and row access.
#include "download/page/TaskListView.h"

#include "res/Resources.h"

#include <QContextMenuEvent>
#include <QHeaderView>

namespace tessaly {

namespace {

constexpr int kIconIds[] = {res::IDI_TASK_ANALYSING, res::IDI_TASK_FAILED, res::IDI_TASK_DONE,
                            res::IDI_TASK_WAITING, res::IDI_TASK_RECEIVING};
constexpr int kImageRole = Qt::UserRole + 1;

} // namespace

TaskListView::TaskListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(kColumns);
    setHeaderLabels({QStringLiteral("-"), QStringLiteral("视频文件名"), QStringLiteral("已经下载"),
                     QStringLiteral("速度"), QStringLiteral("下载地址")});
    const int widths[kColumns] = {20, 240, 80, 50, 125};
    for (int c = 0; c < kColumns; ++c) {
        setColumnWidth(c, widths[c]);
        headerItem()->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
    }
    header()->setSectionsMovable(true); // header drag-and-drop
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Grid lines between cells.
    setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }"));
}

QString TaskListView::Text(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void TaskListView::SetText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

void TaskListView::SetIcon(int row, int image) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item || image < 0 || image >= static_cast<int>(std::size(kIconIds)))
        return;
    item->setIcon(0, res::LoadIcon(kIconIds[image]));
    item->setData(0, kImageRole, image);
}

int TaskListView::Icon(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, kImageRole).toInt() : -1;
}

int TaskListView::AppendRow(quint32 workerId) {
    auto* item = new QTreeWidgetItem(this);
    item->setData(0, Qt::UserRole, workerId);
    return indexOfTopLevelItem(item);
}

quint32 TaskListView::WorkerIdOf(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toUInt() : 0;
}

int TaskListView::FindRow(quint32 workerId) const {
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->data(0, Qt::UserRole).toUInt() == workerId)
            return row;
    }
    return -1;
}

void TaskListView::RemoveRow(int row) {
    delete takeTopLevelItem(row);
}

int TaskListView::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

void TaskListView::contextMenuEvent(QContextMenuEvent* event) {
    if (itemAt(viewport()->mapFromGlobal(event->globalPos())))
        emit rowMenuRequested(event->globalPos());
}

} // namespace tessaly
