#pragma once
// The monthly summary run ("开始统计"): for every ticked department, in node
// order, one grid row per accounting subject with the twelve monthly sums of
// its non-budget claim lines (amount plus tax, a missing part counting 0) and
// the year total, a subtotal row per department and the grand-total row.
// Widget-free: it works on the grid and tree models and the shared connection.
//
// The statements of a run do not grow with the departments: one statement
// gives the subjects and month sums of up to kDepartmentsPerStatement ticked
// departments at once, each department's rows told apart by its place in the
// bound list, so the database's own comparison rules decide which claims
// belong to which department.

#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace nbr {

class FlexGridModel;
class SqlDialect;
class TreeNodesModel;
struct NodeDepartment;

// One subject row of a department: the subject and the database's sum text
// of each month, null where the month has no claim line.
struct SubjectMonths {
    QString code;
    QString name;
    std::array<QString, 12> sums;
};

class MonthlySummary {
public:
    MonthlySummary(FlexGridModel& grid, const TreeNodesModel& nodes);

    // The run's statement for the given number of departments, bound to
    // (code, place) for each of them and then to the year's first and last
    // month (tests assert the SQL Server spelling).
    static QString summarySql(const SqlDialect& dialect, int departments);
    // SQL Server takes at most 2 100 parameters: two per department and the
    // year's range.
    static constexpr int kDepartmentsPerStatement = 1000;

    // The departments of the run: every ticked node in index order. Called
    // by the window after the grid was emptied and the wait panel painted.
    // Throws DbError; the grid then holds a partial result the caller clears.
    void appendTickedDepartments(const QString& yearText);
    // The grand-total row, only when the grid has a body row.
    void appendGrandTotal();

    // Appends one department's subject rows (none: the department adds no
    // row at all), its subtotal row, the month cells and the subtotals.
    void AppendDepartment(const QString& deptCode, const QString& deptName,
                          const std::vector<SubjectMonths>& subjects);

    // Told what the run is doing now ("第 i / n 个部门"), for the wait box.
    using Progress = std::function<void(const QString& phase)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    const QString& currentDeptCode() const { return m_currentDeptCode; }
    const QString& currentDeptName() const { return m_currentDeptName; }

private:
    // The subject rows of each of these departments, in the database's order.
    std::vector<std::vector<SubjectMonths>>
    loadSubjectMonths(const std::vector<NodeDepartment>& departments) const;
    void writeSubtotals(int firstRow, int subtotalRow);

    FlexGridModel& m_grid;
    const TreeNodesModel& m_nodes;
    Progress m_progress;
    QString m_year;
    QString m_currentDeptCode;
    QString m_currentDeptName;
};

// The grid's format string (its columns: ReportColumns.h).
QString summaryFormatString();

} // namespace nbr
