#pragma once
// Where the keyboard moves within a report grid: the arrows one cell, Home
// and End to the first and last column, Ctrl+Home and Ctrl+End to the first
// and last cell, PgUp and PgDn a page of rows. Keys reach the body only: the
// headings and 序 are for the mouse, and hidden columns are skipped.

#include "report/models/GridCell.h"

#include <QtCore/qnamespace.h>
#include <optional>
#include <vector>

namespace nbr {

struct GridShape {
    int rows = 0;             // body rows
    std::vector<int> columns; // the body columns keys reach, left to right
    int pageRows = 1;         // rows PgUp and PgDn move
};

// The cell a key moves `from` to, or nothing when it is no navigation key
// or the grid has no body. Modifiers other than Ctrl are the caller's.
std::optional<GridCell> navigationTarget(GridCell from, int key, Qt::KeyboardModifiers modifiers,
                                         const GridShape& shape);

} // namespace nbr
