// The report grid model and its view offscreen: format strings, row
// handling, the current cell, redraw suspension, user clicks, and the 40 000
// rows a large report loads.

#include "platform/Twips.h"
#include "report/models/FlexGridModel.h"
#include "report/ui/FlexGridView.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

const QString kReportFormat =
    u"^序  |<部门名称      |<科目代号      |<科目名称      |>01月份          |>02月份          |"
    u">03月份          |>04月份          |>05月份          |>06月份          |>07月份          |"
    u">08月份          |>09月份          |>10月份          |>11月份          |>12月份          |"
    u">合计          |"_s;

} // namespace

class TestGridControls : public QObject {
    Q_OBJECT

private slots:
    void formatStringDefinesColumns() {
        FlexGridModel grid;
        grid.setFormatString(kReportFormat);
        QCOMPARE(grid.cols(), 18);
        QCOMPARE(grid.rows(), 1);
        QCOMPARE(grid.textMatrix(0, 0), u"序  "_s);
        QCOMPARE(grid.textMatrix(0, 1), u"部门名称      "_s);
        QCOMPARE(grid.textMatrix(0, 16), u"合计          "_s);
        QCOMPARE(grid.textMatrix(0, 17), QString());
        QCOMPARE(grid.colAlignment(0), FlexGridModel::kAlignCentre);
        QCOMPARE(grid.colAlignment(1), FlexGridModel::kAlignLeft);
        QCOMPARE(grid.colAlignment(4), FlexGridModel::kAlignRight);
        for (int c : {0, 1, 4, 17}) {
            const int expected =
                static_cast<int>(std::lround(grid.textWidth(grid.textMatrix(0, c))));
            QCOMPARE(grid.colWidth(c), expected + FlexGridModel::kHeaderPadding);
        }
        QVERIFY(grid.colWidth(1) > grid.colWidth(0));
        QCOMPARE(grid.colWidth(17), FlexGridModel::kHeaderPadding);

        // A field without an alignment character keeps its first character.
        grid.setFormatString(u"^序  |<名称  |"_s);
        QCOMPARE(grid.cols(), 3);
        grid.setFormatString(u"X名|>金额"_s);
        QCOMPARE(grid.cols(), 2);
        QCOMPARE(grid.textMatrix(0, 0), u"X名"_s);
        QCOMPARE(grid.colAlignment(0), FlexGridModel::kAlignLeft);
        QCOMPARE(grid.textMatrix(0, 1), u"金额"_s);
    }

