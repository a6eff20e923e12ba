// Texts, icons and header titles of the task list's model.
#include "download/page/TaskListModel.h"

#include "res/Resources.h"

#include <array>

namespace tessaly {

namespace {

// The state icon of each TaskIcon value, with the same picture when selected: the row's highlight
// is light, and a tinted icon would lose the colour that tells the state.
const QIcon& StateIcon(int image) {
    static const std::array<QIcon, 5> icons = [] {
        const int ids[] = {res::IDI_TASK_ANALYSING, res::IDI_TASK_FAILED, res::IDI_TASK_DONE,
                           res::IDI_TASK_WAITING, res::IDI_TASK_RECEIVING};
        std::array<QIcon, 5> made;
        for (std::size_t i = 0; i < made.size(); ++i) {
            // Every density's picture, so that a dense screen draws the one made for it.
            const QIcon loaded = res::LoadIcon(ids[i]);
            for (const QSize& size : loaded.availableSizes()) {
                const QPixmap picture = loaded.pixmap(size, 1.0);
                made[i].addPixmap(picture, QIcon::Normal);
                made[i].addPixmap(picture, QIcon::Selected);
            }
        }
        return made;
    }();
    return icons.at(static_cast<std::size_t>(image));
}

// What the row's icon says, in words, for a screen reader.
QString StateWord(int icon) {
    static const QString words[] = {QStringLiteral("分析中"), QStringLiteral("失败"), QStringLiteral("完成"),
                                    QStringLiteral("等待中"), QStringLiteral("下载中")};
    return icon >= 0 && icon < 5 ? words[icon] : QString();
}

// A row as a screen reader reads it: name, state, received, speed.
QString RowSpeech(const DownloadTask& task) {
    return QStringList{QString::fromStdU16String(TaskColumnText(task, 1)), StateWord(TaskIconOf(task)),
                       QString::fromStdU16String(TaskColumnText(task, 2)),
                       QString::fromStdU16String(TaskColumnText(task, 3))}
        .join(QStringLiteral("，"));
}

} // namespace

TaskListModel::TaskListModel(QObject* parent) : QAbstractTableModel(parent) {
}

void TaskListModel::SetTaskList(TaskList* tasks) {
    beginResetModel();
    if (m_tasks)
        m_tasks->SetObserver(nullptr);
    m_tasks = tasks;
    if (m_tasks)
        m_tasks->SetObserver(this);
    endResetModel();
}

int TaskListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_tasks ? 0 : m_tasks->rowCount();
}

int TaskListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const {
    if (!m_tasks || !index.isValid() || index.row() >= m_tasks->rowCount())
        return {};
    const DownloadTask& task = m_tasks->row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 0)
            return {};
        return QString::fromStdU16String(TaskColumnText(task, index.column()));
    case Qt::AccessibleTextRole:
        // The icon's cell, which shows no text, reads the whole row.
        return index.column() == 0 ? QVariant(RowSpeech(task)) : QVariant();
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(StateIcon(TaskIconOf(task))) : QVariant();
    case Qt::UserRole:
        return static_cast<quint32>(task.workerId);
    case kIconRole:
        return TaskIconOf(task);
    case kProgressRole:
        if (const auto share = TaskProgress(task); share && index.column() == 2)
            return *share;
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (const std::u16string detail = TaskDetailText(task); !detail.empty())
            return QString::fromStdU16String(detail);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TaskListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdU16String(kColumnTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void TaskListModel::RowAboutToBeInserted(int row) {
    beginInsertRows({}, row, row);
}

void TaskListModel::RowInserted(int) {
    endInsertRows();
}

void TaskListModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

void TaskListModel::RowAboutToBeRemoved(int row) {
    beginRemoveRows({}, row, row);
}

void TaskListModel::RowRemoved(int) {
    endRemoveRows();
}

} // namespace tessaly
