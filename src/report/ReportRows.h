#pragma once
// The rows a result shows, one text per column of its definition
// (ReportColumns.h) with the row's kind: what the grids display, the
// workbooks write and the clipboard carries. 序 numbers the rows as the
// grid shows them (a summary's grand total goes unnumbered, a listing's
// totals row is numbered like its lines).

#include "report/Listing.h"
#include "report/ReportColumns.h"
#include "report/SummaryTable.h"

#include <QStringList>
#include <vector>

namespace nbr {

class TextMeasure;

struct ReportRow {
    QStringList cells;
    RowKind kind = RowKind::Data;
};
using ReportRows = std::vector<ReportRow>;

ReportRows summaryRows(const SummaryTable& table);
// The lines, then the totals row.
ReportRows listingRows(const Listing& listing);

// The column widths in twips a grid shows these rows with: each column as
// wide as its padded heading plus 90 twips, or as its widest text plus 90
// where that is wider, and never narrower than it was (`shown`, the widths
// it had; empty for a fresh grid).
std::vector<int> columnWidths(const ReportColumns& columns, const ReportRows& rows,
                              const TextMeasure& measure, std::vector<int> shown = {});
// The widths a fresh grid in the window font shows these rows with (the
// headless export writes its workbooks with them).
std::vector<int> freshColumnWidths(const ReportColumns& columns, const ReportRows& rows);

} // namespace nbr
