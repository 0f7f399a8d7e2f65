// The report's models and views offscreen: a grid over a result's rows
// under its column definition (headings, alignment, colours, widths that
// only grow, the mouse on its parts, a result of 40 000 rows), and the
// department tree (its departments, ticks from the box and clicks on the
// text, a search's part of the tree, 5 000 departments).

#include "ReportFixtures.h"
#include "platform/Twips.h"
#include "report/DeptTree.h"
#include "report/ReportRows.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/DeptTreeView.h"
#include "report/ui/ReportGridView.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

// 总部 {财务部 {会计科}, 人事部}, 分公司.
DeptTree smallTree() {
    return DeptTree::fromRows({{u"D01"_s, u"总部"_s, {}},
                               {u"D0101"_s, u"财务部"_s, u"D01"_s},
                               {u"D0102"_s, u"人事部"_s, u"D01"_s},
                               {u"D010101"_s, u"会计科"_s, u"D0101"_s},
                               {u"D02"_s, u"分公司"_s, {}}});
}

} // namespace

class TestReportViews : public QObject {
    Q_OBJECT

private slots:
    // Headings centred, 序 centred, amounts right, names left; subtotal and
    // grand-total rows in their colours (a listing's totals row in none);
    // widths that grow with the texts shown and never shrink.
    void gridModelFollowsTheColumns() {
        ReportGridModel grid(summaryColumns(), true);
        QAbstractItemModelTester tester(&grid,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(grid.columnCount(), 17);
        QCOMPARE(grid.headerData(1, Qt::Horizontal).toString(), u"部门名称"_s);
        QCOMPARE(grid.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter));
        const std::vector<int> fresh = grid.columnWidths();
        QVERIFY(fresh[4] > fresh[0]);
        QSignalSpy widened(&grid, &ReportGridModel::columnWidthsChanged);
        ReportRows rows = summaryRows(test::largeSummary(30));
        rows[0].cells[1] = u"一个名称很长很长很长的部门"_s;
        grid.setRows(rows);
        QCOMPARE(grid.rowCount(), 30);
        QCOMPARE(Qt::Alignment(grid.index(0, 0).data(Qt::TextAlignmentRole).toInt()),
                 Qt::AlignCenter);
        QCOMPARE(Qt::Alignment(grid.index(0, 1).data(Qt::TextAlignmentRole).toInt()),
                 Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(Qt::Alignment(grid.index(0, 4).data(Qt::TextAlignmentRole).toInt()),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(grid.index(9, 5).data(Qt::BackgroundRole).value<QColor>(), QColor(192, 255, 255));
        QCOMPARE(grid.index(29, 5).data(Qt::BackgroundRole).value<QColor>(), QColor(128, 128, 255));
        QCOMPARE(grid.headerData(9, Qt::Vertical, Qt::BackgroundRole).value<QColor>(),
                 QColor(192, 255, 255));
        QVERIFY(!grid.index(0, 5).data(Qt::BackgroundRole).isValid());
        QCOMPARE(grid.headerData(3, Qt::Vertical).toString(), u"4"_s);
        QCOMPARE(widened.size(), 1);
        QVERIFY(grid.columnWidth(1) > fresh[1]);
        const std::vector<int> wide = grid.columnWidths();
        grid.setRows({});
        QCOMPARE(grid.columnWidths(), wide);
        ReportGridModel listing(listingColumns(), false);
        listing.setRows(listingRows(Listing{}));
        QVERIFY(!listing.index(0, 1).data(Qt::BackgroundRole).isValid());
    }

    void gridViewShowsTheModelAndHandsOnClicks() {
        ReportGridModel grid(listingColumns(), false);
        Listing listing;
        listing.lines.resize(199);
        grid.setRows(listingRows(listing));
        ReportGridView view;
        view.setModel(&grid);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // 序 and the claim number stay beside the body as the header.
        QVERIFY(view.isColumnHidden(0) && view.isColumnHidden(1));
        QCOMPARE(view.verticalHeader()->width(),
                 twipsToPixels(grid.columnWidth(0)) + twipsToPixels(grid.columnWidth(1)));
        QCOMPARE(view.columnWidth(2), twipsToPixels(grid.columnWidth(2)));
        QCOMPARE(view.rowHeight(5), twipsToPixels(grid.rowHeight()));
        QFont big = grid.measure().font();
        big.setPointSize(24);
        grid.setMeasureFont(big);
        QCOMPARE(view.rowHeight(5), twipsToPixels(grid.rowHeight()));
        QStyleOptionViewItem option;
        QCOMPARE(QColor::fromRgb(static_cast<QRgb>(
                     view.style()->styleHint(QStyle::SH_Table_GridLineColor, &option, &view))),
                 QColor(192, 192, 192));

        QSignalSpy clicked(&view, &ReportGridView::cellClicked);
        const QRect cell = view.visualRect(grid.index(3, 2));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][0].value<GridCell>(), (GridCell{3, 2}));
        QCOMPARE(view.currentCell(), (GridCell{3, 2}));
        // The whole row shows selected when the selection spans it.
        view.setSelection({3, 0}, {3, grid.columnCount() - 1});
        QVERIFY(view.selectionModel()->isRowSelected(3, {}));

        // Scrolled to the bottom right, the headings still head the columns
        // and 序 still numbers the rows; clicking them selects their columns,
        // rows or everything, and dragging a heading's edge resizes nothing.
        view.scrollToBottom();
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QHeaderView* top = view.horizontalHeader();
        QHeaderView* left = view.verticalHeader();
        QVERIFY(top->isVisible() && left->isVisible());
        QTest::mouseClick(top->viewport(), Qt::LeftButton, {},
                          QPoint(top->sectionViewportPosition(11) + 3, 3));
        QCOMPARE(clicked.last()[0].value<GridCell>(), (GridCell{-1, 11}));
        QCOMPARE(view.selection().left, 11);
        QCOMPARE(view.selection().bottom, 199);
        QTest::mouseClick(left->viewport(), Qt::LeftButton, {},
                          QPoint(3, view.rowViewportPosition(199) + 3));
        QCOMPARE(view.currentCell(), (GridCell{199, 0}));
        QCOMPARE(view.selection().right, grid.columnCount() - 1);
        QTest::mouseClick(view.findChild<QAbstractButton*>(), Qt::LeftButton); // the corner
        QCOMPARE(view.selection().top, 0);
        QCOMPARE(view.selection().bottom, 199);
        QCOMPARE(clicked.size(), 4);
        const int width = view.columnWidth(3);
        const QPoint edge(top->sectionViewportPosition(3), 3);
        QTest::mousePress(top->viewport(), Qt::LeftButton, {}, edge);
        QTest::mouseMove(top->viewport(), edge + QPoint(40, 0));
        QTest::mouseRelease(top->viewport(), Qt::LeftButton, {}, edge + QPoint(40, 0));
        QCOMPARE(view.columnWidth(3), width);
    }

