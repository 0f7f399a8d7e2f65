#pragma once
// What a screen reader is told of a ReportGridView: a table of the result's
// rows and columns, with the headings as column headers and 序 as the first
// column (the view shows it as a header, and hides its body column).
//
// Qt's own table interface leaves out the hidden column, so the grid
// installs this one instead, and announces its current cell and its
// selection in this interface's numbering of cells.

#include <QAccessibleWidget>
#include <QItemSelection>
#include <map>
#include <utility>
#include <vector>

namespace nbr {

class ReportGridModel;
class ReportGridView;

class ReportGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit ReportGridAccessible(ReportGridView* view);
    ~ReportGridAccessible() override;

    // Makes every ReportGridView use this interface; once per program.
    static void install();
    // The accessibility events of the view's current cell and selection.
    static void announceCurrent(ReportGridView* view, const QModelIndex& current);
    static void announceSelection(ReportGridView* view, const QItemSelection& selected,
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

    ReportGridView* view() const;
    // The cell of the result's row and column (row -1: a heading), or
    // nullptr when there is none.
    QAccessibleInterface* cellOf(int row, int col) const;

private:
    const ReportGridModel* grid() const;
    void forgetCells();

    mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells;
};

} // namespace nbr
