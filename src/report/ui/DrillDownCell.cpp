#include "report/ui/DrillDownCell.h"

#include "platform/Twips.h"
#include "report/AmountText.h"
#include "report/ReportColumns.h"
#include "report/models/FlexGridModel.h"
#include "report/ui/FlexGridView.h"

#include <QPushButton>
#include <QScrollBar>

namespace nbr {

DrillDownCell::DrillDownCell(QPushButton* button, FlexGridView* view,
                             const std::optional<SummaryTable>& summary)
    : m_button(button), m_view(view), m_summary(summary) {
    FlexGridModel* grid = view->grid();
    connect(grid, &FlexGridModel::currentCellChanged, this, &DrillDownCell::follow);
    // The button follows its cell wherever the grid shows it.
    for (QScrollBar* bar : {view->horizontalScrollBar(), view->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, &DrillDownCell::place);
        connect(bar, &QScrollBar::rangeChanged, this, &DrillDownCell::place);
    }
    connect(grid, &FlexGridModel::colWidthChanged, this, &DrillDownCell::place);
}

void DrillDownCell::follow() {
    const FlexGridModel& grid = *m_view->grid();
    const int r = grid.row();
    const int c = grid.col();
    m_cell.reset();
    // Only the months of data rows have claim lines behind them.
    if (m_summary && r >= 1 && size_t(r) <= m_summary->rows.size() && c >= SummaryCol::FirstMonth &&
        c <= SummaryCol::LastMonth) {
        const SummaryRow& row = m_summary->rows[size_t(r - 1)];
        if (row.kind == RowKind::Data &&
            amountValue(row.months[size_t(c - SummaryCol::FirstMonth)]) != 0)
            m_cell = GridCell{r, c};
    }
    place();
}

void DrillDownCell::hide() {
    m_cell.reset();
    m_button->hide();
}

void DrillDownCell::place() {
    if (!m_cell) {
        m_button->hide();
        return;
    }
    const QRect cell = m_view->cellRect(m_cell->row, m_cell->col);
    const QRect button(m_view->pos() + cell.topLeft(), QSize(twipsToPixels(200), cell.height()));
    const QRect body = m_view->viewport()->geometry().translated(m_view->pos());
    m_button->setGeometry(button);
    m_button->setVisible(body.contains(button));
    m_button->raise();
}

} // namespace nbr