    // How long it takes is bench_controls' business.
    void fortyThousandRowsAtOnce() {
        ReportGridModel grid(summaryColumns(), true);
        ReportGridView view;
        view.setModel(&grid);
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy resets(&grid, &QAbstractItemModel::modelReset);
        grid.setRows(summaryRows(test::largeSummary(40000)));
        QCOMPARE(resets.size(), 1);
        QCOMPARE(view.model()->rowCount(), 40000);
        QCOMPARE(view.currentCell().row, 0);
        QVERIFY(view.updatesEnabled());
        view.scrollToBottom();
        QVERIFY(view.rowAt(view.viewport()->height() - 2) > 39000);
    }

    // The departments as "code name" under their parents, a picture for the
    // top level and another below; a tick on a box takes the subtree along
    // and is told, a click on the text is a click; a search's part of the
    // tree has its own rows, and ticks in it act on the whole tree.
    void treeShowsTicksAndClicks() {
        DeptTreeModel departments;
        QAbstractItemModelTester tester(&departments,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        DeptTreeView view;
        view.setModel(&departments);
        departments.setTree(smallTree());
        view.resize(300, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(departments.rowCount(), 2);
        const QModelIndex finance = departments.index(0, 0, departments.index(0, 0));
        QCOMPARE(finance.data().toString(), u"D0101 财务部"_s);
        QCOMPARE(departments.parent(departments.indexOf(2)), finance);
        QVERIFY(departments.index(0, 0).data(Qt::DecorationRole).isValid());
        QVERIFY(finance.data(Qt::DecorationRole).isValid());

        view.setDepartmentExpanded(0, true);
        QSignalSpy ticked(&departments, &DeptTreeModel::departmentTicked);
        QSignalSpy clicked(&view, &DeptTreeView::departmentClicked);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.checkBoxRect(finance).center());
        QCOMPARE(ticked.size(), 1);
        QCOMPARE(departments.selection().tickedCodes(), (QStringList{u"D0101"_s, u"D010101"_s}));
        QCOMPARE(clicked.size(), 0);
        const QRect row = view.visualRect(finance);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          QPoint(row.right() - 5, row.center().y()));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][0].toInt(), 1);
        QCOMPARE(view.currentDepartment(), 1);

        departments.showOnly({2});
        QCOMPARE(departments.rowCount(), 1);
        QCOMPARE(departments.indexOf(3), QModelIndex());
        QVERIFY(view.isExpanded(departments.indexOf(1)));
        departments.setData(departments.indexOf(0), Qt::Checked, Qt::CheckStateRole);
        departments.showAll();
        QCOMPARE(departments.selection().tickedCount(), 4);
        QCOMPARE(departments.rowCount(), 2);
    }

    void fiveThousandDepartments() {
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
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        departments.setTree(DeptTree::fromRows(rows));
        QCOMPARE(departments.tree().size(), 5000);
        QCOMPARE(view.model()->rowCount(), 100);
        QCOMPARE(departments.rowCount(departments.index(99, 0)), 49);
    }
};

QTEST_MAIN(TestReportViews)
#include "tst_report_views.moc"
