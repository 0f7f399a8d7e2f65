#pragma once
// A cell of a report grid, and a rectangle of cells, by the row and column
// of the result it shows: row 0 is the first body row, row -1 the headings;
// column 0 is 序.

namespace nbr {

struct GridCell {
    int row = 0;
    int col = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

// Rows top … bottom and columns left … right, both ends included.
struct CellRange {
    int top = 0;
    int left = 0;
    int bottom = -1;
    int right = -1;

    bool isEmpty() const { return bottom < top || right < left; }
    bool contains(const GridCell& cell) const {
        return cell.row >= top && cell.row <= bottom && cell.col >= left && cell.col <= right;
    }
};

} // namespace nbr
