#include "report/ui/ReportGridMouse.h"

#include "report/models/GridNavigation.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportGridView.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace nbr {

ReportGridMouse::ReportGridMouse(ReportGridView* view) : QObject(view), m_view(view) {}

void ReportGridMouse::watch(QWidget* part) {
    part->installEventFilter(this);
}

bool ReportGridMouse::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!m_view->grid() || (type == QEvent::MouseMove && !m_pressed))
        return false; // hovering
    const QPoint pos = static_cast<QWidget*>(watched)->mapTo(m_view, mouse->position().toPoint());
    if (type == QEvent::MouseMove)
        drag(pos);
    else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton)
        release();
    else if (type != QEvent::MouseButtonRelease)
        press(pos, mouse->button(), mouse->modifiers() & Qt::ShiftModifier);
    return true;
}

void ReportGridMouse::press(QPoint pos, Qt::MouseButton button, bool stretch) {
    const GridCell cell = m_view->cellAt(pos);
    if (cell.row == ReportGridView::kNowhere || cell.col == ReportGridView::kNowhere)
        return;
    m_view->setFocus(Qt::MouseFocusReason);
    const Span span = cell.row < 0   ? (cell.col == 0 ? Span::All : Span::Columns)
                      : cell.col == 0 ? Span::Rows
                                      : Span::Cells;
    if (button == Qt::RightButton) {
        if (!m_view->selection().contains(cell)) {
            m_span = span;
            select(cell, cell);
        }
        return;
    }
    if (button != Qt::LeftButton)
        return;
    m_span = span;
    m_anchor = stretch ? m_view->currentCell() : cell;
    m_pressed = cell;
    m_click = !stretch;
    select(m_anchor, cell);
}

void ReportGridMouse::drag(QPoint pos) {
    const GridCell to = dragTarget(pos);
    if (to == *m_pressed && m_click)
        return;
    m_click = false;
    select(m_anchor, to);
    m_view->ensureCellVisible(to);
}

// A release with no drag is a click on the pressed cell, even when making
// it current scrolled it under the mouse.
void ReportGridMouse::release() {
    const std::optional<GridCell> pressed = std::exchange(m_pressed, std::nullopt);
    if (pressed && m_click)
        emit m_view->cellClicked(*pressed);
}

// Rows, columns or the whole grid take every column or row; a heading's
// column is selected down its body.
void ReportGridMouse::select(GridCell from, GridCell to) {
    const ReportGridModel& grid = *m_view->grid();
    const int lastRow = grid.rowCount() - 1;
    const int lastCol = grid.columnCount() - 1;
    switch (m_span) {
    case Span::Cells:
        m_view->setSelection(from, to);
        break;
    case Span::Rows:
        m_view->setSelection({from.row, 0}, {to.row, lastCol});
        break;
    case Span::Columns:
        m_view->setSelection({0, from.col}, {lastRow, to.col});
        break;
    case Span::All:
        m_view->setSelection({0, 0}, {lastRow, lastCol});
        break;
    }
}

// The cell a drag reaches: the one under the mouse, or past the body's
// edges the next one out of view, so the body scrolls on. Left of the body,
// the frozen cells are reached once the body shows its left end.
GridCell ReportGridMouse::dragTarget(QPoint pos) const {
    if (m_span == Span::All)
        return {-1, 0};
    const QRect body = m_view->viewport()->geometry();
    const QPoint inside(std::clamp(pos.x(), body.left(), body.right()),
                        std::clamp(pos.y(), body.top(), body.bottom()));
    const GridShape shape = m_view->shape();
    GridCell cell = m_view->cellAt(inside);
    if (cell.row == ReportGridView::kNowhere)
        cell.row = shape.rows - 1;
    if (cell.col == ReportGridView::kNowhere)
        cell.col = shape.columns.empty() ? m_pressed->col : shape.columns.back();
    const auto step = [&](int key) {
        cell = navigationTarget(cell, key, {}, shape).value_or(cell);
    };
    if (pos.y() > body.bottom())
        step(Qt::Key_Down);
    else if (pos.y() < body.top() && m_span != Span::Columns)
        step(Qt::Key_Up);
    if (pos.x() > body.right()) {
        step(Qt::Key_Right);
    } else if (pos.x() < body.left() && m_span != Span::Rows) {
        const int frozen = m_view->cellAt(pos).col;
        if (m_view->horizontalScrollBar()->value() == 0 && frozen > 0)
            cell.col = frozen;
        else
            step(Qt::Key_Left);
    }
    if (m_span == Span::Rows)
        cell.col = 0;
    if (m_span == Span::Columns)
        cell.row = -1;
    return cell;
}

} // namespace nbr
