#pragma once
// The empty state of a report grid after the window's load: its columns from
// the format string, the header row only, centred headers and the hidden key
// column. The window and the headless export both start from it.

#include <QString>

namespace nbr {

class FlexGridModel;

void setUpReportGrid(FlexGridModel& grid, const QString& formatString);

} // namespace nbr
