#pragma once
// The column widening rule of both report grids: after a cell is written its
// column grows to the text's width plus 90 twips when that is wider than the
// column; columns never shrink.

namespace nbr {

class FlexGridModel;

void widenColumns(FlexGridModel& grid, int row, int firstCol, int lastCol);

} // namespace nbr
