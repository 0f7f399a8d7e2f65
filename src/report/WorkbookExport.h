#pragma once
// The two workbook exports of the report: the monthly summary grid
// ("导出Excel") and the detail listing grid ("导出明细"). Widget-free: the
// window and the headless export hand over the grid and the texts around it.
// Both throw FileError when the workbook cannot be written.

#include "workbook/ExportResult.h"

#include <QString>

namespace nbr {

class FlexGridModel;

// The file a chosen name is written to: an extension the save dialog offers
// (".xls", ".xlsx", in any case) replaced by ".xlsx", any other name extended
// by it. A dot elsewhere belongs to the name: "月报2026.11" gives
// "月报2026.11.xlsx", and "【其他.杂费】报销明细_财务部" keeps its subject.
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
