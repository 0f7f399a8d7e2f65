#include "report/ui/FlexGridView.h"

#include "platform/Twips.h"
#include "report/ReportColours.h"
#include "report/models/FlexGridModel.h"
#include "report/ui/FlexGridAccessible.h"
#include "report/ui/FlexGridDelegate.h"
#include "report/ui/FlexGridHeader.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionHeaderV2>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

FlexGridView::FlexGridView(QWidget* parent) : QTableView(parent) {
    // What screen readers are told of the grids; installed by the first grid made.
    static const bool accessible = (FlexGridAccessible::install(), true);
    (void)accessible;
    m_fixedRow = new FlexGridHeader(Qt::Horizontal, this);
    m_fixedCol = new FlexGridHeader(Qt::Vertical, this);
    setHorizontalHeader(m_fixedRow);
    setVerticalHeader(m_fixedCol);
    setItemDelegate(new FlexGridDelegate(this));
    // The table's corner button stands for cell (0, 0): it shows that cell
    // and a click on it is a click on the cell.
    if (auto* corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        m_corner = corner;
        corner->installEventFilter(this);
        connect(corner, &QAbstractButton::clicked, this, [this] {
            if (m_grid)
                m_grid->userClick(0, 0);
        });
    }
    connect(m_fixedRow, &FlexGridHeader::cellClicked, this, [this](int col) {
        if (m_grid)
            m_grid->userClick(0, col);
    });
    connect(m_fixedCol, &FlexGridHeader::cellClicked, this, [this](int row) {
        if (m_grid)
            m_grid->userClick(row, 0);
    });
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setStyleSheet(u"QTableView { gridline-color: %1; }"_s.arg(ReportColour::kGridLines.name()));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);

    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (m_grid && index.isValid())
            m_grid->userClick(index.row(), index.column());
    });
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
    if (m_corner) {
        connect(m_grid, &QAbstractItemModel::headerDataChanged, m_corner,
                qOverload<>(&QWidget::update));
        connect(m_grid, &QAbstractItemModel::modelReset, m_corner, qOverload<>(&QWidget::update));
    }
    applyGeometry();
    showCurrentCell();
}

void FlexGridView::applyColumnWidth(int col, int twips) {
    if (col == 0) {
        // The fixed column shows as the vertical header; its body cells stay hidden.
        setColumnHidden(0, true);
        m_fixedCol->setThickness(twipsToPixels(twips));
        return;
    }
    if (twips == 0) {
        setColumnHidden(col, true);
        return;
    }
    setColumnHidden(col, false);
    setColumnWidth(col, twipsToPixels(twips));
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
    // QTableView's would announce the cell in a numbering that counts the
    // hidden heading row and columns.
    QAbstractItemView::currentChanged(current, previous);
    FlexGridAccessible::announceCurrent(this, current);
    if (m_grid && !m_followingModel && current.isValid() && m_grid->redraw()) {
        m_followingModel = true;
        m_grid->setRow(current.row());
        m_grid->setCol(current.column());
        m_followingModel = false;
        showCurrentCell();
    }
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
    const int x = col == 0 ? colHeader.x() : body.x() + columnViewportPosition(col);
    const int y = row == 0 ? rowHeader.y() : body.y() + rowViewportPosition(row);
    const int width =
        col == 0 ? (m_fixedCol->isVisible() ? colHeader.width() : 0) : columnWidth(col);
    const int height =
        row == 0 ? (m_fixedRow->isVisible() ? rowHeader.height() : 0) : rowHeight(row);
    return {x, y, width, height};
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

void FlexGridView::paintCorner() {
    QPainter painter(m_corner);
    QStyleOptionHeaderV2 option;
    option.initFrom(m_corner);
    option.state |= QStyle::State_Raised;
    option.rect = m_corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    if (m_grid) {
        option.text = m_grid->headerData(0, Qt::Horizontal).toString();
        option.textAlignment =
            Qt::Alignment(m_grid->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
    }
    FlexGridHeader::paintCell(&painter, option, m_corner);
}

} // namespace nbr
