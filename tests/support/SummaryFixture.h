#pragma once
// The database of the summary and listing tests.

#include <QString>

namespace nbr::test {

// Departments 财务部 0102, 人事部 0103, another 财务部 0104, 小计组 0105, an
// empty 0106, 引号部门 08'x and 大额部 0107, 大额一部 0108, 大额二部 0109;
// claim lines of 2026 that try the summary's rules (a parent and a child
// subject, negative months, NULL taxes, ties in the third decimal, other
// claim types and years, apostrophes in codes, totals wider than their rows).
void writeSummaryDatabase(const QString& path);

} // namespace nbr::test
