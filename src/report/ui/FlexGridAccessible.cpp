#include "report/ui/FlexGridAccessible.h"

#include "report/models/FlexGridModel.h"
#include "report/ui/FlexGridView.h"

#include <QWindow>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// One cell of the grid, or one column header (the model's row 0).
class FlexGridCellAccessible final : public QAccessibleInterface,
                                     public QAccessibleTableCellInterface {
public:
    FlexGridCellAccessible(FlexGridView* view, int modelRow, int modelCol)
        : m_view(view), m_row(modelRow), m_col(modelCol) {}

    bool isValid() const override { return m_view && m_view->model(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view->window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_view);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name && t != QAccessible::Value)
            return {};
        return m_view->model()->index(m_row, m_col).data().toString().trimmed();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect r = m_view->cellRect(m_row, m_col);
        return QRect(m_view->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return m_row == 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (m_row == 0)
            return s;
        const QModelIndex index = m_view->model()->index(m_row, m_col);
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused = m_view->hasFocus() && m_view->currentIndex() == index;
        s.invisible = !m_view->rect().intersects(m_view->cellRect(m_row, m_col));
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        if (m_row == 0)
            return {};
        return {gridTable()->cellOf(0, m_col)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override {
        const std::vector<int> shown = gridTable()->shownColumns();
        return int(std::find(shown.begin(), shown.end(), m_col) - shown.begin());
    }
    int rowIndex() const override { return std::max(0, m_row - 1); }
    bool isSelected() const override {
        return m_row > 0 && m_view->selectionModel() &&
               m_view->selectionModel()->isSelected(m_view->model()->index(m_row, m_col));
    }
    QAccessibleInterface* table() const override { return parent(); }

private:
    FlexGridAccessible* gridTable() const { return static_cast<FlexGridAccessible*>(parent()); }

    FlexGridView* m_view;
    int m_row;
    int m_col;
};

QAccessibleInterface* createForFlexGrid(const QString& className, QObject* object) {
    if (className == u"nbr::FlexGridView"_s) {
        if (auto* view = qobject_cast<FlexGridView*>(object))
            return new FlexGridAccessible(view);
    }
    return nullptr;
}

// The grid's interface, when accessibility is on and the view has one.
FlexGridAccessible* tableOf(FlexGridView* view) {
    if (!QAccessible::isActive())
        return nullptr;
    return dynamic_cast<FlexGridAccessible*>(QAccessible::queryAccessibleInterface(view));
}

} // namespace

FlexGridAccessible::FlexGridAccessible(FlexGridView* view)
    : QAccessibleWidget(view, QAccessible::Table) {}

FlexGridAccessible::~FlexGridAccessible() {
    forgetCells();
}

void FlexGridAccessible::install() {
    QAccessible::installFactory(createForFlexGrid);
}

FlexGridView* FlexGridAccessible::view() const {
    return static_cast<FlexGridView*>(widget());
}

const FlexGridModel* FlexGridAccessible::grid() const {
    return qobject_cast<const FlexGridModel*>(view()->model());
}

std::vector<int> FlexGridAccessible::shownColumns() const {
    std::vector<int> shown;
    if (const FlexGridModel* g = grid()) {
        for (int c = 0; c < g->cols(); ++c)
            if (g->colWidth(c) > 0)
                shown.push_back(c);
    }
    return shown;
}

int FlexGridAccessible::columnCount() const {
    return int(shownColumns().size());
}

int FlexGridAccessible::rowCount() const {
    return grid() ? grid()->rows() - 1 : 0;
}

QString FlexGridAccessible::columnDescription(int column) const {
    const std::vector<int> shown = shownColumns();
    if (column < 0 || column >= int(shown.size()))
        return {};
    return grid()->headerData(shown[size_t(column)], Qt::Horizontal).toString();
}

QAccessibleInterface* FlexGridAccessible::cellOf(int modelRow, int modelCol) const {
    const FlexGridModel* g = grid();
    if (!g || modelRow < 0 || modelRow >= g->rows() || modelCol < 0 || modelCol >= g->cols() ||
        g->colWidth(modelCol) == 0)
        return nullptr;
    const std::pair key(modelRow, modelCol);
    if (const auto found = m_cells.find(key); found != m_cells.end())
        return QAccessible::accessibleInterface(found->second);
    auto* cell = new FlexGridCellAccessible(view(), modelRow, modelCol);
    m_cells[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

// Children: the column headers, then the cells row by row.
int FlexGridAccessible::childCount() const {
    return columnCount() * (rowCount() + 1);
}

QAccessibleInterface* FlexGridAccessible::child(int index) const {
    const std::vector<int> shown = shownColumns();
    if (shown.empty() || index < 0 || index >= childCount())
        return nullptr;
    const int columns = int(shown.size());
    return cellOf(index / columns, shown[size_t(index % columns)]);
}

int FlexGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const QAccessibleTableCellInterface* cell =
        child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || cell->table() != this)
        return -1;
    const int row = child->role() == QAccessible::ColumnHeader ? 0 : cell->rowIndex() + 1;
    return row * columnCount() + cell->columnIndex();
}

QAccessibleInterface* FlexGridAccessible::cellAt(int row, int column) const {
    const std::vector<int> shown = shownColumns();
    if (column < 0 || column >= int(shown.size()))
        return nullptr;
    return cellOf(row + 1, shown[size_t(column)]);
}

QAccessibleInterface* FlexGridAccessible::childAt(int x, int y) const {
    const FlexGridView* v = view();
    const QPoint at = v->mapFromGlobal(QPoint(x, y));
    // Body rows and the fixed column's sections share their heights.
    const int row = v->rowAt(at.y() - v->viewport()->y());
    for (const int col : shownColumns()) {
        if (v->cellRect(0, col).contains(at))
            return cellOf(0, col);
        if (row > 0 && v->cellRect(row, col).contains(at))
            return cellOf(row, col);
    }
    return nullptr;
}

QAccessibleInterface* FlexGridAccessible::focusChild() const {
    const QModelIndex current = view()->currentIndex();
    return current.isValid() ? cellOf(current.row(), current.column()) : nullptr;
}

int FlexGridAccessible::selectedCellCount() const {
    return int(selectedCells().size());
}

QList<QAccessibleInterface*> FlexGridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    if (const QItemSelectionModel* selection = view()->selectionModel()) {
        for (const QModelIndex& index : selection->selectedIndexes())
            if (index.row() > 0)
                if (QAccessibleInterface* cell = cellOf(index.row(), index.column()))
                    cells << cell;
    }
    return cells;
}

void* FlexGridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

// Any change of rows or columns renumbers the cells: they are made afresh.
void FlexGridAccessible::modelChange(QAccessibleTableModelChangeEvent*) {
    forgetCells();
}

void FlexGridAccessible::forgetCells() {
    for (const auto& [key, id] : m_cells)
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

void FlexGridAccessible::announceCurrent(FlexGridView* view, const QModelIndex& current) {
    // As Qt's tables do: only the focused grid moves a screen reader's focus.
    FlexGridAccessible* table = view->hasFocus() ? tableOf(view) : nullptr;
    QAccessibleInterface* cell = table ? table->cellOf(current.row(), current.column()) : nullptr;
    if (!cell || current.row() == 0)
        return;
    QAccessibleEvent event(view, QAccessible::Focus);
    event.setChild(table->indexOfChild(cell));
    QAccessible::updateAccessibility(&event);
}

void FlexGridAccessible::announceSelection(FlexGridView* view, const QItemSelection& selected,
                                           const QItemSelection& deselected) {
    FlexGridAccessible* table = tableOf(view);
    if (!table)
        return;
    const auto announce = [&](const QItemSelection& cells, QAccessible::Event type) {
        for (const QModelIndex& index : cells.indexes()) {
            QAccessibleInterface* cell = table->cellOf(index.row(), index.column());
            if (!cell || index.row() == 0)
                continue;
            QAccessibleEvent event(view, type);
            event.setChild(table->indexOfChild(cell));
            QAccessible::updateAccessibility(&event);
        }
    };
    announce(selected, QAccessible::SelectionAdd);
    announce(deselected, QAccessible::SelectionRemove);
}

} // namespace nbr
