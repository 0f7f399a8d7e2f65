#include "report/controls/FlexGridView.h"

#include "platform/Twips.h"
#include "report/controls/FlexGridModel.h"

#include <QHeaderView>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

FlexGridView::FlexGridView(QWidget* parent) : QTableView(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // Uniform row heights keep scrolling through tens of thousands of rows cheap.
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    // Widths come from the widening rule; a text that still does not fit is cut, not elided.
    setTextElideMode(Qt::ElideNone);
    setStyleSheet(u"QTableView { gridline-color: rgb(192, 192, 192); }"_s);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);

    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (m_grid && index.isValid())
            m_grid->userClick(index.row(), index.column());
    });
}

void FlexGridView::setModel(QAbstractItemModel* model) {
    if (m_grid)
        disconnect(m_grid, nullptr, this, nullptr);
    QTableView::setModel(model);
    m_grid = qobject_cast<FlexGridModel*>(model);
    if (!m_grid)
        return;
    connect(m_grid, &FlexGridModel::colWidthChanged, this, [this](int col, int twips) {
        // While redraw is off the model is mid-reset; the reset re-applies all.
        if (m_grid->redraw())
            applyColumnWidth(col, twips);
    });
    connect(m_grid, &FlexGridModel::rowHeightChanged, this,
            [this](int twips) { verticalHeader()->setDefaultSectionSize(twipsToPixels(twips)); });
    connect(m_grid, &FlexGridModel::currentCellChanged, this, [this] {
        if (m_grid->redraw() && !m_followingModel)
            showCurrentCell();
    });
    // Nothing may paint from a model that is half-way through a reset.
    connect(m_grid, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { setUpdatesEnabled(false); });
    connect(m_grid, &QAbstractItemModel::modelReset, this, [this] {
        applyGeometry();
        showCurrentCell();
        setUpdatesEnabled(true);
    });
    connect(m_grid, &QAbstractItemModel::columnsInserted, this, [this] { applyGeometry(); });
    applyGeometry();
    showCurrentCell();
}

void FlexGridView::applyColumnWidth(int col, int twips) {
    if (twips == 0) {
        setColumnHidden(col, true);
        return;
    }
    setColumnHidden(col, false);
    setColumnWidth(col, twipsToPixels(twips));
}

void FlexGridView::applyGeometry() {
    for (int c = 0; c < m_grid->cols(); ++c)
        applyColumnWidth(c, m_grid->colWidth(c));
    verticalHeader()->setDefaultSectionSize(twipsToPixels(m_grid->rowHeight(0)));
}

// Shows the model's current cell as current, with the cells from Col to
// ColSel of the current row selected (the whole row when they span it).
void FlexGridView::showCurrentCell() {
    if (!selectionModel())
        return;
    const int row = m_grid->row();
    const int first = std::min(m_grid->col(), m_grid->colSel());
    const int last = std::max(m_grid->col(), m_grid->colSel());
    m_followingModel = true;
    const QModelIndex current = m_grid->index(row, m_grid->col());
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(m_grid->index(row, first), m_grid->index(row, last)),
                             QItemSelectionModel::ClearAndSelect);
    m_followingModel = false;
}

// Keyboard navigation moves the model's current cell too.
void FlexGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_grid && !m_followingModel && current.isValid() && m_grid->redraw()) {
        m_followingModel = true;
        m_grid->setRow(current.row());
        m_grid->setCol(current.column());
        m_followingModel = false;
        showCurrentCell();
    }
}

QRect FlexGridView::currentCellRect() const {
    if (!m_grid)
        return {};
    const QRect rect = visualRect(m_grid->index(m_grid->row(), m_grid->col()));
    return rect.translated(viewport()->geometry().topLeft());
}

int FlexGridView::cellLeft() const {
    return pixelsToTwips(currentCellRect().left());
}

int FlexGridView::cellTop() const {
    return pixelsToTwips(currentCellRect().top());
}

int FlexGridView::cellWidth() const {
    return pixelsToTwips(currentCellRect().width());
}

int FlexGridView::cellHeight() const {
    return pixelsToTwips(currentCellRect().height());
}

} // namespace nbr
