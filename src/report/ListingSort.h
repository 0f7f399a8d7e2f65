#pragma once
// A detail listing sorted by one of its columns, as a click on the heading
// asks: amounts by value, dates (yyyy-mm-dd) by date, other texts in Chinese
// order with the numbers inside them by value (B9 before B10). Lines that
// compare equal keep their order, and empty cells come last either way
// round. The totals stay as they are: they belong to no line.

#include "report/Listing.h"

#include <QtCore/qnamespace.h>

namespace nbr {

// `column` is one of listingColumns() (DetailCol).
void sortListing(Listing& listing, int column, Qt::SortOrder order);

} // namespace nbr
