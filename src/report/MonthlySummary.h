#pragma once
// The monthly summary run ("开始统计"): for every ticked department, in node
// order, one row per accounting subject with the twelve monthly sums of its
// non-budget claim lines (amount plus tax, a missing part counting 0) and
// the year total, a subtotal row per department and the grand-total row.
//
// The statements of a run do not grow with the departments: one statement
// gives the subjects and month sums of up to kDepartmentsPerStatement ticked
// departments at once, each department's rows told apart by its place in the
// bound list, so the database's own comparison rules decide which claims
// belong to which department.

#include "report/SummaryTable.h"

#include <QString>
#include <functional>

namespace nbr {

class Database;
class SqlDialect;

namespace MonthlySummary {

// The run's statement for the given number of departments, bound to
// (code, place) for each of them and then to the year's first and last
// month (tests assert the SQL Server spelling).
QString summarySql(const SqlDialect& dialect, int departments);
// SQL Server takes at most 2 100 parameters: two per department and the
// year's range.
inline constexpr int kDepartmentsPerStatement = 1000;

} // namespace MonthlySummary

// Told what the run is doing now ("第 i / n 个部门"), for the wait box.
using SummaryProgress = std::function<void(const QString& phase)>;

// The summary of the requested departments (in their order) and year. A
// department without claim lines adds no row; the grand total comes only
// after some row. Throws DbError, also for a result row that cannot be
// placed: a run either gives every figure or none.
[[nodiscard]] SummaryTable runSummary(Database& db, const SummaryRequest& request,
                                      const SummaryProgress& progress = {});

} // namespace nbr
