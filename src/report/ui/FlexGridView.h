#pragma once
// The on-screen grid of a FlexGridModel. The fixed row and column are shown
// as the view's headers (FlexGridHeader), so they stay in place while the
// body scrolls; the corner shows the heading cells beside the fixed row. The
// fixed column can carry frozen columns too. Column widths and row heights
// come from the model's twips, the model's current cell and selection show
// as the view's (FlexGridMouse turns the mouse into them, the keys are
// handled here), and Ctrl+C or the context menu ask for the selection to be
// copied.

#include "report/models/GridCell.h"
#include "report/models/GridNavigation.h"

#include <QTableView>

namespace nbr {

class FlexGridHeader;
class FlexGridModel;

class FlexGridView : public QTableView {
    Q_OBJECT
public:
    explicit FlexGridView(QWidget* parent = nullptr);

    // Accepts any model; the grid behaviour needs a FlexGridModel.
    void setModel(QAbstractItemModel* model) override;
    FlexGridModel* grid() const { return m_grid; }

    // How many body columns after the fixed column stay in view beside it
    // while the body scrolls sideways, in the body cells' look. They stay
    // only while they take at most half the view's width, so the body
    // always keeps room.
    void setFrozenColumns(int count);

    // Where a cell is shown, in pixels from this widget's top-left corner,
    // scrolled as shown (fixed and frozen cells where their headers show them).
    QRect cellRect(int row, int col) const;
    // The cell shown at a point of this widget: row 0 in the heading row,
    // column 0 in 序; -1 where no row or column is.
    GridCell cellAt(QPoint pos) const;

    // Where the model's current cell is shown, in twips, as cellRect has it.
    int cellLeft() const;
    int cellTop() const;

    // The rows and columns the keys move through.
    GridShape shape() const;
    // Scrolls the body until the cell shows: for a heading only sideways,
    // for a fixed or frozen cell only up or down.
    void ensureCellVisible(GridCell cell);
    void scrollToTopLeft();
    // Shows a sort arrow in a heading; -1: none.
    void setSortIndicator(int col, Qt::SortOrder order);

signals:
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
    QRect currentCellRect() const;
    void paintCorner();
    void applyColumnWidth(int col, int twips);
    void applyFrozenColumns();
    void applyRowHeight(int twips);
    void applyGeometry();
    void startBodyOnWholeColumn();
    void showSelection();
    bool moveByKey(int key, Qt::KeyboardModifiers modifiers);
    void selectAllCells();

    FlexGridHeader* m_fixedRow;
    FlexGridHeader* m_fixedCol;
    QWidget* m_corner = nullptr;
    FlexGridModel* m_grid = nullptr;
    int m_frozenColumns = 0;
    bool m_followingModel = false;
};

} // namespace nbr
