#pragma once
// The report's workbook exports, from its results: the monthly summary
// ("导出Excel"), the detail listing ("导出明细") and every claim line behind
// a summary ("导出全部明细"). The window and the headless export hand over
// the result, the column widths of its grid (twips) and who exports it (the
// author the file names); all throw FileError when the workbook cannot be
// written.

#include "report/Listing.h"
#include "report/SummaryTable.h"
#include "workbook/ExportResult.h"
#include "workbook/SheetDescription.h"

#include <QString>
#include <vector>

namespace nbr {

class Database;

// The file a chosen name is written to: an extension the save dialog offers
// (".xls", ".xlsx", in any case) replaced by ".xlsx", any other name extended
// by it. A dot elsewhere belongs to the name: "月报2026.11" gives
// "月报2026.11.xlsx", and "【其他.杂费】报销明细_财务部" keeps its subject.
QString workbookPath(const QString& chosenPath);

// The sheets as the workbooks lay them out: sheet "非预算报销月报" with the
// year line, sheet "非预算报销明细" with the department, year and listing
// line; the result's columns, each as wide as in its grid (twips).
SheetDescription summarySheet(const SummaryTable& table, const std::vector<int>& gridWidths);
SheetDescription listingSheet(const Listing& listing, const std::vector<int>& gridWidths);
// Sheet "非预算报销明细" of every claim line of the requested departments and
// year, its rows read from the database as they are written (the database
// and the request must outlive the description).
SheetDescription claimLinesSheet(Database& db, const SummaryRequest& request);

// The summary workbook has chart sheets after its table: "月度趋势", the
// grand total per month as columns, and with 2 to 10 ticked departments
// "部门月度趋势", each department's subtotal per month as a line.
ExportResult exportSummary(const SummaryTable& table, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress = {},
                           const QString& author = {});
ExportResult exportListing(const Listing& listing, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress = {},
                           const QString& author = {});
// Every non-budget claim line of the requested departments and year, read from the
// database as the workbook is written; progress counts the lines, whose
// number is not known before. Throws DbError when the lines cannot be read
// and Error when there are none; the file is then as it was.
ExportResult exportClaimLines(Database& db, const SummaryRequest& request,
                              const QString& chosenPath, const ExportProgress& progress = {},
                              const QString& author = {});

} // namespace nbr
