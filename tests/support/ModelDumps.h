#pragma once
// The tree and grid models as lines of text, so that a test compares a whole
// tree or grid in one QCOMPARE and sees the first line that differs.

#include <QStringList>

namespace nbr {
class FlexGridModel;
class TreeNodesModel;
} // namespace nbr

namespace nbr::test {

// Key, text, image and parent key of every node, in node order.
QStringList nodeList(const TreeNodesModel& nodes);

// Every row of a grid, each cell's text with its back colour, then the
// column widths.
QStringList gridDump(const FlexGridModel& grid);

} // namespace nbr::test
