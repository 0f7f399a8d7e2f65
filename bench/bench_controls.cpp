// How long the report's bulk operations take with the views shown: showing
// a result of 40 000 grid rows, scrolling them, showing a tree of 5 000
// departments. Showing the rows and the tree have goals; the exit status is
// 1 when one is missed. Run with QT_QPA_PLATFORM=offscreen.

#include "report/DeptTree.h"
#include "report/ReportRows.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/DeptTreeView.h"
#include "report/ui/ReportGridView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

// 40 000 data rows of distinct amounts, every tenth a subtotal.
ReportRows largeRows() {
    SummaryTable table;
    for (int r = 1; r <= 40000; ++r) {
        SummaryRow row{r % 10 ? RowKind::Data : RowKind::Subtotal,
                       u"0102"_s,
                       u"部门%1"_s.arg(r / 10),
                       u"%1"_s.arg(r % 1000, 4, 10, QChar(u'0')),
                       u"科目名称"_s,
                       {},
                       {}};
        for (int m = 0; m < 12; ++m)
            row.months[size_t(m)] = u"%1.25"_s.arg(r * (m + 1));
        row.total = u"%1.50"_s.arg(r * 78);
        table.rows.push_back(std::move(row));
    }
    return summaryRows(table);
}

qint64 showGridRows(const ReportRows& rows, ReportGridModel& grid, ReportGridView& view) {
    view.setModel(&grid);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    grid.setRows(rows);
    QApplication::processEvents();
    return timer.elapsed();
}

qint64 scrollGrid(ReportGridView& view) {
    QElapsedTimer timer;
    timer.start();
    QScrollBar* bar = view.verticalScrollBar();
    for (int step = 0; step < 200; ++step) {
        bar->setValue(bar->maximum() * step / 200);
        view.viewport()->repaint();
    }
    return timer.elapsed();
}

qint64 showTree() {
    std::vector<DeptRow> rows;
    for (int d = 0; d < 100; ++d) {
        const QString parent = u"D%1"_s.arg(d);
        rows.push_back({parent, parent, {}});
        for (int k = 0; k < 49; ++k)
            rows.push_back({u"%1-%2"_s.arg(parent).arg(k), u"科室"_s, parent});
    }
    DeptTreeModel departments;
    DeptTreeView view;
    view.setModel(&departments);
    view.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    departments.setTree(DeptTree::fromRows(rows));
    for (int d = 0; d < departments.tree().size(); d += 50)
        view.setDepartmentExpanded(d, true);
    QApplication::processEvents();
    return timer.elapsed();
}

bool meets(const char* what, qint64 ms, qint64 goalMs) {
    const bool met = ms < goalMs;
    std::printf("%s %lld ms (goal < %lld ms: %s)\n", what, ms, goalMs, met ? "met" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const ReportRows rows = largeRows();
    ReportGridModel grid(summaryColumns(), true);
    ReportGridView view;
    // The goals are the sizes the report loads on the build machine.
    bool met =
        meets("grid: 40000 rows x 17 texts shown:    ", showGridRows(rows, grid, view), 1000);
    std::printf("grid: 200 scroll steps over 40000 rows: %lld ms\n", scrollGrid(view));
    met &= meets("tree: 5000 departments shown:         ", showTree(), 1000);
    return met ? 0 : 1;
}
