#include "report/ReportGridSetup.h"

#include "report/models/FlexGridModel.h"

namespace nbr {

void setUpReportGrid(FlexGridModel& grid, const QString& formatString) {
    grid.setFormatString(formatString);
    grid.setRows(1);
    for (int c = 0; c < grid.cols(); ++c)
        grid.setFixedAlignment(c, FlexGridModel::kAlignCentre);
    grid.setColWidth(grid.cols() - 1, 0);
}

} // namespace nbr
