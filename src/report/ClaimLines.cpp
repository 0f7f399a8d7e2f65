#include "report/ClaimLines.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/DbSchema.h"
#include "report/ClaimQueries.h"
#include "report/MonthlySummary.h"
#include "report/ReportPeriod.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

QString ClaimLines::claimLinesSql(const SqlDialect& dialect, int departments) {
    // The summary's join of the ticked departments and its year, the
    // listing's columns and order: the lines add up to the summary's cells.
    const SqlDialect::BoundRows ticked =
        dialect.boundRows(u"t"_s, {u"code"_s, u"ord"_s}, departments);
    return ticked.prefix + u"select t.ord, "_s + listingSelectList() + claimTablesJoin() +
           u" inner join "_s + ticked.source + u" On 部门代号 = t.code"_s +
           u" where 报销类型='非预算'"_s + u" And "_s + dialect.yearMonth(u"报批日期"_s) +
           u" between ? and ?"_s + u" order by t.ord, "_s + listingLineOrder();
}

void forEachClaimLine(Database& db, const SummaryRequest& request,
                      const std::function<void(const ClaimLine& line)>& onLine) {
    const std::vector<Department>& ticked = request.departments;
    // As many departments per statement as the summary binds.
    constexpr size_t perStatement = MonthlySummary::kDepartmentsPerStatement;
    ClaimLine claim;
    for (size_t first = 0; first < ticked.size(); first += perStatement) {
        const size_t count = std::min(perStatement, ticked.size() - first);
        QStringList values;
        // Places of equal length: bound as text, they sort as text.
        for (size_t k = 0; k < count; ++k)
            values << ticked[first + k].code << u"%1"_s.arg(k, 4, 10, QChar(u'0'));
        values << ReportPeriod::wholeYear(request.year).bounds();
        db.forEachRecord(ClaimLines::claimLinesSql(db.dialect(), int(count)), values,
                         [&](const Recordset& record) {
                             bool ok = false;
                             const QString place = record.field(u"ord"_s).text();
                             const qulonglong k = place.toULongLong(&ok);
                             if (!ok || k >= count)
                                 throw DbError(kUnreadableValue,
                                               u"明细中的部门序号无法读取："_s + place);
                             claim.department = &ticked[first + k];
                             claim.subjectCode = record.field(schema::SubjectCode).code();
                             claim.subjectName = record.field(schema::SubjectName).text();
                             claim.line = listingLineOf(record);
                             onLine(claim);
                         });
    }
}

} // namespace nbr
