#include "report/ListingSort.h"

#include "report/AmountText.h"
#include "report/ReportRows.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <functional>
#include <numeric>

namespace nbr {

void sortListing(Listing& listing, int column, Qt::SortOrder order) {
    const size_t lines = listing.lines.size();
    // The texts the detail grid shows in that column, line by line.
    std::vector<QString> cells;
    cells.reserve(lines);
    for (ReportRow& row : listingRows(listing)) {
        if (cells.size() == lines)
            break; // the totals row
        cells.push_back(row.cells.value(column));
    }
    // What each kind of column compares: -1, 0 or 1.
    std::function<int(size_t, size_t)> compare;
    std::vector<double> values;
    std::vector<QCollatorSortKey> keys;
    switch (listingColumns().at(size_t(column)).kind) {
    case ColumnKind::RowNumber:
    case ColumnKind::Amount:
        for (const QString& cell : cells)
            values.push_back(amountValue(cell));
        compare = [&](size_t a, size_t b) {
            return (values[a] > values[b]) - (values[a] < values[b]);
        };
        break;
    case ColumnKind::Date:
        compare = [&](size_t a, size_t b) { return cells[a].compare(cells[b]); };
        break;
    default: {
        QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
        collator.setNumericMode(true);
        keys.reserve(lines);
        for (const QString& cell : cells)
            keys.push_back(collator.sortKey(cell));
        compare = [&](size_t a, size_t b) { return keys[a].compare(keys[b]); };
    }
    }
    std::vector<size_t> sorted(lines);
    std::iota(sorted.begin(), sorted.end(), 0);
    std::stable_sort(sorted.begin(), sorted.end(), [&](size_t a, size_t b) {
        if (cells[a].isEmpty() != cells[b].isEmpty())
            return cells[b].isEmpty();
        const int c = compare(a, b);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    std::vector<ListingLine> reordered;
    reordered.reserve(lines);
    for (size_t i : sorted)
        reordered.push_back(std::move(listing.lines[i]));
    listing.lines = std::move(reordered);
}

} // namespace nbr
