#include "report/ui/FlexGridView.h"

#include "platform/Twips.h"
#include "report/ReportColours.h"
#include "report/models/FlexGridModel.h"
#include "report/ui/FlexGridAccessible.h"
#include "report/ui/FlexGridDelegate.h"
#include "report/ui/FlexGridHeader.h"
#include "report/ui/FlexGridMouse.h"

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

FlexGridView::FlexGridView(QWidget* parent) : QTableView(parent) {
    // What screen readers are told of the grids; installed by the first grid made.
    static const bool accessible = (FlexGridAccessible::install(), true);
    (void)accessible;
    m_fixedRow = new FlexGridHeader(Qt::Horizontal, this);
    m_fixedCol = new FlexGridHeader(Qt::Vertical, this);
    setHorizontalHeader(m_fixedRow);
    setVerticalHeader(m_fixedCol);
    setItemDelegate(new FlexGridDelegate(this));
    // The table's corner button shows the heading cells beside the fixed row.
    auto* mouse = new FlexGridMouse(this);
    if (auto* corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        m_corner = corner;
        corner->installEventFilter(this);
        mouse->watch(corner);
    }
    mouse->watch(viewport());
    mouse->watch(m_fixedRow->viewport());
    mouse->watch(m_fixedCol->viewport());
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

void FlexGridView::setModel(QAbstractItemModel* model) {
    if (m_grid) {
        disconnect(m_grid, nullptr, this, nullptr);
        if (m_corner)
            disconnect(m_grid, nullptr, m_corner, nullptr);
    }
    QTableView::setModel(model);
    m_grid = qobject_cast<FlexGridModel*>(model);
    if (!m_grid)
        return;
    connect(m_grid, &FlexGridModel::colWidthChanged, this, [this](int col, int twips) {
        // While redraw is off the model is mid-reset; the reset re-applies all.
        if (m_grid->redraw())
            applyColumnWidth(col, twips);
    });
    connect(m_grid, &FlexGridModel::rowHeightChanged, this, &FlexGridView::applyRowHeight);
    connect(m_grid, &FlexGridModel::currentCellChanged, this, [this] {
        if (m_grid->redraw() && !m_followingModel)
            showSelection();
    });
    // Nothing may paint from a model that is half-way through a reset.
    connect(m_grid, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { setUpdatesEnabled(false); });
    connect(m_grid, &QAbstractItemModel::modelReset, this, [this] {
        applyGeometry();
        showSelection();
        setUpdatesEnabled(true);
    });
    connect(m_grid, &QAbstractItemModel::columnsInserted, this, [this] { applyGeometry(); });
    // The frozen cells are painted by the fixed column: it follows their
    // texts and the selection.
    const auto repaintFrozen = [this] { m_fixedCol->viewport()->update(); };
    connect(m_grid, &QAbstractItemModel::dataChanged, m_fixedCol, repaintFrozen);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, m_fixedCol, repaintFrozen);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, m_fixedCol, repaintFrozen);
    if (m_corner) {
        connect(m_grid, &QAbstractItemModel::headerDataChanged, m_corner,
                qOverload<>(&QWidget::update));
        connect(m_grid, &QAbstractItemModel::modelReset, m_corner, qOverload<>(&QWidget::update));
    }
    applyGeometry();
    showSelection();
}

void FlexGridView::setFrozenColumns(int count) {
    m_frozenColumns = std::max(count, 0);
    if (m_grid)
        applyFrozenColumns();
}

void FlexGridView::applyColumnWidth(int col, int twips) {
    if (col <= m_frozenColumns) {
        // Column 0 shows as the vertical header, with the frozen columns;
        // its body cells stay hidden.
        setColumnHidden(0, true);
        applyFrozenColumns();
        return;
    }
    setColumnHidden(col, twips == 0);
    if (twips > 0)
        setColumnWidth(col, twipsToPixels(twips));
}

// The frozen columns join the fixed column while they leave the body at
// least half the view; otherwise they scroll with the body.
void FlexGridView::applyFrozenColumns() {
    int paneWidth = twipsToPixels(m_grid->colWidth(0));
    int frozen = 0;
    for (int c = 1; c <= m_frozenColumns && c < m_grid->cols(); ++c) {
        paneWidth += twipsToPixels(m_grid->colWidth(c));
        frozen = c;
    }
    if (paneWidth > width() / 2)
        frozen = 0;
    m_fixedCol->setFrozenColumns(frozen);
    for (int c = 1; c <= m_frozenColumns && c < m_grid->cols(); ++c) {
        const int pixels = twipsToPixels(m_grid->colWidth(c));
        setColumnHidden(c, c <= frozen || pixels == 0);
        if (c > frozen && pixels > 0)
            setColumnWidth(c, pixels);
    }
    int thickness = 0;
    for (const FlexGridHeader::Span& span : m_fixedCol->spans())
        thickness = span.left + span.width;
    m_fixedCol->setThickness(thickness);
}

