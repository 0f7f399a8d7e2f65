#pragma once
// Results and grids as lines of text, so that a test compares a whole tree,
// grid or row in one QCOMPARE and sees the first line that differs; and the
// user's ticks in the tree.

#include "report/SummaryTable.h"

#include <QStringList>
#include <initializer_list>
#include <utility>

namespace nbr {
class DeptTree;
class DeptTreeModel;
class ReportGridModel;
} // namespace nbr

namespace nbr::test {

// Code, name, level and parent code of every department, in tree order.
QStringList treeList(const DeptTree& tree);

// Every row of a grid, each cell's text with its back colour, then the
// column widths.
QStringList gridDump(const ReportGridModel& grid);

// The twelve month texts and the total of a summary row.
QStringList months(const SummaryRow& row);
// What months() gives for a row with these month texts and this total, the
// other months holding `otherwise`.
QStringList monthsWith(std::initializer_list<std::pair<int, QString>> values, const QString& total,
                       const QString& otherwise = {});

// The user ticks the departments with these codes in the tree.
void tickDepartments(DeptTreeModel& departments, const QStringList& codes);

} // namespace nbr::test
