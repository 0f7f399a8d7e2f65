#include "report/ui/ReportGridView.h"

#include "platform/Twips.h"
#include "report/ReportColours.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportGridAccessible.h"
#include "report/ui/ReportGridDelegate.h"
#include "report/ui/ReportGridHeader.h"
#include "report/ui/ReportGridMouse.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeaderV2>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

const QKeySequence kCopyWithHeader(Qt::CTRL | Qt::SHIFT | Qt::Key_C);

bool isActivationKey(const QKeyEvent* event) {
    const int key = event->key();
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
           (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space);
}

} // namespace

ReportGridView::ReportGridView(QWidget* parent) : QTableView(parent) {
    // What screen readers are told of the grids; installed by the first grid made.
    static const bool accessible = (ReportGridAccessible::install(), true);
    (void)accessible;
    m_headings = new ReportGridHeader(Qt::Horizontal, this);
    m_rowNumbers = new ReportGridHeader(Qt::Vertical, this);
    setHorizontalHeader(m_headings);
    setVerticalHeader(m_rowNumbers);
    setItemDelegate(new ReportGridDelegate(this));
    // The table's corner button shows the headings beside 序.
    auto* mouse = new ReportGridMouse(this);
    if (auto* corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        m_corner = corner;
        corner->installEventFilter(this);
        mouse->watch(corner);
    }
    mouse->watch(viewport());
    mouse->watch(m_headings->viewport());
    mouse->watch(m_rowNumbers->viewport());
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Tab leaves the grid for the next control; the arrows move inside it.
    setTabKeyNavigation(false);
    setWordWrap(false);
    setStyleSheet(u"QTableView { gridline-color: %1; }"_s.arg(ReportColour::kGridLines.name()));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);
}

void ReportGridView::setModel(QAbstractItemModel* model) {
    if (m_grid) {
        disconnect(m_grid, nullptr, this, nullptr);
        if (m_corner)
            disconnect(m_grid, nullptr, m_corner, nullptr);
    }
    QTableView::setModel(model);
    m_grid = qobject_cast<ReportGridModel*>(model);
    if (!m_grid)
        return;
    m_frozenColumns = std::max(0, frozenColumnCount(m_grid->columns()) - 1);
    connect(m_grid, &ReportGridModel::columnWidthsChanged, this,
            &ReportGridView::applyColumnWidths);
    connect(m_grid, &ReportGridModel::rowHeightChanged, this, &ReportGridView::applyRowHeight);
    // Nothing may paint from a model that is half-way through a reset; a
    // new result starts on its first row.
    connect(m_grid, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { setUpdatesEnabled(false); });
    connect(m_grid, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        m_current = m_extent = GridCell{0, m_current.col};
        showSelection();
        setUpdatesEnabled(true);
        emit currentCellChanged();
    });
    // The frozen cells are painted by 序's header: it follows their texts
    // and the selection.
    const auto repaintFrozen = [this] { m_rowNumbers->viewport()->update(); };
    connect(m_grid, &QAbstractItemModel::dataChanged, m_rowNumbers, repaintFrozen);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, m_rowNumbers,
            repaintFrozen);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, m_rowNumbers, repaintFrozen);
    if (m_corner)
        connect(m_grid, &QAbstractItemModel::modelReset, m_corner, qOverload<>(&QWidget::update));
    applyColumnWidths();
    applyRowHeight(m_grid->rowHeight());
    showSelection();
}

bool ReportGridView::validCell(GridCell cell) const {
    return m_grid && cell.row >= 0 && cell.row < m_grid->rowCount() && cell.col >= 0 &&
           cell.col < m_grid->columnCount();
}

CellRange ReportGridView::selection() const {
    return {std::min(m_current.row, m_extent.row), std::min(m_current.col, m_extent.col),
            std::max(m_current.row, m_extent.row), std::max(m_current.col, m_extent.col)};
}

void ReportGridView::setSelection(GridCell current, GridCell extent) {
    if (!validCell(current) || !validCell(extent))
        return;
    if (current == m_current && extent == m_extent)
        return;
    m_current = current;
    m_extent = extent;
    showSelection();
    emit currentCellChanged();
}

// 序 shows as the vertical header, with the frozen columns beside it while
// they leave the body at least half the view; otherwise they scroll with
// the body.
void ReportGridView::applyColumnWidths() {
    setColumnHidden(0, true);
    for (int c = m_frozenColumns + 1; c < m_grid->columnCount(); ++c)
        setColumnWidth(c, twipsToPixels(m_grid->columnWidth(c)));
    applyFrozenColumns();
}

