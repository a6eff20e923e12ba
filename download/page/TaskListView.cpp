// The task list's columns, grid lines, selection colours and row access.
#include "download/page/TaskListView.h"

#include "download/core/TaskTexts.h"
#include "download/page/TaskListModel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <algorithm>

namespace tessaly {

namespace {

const QColor kGridLine(208, 208, 208);
// A light highlight under black text: every state icon keeps its colour on it, and the text reads
// the same with or without focus.
const QColor kSelection(204, 232, 255);
// The received cell's progress bar, behind its text: light enough that the text reads as on white.
const QColor kProgressBar(190, 232, 192);

// Draws each cell as usual but without the focus frame, which the style lays over the selected row
// and which greys its icons; a received cell of known length with its progress bar beneath the text;
// then the cell's right and bottom grid lines.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        plain.state &= ~QStyle::State_HasFocus;
        const QVariant progress = index.data(TaskListModel::kProgressRole);
        if (!progress.isValid()) {
            QStyledItemDelegate::paint(painter, plain, index);
        } else {
            // The background first, the bar on it, the text over both.
            initStyleOption(&plain, index);
            const QString text = plain.text;
            plain.text.clear();
            const QWidget* widget = plain.widget;
            QStyle* style = widget ? widget->style() : QApplication::style();
            style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);
            QRect bar = option.rect.adjusted(1, 2, -2, -3);
            bar.setWidth(qRound(bar.width() * std::clamp(progress.toDouble(), 0.0, 1.0)));
            painter->fillRect(bar, kProgressBar);
            // The text pass draws no panel: the selection's colours keep black text (see the palette).
            plain.text = text;
            plain.backgroundBrush = Qt::NoBrush;
            plain.state &= ~(QStyle::State_Selected | QStyle::State_MouseOver);
            style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);
        }
        painter->save();
        painter->setPen(kGridLine);
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

// Measures its sections in the font it draws them in. Qt measures them in bold, to leave room for a
// highlighted section; these are never highlighted, and a bold face would be loaded (a Chinese one
// maps megabytes of tables) only to be measured.
class PlainHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.section = logicalIndex;
        option.text = model()->headerData(logicalIndex, orientation()).toString();
        return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
    }
};

} // namespace

TaskListView::TaskListView(TaskListModel* model, QWidget* parent) : QTreeView(parent) {
    setHeader(new PlainHeader(Qt::Horizontal, this));
    setModel(model);
    setItemDelegate(new GridDelegate(this));
    // The style's minimum section size would widen the 20-pixel first column past the view's width.
    header()->setMinimumSectionSize(kColumnWidths[0]);
    for (int c = 0; c < TaskListModel::kColumns; ++c)
        setColumnWidth(c, kColumnWidths[c]);
    header()->setSectionsMovable(true); // header drag-and-drop
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    QPalette colours = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight, kSelection);
        colours.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    setPalette(colours);
}

int TaskListView::RowCount() const {
    return model()->rowCount();
}

QString TaskListView::Text(int row, int column) const {
    return model()->index(row, column).data(Qt::DisplayRole).toString();
}

int TaskListView::Icon(int row) const {
    const QVariant icon = model()->index(row, 0).data(TaskListModel::kIconRole);
    return icon.isValid() ? icon.toInt() : -1;
}

int TaskListView::SelectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TaskListView::SelectRow(int row) {
    if (row < 0 || row >= RowCount()) {
        selectionModel()->clear(); // no current row either, from which a key could select
        return;
    }
    selectionModel()->setCurrentIndex(model()->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TaskListView::contextMenuEvent(QContextMenuEvent* event) {
    if (indexAt(viewport()->mapFromGlobal(event->globalPos())).isValid())
        emit rowMenuRequested(event->globalPos());
}

} // namespace tessaly
