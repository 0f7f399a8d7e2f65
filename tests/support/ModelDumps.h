#pragma once
// The tree and grid models as lines of text, so that a test compares a whole
// tree, grid or row in one QCOMPARE and sees the first line that differs.

#include "report/Listing.h"
#include "report/SummaryTable.h"

#include <QStringList>
#include <initializer_list>
#include <utility>

namespace nbr {
class FlexGridModel;
class TreeNodesModel;
} // namespace nbr

namespace nbr::test {

// What a fresh window's grid shows of a summary or a listing.
void showSummary(FlexGridModel& grid, const SummaryTable& table);
void showListing(FlexGridModel& grid, const Listing& listing);

// Key, text, image and parent key of every node, in node order.
QStringList nodeList(const TreeNodesModel& nodes);

// Every row of a grid, each cell's text with its back colour, then the
// column widths.
QStringList gridDump(const FlexGridModel& grid);

// The texts of cells first … last of one grid row.
QStringList gridRow(const FlexGridModel& grid, int row, int first = 0, int last = 17);
// The twelve month cells and the total of a summary row.
QStringList months(const FlexGridModel& grid, int row);
// What months() gives for a row with these month texts and this total, the
// other months holding `otherwise`.
QStringList monthsWith(std::initializer_list<std::pair<int, QString>> values, const QString& total,
                       const QString& otherwise = {});

} // namespace nbr::test
