#include "report/MonthlySummary.h"

#include "platform/MousePointer.h"
#include "report/AmountText.h"
#include "report/DeptTree.h"
#include "report/GridWidening.h"
#include "report/controls/FlexGridModel.h"
#include "report/controls/TreeNodesModel.h"
#include "session/DbSchema.h"
#include "session/SharedConnection.h"

#include <QColor>
#include <QHash>
#include <array>

using namespace Qt::StringLiterals;

namespace nbr {

const unsigned kSubtotalColor = 0xC0FFFF;   // red 192, green 255, blue 255
const unsigned kGrandTotalColor = 0x8080FF; // red 128, green 128, blue 255

namespace {

const QString kSubtotalMark = u"小计"_s;

QString joins() {
    return u" From 报销单表"_s
           u" Inner join  报销单明细 On 报销单表.报销单ID = 报销单明细.报销单ID"_s
           u" inner join 财务科目 On 报销单明细.科目代号 = 财务科目.科目代号"_s;
}

void paintRow(FlexGridModel& grid, int row, unsigned rgb) {
    grid.setRow(row);
    for (int c = 0; c < grid.cols(); ++c) {
        grid.setCol(c);
        grid.setCellBackColor(QColor::fromRgb(rgb));
    }
}

// The sums of one row of totals: element k for grid column k + 3.
using MonthTotals = std::array<double, 14>;

} // namespace

QString summaryFormatString() {
    return u"^序  |<部门名称      |<科目代号      |<科目名称      |>01月份          |>02月份          "
           u"|>03月份          |>04月份          |>05月份          |>06月份          |>07月份          "
           u"|>08月份          |>09月份          |>10月份          |>11月份          |>12月份          "
           u"|>合计          |"_s;
}

MonthlySummary::MonthlySummary(FlexGridModel& grid, const TreeNodesModel& nodes)
    : m_grid(grid), m_nodes(nodes) {}

QString MonthlySummary::subjectListSql(const SqlDialect& dialect) {
    return u"select distinct 财务科目.科目代号,财务科目.科目名称 ,"_s +
           dialect.len(u"财务科目.科目代号"_s) + joins() + u" where 部门代号 = ?"_s +
           u" And 报销类型='非预算'"_s + u" And "_s + dialect.yearMonth(u"报批日期"_s) +
           u" between ? and ?"_s + u" order by "_s + dialect.len(u"财务科目.科目代号"_s) +
           u", 财务科目.科目代号"_s;
}

QString MonthlySummary::monthSumsSql(const SqlDialect& dialect) {
    // One grouped statement per department gives every month of every
    // subject; a missing amount or tax counts 0, as in the detail listing.
    // The code is the subject's own, the text the subject list gives: the
    // database joins a line to its subject under its collation (SQL Server's
    // ignores case and trailing blanks), so the line may spell it otherwise.
    const QString month = dialect.yearMonth(u"报批日期"_s);
    return u"select 财务科目.科目代号, "_s + month + u" As 年月,"_s +
           u" sum (COALESCE(报销单明细.金额,0) + COALESCE(报销单明细.税额,0)) As 月合计"_s +
           joins() + u" where 部门代号 = ?"_s + u" And 报销类型='非预算'"_s + u" And "_s +
           month + u" between ? and ?"_s + u" GROUP BY 财务科目.科目代号, "_s + month;
}

void MonthlySummary::appendTickedDepartments(const QString& yearText) {
    m_year = yearText;
    const int n = m_nodes.count();
    int ticked = 0;
    for (int i = 1; i <= n; ++i)
        ticked += m_nodes.checked(i) ? 1 : 0;
    int done = 0;
    for (int i = 1; i <= n; ++i) {
        if (!m_nodes.checked(i))
            continue;
        if (m_progress)
            m_progress(u"第 %1 / %2 个部门"_s.arg(++done).arg(ticked));
        const NodeDepartment dept = splitNodeText(m_nodes.text(i));
        m_currentDeptCode = dept.code;
        m_currentDeptName = dept.name;
        AppendDepartment(dept.code, dept.name);
    }
}

void MonthlySummary::AppendDepartment(const QString& deptCode, const QString& deptName) {
    const SqlDialect dialect = sharedDialect();
    const QStringList range = {deptCode, m_year + u"01"_s, m_year + u"12"_s};
    Recordset subjects = openRecordset(subjectListSql(dialect), range);
    if (subjects.eof())
        return;

    const int firstRow = m_grid.rows();
    const int lastCol = m_grid.cols() - 1;
    m_grid.setRedraw(false);
    for (; !subjects.eof(); subjects.moveNext()) {
        m_grid.setRows(m_grid.rows() + 1);
        const int row = m_grid.rows() - 1;
        m_grid.setRow(row);
        m_grid.setTextMatrix(row, 0, QString::number(row));
        m_grid.setTextMatrix(row, 1, deptName);
        m_grid.setTextMatrix(row, 2, subjects.field(schema::SubjectCode).text());
        m_grid.setTextMatrix(row, 3, subjects.field(schema::SubjectName).text());
        m_grid.setTextMatrix(row, lastCol, deptCode);
        widenColumns(m_grid, row, 0, 3);
    }

    // The subtotal row follows the department's data rows.
    m_grid.setRows(m_grid.rows() + 1);
    const int subtotalRow = m_grid.rows() - 1;
    m_grid.setRow(subtotalRow);
    m_grid.setTextMatrix(subtotalRow, 0, QString::number(subtotalRow));
    m_grid.setTextMatrix(subtotalRow, 1, deptName + kSubtotalMark);
    m_grid.setTextMatrix(subtotalRow, lastCol, deptCode);
    widenColumns(m_grid, subtotalRow, 0, 3);

    // Month cells of this department's rows, from one grouped statement.
    setMousePointer(MousePointer::Hourglass);
    QHash<QString, QString> sums; // subject code + '\n' + yyyymm -> sum text
    for (Recordset rs = openRecordset(monthSumsSql(dialect), range); !rs.eof(); rs.moveNext()) {
        const DbValue& sum = rs.field(u"月合计"_s);
        if (!sum.isNull())
            sums.insert(rs.field(schema::SubjectCode).text() + u'\n' + rs.field(u"年月"_s).text(),
                        sum.text());
    }
    for (int row = firstRow; row < subtotalRow; ++row) {
        // A department whose name carries the subtotal mark gets no month cells.
        if (m_grid.textMatrix(row, 1).contains(kSubtotalMark))
            continue;
        const QString subject = m_grid.textMatrix(row, 2) + u'\n' + m_year;
        double total = 0;
        for (int m = 1; m <= 12; ++m) {
            const auto it = sums.constFind(subject + u"%1"_s.arg(m, 2, 10, QChar(u'0')));
            const QString text = it == sums.constEnd() ? QString() : formatAmount(*it);
            m_grid.setTextMatrix(row, kFirstMonthCol + m - 1, text);
            total += amountValue(text);
        }
        m_grid.setTextMatrix(row, kTotalCol, formatAmount(total));
        widenColumns(m_grid, row, kFirstMonthCol, kTotalCol);
    }
    writeSubtotals(firstRow, subtotalRow);
    m_grid.setRedraw(true);
    setMousePointer(MousePointer::Default);
}

void MonthlySummary::writeSubtotals(int firstRow, int subtotalRow) {
    // Codes are unique in the tree, so the rows carrying this department's
    // code are exactly its own rows.
    MonthTotals totals{};
    for (int k = firstRow; k <= subtotalRow; ++k)
        for (int c = kFirstMonthCol; c <= kTotalCol; ++c)
            totals[size_t(c - 3)] += amountValue(m_grid.textMatrix(k, c));
    for (int c = kFirstMonthCol; c <= kTotalCol; ++c)
        m_grid.setTextMatrix(subtotalRow, c, formatAmount(totals[size_t(c - 3)]));
    paintRow(m_grid, subtotalRow, kSubtotalColor);
}

void MonthlySummary::appendGrandTotal() {
    if (m_grid.rows() <= 1)
        return;
    m_grid.setRedraw(false);
    MonthTotals totals{};
    for (int j = 1; j < m_grid.rows(); ++j) {
        if (!m_grid.textMatrix(j, 1).contains(kSubtotalMark))
            continue;
        for (int c = kFirstMonthCol; c <= kTotalCol; ++c)
            totals[size_t(c - 3)] += amountValue(m_grid.textMatrix(j, c));
    }
    m_grid.setRows(m_grid.rows() + 1);
    const int row = m_grid.rows() - 1;
    m_grid.setRow(row);
    m_grid.setTextMatrix(row, 1, u"合计"_s);
    for (int c = kFirstMonthCol; c <= kTotalCol; ++c)
        m_grid.setTextMatrix(row, c, formatAmount(totals[size_t(c - 3)]));
    paintRow(m_grid, row, kGrandTotalColor);
    m_grid.setRedraw(true);
}

} // namespace nbr
