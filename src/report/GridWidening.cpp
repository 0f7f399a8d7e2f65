#include "report/GridWidening.h"

#include "report/models/FlexGridModel.h"

#include <cmath>

namespace nbr {

void widenColumns(FlexGridModel& grid, int row, int firstCol, int lastCol) {
    for (int c = firstCol; c <= lastCol; ++c) {
        const double w = grid.textWidth(grid.textMatrix(row, c)) + 90;
        if (w > grid.colWidth(c))
            grid.setColWidth(c, int(std::lround(w)));
    }
}

} // namespace nbr
