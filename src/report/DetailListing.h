#pragma once
// The drill-down of one month cell: every non-budget claim line of one
// department, subject, year and month, one grid row per line in date order,
// and a totals row "合计". Widget-free: it fills the detail grid model.

#include <QString>

namespace nbr {

class FlexGridModel;
class SqlDialect;

// The grid's format string (its columns: ReportColumns.h).
QString detailFormatString();
QString detailListSql(const SqlDialect& dialect);

// Refills the detail grid (its widths only ever grow). month is "01".."12".
// Throws DbError when the query fails; the grid then keeps its header only.
void LoadDetailList(FlexGridModel& grid, const QString& subjectCode, const QString& month,
                    const QString& deptCode, const QString& yearText);

} // namespace nbr