    void formatStringKeepsBodyRowsAndHeaderFollowsFixedAlignment() {
        FlexGridModel grid;
        grid.setFormatString(u"^序|<名称|>金额"_s);
        grid.setRows(3);
        grid.setTextMatrix(2, 2, u"12.50"_s);
        grid.setFormatString(u"^序|<名称"_s);
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(grid.cols(), 2);
        grid.setCols(3);
        QCOMPARE(grid.textMatrix(2, 2), QString()); // dropped with its column

        const auto alignment = [&](int r, int c) {
            return Qt::Alignment(grid.index(r, c).data(Qt::TextAlignmentRole).toInt());
        };
        QCOMPARE(alignment(0, 1), Qt::AlignLeft | Qt::AlignVCenter);
        grid.setFixedAlignment(1, FlexGridModel::kAlignCentre);
        QCOMPARE(alignment(0, 1), Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(alignment(1, 1), Qt::AlignLeft | Qt::AlignVCenter);
    }

    void rowsOneKeepsHeaderAndPlusOneAppends() {
        FlexGridModel grid;
        QAbstractItemModelTester tester(&grid,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setFormatString(u"^序|<名称"_s);
        grid.setRows(4);
        grid.setTextMatrix(3, 1, u"末行"_s);
        grid.setRows(1);
        QCOMPARE(grid.rows(), 1);
        QCOMPARE(grid.textMatrix(0, 1), u"名称"_s);
        QCOMPARE(grid.rowCount(), 1);

        QSignalSpy inserted(&grid, &QAbstractItemModel::rowsInserted);
        grid.setRows(grid.rows() + 1);
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 1);
        QCOMPARE(inserted[0][2].toInt(), 1);
        QCOMPARE(grid.textMatrix(1, 1), QString()); // the old row 3 did not come back

        grid.setRows(0); // there is always the header row
        QCOMPARE(grid.rows(), 2);
    }

    void currentCellAndOutOfRangeValues() {
        FlexGridModel grid;
        grid.setFormatString(u"^序|<名称|>金额"_s);
        grid.setRows(3);
        grid.setRow(2);
        grid.setCol(1);
        grid.setText(u"财务部"_s);
        QCOMPARE(grid.textMatrix(2, 1), u"财务部"_s);
        grid.setTextMatrix(2, 2, u"10.00"_s);
        grid.setCol(2);
        QCOMPARE(grid.text(), u"10.00"_s);

        grid.setRow(3);
        grid.setCol(-1);
        grid.setColSel(3);
        QCOMPARE(grid.row(), 2);
        QCOMPARE(grid.col(), 2);
        QCOMPARE(grid.colSel(), 2);
        grid.setTextMatrix(3, 0, u"越界"_s);
        QCOMPARE(grid.textMatrix(3, 0), QString());

        grid.setCol(0);
        grid.setColSel(2);
        grid.setRow(1); // Row keeps the selection's columns, Col collapses them
        QCOMPARE(grid.colSel(), 2);
        grid.setCol(1);
        QCOMPARE(grid.colSel(), 1);

        // Shrinking moves a current cell that no longer exists.
        grid.setRow(2);
        grid.setCol(2);
        grid.setRows(2);
        grid.setCols(2);
        QCOMPARE(grid.row(), 1);
        QCOMPARE(grid.col(), 1);
        grid.setCellBackColor(Qt::red); // must stay inside the grid
        QCOMPARE(grid.backColor(1, 1), QColor(Qt::red));
    }

    void colWidthZeroAndCellGeometry() {
        FlexGridModel grid;
        grid.setFormatString(u"^序|<名称|>金额"_s);
        grid.setRows(5);
        QSignalSpy widths(&grid, &FlexGridModel::colWidthChanged);
        grid.setColWidth(0, 500);
        grid.setColWidth(1, 0);
        QCOMPARE(grid.colWidth(1), 0);
        QCOMPARE(widths.size(), 2);
        QCOMPARE(widths[1][0].toInt(), 1);
        QCOMPARE(widths[1][1].toInt(), 0);

        grid.setRow(3);
        grid.setCol(2);
        QCOMPARE(grid.cellLeft(), 500);
        QCOMPARE(grid.cellTop(), 3 * grid.rowHeight(0));
        QCOMPARE(grid.cellWidth(), grid.colWidth(2));

        QFont big = grid.measureFont();
        big.setPointSize(20);
        const int small = grid.rowHeight(1);
        grid.setMeasureFont(big);
        QVERIFY(grid.rowHeight(1) > small);
    }

    void cellBackColorOnlyOnCurrentCell() {
        FlexGridModel grid;
        grid.setFormatString(u"^序|<名称|>金额"_s);
        grid.setRows(3);
        grid.setRow(1);
        grid.setCol(2);
        grid.setColSel(0);
        QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
        grid.setCellBackColor(QColor(255, 255, 192));
        QCOMPARE(grid.cellBackColor(), QColor(255, 255, 192));
        QCOMPARE(grid.backColor(1, 2), QColor(255, 255, 192));
        QVERIFY(!grid.backColor(1, 1).isValid());
        QVERIFY(!grid.backColor(2, 2).isValid());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), grid.index(1, 2));

