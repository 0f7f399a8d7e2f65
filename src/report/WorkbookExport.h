#pragma once
// The two workbook exports of the report, from its results: the monthly
// summary ("导出Excel") and the detail listing ("导出明细"). The window and
// the headless export hand over the result and the column widths of its grid
// (twips); both throw FileError when the workbook cannot be written.

#include "report/Listing.h"
#include "report/SummaryTable.h"
#include "workbook/ExportResult.h"
#include "workbook/SheetDescription.h"

#include <QString>
#include <vector>

namespace nbr {

// The file a chosen name is written to: an extension the save dialog offers
// (".xls", ".xlsx", in any case) replaced by ".xlsx", any other name extended
// by it. A dot elsewhere belongs to the name: "月报2026.11" gives
// "月报2026.11.xlsx", and "【其他.杂费】报销明细_财务部" keeps its subject.
QString workbookPath(const QString& chosenPath);

// The sheets as the workbooks lay them out: sheet "非预算报销月报" with the
// year line, sheet "非预算报销明细" with the department, year and listing
// line; the grid's columns but the hidden key, each as wide as in the grid.
SheetDescription summarySheet(const SummaryTable& table, const std::vector<int>& gridWidths);
SheetDescription listingSheet(const Listing& listing, const std::vector<int>& gridWidths);

ExportResult exportSummary(const SummaryTable& table, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress = {});
ExportResult exportListing(const Listing& listing, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress = {});

} // namespace nbr