void FlexGridView::applyRowHeight(int twips) {
    verticalHeader()->setDefaultSectionSize(twipsToPixels(twips));
    m_fixedRow->setThickness(twipsToPixels(twips));
}

void FlexGridView::applyGeometry() {
    // The fixed row shows as the horizontal header.
    setRowHidden(0, true);
    for (int c = 0; c < m_grid->cols(); ++c)
        applyColumnWidth(c, m_grid->colWidth(c));
    applyRowHeight(m_grid->rowHeight(0));
}

void FlexGridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (m_grid)
        applyFrozenColumns();
}

void FlexGridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    startBodyOnWholeColumn();
}

void FlexGridView::updateGeometries() {
    QTableView::updateGeometries();
    startBodyOnWholeColumn();
}

// Scrolled to the right end, the table lines the last column up with the
// right edge and so shows a sliver of a column at the left edge, beside the
// frozen names: the tail of an amount that could pass for a smaller one.
// The body starts on a whole column instead, white space after the last.
void FlexGridView::startBodyOnWholeColumn() {
    const QScrollBar* bar = horizontalScrollBar();
    if (horizontalScrollMode() != ScrollPerItem || bar->maximum() == 0 ||
        bar->value() != bar->maximum())
        return;
    const int lastSectionOffset = m_fixedRow->offset();
    m_fixedRow->setOffsetToSectionPosition(bar->value());
    if (m_fixedRow->offset() != lastSectionOffset)
        viewport()->update();
}

// Shows the model's current cell as current and its selection as selected.
void FlexGridView::showSelection() {
    if (!selectionModel())
        return;
    const CellRange range = m_grid->selection();
    m_followingModel = true;
    selectionModel()->setCurrentIndex(m_grid->index(m_grid->row(), m_grid->col()),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(m_grid->index(range.top, range.left),
                                            m_grid->index(range.bottom, range.right)),
                             QItemSelectionModel::ClearAndSelect);
    m_followingModel = false;
}

// Whatever else makes a cell current (type-ahead, a screen reader) makes it
// the model's current cell too.
void FlexGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // QTableView's would announce the cell in a numbering that counts the
    // hidden heading row and columns.
    QAbstractItemView::currentChanged(current, previous);
    FlexGridAccessible::announceCurrent(this, current);
    if (m_grid && !m_followingModel && current.isValid() && m_grid->redraw()) {
        m_followingModel = true;
        const GridCell cell{current.row(), current.column()};
        m_grid->setSelection(cell, cell);
        m_followingModel = false;
        showSelection();
    }
}

void FlexGridView::keyPressEvent(QKeyEvent* event) {
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
bool FlexGridView::moveByKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool stretch = modifiers & Qt::ShiftModifier;
    const GridCell current{m_grid->row(), m_grid->col()};
    const GridCell extent{m_grid->rowSel(), m_grid->colSel()};
    const std::optional<GridCell> to =
        navigationTarget(stretch ? extent : current, key, modifiers, shape());
    if (!to)
        return false;
    const CellRange range = m_grid->selection();
    const int lastRow = m_grid->rows() - 1;
    const int lastCol = m_grid->cols() - 1;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                          key == Qt::Key_PageDown ||
                          (ctrl && (key == Qt::Key_Home || key == Qt::Key_End));
    if (range.left == 0 && range.right == lastCol && vertical)
        m_grid->setSelection({stretch ? current.row : to->row, 0}, {to->row, lastCol});
    else if (stretch && range.top <= 1 && range.bottom == lastRow && !vertical)
        m_grid->setSelection(current, {extent.row, to->col});
    else
        m_grid->setSelection(stretch ? current : *to, *to);
    ensureCellVisible(*to);
    if (key == Qt::Key_Home)
        horizontalScrollBar()->setValue(0);
    return true;
}

void FlexGridView::selectAllCells() {
    if (m_grid->rows() > 1)
        m_grid->setSelection({1, 0}, {m_grid->rows() - 1, m_grid->cols() - 1});
}

GridShape FlexGridView::shape() const {
    GridShape shape;
    if (!m_grid)
        return shape;
    shape.rows = m_grid->rows();
    for (int c = 1; c < m_grid->cols(); ++c)
        if (m_grid->colWidth(c) > 0)
            shape.columns.push_back(c);
    shape.pageRows = std::max(1, viewport()->height() / std::max(1, rowHeight(1)) - 1);
    return shape;
}

