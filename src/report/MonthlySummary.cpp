#include "report/MonthlySummary.h"

#include "db/DbError.h"
#include "db/DbSchema.h"
#include "db/SharedConnection.h"
#include "platform/WaitCursor.h"
#include "report/AmountText.h"
#include "report/DeptTree.h"
#include "report/GridWidening.h"
#include "report/ReportColours.h"
#include "report/ReportColumns.h"
#include "report/models/FlexGridModel.h"
#include "report/models/PaintingOff.h"
#include "report/models/TreeNodesModel.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

QString joins() {
    return u" From 报销单表"_s
           u" Inner join  报销单明细 On 报销单表.报销单ID = 报销单明细.报销单ID"_s
           u" inner join 财务科目 On 报销单明细.科目代号 = 财务科目.科目代号"_s;
}

void paintRow(FlexGridModel& grid, int row, const QColor& colour) {
    grid.setRow(row);
    for (int c = 0; c < grid.cols(); ++c) {
        grid.setCol(c);
        grid.setCellBackColor(colour);
    }
}

// The sums of one row of totals: element c - kTotalsOffset for grid column c
// (1 … 12 the months, 13 the year total; element 0 stays unused).
using MonthTotals = std::array<double, 14>;
constexpr int kTotalsOffset = SummaryCol::FirstMonth - 1;

} // namespace

QString summaryFormatString() {
    return u"^序  |<部门名称      |<科目代号      |<科目名称      "
           u"|>01月份          |>02月份          |>03月份          |>04月份          "
           u"|>05月份          |>06月份          |>07月份          |>08月份          "
           u"|>09月份          |>10月份          |>11月份          |>12月份          "
           u"|>合计          |"_s;
}

MonthlySummary::MonthlySummary(FlexGridModel& grid, const TreeNodesModel& nodes)
    : m_grid(grid), m_nodes(nodes) {}

QString MonthlySummary::summarySql(const SqlDialect& dialect, int departments) {
    // One group per department, subject and month; a missing amount or tax
    // counts 0, as in the detail listing. The subject's code and name are the
    // subject list's; a department's subjects come shortest code first, then
    // by code. The database joins a line to its subject and its department
    // under its own collation (SQL Server's ignores case and trailing blanks).
    const SqlDialect::BoundRows ticked =
        dialect.boundRows(u"t"_s, {u"code"_s, u"ord"_s}, departments);
    const QString month = dialect.yearMonth(u"报批日期"_s);
    return ticked.prefix + u"select t.ord, 财务科目.科目代号, 财务科目.科目名称, "_s + month +
           u" As 年月,"_s +
           u" sum (COALESCE(报销单明细.金额,0) + COALESCE(报销单明细.税额,0)) As 月合计"_s +
           joins() + u" inner join "_s + ticked.source + u" On 部门代号 = t.code"_s +
           u" where 报销类型='非预算'"_s + u" And "_s + month + u" between ? and ?"_s +
           u" GROUP BY t.ord, 财务科目.科目代号, 财务科目.科目名称, "_s + month + u" order by "_s +
           dialect.len(u"财务科目.科目代号"_s) + u", 财务科目.科目代号, 财务科目.科目名称"_s;
}

void MonthlySummary::appendTickedDepartments(const QString& yearText) {
    m_year = yearText;
    std::vector<NodeDepartment> ticked;
    const int n = m_nodes.count();
    for (int i = 1; i <= n; ++i) {
        if (m_nodes.checked(i))
            ticked.push_back(splitNodeText(m_nodes.text(i)));
    }
    const auto tell = [this](const QString& phase) {
        if (m_progress)
            m_progress(phase);
    };
    for (size_t first = 0; first < ticked.size(); first += kDepartmentsPerStatement) {
        const std::vector<NodeDepartment> chunk(
            ticked.begin() + qsizetype(first),
            ticked.begin() + qsizetype(std::min(ticked.size(), first + kDepartmentsPerStatement)));
        tell(u"正在查询科目及月份合计……"_s);
        const std::vector<std::vector<SubjectMonths>> subjects = loadSubjectMonths(chunk);
        for (size_t k = 0; k < chunk.size(); ++k) {
            tell(u"第 %1 / %2 个部门"_s.arg(first + k + 1).arg(ticked.size()));
            m_currentDeptCode = chunk[k].code;
            m_currentDeptName = chunk[k].name;
            AppendDepartment(chunk[k].code, chunk[k].name, subjects[k]);
        }
    }
}

std::vector<std::vector<SubjectMonths>>
MonthlySummary::loadSubjectMonths(const std::vector<NodeDepartment>& departments) const {
    QStringList values;
    for (size_t k = 0; k < departments.size(); ++k)
        values << departments[k].code << QString::number(k);
    values << m_year + u"01"_s << m_year + u"12"_s;
    std::vector<std::vector<SubjectMonths>> result(departments.size());
    Recordset rs = openRecordset(summarySql(sharedDialect(), int(departments.size())), values);
    for (; !rs.eof(); rs.moveNext()) {
        // A row that cannot be placed would leave a figure out of the report.
        bool ok = false;
        const QString place = rs.field(u"ord"_s).text();
        const qulonglong k = place.toULongLong(&ok);
        if (!ok || k >= result.size())
            throw DbError(kUnreadableValue, u"统计结果中的部门序号无法读取："_s + place);
        // A subject's months follow each other in the database's order.
        std::vector<SubjectMonths>& subjects = result[k];
        const QString code = rs.field(schema::SubjectCode).code();
        const QString name = rs.field(schema::SubjectName).text();
        if (subjects.empty() || subjects.back().code != code || subjects.back().name != name)
            subjects.push_back({code, name, {}});
        const QString yearMonth = rs.field(u"年月"_s).text();
        const int month = yearMonth.size() == 6 ? yearMonth.mid(4, 2).toInt() : 0;
        if (yearMonth.left(4) != m_year || month < 1 || month > 12)
            throw DbError(kUnreadableValue, u"统计结果中的年月无法读取："_s + yearMonth);
        const DbValue& sum = rs.field(u"月合计"_s);
        if (!sum.isNull())
            subjects.back().sums[size_t(month - 1)] = sum.text();
    }
    return result;
}

