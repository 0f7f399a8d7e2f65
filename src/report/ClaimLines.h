#pragma once
// Every non-budget claim line of the ticked departments in one year: the
// lines behind a whole summary ("导出全部明细"), departments in the
// summary's order, each department's lines in the listing's order. A large
// organisation has hundreds of thousands of them, so they are handed on one
// at a time as the database delivers them, never held together.

#include "report/Listing.h"
#include "report/SummaryTable.h"

#include <QString>
#include <functional>

namespace nbr {

class Database;
class SqlDialect;

struct ClaimLine {
    const Department* department = nullptr; // one of the requested departments
    QString subjectCode;
    QString subjectName;
    ListingLine line; // the texts the listing shows
};

namespace ClaimLines {

// The statement for the given number of departments, bound to (code, place)
// for each of them and then to the year's first and last month.
QString claimLinesSql(const SqlDialect& dialect, int departments);

} // namespace ClaimLines

// Calls onLine with each line of the requested departments and year in turn
// (the line is reused for the next one). Throws DbError, or what onLine
// throws, which ends the query.
void forEachClaimLine(Database& db, const SummaryRequest& request,
                      const std::function<void(const ClaimLine& line)>& onLine);

} // namespace nbr
