#pragma once
// What a screen reader is told of a FlexGridView: a table of the rows and
// columns the grid shows. The grid's row 0 (its headings, which the view
// shows as its header) becomes the column headers, not a row of data, and
// its hidden columns (such as the department code behind each summary row)
// are left out; the fixed column (序) is the first column.
//
// Qt's own table interface exposes every row and column of the model, so the
// grid installs this one instead, and announces its current cell and its
// selection in this interface's numbering of cells.

#include <QAccessibleWidget>
#include <QItemSelection>
#include <map>
#include <utility>
#include <vector>

namespace nbr {

class FlexGridModel;
class FlexGridView;

class FlexGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit FlexGridAccessible(FlexGridView* view);
    ~FlexGridAccessible() override;

    // Makes every FlexGridView use this interface; once per program.
    static void install();
    // The accessibility events of the view's current cell and selection.
    static void announceCurrent(FlexGridView* view, const QModelIndex& current);
    static void announceSelection(FlexGridView* view, const QItemSelection& selected,
                                  const QItemSelection& deselected);

    // QAccessibleInterface
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableInterface: rows and columns as shown.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int columnCount() const override;
    int rowCount() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    FlexGridView* view() const;
    // The model's columns that are shown, in order; the model's row r is
    // shown as row r - 1, its row 0 as the column headers.
    std::vector<int> shownColumns() const;
    // The cell of the model's row and column (row 0: a column header), or
    // nullptr when it is not shown.
    QAccessibleInterface* cellOf(int modelRow, int modelCol) const;

private:
    const FlexGridModel* grid() const;
    void forgetCells();

    mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells;
};

} // namespace nbr
