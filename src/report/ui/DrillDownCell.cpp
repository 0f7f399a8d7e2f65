#include "report/ui/DrillDownCell.h"

#include "platform/Twips.h"
#include "report/ui/ReportGridView.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>

namespace nbr {

DrillDownCell::DrillDownCell(QPushButton* button, ReportGridView* view, Drillable drillable)
    : m_button(button), m_view(view), m_drillable(std::move(drillable)) {
    connect(view, &ReportGridView::currentCellChanged, this, &DrillDownCell::follow);
    // The button follows its cell wherever the grid shows it.
    for (QScrollBar* bar : {view->horizontalScrollBar(), view->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, &DrillDownCell::place);
        connect(bar, &QScrollBar::rangeChanged, this, &DrillDownCell::place);
    }
    connect(view->horizontalHeader(), &QHeaderView::sectionResized, this, &DrillDownCell::place);
}

void DrillDownCell::follow() {
    const GridCell current = m_view->currentCell();
    m_cell.reset();
    if (m_drillable(current))
        m_cell = current;
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
    const QRect cell = m_view->cellRect(*m_cell);
    const QRect button(m_view->pos() + cell.topLeft(), QSize(twipsToPixels(200), cell.height()));
    const QRect body = m_view->viewport()->geometry().translated(m_view->pos());
    m_button->setGeometry(button);
    m_button->setVisible(body.contains(button));
    m_button->raise();
}

} // namespace nbr