        const QColor button = QGuiApplication::palette().color(QPalette::Button);
        QCOMPARE(grid.index(1, 2).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 192));
        QCOMPARE(grid.index(0, 2).data(Qt::BackgroundRole).value<QColor>(), button);
        QCOMPARE(grid.index(2, 0).data(Qt::BackgroundRole).value<QColor>(), button);
        QVERIFY(!grid.index(2, 2).data(Qt::BackgroundRole).isValid());
    }

    void redrawOffGivesOneResetAndConsistentCounts() {
        FlexGridModel grid;
        QAbstractItemModelTester tester(&grid,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setFormatString(u"^序|<名称|>金额"_s);
        QSignalSpy aboutToReset(&grid, &QAbstractItemModel::modelAboutToBeReset);
        QSignalSpy reset(&grid, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&grid, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
        int rowsSeenAtReset = -1;
        connect(&grid, &QAbstractItemModel::modelReset, this,
                [&] { rowsSeenAtReset = grid.rowCount(); });

        grid.setRedraw(false);
        QCOMPARE(aboutToReset.size(), 0); // nothing changed yet
        for (int r = 1; r <= 100; ++r) {
            grid.setRows(grid.rows() + 1);
            grid.setTextMatrix(r, 1, QString::number(r));
        }
        grid.setRows(51);
        grid.setFormatString(u"^序|<名称|>金额|>合计"_s);
        QCOMPARE(aboutToReset.size(), 1);
        QCOMPARE(reset.size(), 0);
        grid.setRedraw(true);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(rowsSeenAtReset, 51);
        QCOMPARE(grid.columnCount(), 4);
        QCOMPARE(inserted.size(), 0);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(grid.index(50, 1).data().toString(), u"50"_s);

        grid.setRedraw(true); // no second end of reset
        grid.setRows(52);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(inserted.size(), 1);
    }

    void userClickSetsCurrentCellBeforeClick() {
        FlexGridModel grid;
        grid.setFormatString(u"^序|<名称|>金额"_s);
        grid.setRows(4);
        grid.setColSel(2);
        QList<QPoint> seen;
        connect(&grid, &FlexGridModel::click, this, [&] { seen.append({grid.col(), grid.row()}); });
        grid.userClick(3, 1);
        QCOMPARE(seen, QList<QPoint>({QPoint(1, 3)}));
        QCOMPARE(grid.colSel(), 1);
        grid.userClick(4, 1); // outside the grid: no click
        QCOMPARE(seen.size(), 1);
    }

    // How long it takes is bench_controls' business.
    void fortyThousandRowsAppend() {
        FlexGridModel grid;
        grid.setFormatString(kReportFormat);
        for (int r = 1; r <= 40000; ++r) {
            grid.setRows(grid.rows() + 1);
            grid.setTextMatrix(r, 1, u"部门"_s);
            grid.setTextMatrix(r, 16, QString::number(r));
        }
        QCOMPARE(grid.rows(), 40001);
        QCOMPARE(grid.textMatrix(40000, 16), u"40000"_s);
    }

    // --- The view, offscreen -------------------------------------------

    void gridViewShowsModelAndHandsOnClicks() {
        FlexGridModel grid;
        grid.setFormatString(u"^序  |<名称      |>金额      "_s);
        grid.setRows(200);
        grid.setColWidth(1, 0);
        FlexGridView view;
        view.setModel(&grid);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QVERIFY(view.isColumnHidden(1));
        QCOMPARE(view.columnWidth(2), twipsToPixels(grid.colWidth(2)));
        grid.setColWidth(1, 1500);
        QVERIFY(!view.isColumnHidden(1));
        QCOMPARE(view.columnWidth(1), twipsToPixels(1500));
        QCOMPARE(view.rowHeight(5), twipsToPixels(grid.rowHeight(5)));
        QFont big = grid.measureFont();
        big.setPointSize(24);
        grid.setMeasureFont(big);
        QCOMPARE(view.rowHeight(5), twipsToPixels(grid.rowHeight(5)));
        QStyleOptionViewItem option;
        QCOMPARE(QColor::fromRgb(static_cast<QRgb>(
                     view.style()->styleHint(QStyle::SH_Table_GridLineColor, &option, &view))),
                 QColor(192, 192, 192));

        QSignalSpy click(&grid, &FlexGridModel::click);
        const QRect cell = view.visualRect(grid.index(3, 2));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(click.size(), 1);
        QCOMPARE(grid.row(), 3);
        QCOMPARE(grid.col(), 2);
        QCOMPARE(view.cellLeft(), pixelsToTwips(view.viewport()->x() + cell.left()));

        // The whole row shows selected when the selection spans it.
        grid.setCol(0);
        grid.setColSel(grid.cols() - 1);
        QVERIFY(view.selectionModel()->isRowSelected(3, {}));

        // Scrolling moves the view's cell position, not the model's.
        grid.setRow(150);
        const int topBefore = view.cellTop();
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() + 20);
        QCOMPARE(view.cellTop(), topBefore - pixelsToTwips(20 * view.rowHeight(1)));
        QCOMPARE(grid.cellTop(), 150 * grid.rowHeight(0));

        // Scrolled to the bottom right, the fixed row still heads the columns
        // and the fixed column still numbers the rows; clicking them clicks
        // their fixed cells, and dragging a header edge resizes nothing.
        view.scrollToBottom();
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QHeaderView* top = view.horizontalHeader();
        QHeaderView* left = view.verticalHeader();
        QVERIFY(top->isVisible() && left->isVisible());
        QVERIFY(top->geometry().bottom() < view.viewport()->geometry().top());
        QCOMPARE(left->width(), twipsToPixels(grid.colWidth(0)));
        QCOMPARE(top->sectionViewportPosition(2), view.columnViewportPosition(2));
        QTest::mouseClick(top->viewport(), Qt::LeftButton, {},
                          QPoint(top->sectionViewportPosition(2) + 3, 3));
        QCOMPARE(click.size(), 2);
        QCOMPARE(grid.row(), 0);
        QCOMPARE(grid.col(), 2);
        QTest::mouseClick(left->viewport(), Qt::LeftButton, {},
                          QPoint(3, view.rowViewportPosition(199) + 3));
        QCOMPARE(grid.row(), 199);
        QCOMPARE(grid.col(), 0);
        QTest::mouseClick(view.findChild<QAbstractButton*>(), Qt::LeftButton); // the corner
        QCOMPARE(click.size(), 4);
        QCOMPARE(grid.row(), 0);
        QCOMPARE(grid.col(), 0);
        const QPoint edge(top->sectionViewportPosition(2), 3);
        QTest::mousePress(top->viewport(), Qt::LeftButton, {}, edge);
        QTest::mouseMove(top->viewport(), edge + QPoint(40, 0));
        QTest::mouseRelease(top->viewport(), Qt::LeftButton, {}, edge + QPoint(40, 0));
        QCOMPARE(view.columnWidth(1), twipsToPixels(1500));
    }

    void gridViewCatchesUpAfterRedraw() {
        FlexGridModel grid;
        grid.setFormatString(kReportFormat);
        FlexGridView view;
        view.setModel(&grid);
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        grid.setRedraw(false);
        for (int r = 1; r <= 40000; ++r) {
            grid.setRows(grid.rows() + 1);
            grid.setTextMatrix(r, 16, QString::number(r));
        }
        grid.setColWidth(3, 0);
        grid.setRedraw(true);
        QCOMPARE(view.model()->rowCount(), 40001);
        QVERIFY(view.isColumnHidden(3));
        QVERIFY(view.updatesEnabled());
        view.scrollToBottom();
        QCOMPARE(view.rowAt(view.viewport()->height() - 2) > 39000, true);
    }
};

QTEST_MAIN(TestGridControls)
#include "tst_grid_controls.moc"
