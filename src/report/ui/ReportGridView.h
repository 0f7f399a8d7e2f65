#pragma once
// The on-screen grid of a ReportGridModel. 序 and the headings are shown as
// the view's headers (ReportGridHeader), so they stay in place while the
// body scrolls; the corner shows the headings beside 序. The columns after
// 序 that the result freezes stay beside it too. Widths and heights come
// from the model's twips. The view keeps the current cell and the cell the
// selection extends to (ReportGridMouse turns the mouse into them, the keys
// are handled here); Ctrl+C or the context menu ask for the selection to be
// copied, Enter or Space activate the current cell.

#include "report/models/GridCell.h"
#include "report/models/GridNavigation.h"

#include <QTableView>

namespace nbr {

class ReportGridHeader;
class ReportGridModel;

class ReportGridView : public QTableView {
    Q_OBJECT
public:
    explicit ReportGridView(QWidget* parent = nullptr);

    // Accepts any model; the grid behaviour needs a ReportGridModel.
    void setModel(QAbstractItemModel* model) override;
    ReportGridModel* grid() const { return m_grid; }

    // The current cell and the cell the selection extends to; the selection
    // is the rectangle between them. Setting them to a cell outside the grid
    // changes nothing.
    GridCell currentCell() const { return m_current; }
    GridCell extentCell() const { return m_extent; }
    CellRange selection() const;
    void setSelection(GridCell current, GridCell extent);
    void setCurrentCell(GridCell cell) { setSelection(cell, cell); }

    // Where a cell is shown, in pixels from this widget's top-left corner,
    // scrolled as shown (headings and 序 and frozen cells where their headers
    // show them).
    QRect cellRect(GridCell cell) const;
    // The cell shown at a point of this widget: row -1 in the headings,
    // column 0 in 序; row and column -2 where no row or column is.
    GridCell cellAt(QPoint pos) const;
    static constexpr int kNowhere = -2;

    // The rows and columns the keys move through.
    GridShape shape() const;
    // Scrolls the body until the cell shows: for a heading only sideways,
    // for a fixed or frozen cell only up or down.
    void ensureCellVisible(GridCell cell);
    void scrollToTopLeft();
    // Shows a sort arrow in a heading; -1: none.
    void setSortIndicator(int col, Qt::SortOrder order);

signals:
    void currentCellChanged();
    // The user clicked a cell (row -1: a heading) with the mouse.
    void cellClicked(GridCell cell);
    // Enter or Space on the current cell.
    void currentCellActivated();
    // Ctrl+C (false), Ctrl+Shift+C (true) or the context menu: the selection
    // for the clipboard, with its heading row or without.
    void copyRequested(bool withHeader);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    bool validCell(GridCell cell) const;
    void paintCorner();
    void applyColumnWidths();
    void applyFrozenColumns();
    void applyRowHeight(int twips);
    void startBodyOnWholeColumn();
    void showSelection();
    bool moveByKey(int key, Qt::KeyboardModifiers modifiers);
    void selectAllCells();

    ReportGridHeader* m_headings;
    ReportGridHeader* m_rowNumbers;
    QWidget* m_corner = nullptr;
    ReportGridModel* m_grid = nullptr;
    int m_frozenColumns = 0;
    GridCell m_current;
    GridCell m_extent;
    bool m_followingSelection = false;
};

} // namespace nbr
