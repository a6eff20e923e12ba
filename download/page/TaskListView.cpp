// The task list's columns, grid lines, selection colours and row access.
#include "download/page/TaskListView.h"

#include "download/core/TaskTexts.h"
#include "download/page/TaskListModel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

namespace tessaly {

namespace {

const QColor kGridLine(208, 208, 208);
const QColor kFrame(160, 160, 160);
// A light highlight under black text: every state icon keeps its colour on it, and the text reads
// the same with or without focus.
const QColor kSelection(204, 232, 255);
// The received cell's progress bar, behind its text: light enough that the text reads as on white.
const QColor kProgressBar(190, 232, 192);

// Where the frame's lines run in a widget's rectangle: half a pixel in from its edges, so that at
// a fractional scale (a widget starting half a device pixel in) they still fall on the widget's own
// device pixels.
QRectF FrameLines(const QRect& rect) {
    return QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
}

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
    // The top and sides of the list's frame (the rows' area draws the rest).
    void paintEvent(QPaintEvent* event) override {
        QHeaderView::paintEvent(event);
        QPainter painter(viewport());
        const QRectF area = FrameLines(viewport()->rect());
        painter.setPen(QPen(kFrame, 0));
        painter.drawPolyline(QPolygonF({QPointF(area.left(), viewport()->height()), area.topLeft(),
                                        area.topRight(), QPointF(area.right(), viewport()->height())}));
    }

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
    // The list draws its frame itself, in its rows' area: the style's frame lies under the rows'
    // area, which covers it wholly at 1.5 device pixels per pixel.
    setFrameShape(QFrame::NoFrame);
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
    // From the keyboard the event's position is wherever the platform guessed; the row is the
    // selected one.
    if (event->reason() == QContextMenuEvent::Keyboard)
        RequestMenuAtSelection();
    else if (indexAt(viewport()->mapFromGlobal(event->globalPos())).isValid())
        emit rowMenuRequested(event->globalPos());
}

void TaskListView::RequestMenuAtSelection() {
    if (m_menuRequested)
        return;
    m_menuRequested = true;
    QTimer::singleShot(0, this, [this] {
        m_menuRequested = false;
        // A list reached by Tab marks a row without selecting it; the menu is for that row.
        if (SelectedRow() < 0 && currentIndex().isValid())
            SelectRow(currentIndex().row());
        const int row = SelectedRow();
        if (row < 0)
            return;
        scrollTo(model()->index(row, 1));
        const QRect name = visualRect(model()->index(row, 1));
        emit rowMenuRequested(viewport()->mapToGlobal(name.bottomLeft()));
    });
}

void TaskListView::keyPressEvent(QKeyEvent* event) {
    // Only the Menu key reaches the list as a context-menu request on every platform; Shift+F10
    // is the list's own.
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        RequestMenuAtSelection();
        event->accept();
    } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit deleteRequested();
        event->accept();
    } else {
        QTreeView::keyPressEvent(event);
    }
}

void TaskListView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    // Frame and focus mark are one device pixel wide at any scale.
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const QRectF lines = FrameLines(area);
    painter.setPen(QPen(kFrame, 0));
    painter.drawPolyline(QPolygonF(
        {QPointF(lines.left(), 0), lines.bottomLeft(), lines.bottomRight(), QPointF(lines.right(), 0)}));
    if (!hasFocus())
        return;
    // The style's focus frame is taken out of the cells (it greys the icons); this one marks the
    // current row across its columns.
    const QModelIndex current = currentIndex();
    QRect mark = area.adjusted(1, 0, -1, -1);
    if (current.isValid())
        mark = visualRect(model()->index(current.row(), 0))
                   .united(visualRect(model()->index(current.row(), TaskListModel::kColumns - 1)));
    painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
    painter.drawRect(mark.adjusted(0, 0, -1, -1));
}

void TaskListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    viewport()->update();
}

void TaskListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    QTreeView::dataChanged(topLeft, bottomRight, roles);
    // A tip on show is a picture of the moment it was asked for: the row's figures and time left
    // under the pointer are told again as they change (an empty text takes the tip away).
    if (!QToolTip::isVisible())
        return;
    const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
    const QModelIndex under = indexAt(pointer);
    if (!viewport()->rect().contains(pointer) || !under.isValid() || under.row() < topLeft.row() ||
        under.row() > bottomRight.row())
        return;
    QToolTip::showText(QCursor::pos(), under.data(Qt::ToolTipRole).toString(), viewport(), visualRect(under));
}

} // namespace tessaly
