#pragma once
// The report's two grids as views of its results: their columns (format
// strings), their empty state after the window's load, and their body rows
// filled from a SummaryTable or a Listing in one pass, with the colours of
// the rows of totals.

#include "report/Listing.h"
#include "report/SummaryTable.h"
#include "report/models/FlexGridModel.h"

#include <QString>
#include <vector>

namespace nbr {

// The columns of the summary grid (ReportColumns.h: SummaryCol) and of the
// detail grid (DetailCol), each header with the blanks that set its width.
QString summaryFormatString();
QString detailFormatString();
// A month's header as the summary grid shows it ("03月份          "), blanks
// included: the listing's caption repeats it.
QString monthHeader(int month);

// Columns from the format string, the header row only, centred headers and
// the hidden key column.
void setUpReportGrid(FlexGridModel& grid, const QString& formatString);

// The grids' rows of a result: row numbers in 序, the key column hidden at
// the end, subtotal and grand-total rows in their colours.
std::vector<FlexGridModel::BodyRow> summaryGridRows(const SummaryTable& table);
std::vector<FlexGridModel::BodyRow> listingGridRows(const Listing& listing);

// The column widths in twips a fresh grid in the window font would have after
// showing these rows (the headless export writes its workbooks with them).
std::vector<int> freshColumnWidths(const QString& formatString,
                                   std::vector<FlexGridModel::BodyRow> rows);

} // namespace nbr