void ReportGridView::applyFrozenColumns() {
    int paneWidth = 0;
    for (int c = 0; c <= m_frozenColumns && c < m_grid->columnCount(); ++c)
        paneWidth += twipsToPixels(m_grid->columnWidth(c));
    const int frozen = paneWidth > width() / 2 ? 0 : m_frozenColumns;
    m_rowNumbers->setFrozenColumns(frozen);
    for (int c = 1; c <= m_frozenColumns && c < m_grid->columnCount(); ++c) {
        setColumnHidden(c, c <= frozen);
        if (c > frozen)
            setColumnWidth(c, twipsToPixels(m_grid->columnWidth(c)));
    }
    int thickness = 0;
    for (const ReportGridHeader::Span& span : m_rowNumbers->spans())
        thickness = span.left + span.width;
    m_rowNumbers->setThickness(thickness);
}

void ReportGridView::applyRowHeight(int twips) {
    verticalHeader()->setDefaultSectionSize(twipsToPixels(twips));
    m_headings->setThickness(twipsToPixels(twips));
}

void ReportGridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (m_grid)
        applyFrozenColumns();
}

void ReportGridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    startBodyOnWholeColumn();
}

void ReportGridView::updateGeometries() {
    QTableView::updateGeometries();
    startBodyOnWholeColumn();
}

// Scrolled to the right end, the table lines the last column up with the
// right edge and so shows a sliver of a column at the left edge, beside the
// frozen names: the tail of an amount that could pass for a smaller one.
// The body starts on a whole column instead, white space after the last.
void ReportGridView::startBodyOnWholeColumn() {
    const QScrollBar* bar = horizontalScrollBar();
    if (horizontalScrollMode() != ScrollPerItem || bar->maximum() == 0 ||
        bar->value() != bar->maximum())
        return;
    const int lastSectionOffset = m_headings->offset();
    m_headings->setOffsetToSectionPosition(bar->value());
    if (m_headings->offset() != lastSectionOffset)
        viewport()->update();
}

// Shows the current cell as current and the selection as selected.
void ReportGridView::showSelection() {
    if (!selectionModel() || !m_grid)
        return;
    const CellRange range = selection();
    m_followingSelection = true;
    selectionModel()->setCurrentIndex(m_grid->index(m_current.row, m_current.col),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(m_grid->index(range.top, range.left),
                                            m_grid->index(range.bottom, range.right)),
                             QItemSelectionModel::ClearAndSelect);
    m_followingSelection = false;
}

// Whatever else makes a cell current (type-ahead, a screen reader) makes it
// the grid's current cell too.
void ReportGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // QTableView's would announce the cell in a numbering that counts the
    // hidden column.
    QAbstractItemView::currentChanged(current, previous);
    ReportGridAccessible::announceCurrent(this, current);
    if (!m_followingSelection && current.isValid())
        setCurrentCell({current.row(), current.column()});
}

void ReportGridView::keyPressEvent(QKeyEvent* event) {
    if (!m_grid) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Copy) || event->keyCombination() == kCopyWithHeader[0]) {
        emit copyRequested(event->modifiers() & Qt::ShiftModifier);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAllCells();
        return;
    }
    if (isActivationKey(event)) {
        emit currentCellActivated();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!(modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier)) &&
        moveByKey(event->key(), modifiers))
        return;
    QTableView::keyPressEvent(event);
}

// A navigation key moves the current cell, with Shift the selection's far
// end. Whole rows stay whole rows when they move up or down, whole columns
// when Shift stretches them sideways.
bool ReportGridView::moveByKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool stretch = modifiers & Qt::ShiftModifier;
    const std::optional<GridCell> to =
        navigationTarget(stretch ? m_extent : m_current, key, modifiers, shape());
    if (!to)
        return false;
    const CellRange range = selection();
    const int lastRow = m_grid->rowCount() - 1;
    const int lastCol = m_grid->columnCount() - 1;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                          key == Qt::Key_PageDown ||
                          (ctrl && (key == Qt::Key_Home || key == Qt::Key_End));
    if (range.left == 0 && range.right == lastCol && vertical)
        setSelection({stretch ? m_current.row : to->row, 0}, {to->row, lastCol});
    else if (stretch && range.top == 0 && range.bottom == lastRow && !vertical)
        setSelection(m_current, {m_extent.row, to->col});
    else
        setSelection(stretch ? m_current : *to, *to);
    ensureCellVisible(*to);
    if (key == Qt::Key_Home)
        horizontalScrollBar()->setValue(0);
    return true;
}

void ReportGridView::selectAllCells() {
    if (m_grid->rowCount() > 0)
        setSelection({0, 0}, {m_grid->rowCount() - 1, m_grid->columnCount() - 1});
}

GridShape ReportGridView::shape() const {
    GridShape shape;
    if (!m_grid)
        return shape;
    shape.rows = m_grid->rowCount();
    for (int c = 1; c < m_grid->columnCount(); ++c)
        if (m_grid->columnWidth(c) > 0)
            shape.columns.push_back(c);
    shape.pageRows = std::max(1, viewport()->height() / std::max(1, rowHeight(0)) - 1);
    return shape;
}

