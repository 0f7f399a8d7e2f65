#include "report/DetailListing.h"

#include "db/DbError.h"
#include "db/DbSchema.h"
#include "db/SharedConnection.h"
#include "report/AmountText.h"
#include "report/GridWidening.h"
#include "report/ReportColumns.h"
#include "report/models/FlexGridModel.h"
#include "report/models/PaintingOff.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString detailFormatString() {
    return u"^序  |<报销单编号    |<报批日期    |<报销人    |<审批日期    |<审批通过  "
           u"|<支付日期    |<科目名称    |<摘要    |>金额        |>税额        |>合计        |"_s;
}

QString detailListSql(const SqlDialect& dialect) {
    return u"select 报销单表.报销单编号 , 报销单表.报批日期 , 报销单表.报销人 , 报销单表.审批日期,"_s
           u" 报销单表.审批通过, 报销单表.财务支付确认日期 ,"_s
           u" 报销单明细.摘要 , 报销单明细.金额, 税额, 财务科目.科目代号, 财务科目.科目名称"_s
           u" From 报销单表"_s
           u" Inner join  报销单明细 On 报销单表.报销单ID = 报销单明细.报销单ID"_s
           u" inner join 财务科目 On 报销单明细.科目代号 = 财务科目.科目代号"_s
           u" where 部门代号 = ?"_s
           u" And 报销类型='非预算'"_s
           u" And "_s +
           dialect.yearMonth(u"报批日期"_s) +
           u" = ?"_s
           u" And 报销单明细.科目代号 = ?"_s
           u" order by 报销单表.报批日期"_s
           // Lines of the same day in one order, every time: by claim, then by
           // the line's own columns (the line table has no key to rely on).
           // A free-text column may be of a legacy type that SQL Server cannot
           // sort; its first 4 000 characters as nvarchar sort in both engines.
           u", 报销单表.报销单编号, 报销单表.报销单ID, 报销单明细.科目代号, 报销单明细.金额,"_s
           u" 报销单明细.税额, CAST(报销单明细.摘要 AS nvarchar(4000))"_s;
}

namespace {

// What the totals row adds up; a missing amount or tax adds nothing.
struct ListingTotals {
    double amount = 0;
    double tax = 0;
    double line = 0;
};

// One grid row per claim line of the query, painted once at the end.
ListingTotals appendClaimLines(FlexGridModel& grid, Recordset& rs) {
    const PaintingOff paintingOff(grid);
    ListingTotals totals;
    for (; !rs.eof(); rs.moveNext()) {
        grid.setRows(grid.rows() + 1);
        const int row = grid.rows() - 1;
        grid.setRow(row);
        const DbValue& amount = rs.field(schema::Amount);
        const DbValue& tax = rs.field(schema::Tax);
        const QString amountText = amount.isNull() ? QString() : formatAmount(amount.text());
        const QString taxText = tax.isNull() ? QString() : formatAmount(tax.text());
        // In the order of DetailCol.
        const QString cells[] = {
            QString::number(row),
            rs.field(schema::ClaimNumber).text(),
            rs.field(schema::SubmitDate).toDateText(),
            rs.field(schema::Claimant).text(),
            rs.field(schema::ApprovalDate).toDateText(),
            rs.field(schema::Approved).toFlag() ? u"是"_s : u"否"_s,
            rs.field(schema::PaymentDate).toDateText(),
            rs.field(schema::SubjectCode).code() + u' ' + rs.field(schema::SubjectName).text(),
            rs.field(schema::Summary).text(),
            amountText,
            taxText,
            formatAmount(amountValue(amountText) + amountValue(taxText)),
        };
        for (int c = DetailCol::RowNumber; c <= DetailCol::LineTotal; ++c)
            grid.setTextMatrix(row, c, cells[c]);
        totals.amount += amountValue(amount.text());
        totals.tax += amountValue(tax.text());
        totals.line += amountValue(amount.text()) + amountValue(tax.text());
        widenColumns(grid, row, DetailCol::RowNumber, DetailCol::LineTotal);
    }
    return totals;
}

} // namespace

void LoadDetailList(FlexGridModel& grid, const QString& subjectCode, const QString& month,
                    const QString& deptCode, const QString& yearText) {
    grid.setRows(1);
    ListingTotals totals;
    try {
        Recordset rs = openRecordset(detailListSql(sharedDialect()),
                                     {deptCode, yearText + month, subjectCode});
        totals = appendClaimLines(grid, rs);
    } catch (const DbError&) {
        // The lines read before a failure would pass for the cell's whole
        // listing (and could be exported as such): keep the header only.
        grid.setRows(1);
        throw;
    }

    grid.setRows(grid.rows() + 1);
    const int row = grid.rows() - 1;
    grid.setRow(row);
    grid.setTextMatrix(row, DetailCol::RowNumber, QString::number(row));
    grid.setTextMatrix(row, DetailCol::ClaimNumber, u"合计"_s);
    grid.setTextMatrix(row, DetailCol::Amount, formatAmount(totals.amount));
    grid.setTextMatrix(row, DetailCol::Tax, formatAmount(totals.tax));
    grid.setTextMatrix(row, DetailCol::LineTotal, formatAmount(totals.line));
    widenColumns(grid, row, DetailCol::RowNumber, DetailCol::LineTotal);
}

} // namespace nbr
