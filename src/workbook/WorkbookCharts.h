#pragma once
// The chart sheets of a report workbook. Their series refer to the table
// sheet's cells by its quoted name, so a chart shows exactly the figures of
// the table, and follows them when a user corrects a cell.

#include "workbook/WorkbookDescription.h"

#include <xlsxwriter.h>

namespace nbr {

// Every sheet prints on A4 (paper size 9 of the file format), landscape.
inline constexpr std::uint8_t kPaperA4 = 9;

// Adds the chart sheet after the sheets added so far; the table's body rows
// start at worksheet row firstBodyRow (0-based).
lxw_error addChartSheet(lxw_workbook* workbook, const QString& tableSheet, int firstBodyRow,
                        const ChartSheetDescription& chart);

} // namespace nbr
