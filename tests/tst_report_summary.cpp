// The summary run, its subtotals and totals, the grid click rules and the
// detail listing, driven through the report window over SQLite fixtures.

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "db/SharedConnection.h"
#include "report/AmountText.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/FlexGridView.h"
#include "report/ui/ReportWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

QStringList row(const FlexGridModel& g, int r, int first = 0, int last = 17) {
    QStringList t;
    for (int c = first; c <= last; ++c)
        t << g.textMatrix(r, c);
    return t;
}

QStringList months(const FlexGridModel& g, int r) {
    return row(g, r, 4, 16);
}

QStringList monthsWith(std::initializer_list<std::pair<int, QString>> values,
                       const QString& total) {
    QStringList t(12);
    for (const auto& [m, v] : values)
        t[m - 1] = v;
    t << total;
    return t;
}

} // namespace

class TestReportSummary : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;
    std::unique_ptr<ReportWindow> m_window;

    ReportWindow& window() { return *m_window; }
    void openWindow() {
        m_window = std::make_unique<ReportWindow>();
        m_window->show();
        m_window->load();
        m_window->findChild<QComboBox*>(u"Combo1"_s)->setCurrentText(u"2026年"_s);
    }
    void tick(std::initializer_list<const char*> codes) {
        TreeNodesModel& n = window().nodes();
        for (const char* code : codes)
            n.userCheck(n.indexOfKey(u'$' + QString::fromUtf8(code)), true);
    }
    void run() {
        QTest::mouseClick(window().findChild<QPushButton*>(u"Command3"_s), Qt::LeftButton);
    }
    void click(int r, int c) { window().grid1().userClick(r, c); }
    QPushButton* btnB() { return window().findChild<QPushButton*>(u"btnB"_s); }