void FlexGridView::ensureCellVisible(GridCell cell) {
    if (!m_grid || m_grid->rows() < 2)
        return;
    // Headings and the fixed and frozen columns always show: the body
    // scrolls only in the directions the cell lies in it.
    const int frozen = m_fixedCol->frozenColumns();
    int firstBodyCol = frozen + 1;
    while (firstBodyCol < m_grid->cols() && isColumnHidden(firstBodyCol))
        ++firstBodyCol;
    const bool bodyCol = cell.col > frozen;
    const int keptLeft = horizontalScrollBar()->value();
    const int keptTop = verticalScrollBar()->value();
    scrollTo(m_grid->index(cell.row >= 1 ? cell.row : std::max(rowAt(0), 1),
                           bodyCol ? cell.col : firstBodyCol));
    if (!bodyCol)
        horizontalScrollBar()->setValue(keptLeft);
    if (cell.row < 1)
        verticalScrollBar()->setValue(keptTop);
}

void FlexGridView::scrollToTopLeft() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void FlexGridView::setSortIndicator(int col, Qt::SortOrder order) {
    m_fixedRow->setSortIndicatorShown(col >= 0);
    m_fixedRow->setSortIndicator(col, order);
}

void FlexGridView::contextMenuEvent(QContextMenuEvent* event) {
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
        action->setEnabled(m_grid->rows() > 1);
    // From the keyboard the menu opens at the current cell.
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? mapToGlobal(currentCellRect().bottomLeft())
                          : event->globalPos();
    QAction* chosen = menu.exec(at);
    if (chosen == copy || chosen == copyWithHeader)
        emit copyRequested(chosen == copyWithHeader);
}

void FlexGridView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    QAbstractItemView::selectionChanged(selected, deselected);
    FlexGridAccessible::announceSelection(this, selected, deselected);
}

QRect FlexGridView::cellRect(int row, int col) const {
    const QRect colHeader = m_fixedCol->geometry();
    const QRect rowHeader = m_fixedRow->geometry();
    const QRect body = viewport()->geometry();
    int x = body.x() + columnViewportPosition(col);
    int width = columnWidth(col);
    if (col <= m_fixedCol->frozenColumns()) {
        x = colHeader.x();
        width = 0;
        for (const FlexGridHeader::Span& span : m_fixedCol->spans()) {
            if (span.col == col) {
                x += span.left;
                width = m_fixedCol->isVisible() ? span.width : 0;
            }
        }
    }
    const int y = row == 0 ? rowHeader.y() : body.y() + rowViewportPosition(row);
    const int height =
        row == 0 ? (m_fixedRow->isVisible() ? rowHeader.height() : 0) : rowHeight(row);
    return {x, y, width, height};
}

GridCell FlexGridView::cellAt(QPoint pos) const {
    const QRect body = viewport()->geometry();
    GridCell cell{pos.y() < body.top() ? 0 : rowAt(pos.y() - body.top()), -1};
    if (pos.x() >= body.left()) {
        cell.col = columnAt(pos.x() - body.left());
        return cell;
    }
    const int x = pos.x() - m_fixedCol->x();
    for (const FlexGridHeader::Span& span : m_fixedCol->spans())
        if (x < span.left + span.width) {
            cell.col = span.col;
            break;
        }
    return cell;
}

QRect FlexGridView::currentCellRect() const {
    return m_grid ? cellRect(m_grid->row(), m_grid->col()) : QRect();
}

int FlexGridView::cellLeft() const {
    return pixelsToTwips(currentCellRect().left());
}

int FlexGridView::cellTop() const {
    return pixelsToTwips(currentCellRect().top());
}

bool FlexGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_corner && event->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// The corner heads the fixed column and the frozen ones: their cells of the
// heading row, in the header look.
void FlexGridView::paintCorner() {
    QPainter painter(m_corner);
    for (const FlexGridHeader::Span& span : m_fixedCol->spans()) {
        QStyleOptionHeaderV2 option;
        option.initFrom(m_corner);
        option.state |= QStyle::State_Raised;
        option.rect = QRect(span.left, 0, span.width, m_corner->height());
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = m_grid->headerData(span.col, Qt::Horizontal).toString();
        option.textAlignment = Qt::Alignment(
            m_grid->headerData(span.col, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        FlexGridHeader::paintCell(&painter, option, m_corner);
    }
}

} // namespace nbr