void MonthlySummary::AppendDepartment(const QString& deptCode, const QString& deptName,
                                      const std::vector<SubjectMonths>& subjects) {
    if (subjects.empty())
        return;

    const int firstRow = m_grid.rows();
    const PaintingOff paintingOff(m_grid);
    for (const SubjectMonths& subject : subjects) {
        m_grid.setRows(m_grid.rows() + 1);
        const int row = m_grid.rows() - 1;
        m_grid.setRow(row);
        m_grid.setTextMatrix(row, SummaryCol::RowNumber, QString::number(row));
        m_grid.setTextMatrix(row, SummaryCol::DeptName, deptName);
        m_grid.setTextMatrix(row, SummaryCol::SubjectCode, subject.code);
        m_grid.setTextMatrix(row, SummaryCol::SubjectName, subject.name);
        m_grid.setTextMatrix(row, SummaryCol::DeptCode, deptCode);
        widenColumns(m_grid, row, SummaryCol::RowNumber, SummaryCol::SubjectName);
    }

    // The subtotal row follows the department's data rows.
    m_grid.setRows(m_grid.rows() + 1);
    const int subtotalRow = m_grid.rows() - 1;
    m_grid.setRow(subtotalRow);
    m_grid.setRowKind(subtotalRow, FlexGridModel::RowKind::Subtotal);
    m_grid.setTextMatrix(subtotalRow, SummaryCol::RowNumber, QString::number(subtotalRow));
    m_grid.setTextMatrix(subtotalRow, SummaryCol::DeptName, deptName + u"小计"_s);
    m_grid.setTextMatrix(subtotalRow, SummaryCol::DeptCode, deptCode);
    widenColumns(m_grid, subtotalRow, SummaryCol::RowNumber, SummaryCol::SubjectName);

    // Month cells of this department's rows.
    const WaitCursor wait;
    for (int row = firstRow; row < subtotalRow; ++row) {
        const SubjectMonths& subject = subjects[size_t(row - firstRow)];
        double total = 0;
        for (int m = 1; m <= 12; ++m) {
            const QString& sum = subject.sums[size_t(m - 1)];
            const QString text = sum.isNull() ? QString() : formatAmount(sum);
            m_grid.setTextMatrix(row, SummaryCol::FirstMonth + m - 1, text);
            total += amountValue(text);
        }
        m_grid.setTextMatrix(row, SummaryCol::Total, formatAmount(total));
        widenColumns(m_grid, row, SummaryCol::FirstMonth, SummaryCol::Total);
    }
    writeSubtotals(firstRow, subtotalRow);
}

void MonthlySummary::writeSubtotals(int firstRow, int subtotalRow) {
    // Codes are unique in the tree, so the rows carrying this department's
    // code are exactly its own rows.
    MonthTotals totals{};
    for (int k = firstRow; k <= subtotalRow; ++k)
        for (int c = SummaryCol::FirstMonth; c <= SummaryCol::Total; ++c)
            totals[size_t(c - kTotalsOffset)] += amountValue(m_grid.textMatrix(k, c));
    for (int c = SummaryCol::FirstMonth; c <= SummaryCol::Total; ++c)
        m_grid.setTextMatrix(subtotalRow, c, formatAmount(totals[size_t(c - kTotalsOffset)]));
    // A subtotal is wider than the amounts it adds up: its columns grow too,
    // or the view would cut its leading digits.
    widenColumns(m_grid, subtotalRow, SummaryCol::FirstMonth, SummaryCol::Total);
    paintRow(m_grid, subtotalRow, ReportColour::kSubtotal);
}

void MonthlySummary::appendGrandTotal() {
    if (m_grid.rows() <= 1)
        return;
    const PaintingOff paintingOff(m_grid);
    MonthTotals totals{};
    for (int j = 1; j < m_grid.rows(); ++j) {
        if (m_grid.rowKind(j) != FlexGridModel::RowKind::Subtotal)
            continue;
        for (int c = SummaryCol::FirstMonth; c <= SummaryCol::Total; ++c)
            totals[size_t(c - kTotalsOffset)] += amountValue(m_grid.textMatrix(j, c));
    }
    m_grid.setRows(m_grid.rows() + 1);
    const int row = m_grid.rows() - 1;
    m_grid.setRow(row);
    m_grid.setRowKind(row, FlexGridModel::RowKind::GrandTotal);
    m_grid.setTextMatrix(row, SummaryCol::DeptName, u"合计"_s);
    for (int c = SummaryCol::FirstMonth; c <= SummaryCol::Total; ++c)
        m_grid.setTextMatrix(row, c, formatAmount(totals[size_t(c - kTotalsOffset)]));
    widenColumns(m_grid, row, SummaryCol::DeptName, SummaryCol::Total);
    paintRow(m_grid, row, ReportColour::kGrandTotal);
}

} // namespace nbr
