// How long the report's bulk operations take with the views shown: appending
// 40 000 grid rows with and without redraw, scrolling them, adding 5 000 tree
// nodes with and without a bulk load. Appending rows and the bulk load have
// goals; the exit status is 1 when one is missed. Run with
// QT_QPA_PLATFORM=offscreen.

#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/FlexGridView.h"
#include "report/ui/NodeTreeView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

qint64 appendGridRows(bool redraw) {
    FlexGridModel grid;
    grid.setFormatString(u"^序|<部门名称|<科目代号|<科目名称|>01月份|>02月份|>合计|"_s);
    FlexGridView view;
    view.setModel(&grid);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    grid.setRedraw(redraw);
    for (int r = 1; r <= 40000; ++r) {
        grid.setRows(grid.rows() + 1);
        for (int c = 1; c < grid.cols(); ++c)
            grid.setTextMatrix(r, c, QString::number(r * c));
    }
    grid.setRedraw(true);
    QApplication::processEvents();
    return timer.elapsed();
}

qint64 scrollGrid() {
    FlexGridModel grid;
    grid.setFormatString(u"^序|<部门名称|<科目代号|<科目名称|>01月份|>02月份|>合计|"_s);
    grid.setRedraw(false);
    grid.setRows(40001);
    for (int r = 1; r <= 40000; ++r)
        grid.setTextMatrix(r, 1, QString::number(r));
    grid.setRedraw(true);
    FlexGridView view;
    view.setModel(&grid);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    QScrollBar* bar = view.verticalScrollBar();
    for (int step = 0; step < 200; ++step) {
        bar->setValue(bar->maximum() * step / 200);
        view.viewport()->repaint();
    }
    return timer.elapsed();
}

qint64 addTreeNodes(bool bulk) {
    TreeNodesModel tree;
    NodeTreeView view;
    view.setModel(&tree);
    view.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    if (bulk)
        tree.beginBulkLoad();
    for (int d = 0; d < 100; ++d) {
        const QString key = u"D%1"_s.arg(d);
        tree.add({}, TreeNodesModel::Child, key, key, 1);
        tree.setExpanded(tree.count(), true);
        for (int k = 0; k < 49; ++k)
            tree.add(key, TreeNodesModel::Child, u"%1-%2"_s.arg(key).arg(k), u"科室"_s, 2);
    }
    if (bulk)
        tree.endBulkLoad();
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
    // The goals are the sizes the report loads on the build machine.
    bool met = meets("grid: 40000 rows x 6 texts, redraw on: ", appendGridRows(true), 1000);
    met &= meets("grid: 40000 rows x 6 texts, redraw off:", appendGridRows(false), 2000);
    std::printf("grid: 200 scroll steps over 40000 rows: %lld ms\n", scrollGrid());
    std::printf("tree: 5000 nodes one by one:            %lld ms\n", addTreeNodes(false));
    met &= meets("tree: 5000 nodes in a bulk load:       ", addTreeNodes(true), 1000);
    return met ? 0 : 1;
}
