#include "report/ui/ReportGridAccessible.h"

#include "report/models/ReportGridModel.h"
#include "report/ui/ReportGridView.h"

#include <QWindow>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// One cell of the grid, or one column heading (row -1).
class ReportGridCellAccessible final : public QAccessibleInterface,
                                     public QAccessibleTableCellInterface {
public:
    ReportGridCellAccessible(ReportGridView* view, int row, int col)
        : m_view(view), m_row(row), m_col(col) {}

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
        if (m_row < 0)
            return m_view->model()->headerData(m_col, Qt::Horizontal).toString();
        return m_view->model()->index(m_row, m_col).data().toString().trimmed();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect r = m_view->cellRect({m_row, m_col});
        return QRect(m_view->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (m_row < 0)
            return s;
        const QModelIndex index = m_view->model()->index(m_row, m_col);
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused = m_view->hasFocus() && m_view->currentIndex() == index;
        s.invisible = !m_view->rect().intersects(m_view->cellRect({m_row, m_col}));
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
        if (m_row < 0)
            return {};
        return {gridTable()->cellOf(-1, m_col)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_col; }
    int rowIndex() const override { return std::max(0, m_row); }
    bool isSelected() const override {
        return m_row >= 0 && m_view->selectionModel() &&
               m_view->selectionModel()->isSelected(m_view->model()->index(m_row, m_col));
    }
    QAccessibleInterface* table() const override { return parent(); }

private:
    ReportGridAccessible* gridTable() const { return static_cast<ReportGridAccessible*>(parent()); }

    ReportGridView* m_view;
    int m_row;
    int m_col;
};

QAccessibleInterface* createForReportGrid(const QString& className, QObject* object) {
    if (className == u"nbr::ReportGridView"_s) {
        if (auto* view = qobject_cast<ReportGridView*>(object))
            return new ReportGridAccessible(view);
    }
    return nullptr;
}

// The grid's interface, when accessibility is on and the view has one.
ReportGridAccessible* tableOf(ReportGridView* view) {
    if (!QAccessible::isActive())
        return nullptr;
    return dynamic_cast<ReportGridAccessible*>(QAccessible::queryAccessibleInterface(view));
}

} // namespace

ReportGridAccessible::ReportGridAccessible(ReportGridView* view)
    : QAccessibleWidget(view, QAccessible::Table) {}

ReportGridAccessible::~ReportGridAccessible() {
    forgetCells();
}

void ReportGridAccessible::install() {
    QAccessible::installFactory(createForReportGrid);
}

ReportGridView* ReportGridAccessible::view() const {
    return static_cast<ReportGridView*>(widget());
}

const ReportGridModel* ReportGridAccessible::grid() const {
    return qobject_cast<const ReportGridModel*>(view()->model());
}

int ReportGridAccessible::columnCount() const {
    return grid() ? grid()->columnCount() : 0;
}

int ReportGridAccessible::rowCount() const {
    return grid() ? grid()->rowCount() : 0;
}

QString ReportGridAccessible::columnDescription(int column) const {
    if (column < 0 || column >= columnCount())
        return {};
    return grid()->headerData(column, Qt::Horizontal).toString();
}

QAccessibleInterface* ReportGridAccessible::cellOf(int row, int col) const {
    const ReportGridModel* g = grid();
    if (!g || row < -1 || row >= g->rowCount() || col < 0 || col >= g->columnCount())
        return nullptr;
    const std::pair key(row, col);
    if (const auto found = m_cells.find(key); found != m_cells.end())
        return QAccessible::accessibleInterface(found->second);
    auto* cell = new ReportGridCellAccessible(view(), row, col);
    m_cells[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

// Children: the headings, then the cells row by row.
int ReportGridAccessible::childCount() const {
    return columnCount() * (rowCount() + 1);
}

QAccessibleInterface* ReportGridAccessible::child(int index) const {
    const int columns = columnCount();
    if (columns == 0 || index < 0 || index >= childCount())
        return nullptr;
    return cellOf(index / columns - 1, index % columns);
}

int ReportGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const QAccessibleTableCellInterface* cell =
        child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || cell->table() != this)
        return -1;
    const int row = child->role() == QAccessible::ColumnHeader ? -1 : cell->rowIndex();
    return (row + 1) * columnCount() + cell->columnIndex();
}

QAccessibleInterface* ReportGridAccessible::cellAt(int row, int column) const {
    return row < 0 ? nullptr : cellOf(row, column);
}

QAccessibleInterface* ReportGridAccessible::childAt(int x, int y) const {
    const ReportGridView* v = view();
    const GridCell cell = v->cellAt(v->mapFromGlobal(QPoint(x, y)));
    return cell.row == ReportGridView::kNowhere ? nullptr : cellOf(cell.row, cell.col);
}

QAccessibleInterface* ReportGridAccessible::focusChild() const {
    const QModelIndex current = view()->currentIndex();
    return current.isValid() ? cellOf(current.row(), current.column()) : nullptr;
}

int ReportGridAccessible::selectedCellCount() const {
    return int(selectedCells().size());
}

QList<QAccessibleInterface*> ReportGridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    if (const QItemSelectionModel* selection = view()->selectionModel()) {
        for (const QModelIndex& index : selection->selectedIndexes())
            if (QAccessibleInterface* cell = cellOf(index.row(), index.column()))
                cells << cell;
    }
    return cells;
}

void* ReportGridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

// Any change of rows or columns renumbers the cells: they are made afresh.
void ReportGridAccessible::modelChange(QAccessibleTableModelChangeEvent*) {
    forgetCells();
}

void ReportGridAccessible::forgetCells() {
    for (const auto& [key, id] : m_cells)
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

void ReportGridAccessible::announceCurrent(ReportGridView* view, const QModelIndex& current) {
    // As Qt's tables do: only the focused grid moves a screen reader's focus.
    ReportGridAccessible* table = view->hasFocus() ? tableOf(view) : nullptr;
    QAccessibleInterface* cell = table ? table->cellOf(current.row(), current.column()) : nullptr;
    if (!cell)
        return;
    QAccessibleEvent event(view, QAccessible::Focus);
    event.setChild(table->indexOfChild(cell));
    QAccessible::updateAccessibility(&event);
}

void ReportGridAccessible::announceSelection(ReportGridView* view, const QItemSelection& selected,
                                           const QItemSelection& deselected) {
    ReportGridAccessible* table = tableOf(view);
    if (!table)
        return;
    const auto announce = [&](const QItemSelection& cells, QAccessible::Event type) {
        for (const QModelIndex& index : cells.indexes()) {
            QAccessibleInterface* cell = table->cellOf(index.row(), index.column());
            if (!cell)
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
