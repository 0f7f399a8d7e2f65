#include "report/ClaimQueries.h"

#include "db/DbSchema.h"
#include "db/Recordset.h"
#include "report/AmountText.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString claimTablesJoin() {
    return u" From 报销单表"_s
           u" Inner join  报销单明细 On 报销单表.报销单ID = 报销单明细.报销单ID"_s
           u" inner join 财务科目 On 报销单明细.科目代号 = 财务科目.科目代号"_s;
}

QString listingSelectList() {
    return u"报销单表.报销单编号 , 报销单表.报批日期 , 报销单表.报销人 , 报销单表.审批日期,"_s
           u" 报销单表.审批通过, 报销单表.财务支付确认日期 ,"_s
           u" 报销单明细.摘要 , 报销单明细.金额, 税额, 财务科目.科目代号, 财务科目.科目名称"_s;
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

} // namespace nbr
