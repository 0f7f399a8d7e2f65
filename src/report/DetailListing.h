#pragma once
// The drill-down of one month cell: every non-budget claim line of one
// department, subject, year and month, in date order, with the totals.

#include "report/Listing.h"

#include <QString>

namespace nbr {

class Database;
class Recordset;
class SqlDialect;

QString detailListSql(const SqlDialect& dialect);
// The columns the listing's lines are ordered by after their department,
// subject and month: date, then claim, then the line's own columns.
QString listingLineOrder();
// One line as the listing shows it, from the current record of a query with
// the listing's columns.
ListingLine listingLineOf(const Recordset& record);

// The lines of the requested cell. Throws DbError when they cannot be read
// whole: a part of a listing must never pass for all of it.
[[nodiscard]] Listing loadListing(Database& db, const ListingRequest& request);

} // namespace nbr
