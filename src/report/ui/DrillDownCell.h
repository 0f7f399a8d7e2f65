#pragma once
// The drill-down button (btnB) of the summary grid and the cell it stands
// on. It follows the grid's current cell, whether a click or a key put it
// there: it stands while that cell has claim lines behind it (the window
// says which), on the cell's top-left corner, 200 twips wide and as tall as
// the cell, and shows while all of it lies in the grid's body (it moves with
// the cell when the grid scrolls).

#include "report/models/GridCell.h"

#include <QObject>
#include <functional>
#include <optional>

class QPushButton;

namespace nbr {

class ReportGridView;

class DrillDownCell : public QObject {
    Q_OBJECT
public:
    using Drillable = std::function<bool(GridCell cell)>;
    DrillDownCell(QPushButton* button, ReportGridView* view, Drillable drillable);

    // The cell the button stands on.
    const std::optional<GridCell>& cell() const { return m_cell; }
    // Puts the button on the grid's current cell, or takes it away.
    void follow();
    void hide();

private:
    void place();

    QPushButton* m_button;
    ReportGridView* m_view;
    Drillable m_drillable;
    std::optional<GridCell> m_cell;
};

} // namespace nbr
