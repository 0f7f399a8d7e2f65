#pragma once
// The on-screen grid of a FlexGridModel: no Qt headers (the fixed row and
// column are model rows), column widths and row heights taken from the
// model's twips, the model's current cell and ColSel range shown as the
// selection, and user clicks handed to the model.

#include <QTableView>

namespace nbr {

class FlexGridModel;

class FlexGridView : public QTableView {
    Q_OBJECT
public:
    explicit FlexGridView(QWidget* parent = nullptr);

    // Accepts any model; the grid behaviour needs a FlexGridModel.
    void setModel(QAbstractItemModel* model) override;
    FlexGridModel* gridModel() const { return m_grid; }

    // Geometry of the model's current cell in twips, scrolled as shown and
    // relative to this widget's top-left corner.
    int cellLeft() const;
    int cellTop() const;
    int cellWidth() const;
    int cellHeight() const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    QRect currentCellRect() const;
    void applyColumnWidth(int col, int twips);
    void applyGeometry();
    void showCurrentCell();

    FlexGridModel* m_grid = nullptr;
    bool m_followingModel = false;
};

} // namespace nbr
