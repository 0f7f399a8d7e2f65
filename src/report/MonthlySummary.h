#pragma once
// The monthly summary run ("开始统计"): for every ticked department, in node
// order, one grid row per accounting subject with the twelve monthly sums of
// its non-budget claim lines (amount plus tax, a missing part counting 0) and
// the year total, a subtotal row per department and the grand-total row.
// Widget-free: it works on the grid and tree models and the shared connection.

#include <QString>
#include <functional>

namespace nbr {

class FlexGridModel;
class SqlDialect;
class TreeNodesModel;

class MonthlySummary {
public:
    MonthlySummary(FlexGridModel& grid, const TreeNodesModel& nodes);

    // The runs' query texts (tests assert the SQL Server spelling).
    static QString subjectListSql(const SqlDialect& dialect);
    static QString monthSumsSql(const SqlDialect& dialect);

    // The departments of the run: every ticked node in index order. Called
    // by the window after the grid was emptied and the wait panel painted.
    // Throws DbError; the grid then holds a partial result the caller clears.
    void appendTickedDepartments(const QString& yearText);
    // The grand-total row, only when the grid has a body row.
    void appendGrandTotal();

    void AppendDepartment(const QString& deptCode, const QString& deptName);

    // Told what the run is doing now ("第 i / n 个部门"), for the wait box.
    using Progress = std::function<void(const QString& phase)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    const QString& currentDeptCode() const { return m_currentDeptCode; }
    const QString& currentDeptName() const { return m_currentDeptName; }

    static constexpr int kFirstMonthCol = 4;
    static constexpr int kTotalCol = 16;
    static constexpr int kDeptCodeCol = 17;

private:
    void writeSubtotals(int firstRow, int subtotalRow);

    FlexGridModel& m_grid;
    const TreeNodesModel& m_nodes;
    Progress m_progress;
    QString m_year;
    QString m_currentDeptCode;
    QString m_currentDeptName;
};

// The grid's format string and the back colours of the two total rows.
QString summaryFormatString();
extern const unsigned kSubtotalColor;   // RGB(192, 255, 255)
extern const unsigned kGrandTotalColor; // RGB(128, 128, 255)

} // namespace nbr
