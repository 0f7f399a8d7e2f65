#include "report/DetailListing.h"

#include "db/Database.h"
#include "db/DbSchema.h"
#include "report/AmountText.h"
#include "report/ClaimQueries.h"
#include "report/ReportPeriod.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString detailListSql(const SqlDialect& dialect) {
    return u"select "_s + listingSelectList() + claimTablesJoin() +
           u" where 部门代号 = ?"_s
           u" And 报销类型='非预算'"_s
           u" And "_s +
           dialect.yearMonth(u"报批日期"_s) +
           u" = ?"_s
           u" And 报销单明细.科目代号 = ?"_s
           u" order by "_s +
           listingLineOrder();
}

Listing loadListing(Database& db, const ListingRequest& request) {
    Listing listing{request, {}, {}, {}, {}};
    double amounts = 0;
    double taxes = 0;
    double lines = 0;
    Recordset rs =
        db.query(detailListSql(db.dialect()),
                 {request.deptCode, ReportPeriod::yearMonthText(request.year, request.month),
                  request.subjectCode});
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
