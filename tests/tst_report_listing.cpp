// The drill-down of the summary grid: when the drill-down button shows and
// where it stands, the detail listing of a cell, its order, its year and
// widths, and an empty listing, driven through the report window over
// SQLite fixtures.

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "ModelDumps.h"
#include "ReportFixtures.h"
#include "ReportWindowDriver.h"
#include "report/DetailListing.h"
#include "report/models/FlexGridModel.h"
#include "report/ui/FlexGridView.h"
#include "report/ui/ReportWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestReportListing : public QObject, ReportWindowDriver {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;

private slots:
    void initTestCase() {
        m_db = m_dir.filePath(u"summary.db"_s);
        test::writeSummaryDatabase(m_db);
    }
    void init() { openWindow(m_db); }
    void cleanup() { closeWindow(); }

    void clickRulesForTheDrillDownButton() {
        tick({"0102"});
        run();
        FlexGridModel& g = window().summaryGrid();
        auto* panel = window().findChild<QWidget*>(u"detailPanel"_s);
        click(1, 4); // non-zero month of a data row
        QVERIFY(btnB()->isVisible());
        QCOMPARE(btnB()->width(), 200 / 15);
        const QPoint gridPos = window().summaryView().pos();
        QCOMPARE(btnB()->x(), gridPos.x() + window().summaryView().cellLeft() / 15);
        QCOMPARE(btnB()->y(), gridPos.y() + window().summaryView().cellTop() / 15);
        click(1, 6); // empty month
        QVERIFY(!btnB()->isVisible());
        click(1, 5); // negative month is non-zero
        QVERIFY(btnB()->isVisible());
        panel->show();
        click(3, 4); // subtotal row: the button goes, the panel stays as it was
        QVERIFY(!btnB()->isVisible());
        QVERIFY(panel->isVisible());
        click(1, 4);
        QVERIFY(btnB()->isVisible());
        QVERIFY(!panel->isVisible());
        click(g.rows() - 1, 4); // grand-total row
        QVERIFY(!btnB()->isVisible());
        click(1, 4);
        panel->show();
        click(1, 16); // the total column: button and panel go
        QVERIFY(!btnB()->isVisible());
        QVERIFY(!panel->isVisible());
        click(1, 4);
        click(1, 2); // a name column
        QVERIFY(!btnB()->isVisible());

        // The button moves with its cell when the grid scrolls, hides while the
        // cell is out of view or the keyboard moves on, and a new run takes it away.
        window().resize(900, 600);
        click(1, 5); // February: January is the first month to scroll under the names
        QScrollBar* scroll = window().summaryView().horizontalScrollBar();
        const int x = btnB()->x();
        scroll->setValue(scroll->singleStep());
        QVERIFY(btnB()->isVisible());
        QVERIFY(btnB()->x() < x);
        QCOMPARE(btnB()->x(), gridPos.x() + window().summaryView().cellLeft() / 15);
        scroll->setValue(scroll->maximum());
        QVERIFY(!btnB()->isVisible());
        scroll->setValue(0);
        QVERIFY(btnB()->isVisible());
        QCOMPARE(btnB()->x(), x);
        QTest::keyClick(&window().summaryView(), Qt::Key_Right);
        QVERIFY(!btnB()->isVisible());
        QCOMPARE(g.col(), 6);
        click(1, 6);
        scroll->setValue(scroll->maximum());
        // A run leaves the user at the top left, on the first data row's
        // January, with the button there as a key would put it.
        run();
        QCOMPARE(scroll->value(), 0);
        QCOMPARE(g.row(), 1);
        QCOMPARE(g.col(), 4);
        QVERIFY(btnB()->isVisible());
        window().summaryGrid().setRows(1);
        click(0, 4); // header only: nothing
        QVERIFY(!btnB()->isVisible());
    }

    void detailListingOfACell() {
        tick({"0102"});
        run();
        click(1, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QVERIFY(window().findChild<QWidget*>(u"detailPanel"_s)->isVisible());
        QVERIFY(!window().findChild<QWidget*>(u"leftPanel"_s)->isEnabled());
        QCOMPARE(window().findChild<QLabel*>(u"listingLabel"_s)->text(),
                 u"01月份          【管理费用】报销明细"_s);
        QCOMPARE(window().findChild<QLabel*>(u"detailDeptLabel"_s)->text(), u"部门：财务部"_s);
        const FlexGridModel& d = window().detailGrid();
        QCOMPARE(d.rows(), 4);
        // One claim's lines in the order of their amounts.
        QCOMPARE(gridRow(d, 1, 0, 11),
                 (QStringList{u"1"_s, u"0000102"_s, u"2026-01-15"_s, u"张三"_s, QString(), u"是"_s,
                              QString(), u"6602 管理费用"_s, QString(), u"20.50"_s, QString(),
                              u"20.50"_s}));
        QCOMPARE(gridRow(d, 2, 8, 11),
                 (QStringList{u"办公用品"_s, u"100.00"_s, u"6.00"_s, u"106.00"_s}));
        QCOMPARE(
            gridRow(d, 3, 0, 11),
            (QStringList{u"3"_s, u"合计"_s, QString(), QString(), QString(), QString(), QString(),
                         QString(), QString(), u"120.50"_s, u"6.00"_s, u"126.50"_s}));
        // The cell and its listing agree.
        QCOMPARE(window().summaryGrid().textMatrix(1, 4), d.textMatrix(3, 11));
        // Clicking a row selects it across.
        window().detailGrid().userClick(2, 5);
        QCOMPARE(window().detailGrid().col(), 0);
        QCOMPARE(window().detailGrid().colSel(), 12);
        QCOMPARE(window().detailGrid().row(), 2);
    }

    void listingKeepsTheRunYearAndItsWidths() {
        tick({"0102"});
        run();
        window().findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2027年"_s);
        click(1, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        const FlexGridModel& d = window().detailGrid();
        QCOMPARE(d.textMatrix(1, 2), u"2026-01-15"_s); // the run's year, not the box's
        const int summaryWidth = d.colWidth(8);
        QTest::mouseClick(window().findChild<QPushButton*>(u"closeDetailButton"_s), Qt::LeftButton);
        QVERIFY(window().findChild<QWidget*>(u"leftPanel"_s)->isEnabled());
        QVERIFY(btnB()->isVisible()); // back on the listing's cell
        click(2, 6);                  // March: one line, no summary text
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QCOMPARE(d.rows(), 3);
        QCOMPARE(d.textMatrix(1, 10), QString());
        QCOMPARE(d.textMatrix(1, 11), u"50.50"_s);
        QCOMPARE(d.colWidth(8), summaryWidth);
    }

    // Lines of one day follow claim number, amount, tax and summary, not the
    // order the database happens to store them in.
    void sameDayLinesInOneOrder() {
        const QString path = m_dir.filePath(u"same-day.db"_s);
        {
            test::FixtureDb db(path);
            db.addDepartment(u"0102"_s, u"财务部"_s);
            db.addSubject(u"6602"_s, u"管理费用"_s);
            const qint64 second = db.addClaim(u"B2"_s, u"0102"_s, u"2026-01-15"_s);
            const qint64 first = db.addClaim(u"B1"_s, u"0102"_s, u"2026-01-15"_s);
            db.addLine(second, u"6602"_s, 5.0, 1.0, u"b"_s);
            db.addLine(second, u"6602"_s, 5.0, 1.0, u"a"_s);
            db.addLine(second, u"6602"_s, 5.0, QVariant(), u"c"_s);
            db.addLine(first, u"6602"_s, 9.0);
            db.addLine(first, u"6602"_s, 3.0);
            db.addLine(db.addClaim(u"B3"_s, u"0102"_s, u"2026-01-02"_s), u"6602"_s, 1.0);
        }
        QVERIFY(context().connectToFile(path));
        FlexGridModel grid;
        showListing(
            grid, loadListing(context().db(), {u"0102"_s, {}, u"6602"_s, {}, u"2026"_s, u"01"_s}));
        QStringList lines;
        for (int r = 1; r < grid.rows() - 1; ++r)
            lines << grid.textMatrix(r, 1) + u' ' + gridRow(grid, r, 8, 10).join(u'/');
        QCOMPARE(lines, (QStringList{u"B3 /1.00/"_s, u"B1 /3.00/"_s, u"B1 /9.00/"_s,
                                     u"B2 c/5.00/"_s, u"B2 a/5.00/1.00"_s, u"B2 b/5.00/1.00"_s}));
    }

    void emptyListing() {
        FlexGridModel grid;
        showListing(
            grid, loadListing(context().db(), {u"0102"_s, {}, u"6602"_s, {}, u"2026"_s, u"11"_s}));
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(gridRow(grid, 1, 0, 11),
                 (QStringList{u"1"_s, u"合计"_s, QString(), QString(), QString(), QString(),
                              QString(), QString(), QString(), u"0.00"_s, u"0.00"_s, u"0.00"_s}));
    }
};

QTEST_MAIN(TestReportListing)
#include "tst_report_listing.moc"