void ReportGridView::ensureCellVisible(GridCell cell) {
    if (!m_grid || m_grid->rowCount() == 0)
        return;
    // Headings, 序 and the frozen columns always show: the body scrolls only
    // in the directions the cell lies in it.
    const int frozen = m_rowNumbers->frozenColumns();
    int firstBodyCol = frozen + 1;
    while (firstBodyCol < m_grid->columnCount() && isColumnHidden(firstBodyCol))
        ++firstBodyCol;
    const bool bodyCol = cell.col > frozen;
    const int keptLeft = horizontalScrollBar()->value();
    const int keptTop = verticalScrollBar()->value();
    scrollTo(m_grid->index(cell.row >= 0 ? cell.row : std::max(rowAt(0), 0),
                           bodyCol ? cell.col : firstBodyCol));
    if (!bodyCol)
        horizontalScrollBar()->setValue(keptLeft);
    if (cell.row < 0)
        verticalScrollBar()->setValue(keptTop);
}

void ReportGridView::scrollToTopLeft() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void ReportGridView::setSortIndicator(int col, Qt::SortOrder order) {
    m_headings->setSortIndicatorShown(col >= 0);
    m_headings->setSortIndicator(col, order);
}

void ReportGridView::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_grid)
        return;
    QMenu menu(this);
    QAction* copy = menu.addAction(u"复制"_s);
    copy->setShortcut(QKeySequence::Copy);
    QAction* copyWithHeader = menu.addAction(u"复制（含表头）"_s);
    copyWithHeader->setShortcut(kCopyWithHeader);
    // The owner's own entries (the summary's "导出全部明细…") follow. Every
    // entry acts on what the grid shows: none while it shows no rows.
    if (!actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    for (QAction* action : menu.actions())
        action->setEnabled(m_grid->rowCount() > 0);
    // From the keyboard the menu opens at the current cell.
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? mapToGlobal(cellRect(m_current).bottomLeft())
                          : event->globalPos();
    QAction* chosen = menu.exec(at);
    if (chosen == copy || chosen == copyWithHeader)
        emit copyRequested(chosen == copyWithHeader);
}

void ReportGridView::selectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    QAbstractItemView::selectionChanged(selected, deselected);
    ReportGridAccessible::announceSelection(this, selected, deselected);
}

QRect ReportGridView::cellRect(GridCell cell) const {
    const QRect rowNumbers = m_rowNumbers->geometry();
    const QRect headings = m_headings->geometry();
    const QRect body = viewport()->geometry();
    int x = body.x() + columnViewportPosition(cell.col);
    int width = columnWidth(cell.col);
    if (cell.col <= m_rowNumbers->frozenColumns()) {
        x = rowNumbers.x();
        width = 0;
        for (const ReportGridHeader::Span& span : m_rowNumbers->spans()) {
            if (span.col == cell.col) {
                x += span.left;
                width = m_rowNumbers->isVisible() ? span.width : 0;
            }
        }
    }
    const int y = cell.row < 0 ? headings.y() : body.y() + rowViewportPosition(cell.row);
    const int height = cell.row < 0 ? (m_headings->isVisible() ? headings.height() : 0)
                                    : rowHeight(cell.row);
    return {x, y, width, height};
}

GridCell ReportGridView::cellAt(QPoint pos) const {
    const QRect body = viewport()->geometry();
    GridCell cell{-1, kNowhere};
    if (pos.y() >= body.top()) {
        const int row = rowAt(pos.y() - body.top());
        cell.row = row < 0 ? kNowhere : row;
    }
    if (pos.x() >= body.left()) {
        const int col = columnAt(pos.x() - body.left());
        cell.col = col < 0 ? kNowhere : col;
        return cell;
    }
    const int x = pos.x() - m_rowNumbers->x();
    for (const ReportGridHeader::Span& span : m_rowNumbers->spans())
        if (x < span.left + span.width) {
            cell.col = span.col;
            break;
        }
    return cell;
}

bool ReportGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_corner && event->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// The corner heads 序 and the frozen columns, in the header look.
void ReportGridView::paintCorner() {
    QPainter painter(m_corner);
    for (const ReportGridHeader::Span& span : m_rowNumbers->spans()) {
        QStyleOptionHeaderV2 option;
        option.initFrom(m_corner);
        option.state |= QStyle::State_Raised;
        option.rect = QRect(span.left, 0, span.width, m_corner->height());
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = m_grid->headerData(span.col, Qt::Horizontal).toString();
        option.textAlignment = Qt::Alignment(
            m_grid->headerData(span.col, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        ReportGridHeader::paintCell(&painter, option, m_corner);
    }
}

} // namespace nbr
