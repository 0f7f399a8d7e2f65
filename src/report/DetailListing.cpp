#include "report/DetailListing.h"

#include "db/Database.h"
#include "db/DbSchema.h"
#include "report/AmountText.h"

using namespace Qt::StringLiterals;

namespace nbr {

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
           u" order by "_s +
           listingLineOrder();
}

QString listingLineOrder() {
    return u"报销单表.报批日期"_s
           // Lines of the same day in one order, every time: by claim, then by
           // the line's own columns (the line table has no key to rely on).
           // A free-text column may be of a legacy type that SQL Server cannot
           // sort; its first 4 000 characters as nvarchar sort in both engines.
           u", 报销单表.报销单编号, 报销单表.报销单ID, 报销单明细.科目代号, 报销单明细.金额,"_s
           u" 报销单明细.税额, CAST(报销单明细.摘要 AS nvarchar(4000))"_s;
}

ListingLine listingLineOf(const Recordset& record) {
    const DbValue& amount = record.field(schema::Amount);
    const DbValue& tax = record.field(schema::Tax);
    ListingLine line;
    line.claimNumber = record.field(schema::ClaimNumber).text();
    line.submitDate = record.field(schema::SubmitDate).toDateText();
    line.claimant = record.field(schema::Claimant).text();
    line.approvalDate = record.field(schema::ApprovalDate).toDateText();
    line.approved = record.field(schema::Approved).toFlag() ? u"是"_s : u"否"_s;
    line.paymentDate = record.field(schema::PaymentDate).toDateText();
    line.subject =
        record.field(schema::SubjectCode).code() + u' ' + record.field(schema::SubjectName).text();
    line.summary = record.field(schema::Summary).text();
    line.amount = amount.isNull() ? QString() : formatAmount(amount.text());
    line.tax = tax.isNull() ? QString() : formatAmount(tax.text());
    line.lineTotal = formatAmount(amountValue(line.amount) + amountValue(line.tax));
    return line;
}

Listing loadListing(Database& db, const ListingRequest& request) {
    Listing listing{request, {}, {}, {}, {}};
    double amounts = 0;
    double taxes = 0;
    double lines = 0;
    Recordset rs = db.query(detailListSql(db.dialect()),
                            {request.deptCode, request.year + request.month, request.subjectCode});
    for (; !rs.eof(); rs.moveNext()) {
        // The totals add the database's values, a missing one adding nothing.
        const double amount = amountValue(rs.field(schema::Amount).text());
        const double tax = amountValue(rs.field(schema::Tax).text());
        amounts += amount;
        taxes += tax;
        lines += amount + tax;
        listing.lines.push_back(listingLineOf(rs));
    }
    listing.amountTotal = formatAmount(amounts);
    listing.taxTotal = formatAmount(taxes);
    listing.lineTotal = formatAmount(lines);
    return listing;
}

} // namespace nbr
