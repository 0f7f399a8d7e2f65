#pragma once
// The pieces the report's statements share: the claim tables joined to
// their subjects, the columns and the order of a listing's lines, and one
// line as the listing shows it.

#include "report/Listing.h"

#include <QString>

namespace nbr {

class Recordset;

// " From 报销单表 … inner join 财务科目 …": a claim's lines with their subjects.
QString claimTablesJoin();
// The columns a listing line is read from.
QString listingSelectList();
// The columns the listing's lines are ordered by after their department,
// subject and month: date, then claim, then the line's own columns.
QString listingLineOrder();
// One line as the listing shows it, from the current record of a query with
// the listing's columns.
ListingLine listingLineOf(const Recordset& record);

} // namespace nbr
