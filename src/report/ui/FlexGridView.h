#pragma once
// The on-screen grid of a FlexGridModel. The fixed row and column are shown
// as the view's headers (FlexGridHeader), so they stay in place while the
// body scrolls; the corner shows cell (0, 0). Column widths and row heights
// come from the model's twips, the model's current cell and ColSel range
// show as the selection, and user clicks, on fixed cells too, go to the model.

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

    // Where a cell is shown, in pixels from this widget's top-left corner,
    // scrolled as shown (fixed cells where their headers show them).
    QRect cellRect(int row, int col) const;

    // Where the model's current cell is shown, in twips, as cellRect has it.
    int cellLeft() const;
    int cellTop() const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect currentCellRect() const;
    void paintCorner();
    void applyColumnWidth(int col, int twips);
    void applyRowHeight(int twips);
    void applyGeometry();
    void showCurrentCell();

    FlexGridHeader* m_fixedRow;
    FlexGridHeader* m_fixedCol;
    QWidget* m_corner = nullptr;
    FlexGridModel* m_grid = nullptr;
    bool m_followingModel = false;
};

} // namespace nbr
