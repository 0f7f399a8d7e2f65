#pragma once
// The mouse on a ReportGridView, alike on its body, its headings, 序 (with
// the frozen cells) and its corner, as a spreadsheet user expects: a press
// makes the cell current; dragging, or a press with Shift, stretches the
// selection to the cell under the mouse, scrolling on past the body's edges;
// a release without a drag is the view's cellClicked. Pressing 序
// selects whole rows, a heading whole columns, the corner everything. A
// right press outside the selection moves the selection there first, for
// the context menu.

#include "report/models/GridCell.h"

#include <QObject>
#include <QPoint>
#include <optional>

namespace nbr {

class ReportGridView;

class ReportGridMouse : public QObject {
    Q_OBJECT
public:
    explicit ReportGridMouse(ReportGridView* view);

    // Takes the mouse events of one part of the view.
    void watch(QWidget* part);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a press selects: cells, or whole rows, columns, the grid.
    enum class Span { Cells, Rows, Columns, All };

    void press(QPoint pos, Qt::MouseButton button, bool stretch);
    void drag(QPoint pos);
    void release();
    void select(GridCell from, GridCell to);
    GridCell dragTarget(QPoint pos) const;

    ReportGridView* m_view;
    Span m_span = Span::Cells;
    GridCell m_anchor;
    std::optional<GridCell> m_pressed; // while the left button is down
    bool m_click = false;              // the release may still be a click
};

} // namespace nbr