private slots:
    void initTestCase() {
        m_db = m_dir.filePath(u"summary.db"_s);
        test::FixtureDb db(m_db);
        db.addDepartment(u"0102"_s, u"财务部"_s);
        db.addDepartment(u"0103"_s, u"人事部"_s);
        db.addDepartment(u"0104"_s, u"财务部"_s); // the same name, another department
        db.addDepartment(u"0105"_s, u"小计组"_s);
        db.addDepartment(u"0106"_s, u"空部门"_s);
        db.addDepartment(u"08'x"_s, u"引号部门"_s);
        db.addDepartment(u"0107"_s, u"大额部"_s);
        db.addDepartment(u"0108"_s, u"大额一部"_s);
        db.addDepartment(u"0109"_s, u"大额二部"_s);
        db.addSubject(u"6602"_s, u"管理费用"_s);
        db.addSubject(u"660201"_s, u"办公费"_s);
        db.addSubject(u"0501"_s, u"研究费"_s);
        db.addSubject(u"S1"_s, u"甲"_s);
        db.addSubject(u"S2"_s, u"乙"_s);
        db.addSubject(u"S3"_s, u"丙"_s);
        db.addSubject(u"66'01"_s, u"引号科目"_s);
        auto claim = [&](const char* dept, const char* date, const char* type = "非预算") {
            return db.addClaim(u"000%1"_s.arg(QString::fromUtf8(dept)), QString::fromUtf8(dept),
                               QString::fromUtf8(date), QString::fromUtf8(type));
        };
        // 财务部 0102: a parent and a child subject, a negative month, a NULL tax.
        qint64 c = claim("0102", "2026-01-15");
        db.addLine(c, u"6602"_s, 100.0, 6.0, u"办公用品"_s);
        db.addLine(c, u"6602"_s, 20.5, QVariant());
        c = claim("0102", "2026-02-03 09:30:00");
        db.addLine(c, u"6602"_s, -30.0, QVariant(), u"冲销"_s);
        c = claim("0102", "2026-03-31");
        db.addLine(c, u"660201"_s, 50.5, QVariant());
        c = claim("0102", "2026-01-20", "预算"); // another type never counts
        db.addLine(c, u"6602"_s, 999.0, 0.0);
        c = claim("0102", "2025-12-31"); // another year never counts
        db.addLine(c, u"6602"_s, 888.0, 0.0);
        c = claim("0102", "2027-01-01");
        db.addLine(c, u"6602"_s, 777.0, 0.0);
        // 人事部 0103: three values each ending in a third decimal of 5.
        c = claim("0103", "2026-05-10");
        db.addLine(c, u"S1"_s, 1.005, QVariant());
        db.addLine(c, u"S2"_s, 2.015, QVariant());
        db.addLine(c, u"S3"_s, 3.025, QVariant());
        // 财务部 0104 and 小计组 0105.
        c = claim("0104", "2026-12-01");
        db.addLine(c, u"0501"_s, 1234.5, 0.0);
        c = claim("0105", "2026-06-06");
        db.addLine(c, u"6602"_s, 10.0, 1.0);
        // Codes with an apostrophe.
        c = claim("08'x", "2026-07-07");
        db.addLine(c, u"66'01"_s, 5.0, 0.25);
        // Totals longer than every amount they add up.
        c = claim("0107", "2026-08-08");
        db.addLine(c, u"S1"_s, 600000000.0, QVariant());
        db.addLine(c, u"S2"_s, 600000000.0, QVariant());
        for (const char* dept : {"0108", "0109"})
            db.addLine(claim(dept, "2026-08-08"), u"S1"_s, 600000000.0, QVariant());
        db.close();
        test::FakePrompts prompts;
        QVERIFY(test::connectToFile(m_db));
    }
    void init() { openWindow(); }
    void cleanup() { m_window.reset(); }

    void twoDepartmentsWithSubtotalsAndTotal() {
        test::FakePrompts prompts;
        tick({"0102", "0103"});
        run();
        QVERIFY(prompts.recorded.isEmpty());
        const FlexGridModel& g = window().grid1();
        QCOMPARE(g.rows(), 1 + 2 + 1 + 3 + 1 + 1);
        QCOMPARE(row(g, 1, 0, 3), (QStringList{u"1"_s, u"财务部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(row(g, 2, 0, 3), (QStringList{u"2"_s, u"财务部"_s, u"660201"_s, u"办公费"_s}));
        // Parent code: only its own lines; NULL tax counts 0; negative month.
        QCOMPARE(months(g, 1), monthsWith({{1, u"126.50"_s}, {2, u"-30.00"_s}}, u"96.50"_s));
        // March only, NULL tax.
        QCOMPARE(months(g, 2), monthsWith({{3, u"50.50"_s}}, u"50.50"_s));
        QCOMPARE(row(g, 3, 0, 3), (QStringList{u"3"_s, u"财务部小计"_s, QString(), QString()}));
        QCOMPARE(months(g, 3), (QStringList{u"126.50"_s, u"-30.00"_s, u"50.50"_s, u"0.00"_s,
                                            u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s, u"0.00"_s,
                                            u"0.00"_s, u"0.00"_s, u"0.00"_s, u"147.00"_s}));
        QCOMPARE(g.textMatrix(3, 17), u"0102"_s);
        for (int c = 0; c < 18; ++c)
            QCOMPARE(g.backColor(3, c), QColor(192, 255, 255));
        QCOMPARE(g.textMatrix(4, 1), u"人事部"_s);
        QCOMPARE(g.textMatrix(4, 8), u"1.01"_s);
        QCOMPARE(g.textMatrix(5, 8), u"2.02"_s);
        QCOMPARE(g.textMatrix(6, 8), u"3.03"_s);
        QCOMPARE(g.textMatrix(7, 8), u"6.06"_s); // the sum of the rounded texts, not 6.05
        QCOMPARE(g.textMatrix(7, 0), u"7"_s);
        // Grand total: the sum of the subtotal rows, coloured, no number.
        QCOMPARE(row(g, 8, 0, 3), (QStringList{QString(), u"合计"_s, QString(), QString()}));
        QCOMPARE(g.textMatrix(8, 4), u"126.50"_s);
        QCOMPARE(g.textMatrix(8, 8), u"6.06"_s);
        QCOMPARE(g.textMatrix(8, 16), u"153.06"_s);
        QCOMPARE(g.textMatrix(8, 17), QString());
        for (int c = 0; c < 18; ++c)
            QCOMPARE(g.backColor(8, c), QColor(128, 128, 255));
        QCOMPARE(window().currentDeptCode(), u"0103"_s);
        QCOMPARE(window().currentDeptName(), u"人事部"_s);
        QVERIFY(!window().findChild<QWidget*>(u"Picture6"_s)->isVisible());
        QCOMPARE(window().findChild<QLabel*>(u"Label5"_s)->text(), u"第 2 / 2 个部门"_s);
    }

    void sameNamesSubtotalMarksAndHostileCodes() {
        test::FakePrompts prompts;
        tick({"0102", "0104", "0105", "0106", "08'x"});
        run();
        const FlexGridModel& g = window().grid1();
        // 0102: 2 rows + subtotal; 0104: 1 + 1; 0105: 1 + 1; 0106 adds nothing; 08'x: 1 + 1.
        QCOMPARE(g.rows(), 1 + 3 + 2 + 2 + 2 + 1);
        QCOMPARE(g.textMatrix(5, 1), u"财务部小计"_s);
        QCOMPARE(g.textMatrix(5, 16), u"1234.50"_s); // its own department only
        QCOMPARE(g.textMatrix(3, 16), u"147.00"_s);
        // A department whose name holds "小计" is an ordinary department: its
        // data row has its figures, its subtotal and the grand total count them,
        // its cells open their listing.
        QCOMPARE(g.textMatrix(6, 1), u"小计组"_s);
        QCOMPARE(months(g, 6), monthsWith({{6, u"11.00"_s}}, u"11.00"_s));
        QCOMPARE(g.textMatrix(7, 1), u"小计组小计"_s);
        QCOMPARE(g.textMatrix(7, 16), u"11.00"_s);
        // Codes with an apostrophe find their claims.
        QCOMPARE(row(g, 8, 1, 3), (QStringList{u"引号部门"_s, u"66'01"_s, u"引号科目"_s}));
        QCOMPARE(g.textMatrix(8, 10), u"5.25"_s);
        QCOMPARE(g.textMatrix(10, 16), u"1397.75"_s);
        click(6, 9);
        QVERIFY(btnB()->isVisible());
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QCOMPARE(window().grid2().textMatrix(1, 11), u"11.00"_s);
        click(7, 9);
        QVERIFY(!btnB()->isVisible());
    }

    void runningTwiceGivesTheSameGrid() {
        test::FakePrompts prompts;
        tick({"0102", "0103", "0104"});
        run();
        QStringList first;
        for (int r = 0; r < window().grid1().rows(); ++r)
            first << row(window().grid1(), r);
        const int width = window().grid1().colWidth(1);
        run();
        QStringList second;
        for (int r = 0; r < window().grid1().rows(); ++r)
            second << row(window().grid1(), r);
        QCOMPARE(second, first);
        QCOMPARE(window().grid1().colWidth(1), width);
    }

    void nothingTickedOrNoClaims() {
        test::FakePrompts prompts;
        run();
        QCOMPARE(window().grid1().rows(), 1);
        tick({"0106"});
        run();
        QCOMPARE(window().grid1().rows(), 1); // no subtotal, no grand total
        QVERIFY(prompts.recorded.isEmpty());
    }

    void columnsOnlyWiden_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("a name wider than its column") << QStringList{u"0105"_s};
        QTest::newRow("a subtotal wider than its rows") << QStringList{u"0107"_s};
        QTest::newRow("a grand total wider than every subtotal")
            << QStringList{u"0108"_s, u"0109"_s};
    }
    // Each column ends as wide as its widest text plus 90 twips, subtotal and
    // grand-total cells included, or as its header made it when that is wider.
    void columnsOnlyWiden() {
        QFETCH(QStringList, codes);
        test::FakePrompts prompts;
        FlexGridModel& g = window().grid1();
        std::vector<int> expected;
        for (int c = 0; c <= 16; ++c)
            expected.push_back(g.colWidth(c));
        for (const QString& code : codes)
            window().nodes().userCheck(window().nodes().indexOfKey(u'$' + code), true);
        run();
        QVERIFY(g.rows() > 1);
        for (int r = 1; r < g.rows(); ++r)
            for (int c = 0; c <= 16; ++c)
                expected[size_t(c)] = std::max(
                    expected[size_t(c)], int(std::lround(g.textWidth(g.textMatrix(r, c)) + 90)));
        for (int c = 0; c <= 16; ++c)
            QCOMPARE(g.colWidth(c), expected[size_t(c)]);
        QCOMPARE(g.colWidth(17), 0);
    }

    void clickRulesForTheDrillDownButton() {
        test::FakePrompts prompts;
        tick({"0102"});
        run();
        FlexGridModel& g = window().grid1();
        auto* panel = window().findChild<QWidget*>(u"Picture7"_s);
        click(1, 4); // non-zero month of a data row
        QVERIFY(btnB()->isVisible());
        QCOMPARE(btnB()->width(), 200 / 15);
        const QPoint gridPos = window().grid1View().pos();
        QCOMPARE(btnB()->x(), gridPos.x() + window().grid1View().cellLeft() / 15);
        QCOMPARE(btnB()->y(), gridPos.y() + window().grid1View().cellTop() / 15);
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
        click(1, 4);
        QScrollBar* scroll = window().grid1View().horizontalScrollBar();
        const int x = btnB()->x();
        scroll->setValue(scroll->singleStep());
        QVERIFY(btnB()->isVisible());
        QVERIFY(btnB()->x() < x);
        QCOMPARE(btnB()->x(), gridPos.x() + window().grid1View().cellLeft() / 15);
        scroll->setValue(scroll->maximum());
        QVERIFY(!btnB()->isVisible());
        scroll->setValue(0);
        QVERIFY(btnB()->isVisible());
        QCOMPARE(btnB()->x(), x);
        QTest::keyClick(&window().grid1View(), Qt::Key_Right);
        QVERIFY(!btnB()->isVisible());
        QCOMPARE(g.col(), 5);
        click(1, 4);
        run();
        QVERIFY(!btnB()->isVisible());
        window().grid1().setRows(1);
        click(0, 4); // header only: nothing
        QVERIFY(!btnB()->isVisible());
    }

    void detailListingOfACell() {
        test::FakePrompts prompts;
        tick({"0102"});
        run();
        click(1, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QVERIFY(window().findChild<QWidget*>(u"Picture7"_s)->isVisible());
        QVERIFY(!window().findChild<QWidget*>(u"Picture2"_s)->isEnabled());
        QCOMPARE(window().findChild<QLabel*>(u"Label14"_s)->text(),
                 u"01月份          【管理费用】报销明细"_s);
        QCOMPARE(window().findChild<QLabel*>(u"Label1(5)"_s)->text(), u"部门：财务部"_s);
        const FlexGridModel& d = window().grid2();
        QCOMPARE(d.rows(), 4);
        // One claim's lines in the order of their amounts.
        QCOMPARE(row(d, 1, 0, 11), (QStringList{u"1"_s, u"0000102"_s, u"2026-01-15"_s, u"张三"_s,
                                                QString(), u"是"_s, QString(), u"6602 管理费用"_s,
                                                QString(), u"20.50"_s, QString(), u"20.50"_s}));
        QCOMPARE(row(d, 2, 8, 11),
                 (QStringList{u"办公用品"_s, u"100.00"_s, u"6.00"_s, u"106.00"_s}));
        QCOMPARE(row(d, 3, 0, 11), (QStringList{u"3"_s, u"合计"_s, QString(), QString(), QString(),
                                                QString(), QString(), QString(), QString(),
                                                u"120.50"_s, u"6.00"_s, u"126.50"_s}));
        // The cell and its listing agree.
        QCOMPARE(window().grid1().textMatrix(1, 4), d.textMatrix(3, 11));
        // Clicking a row selects it across.
        window().grid2().userClick(2, 5);
        QCOMPARE(window().grid2().col(), 0);
        QCOMPARE(window().grid2().colSel(), 12);
        QCOMPARE(window().grid2().row(), 2);
    }

    void listingKeepsTheRunYearAndItsWidths() {
        test::FakePrompts prompts;
        tick({"0102"});
        run();
        window().findChild<QComboBox*>(u"Combo1"_s)->setCurrentText(u"2027年"_s);
        click(1, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        const FlexGridModel& d = window().grid2();
        QCOMPARE(d.textMatrix(1, 2), u"2026-01-15"_s); // the run's year, not the box's
        const int summaryWidth = d.colWidth(8);
        QTest::mouseClick(window().findChild<QPushButton*>(u"Command4"_s), Qt::LeftButton);
        QVERIFY(window().findChild<QWidget*>(u"Picture2"_s)->isEnabled());
        QVERIFY(!btnB()->isVisible());
        click(2, 6); // March: one line, no summary text
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QCOMPARE(d.rows(), 3);
        QCOMPARE(d.textMatrix(1, 10), QString());
        QCOMPARE(d.textMatrix(1, 11), u"50.50"_s);
        QCOMPARE(d.colWidth(8), summaryWidth);
    }

    // Lines of one day follow claim number, amount, tax and summary, not the
    // order the database happens to store them in.
    void sameDayLinesInOneOrder() {
        test::FakePrompts prompts;
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
        QVERIFY(test::connectToFile(path));
        FlexGridModel grid;
        grid.setFormatString(detailFormatString());
        LoadDetailList(grid, u"6602"_s, u"01"_s, u"0102"_s, u"2026"_s);
        QStringList lines;
        for (int r = 1; r < grid.rows() - 1; ++r)
            lines << grid.textMatrix(r, 1) + u' ' + row(grid, r, 8, 10).join(u'/');
        QCOMPARE(lines, (QStringList{u"B3 /1.00/"_s, u"B1 /3.00/"_s, u"B1 /9.00/"_s,
                                     u"B2 c/5.00/"_s, u"B2 a/5.00/1.00"_s, u"B2 b/5.00/1.00"_s}));
        QVERIFY(test::connectToFile(m_db));
    }

    void emptyListing() {
        test::FakePrompts prompts;
        FlexGridModel grid;
        grid.setFormatString(detailFormatString());
        LoadDetailList(grid, u"6602"_s, u"11"_s, u"0102"_s, u"2026"_s);
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(row(grid, 1, 0, 11),
                 (QStringList{u"1"_s, u"合计"_s, QString(), QString(), QString(), QString(),
                              QString(), QString(), QString(), u"0.00"_s, u"0.00"_s, u"0.00"_s}));
    }

    void failedRunLeavesTheHeaderOnly() {
        test::FakePrompts prompts;
        tick({"0102", "0103"});
        run();
        QVERIFY(window().grid1().rows() > 1);
        const QString broken = m_dir.filePath(u"broken.db"_s);
        {
            test::FixtureDb db(broken);
            db.exec(u"DROP TABLE 财务科目"_s);
        }
        QVERIFY(test::connectToFile(broken));
        run();
        QVERIFY(test::connectToFile(m_db));
        QCOMPARE(window().grid1().rows(), 1);
        QCOMPARE(prompts.recorded.size(), 1);
        QVERIFY(prompts.recorded[0].text.startsWith(u"错误码: "_s));
        QVERIFY(prompts.recorded[0].text.contains(u" 错误描述: "_s));
        QCOMPARE(prompts.recorded[0].title, u"系统提示"_s);
        QVERIFY(!window().findChild<QWidget*>(u"Picture6"_s)->isVisible());
        QVERIFY(window().grid1().redraw());
    }

    // The database compares codes under its collation; SQL Server's ignores
    // trailing blanks, which a char column adds. A line whose code is spelt
    // with them still counts under its subject, in the cell and in its listing.
    void linesCountUnderTheSubjectTheyJoin() {
        test::FakePrompts prompts;
        const QString path = m_dir.filePath(u"collation.db"_s);
        {
            test::FixtureDb db(path);
            db.exec(u"DROP TABLE 报销单明细"_s);
            db.exec(u"DROP TABLE 财务科目"_s);
            db.exec(u"CREATE TABLE 财务科目 (科目代号 TEXT COLLATE RTRIM PRIMARY KEY,"
                    u" 科目名称 TEXT)"_s);
            db.exec(u"CREATE TABLE 报销单明细 (明细ID INTEGER PRIMARY KEY, 报销单ID INTEGER,"
                    u" 科目代号 TEXT COLLATE RTRIM, 摘要 TEXT, 金额 REAL, 税额 REAL)"_s);
            db.addDepartment(u"0102"_s, u"财务部"_s);
            db.addSubject(u"6602"_s, u"管理费用"_s);
            const qint64 c = db.addClaim(u"0001"_s, u"0102"_s, u"2026-01-15"_s);
            db.addLine(c, u"6602    "_s, 100.0, 6.0);
            db.addLine(c, u"6602    "_s, 20.0);
        }
        QVERIFY(test::connectToFile(path));
        m_window.reset();
        openWindow();
        tick({"0102"});
        run();
        const FlexGridModel& g = window().grid1();
        QCOMPARE(row(g, 1, 2, 3), (QStringList{u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(g, 1), monthsWith({{1, u"126.00"_s}}, u"126.00"_s));
        click(1, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QCOMPARE(window().grid2().rows(), 1 + 2 + 1);
        QCOMPARE(window().grid2().textMatrix(3, 11), u"126.00"_s);
        QVERIFY(prompts.recorded.isEmpty());
        QVERIFY(test::connectToFile(m_db));
    }

    void queryTextsInTheSqlServerDialect() {
        const SqlDialect server(SqlEngine::SqlServer);
        QCOMPARE(
            MonthlySummary::summarySql(server, 2),
            u"select t.ord, 财务科目.科目代号, 财务科目.科目名称, CONVERT(char(6),报批日期,112)"
            u" As 年月, sum (COALESCE(报销单明细.金额,0) + COALESCE(报销单明细.税额,0)) As 月合计"
            u" From 报销单表 Inner join  报销单明细 On 报销单表.报销单ID = 报销单明细.报销单ID"
            u" inner join 财务科目 On 报销单明细.科目代号 = 财务科目.科目代号"
            u" inner join (VALUES (?, ?), (?, ?)) AS t(code, ord) On 部门代号 = t.code"
            u" where 报销类型='非预算' And CONVERT(char(6),报批日期,112) between ? and ?"
            u" GROUP BY t.ord, 财务科目.科目代号, 财务科目.科目名称, CONVERT(char(6),报批日期,112)"
            u" order by LEN(财务科目.科目代号), 财务科目.科目代号, 财务科目.科目名称"_s);
        QVERIFY(detailListSql(server).endsWith(
            u" where 部门代号 = ? And 报销类型='非预算' And CONVERT(char(6),报批日期,112) = ?"
            u" And 报销单明细.科目代号 = ? order by 报销单表.报批日期, 报销单表.报销单编号,"
            u" 报销单表.报销单ID, 报销单明细.科目代号, 报销单明细.金额, 报销单明细.税额,"
            u" CAST(报销单明细.摘要 AS nvarchar(4000))"_s));
    }

    // Every figure of the demo organisation agrees with an independent computation.
    void demoDatabaseIsConsistent() {
        test::FakePrompts prompts;
        const QString demo = m_dir.filePath(u"demo.db"_s);
        QCOMPARE(QProcess::execute(qEnvironmentVariable("NBR_BINARY_DIR") +
                                       u"/tools/nbreport-make-demo"_s,
                                   {u"--base-year"_s, u"2026"_s, demo}),
                 0);
        QVERIFY(test::connectToFile(demo));
        m_window.reset();
        openWindow();
        QTest::mouseClick(window().findChild<QWidget*>(u"Check1"_s), Qt::LeftButton, {},
                          QPoint(5, 5));
        run();
        const FlexGridModel& g = window().grid1();
        QVERIFY(g.rows() > 50);
        // Subtotals are the sums of their rows' texts.
        std::array<double, 17> running{};
        for (int r = 1; r < g.rows() - 1; ++r) {
            const bool subtotal = g.textMatrix(r, 1).endsWith(u"小计"_s);
            for (int c = 4; c <= 16; ++c) {
                if (subtotal) {
                    QCOMPARE(g.textMatrix(r, c), formatAmount(running[size_t(c)]));
                    running[size_t(c)] = 0;
                } else {
                    running[size_t(c)] += amountValue(g.textMatrix(r, c));
                }
            }
        }
        // The grand total equals all non-budget lines of 2026 of the ticked departments,
        // summed here by a separate statement per department.
        double expected = 0;
        const TreeNodesModel& n = window().nodes();
        for (int i = 1; i <= n.count(); ++i) {
            if (!n.checked(i))
                continue;
            Recordset dept = openRecordset(
                u"Select sum(COALESCE(金额,0) + COALESCE(税额,0)) As s From 报销单明细 d"
                u" Join 报销单表 h On h.报销单ID = d.报销单ID Join 财务科目 k On k.科目代号 = "
                u"d.科目代号"
                u" Where h.报销类型 = '非预算' And substr(h.报批日期, 1, 4) = '2026'"
                u" And h.部门代号 = ?"_s,
                {n.key(i).mid(1)});
            expected += amountValue(dept.field(u"s"_s).text());
        }
        QVERIFY(expected > 0);
        QCOMPARE(g.textMatrix(g.rows() - 1, 16), formatAmount(expected));
        // Every month cell equals its listing's total.
        FlexGridModel listing;
        listing.setFormatString(detailFormatString());
        int cells = 0;
        for (int r = 1; r < g.rows() - 1; ++r) {
            if (g.textMatrix(r, 1).contains(u"小计"_s))
                continue;
            for (int m = 1; m <= 12; ++m) {
                const QString cell = g.textMatrix(r, m + 3);
                LoadDetailList(listing, g.textMatrix(r, 2), u"%1"_s.arg(m, 2, 10, QChar(u'0')),
                               g.textMatrix(r, 17), u"2026"_s);
                const QString total = listing.textMatrix(listing.rows() - 1, 11);
                QCOMPARE(cell.isEmpty() ? u"0.00"_s : cell, total);
                QCOMPARE(cell.isEmpty(), listing.rows() == 2);
                ++cells;
            }
        }
        QVERIFY(cells > 100);
        QVERIFY(prompts.recorded.isEmpty());
        QVERIFY(test::connectToFile(m_db));
    }
};

QTEST_MAIN(TestReportSummary)
#include "tst_report_summary.moc"
