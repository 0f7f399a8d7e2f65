#pragma once
// The databases of the report tests, and a large summary built without one.

#include "report/SummaryTable.h"

#include <QString>

namespace nbr::test {

// Departments 财务部 0102, 人事部 0103, another 财务部 0104, 小计组 0105, an
// empty 0106, 引号部门 08'x and 大额部 0107, 大额一部 0108, 大额二部 0109;
// claim lines of 2026 that try the summary's rules (a parent and a child
// subject, negative months, NULL taxes, ties in the third decimal, other
// claim types and years, apostrophes in codes, totals wider than their rows).
void writeSummaryDatabase(const QString& path);

// 总部 {财务部 0102, 人事部 0103, 审计小计组 0104} and Tervo中心 09; subjects
// 0012 差旅费 and 6601 办公费; claims of 2026, among them 财务部's March
// travel (1000 + 34.5 tax, 200 without tax) and a May line of 人事部 with a
// 40 000-character memo.
void writeExportDatabase(const QString& path);

// The month header of March in the summary grid.
inline const QString kMarch = QStringLiteral("03月份          ");

// A summary of the given size built directly, without a database: every
// tenth row a subtotal, subject codes with leading zeros, some empty months;
// the last row is the grand total.
SummaryTable largeSummary(int bodyRows);

} // namespace nbr::test
