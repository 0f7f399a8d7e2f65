#pragma once
// The drill-down of one month cell: every non-budget claim line of one
// department, subject, year and month, in date order, with the totals.

#include "report/Listing.h"

#include <QString>

namespace nbr {

class Database;
class SqlDialect;

// Bound to the department, the month ("yyyymm") and the subject.
QString detailListSql(const SqlDialect& dialect);

// The lines of the requested cell. Throws DbError when they cannot be read
// whole: a part of a listing must never pass for all of it.
[[nodiscard]] Listing loadListing(Database& db, const ListingRequest& request);

} // namespace nbr
