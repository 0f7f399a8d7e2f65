#include "report/MonthlySummary.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/DbSchema.h"
#include "report/AmountText.h"
#include "report/ClaimQueries.h"
#include "report/ReportPeriod.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// One subject row of a department: the subject and the database's sum text
// of each month, null where the month has no claim line.
struct SubjectMonths {
    QString code;
    QString name;
    std::array<QString, 12> sums;
};

// The subject rows of each of these departments, in the database's order.
std::vector<std::vector<SubjectMonths>>
loadSubjectMonths(Database& db, const std::vector<Department>& departments, int year) {
    QStringList values;
    for (size_t k = 0; k < departments.size(); ++k)
        values << departments[k].code << QString::number(k);
    values << ReportPeriod::wholeYear(year).bounds();
    std::vector<std::vector<SubjectMonths>> result(departments.size());
    Recordset rs =
        db.query(MonthlySummary::summarySql(db.dialect(), int(departments.size())), values);
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
        if (yearMonth.left(4).toInt() != year || month < 1 || month > 12)
            throw DbError(kUnreadableValue, u"统计结果中的年月无法读取："_s + yearMonth);
        const DbValue& sum = rs.field(u"月合计"_s);
        if (!sum.isNull())
            subjects.back().sums[size_t(month - 1)] = sum.text();
    }
    return result;
}

// The sums of the shown texts of a run of rows: the twelve months, then the
// year total.
using Totals = std::array<double, 13>;

void add(Totals& totals, const SummaryRow& row) {
    for (size_t m = 0; m < 12; ++m)
        totals[m] += amountValue(row.months[m]);
    totals[12] += amountValue(row.total);
}

void setTotals(SummaryRow& row, const Totals& totals) {
    for (size_t m = 0; m < 12; ++m)
        row.months[m] = formatAmount(totals[m]);
    row.total = formatAmount(totals[12]);
}

// One department's subject rows and its subtotal row (none at all without
// subjects).
void appendDepartment(std::vector<SummaryRow>& rows, const Department& dept,
                      const std::vector<SubjectMonths>& subjects) {
    if (subjects.empty())
        return;
    Totals subtotal{};
    for (const SubjectMonths& subject : subjects) {
        SummaryRow row{RowKind::Data, dept.code, dept.name, subject.code, subject.name, {}, {}};
        double total = 0;
        for (size_t m = 0; m < 12; ++m) {
            const QString& sum = subject.sums[m];
            row.months[m] = sum.isNull() ? QString() : formatAmount(sum);
            total += amountValue(row.months[m]);
        }
        row.total = formatAmount(total);
        add(subtotal, row);
        rows.push_back(std::move(row));
    }
    SummaryRow row{RowKind::Subtotal, dept.code, dept.name + u"小计"_s, {}, {}, {}, {}};
    setTotals(row, subtotal);
    rows.push_back(std::move(row));
}

} // namespace

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
           claimTablesJoin() + u" inner join "_s + ticked.source + u" On 部门代号 = t.code"_s +
           u" where 报销类型='非预算'"_s + u" And "_s + month + u" between ? and ?"_s +
           u" GROUP BY t.ord, 财务科目.科目代号, 财务科目.科目名称, "_s + month + u" order by "_s +
           dialect.len(u"财务科目.科目代号"_s) + u", 财务科目.科目代号, 财务科目.科目名称"_s;
}

SummaryTable runSummary(Database& db, const SummaryRequest& request,
                        const SummaryProgress& progress) {
    const std::vector<Department>& ticked = request.departments;
    SummaryTable table{request.year, ticked, {}};
    const auto tell = [&](const QString& phase) {
        if (progress)
            progress(phase);
    };
    constexpr size_t perStatement = MonthlySummary::kDepartmentsPerStatement;
    for (size_t first = 0; first < ticked.size(); first += perStatement) {
        const std::vector<Department> chunk(
            ticked.begin() + qsizetype(first),
            ticked.begin() + qsizetype(std::min(ticked.size(), first + perStatement)));
        tell(u"正在查询科目及月份合计……"_s);
        const std::vector<std::vector<SubjectMonths>> subjects =
            loadSubjectMonths(db, chunk, request.year);
        for (size_t k = 0; k < chunk.size(); ++k) {
            tell(u"第 %1 / %2 个部门"_s.arg(first + k + 1).arg(ticked.size()));
            appendDepartment(table.rows, chunk[k], subjects[k]);
        }
    }
    if (table.rows.empty())
        return table;
    Totals grand{};
    for (const SummaryRow& row : table.rows)
        if (row.kind == RowKind::Subtotal)
            add(grand, row);
    SummaryRow total{RowKind::GrandTotal, {}, u"合计"_s, {}, {}, {}, {}};
    setTotals(total, grand);
    table.rows.push_back(std::move(total));
    return table;
}

} // namespace nbr
