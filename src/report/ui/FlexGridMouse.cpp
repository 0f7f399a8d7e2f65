#include "report/ui/FlexGridMouse.h"

#include "report/models/FlexGridModel.h"
#include "report/models/GridNavigation.h"
#include "report/ui/FlexGridView.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace nbr {

FlexGridMouse::FlexGridMouse(FlexGridView* view) : QObject(view), m_view(view) {}

void FlexGridMouse::watch(QWidget* part) {
    part->installEventFilter(this);
}

bool FlexGridMouse::eventFilter(QObject* watched, QEvent* event) {
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
        release(pos);
    else if (type != QEvent::MouseButtonRelease)
        press(pos, mouse->button(), mouse->modifiers() & Qt::ShiftModifier);
    return true;
}

void FlexGridMouse::press(QPoint pos, Qt::MouseButton button, bool stretch) {
    FlexGridModel& grid = *m_view->grid();
    const GridCell cell = m_view->cellAt(pos);
    if (cell.row < 0 || cell.col < 0)
        return;
    m_view->setFocus(Qt::MouseFocusReason);
    const Span span = cell.row == 0   ? (cell.col == 0 ? Span::All : Span::Columns)
                      : cell.col == 0 ? Span::Rows
                                      : Span::Cells;
    if (button == Qt::RightButton) {
        if (!grid.selection().contains(cell)) {
            m_span = span;
            select(cell, cell);
        }
        return;
    }
    if (button != Qt::LeftButton)
        return;
    m_span = span;
    m_anchor = stretch ? GridCell{grid.row(), grid.col()} : cell;
    m_pressed = cell;
    m_click = !stretch;
    select(m_anchor, cell);
}

void FlexGridMouse::drag(QPoint pos) {
    const GridCell to = dragTarget(pos);
    if (to == *m_pressed && m_click)
        return;
    m_click = false;
    select(m_anchor, to);
    m_view->ensureCellVisible(to);
}

void FlexGridMouse::release(QPoint pos) {
    const std::optional<GridCell> pressed = std::exchange(m_pressed, std::nullopt);
    if (!pressed || !m_click || m_view->cellAt(pos) != *pressed)
        return;
    m_view->grid()->userClick(pressed->row, pressed->col);
    // The click made the fixed cell current; its rows or columns stay selected.
    if (m_span != Span::Cells)
        select(m_anchor, m_anchor);
}

void FlexGridMouse::select(GridCell from, GridCell to) {
    FlexGridModel& grid = *m_view->grid();
    const int lastRow = grid.rows() - 1;
    const int lastCol = grid.cols() - 1;
    switch (m_span) {
    case Span::Cells:
        grid.setSelection(from, to);
        break;
    case Span::Rows:
        grid.setSelection({from.row, 0}, {to.row, lastCol});
        break;
    case Span::Columns:
        grid.setSelection({0, from.col}, {lastRow, to.col});
        break;
    case Span::All:
        grid.setSelection({0, 0}, {lastRow, lastCol});
        break;
    }
}

// The cell a drag reaches: the one under the mouse, or past the body's
// edges the next one out of view, so the body scrolls on. Left of the body,
// the frozen cells are reached once the body shows its left end.
GridCell FlexGridMouse::dragTarget(QPoint pos) const {
    if (m_span == Span::All)
        return {0, 0};
    const QRect body = m_view->viewport()->geometry();
    const QPoint inside(std::clamp(pos.x(), body.left(), body.right()),
                        std::clamp(pos.y(), body.top(), body.bottom()));
    const GridShape shape = m_view->shape();
    GridCell cell = m_view->cellAt(inside);
    if (cell.row < 0)
        cell.row = shape.rows - 1;
    if (cell.col < 0)
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
        cell.row = 0;
    return cell;
}

} // namespace nbr
