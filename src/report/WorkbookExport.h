#pragma once
// The two workbook exports of the report: the monthly summary grid
// ("导出Excel") and the detail listing grid ("导出明细"). Widget-free: the
// window and the headless export hand over the grid and the texts around it.
// Both throw FileError when the workbook cannot be written.

#include "workbook/ExportResult.h"

#include <QString>

namespace nbr {

class FlexGridModel;

// The file a chosen name is written to: its extension (from the last "." of
// the file name on, one to five ASCII letters or digits, as typed: ".xls")
// replaced by ".xlsx", a name without one extended. A "." inside a proposed
// name ("【其他.杂费】报销明细_财务部") starts no extension: cut there, the
// listings of two such subjects would share one file and replace each other.
QString workbookPath(const QString& chosenPath);

// Sheet "非预算报销月报". yearText like "2026年", the year of the run that
// filled the grid.
ExportResult ExportMonthlyReport(const FlexGridModel& grid, const QString& title,
                                 const QString& yearText, const QString& chosenPath,
                                 const ExportProgress& progress = {});

// Sheet "非预算报销明细". The caption line joins the department caption
// ("部门：" + name), the year text and the listing's caption.
ExportResult ExportDetailList(const FlexGridModel& grid, const QString& title,
                              const QString& deptCaption, const QString& yearText,
                              const QString& listingCaption, const QString& chosenPath,
                              const ExportProgress& progress = {});

} // namespace nbr
