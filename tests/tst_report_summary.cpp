// The summary run, its subtotals and totals and the widths they give the
// grid, driven through the report window over SQLite fixtures; a failing
// run, codes under the database's collation, the SQL Server texts, and the
// demo organisation checked against an independent computation.

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "ModelDumps.h"
#include "ReportFixtures.h"
#include "ReportWindowDriver.h"
#include "db/Database.h"
#include "report/AmountText.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ReportWindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestReportSummary : public QObject, ReportWindowDriver {
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

    void twoDepartmentsWithSubtotalsAndTotal() {
        test::FakePrompts& prompts = this->prompts();
        tick({"0102", "0103"});
        run();
        QVERIFY(prompts.recorded.isEmpty());
        const FlexGridModel& g = window().summaryGrid();
        QCOMPARE(g.rows(), 1 + 2 + 1 + 3 + 1 + 1);
        QCOMPARE(gridRow(g, 1, 0, 3), (QStringList{u"1"_s, u"财务部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(gridRow(g, 2, 0, 3), (QStringList{u"2"_s, u"财务部"_s, u"660201"_s, u"办公费"_s}));
        // Parent code: only its own lines; NULL tax counts 0; negative month.
        QCOMPARE(months(g, 1), monthsWith({{1, u"126.50"_s}, {2, u"-30.00"_s}}, u"96.50"_s));
        // March only, NULL tax.
        QCOMPARE(months(g, 2), monthsWith({{3, u"50.50"_s}}, u"50.50"_s));
        QCOMPARE(gridRow(g, 3, 0, 3), (QStringList{u"3"_s, u"财务部小计"_s, QString(), QString()}));
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
        QCOMPARE(gridRow(g, 8, 0, 3), (QStringList{QString(), u"合计"_s, QString(), QString()}));
        QCOMPARE(g.textMatrix(8, 4), u"126.50"_s);
        QCOMPARE(g.textMatrix(8, 8), u"6.06"_s);
        QCOMPARE(g.textMatrix(8, 16), u"153.06"_s);
        QCOMPARE(g.textMatrix(8, 17), QString());
        for (int c = 0; c < 18; ++c)
            QCOMPARE(g.backColor(8, c), QColor(128, 128, 255));
        QCOMPARE(window().currentDeptCode(), u"0103"_s);
        QCOMPARE(window().currentDeptName(), u"人事部"_s);
        QVERIFY(!window().findChild<QWidget*>(u"waitBox"_s)->isVisible());
        QCOMPARE(window().findChild<QLabel*>(u"waitPhaseLabel"_s)->text(), u"第 2 / 2 个部门"_s);
    }

    void sameNamesSubtotalMarksAndHostileCodes() {
        tick({"0102", "0104", "0105", "0106", "08'x"});
        run();
        const FlexGridModel& g = window().summaryGrid();
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
        QCOMPARE(gridRow(g, 8, 1, 3), (QStringList{u"引号部门"_s, u"66'01"_s, u"引号科目"_s}));
        QCOMPARE(g.textMatrix(8, 10), u"5.25"_s);
        QCOMPARE(g.textMatrix(10, 16), u"1397.75"_s);
        click(6, 9);
        QVERIFY(btnB()->isVisible());
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QCOMPARE(window().detailGrid().textMatrix(1, 11), u"11.00"_s);
        click(7, 9);
        QVERIFY(!btnB()->isVisible());
    }

    void runningTwiceGivesTheSameGrid() {
        tick({"0102", "0103", "0104"});
        run();
        QStringList first;
        for (int r = 0; r < window().summaryGrid().rows(); ++r)
            first << gridRow(window().summaryGrid(), r);
        const int width = window().summaryGrid().colWidth(1);
        run();
        QStringList second;
        for (int r = 0; r < window().summaryGrid().rows(); ++r)
            second << gridRow(window().summaryGrid(), r);
        QCOMPARE(second, first);
        QCOMPARE(window().summaryGrid().colWidth(1), width);
    }

    // Beside the grid's title: the run's year and departments, until the year
    // box moves on. With nothing ticked the run asks for departments instead.
    void whatTheGridShows_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<bool>("headerOnly");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("nothing ticked: asked to tick")
            << QStringList() << true << QString() << QStringList{u"请先勾选部门"_s};
        QTest::newRow("no claims: header only, said so")
            << QStringList{u"0106"_s} << true << u"2026年 · 1 个部门 · 无非预算报销"_s
            << QStringList();
        QTest::newRow("claims: year and departments") << QStringList{u"0102"_s, u"0103"_s} << false
                                                      << u"2026年 · 2 个部门"_s << QStringList();
    }
    void whatTheGridShows() {
        QFETCH(QStringList, codes);
        QFETCH(bool, headerOnly);
        QFETCH(QString, caption);
        QFETCH(QStringList, messages);
        for (const QString& code : codes)
            tick({qPrintable(code)});
        run();
        QCOMPARE(window().summaryGrid().rows() == 1, headerOnly); // no subtotal, no grand total
        QCOMPARE(prompts().messageTexts(), messages);
        auto* label = window().findChild<QLabel*>(u"runLabel"_s);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        // Another year chosen: the figures stay the run's, and say so in red.
        window().findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2027年"_s);
        QCOMPARE(label->text(),
                 caption.isEmpty() ? caption : caption + u" · 统计年度已改为2027年，请重新统计"_s);
        if (!caption.isEmpty())
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }

    // A screen reader hears each control's Chinese name, and the summary as
    // the table it shows: no heading row among the data, no hidden code column.
    void screenReaderNamesAndTable_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("year box") << u"yearBox"_s << u"统计年度"_s;
        QTest::newRow("tree") << u"deptTree"_s << u"部门"_s;
        QTest::newRow("summary") << u"summaryGrid"_s << u"非预算报销月报"_s;
        QTest::newRow("listing") << u"detailGrid"_s << u"明细"_s;
        QTest::newRow("drill-down button") << u"drillDownButton"_s << u"查看明细"_s;
    }
    void screenReaderNamesAndTable() {
        QFETCH(QString, control);
        QFETCH(QString, name);
        auto* widget = window().findChild<QWidget*>(control);
        // The name, or on Linux for a combo box the label it is labelled by.
        QAccessibleInterface* named = QAccessible::queryAccessibleInterface(widget);
        for (const auto& [label, relation] : named->relations(QAccessible::Label))
            named = label;
        QCOMPARE(named->text(QAccessible::Name), name);
        // Every column is headed by a text, not by Qt's stand-in number.
        if (QAccessibleTableInterface* t =
                QAccessible::queryAccessibleInterface(widget)->tableInterface()) {
            for (int c = 0; c < t->columnCount(); ++c) {
                bool number = false;
                t->columnDescription(c).toInt(&number);
                QVERIFY2(!t->columnDescription(c).isEmpty() && !number,
                         qPrintable(t->columnDescription(c)));
            }
        }
        if (control != u"summaryGrid"_s)
            return;
        tick({"0102"});
        run();
        const FlexGridModel& g = window().summaryGrid();
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(widget);
        QAccessibleTableInterface* table = grid->tableInterface();
        QCOMPARE(table->rowCount(), g.rows() - 1);
        QCOMPARE(table->columnCount(), 17);
        QCOMPARE(table->columnDescription(16), u"合计"_s);
        QAccessibleInterface* cell = table->cellAt(0, 1);
        QCOMPARE(cell->text(QAccessible::Name), g.textMatrix(1, 1));
        QCOMPARE(cell->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
                 u"部门名称"_s);
        QCOMPARE(grid->child(grid->indexOfChild(cell)), cell);
        for (int i = 0; i < grid->childCount(); ++i)
            QVERIFY(grid->child(i)->text(QAccessible::Name) != u"0102"_s);
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
        FlexGridModel& g = window().summaryGrid();
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

    void failedRunLeavesTheHeaderOnly() {
        test::FakePrompts& prompts = this->prompts();
        tick({"0102", "0103"});
        run();
        QVERIFY(window().summaryGrid().rows() > 1);
        const QString broken = m_dir.filePath(u"broken.db"_s);
        {
            test::FixtureDb db(broken);
            db.exec(u"DROP TABLE 财务科目"_s);
        }
        QVERIFY(context().connectToFile(broken));
        run();
        QCOMPARE(window().summaryGrid().rows(), 1);
        QCOMPARE(prompts.recorded.size(), 1);
        QVERIFY(prompts.recorded[0].text.startsWith(u"错误码: "_s));
        QVERIFY(prompts.recorded[0].text.contains(u" 错误描述: "_s));
        QCOMPARE(prompts.recorded[0].title, u"系统提示"_s);
        QVERIFY(!window().findChild<QWidget*>(u"waitBox"_s)->isVisible());
        QVERIFY(window().summaryGrid().redraw());
    }

    // The database compares codes under its collation; SQL Server's ignores
    // trailing blanks, which a char column adds. A line whose code is spelt
    // with them still counts under its subject, in the cell and in its listing.
    void linesCountUnderTheSubjectTheyJoin() {
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
        openWindow(path);
        tick({"0102"});
        run();
        const FlexGridModel& g = window().summaryGrid();
        QCOMPARE(gridRow(g, 1, 2, 3), (QStringList{u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(g, 1), monthsWith({{1, u"126.00"_s}}, u"126.00"_s));
        click(1, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QCOMPARE(window().detailGrid().rows(), 1 + 2 + 1);
        QCOMPARE(window().detailGrid().textMatrix(3, 11), u"126.00"_s);
        QVERIFY(prompts().recorded.isEmpty());
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
        const QString demo = m_dir.filePath(u"demo.db"_s);
        QCOMPARE(QProcess::execute(qEnvironmentVariable("NBR_BINARY_DIR") +
                                       u"/tools/nbreport-make-demo"_s,
                                   {u"--base-year"_s, u"2026"_s, demo}),
                 0);
        openWindow(demo);
        QTest::mouseClick(window().findChild<QWidget*>(u"selectAllBox"_s), Qt::LeftButton, {},
                          QPoint(5, 5));
        run();
        const FlexGridModel& g = window().summaryGrid();
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
            Recordset dept = context().db().query(
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
        int cells = 0;
        for (int r = 1; r < g.rows() - 1; ++r) {
            if (g.textMatrix(r, 1).contains(u"小计"_s))
                continue;
            for (int m = 1; m <= 12; ++m) {
                const QString cell = g.textMatrix(r, m + 3);
                showListing(listing,
                            loadListing(context().db(), {g.textMatrix(r, 17),
                                                         {},
                                                         g.textMatrix(r, 2),
                                                         {},
                                                         u"2026"_s,
                                                         u"%1"_s.arg(m, 2, 10, QChar(u'0'))}));
                const QString total = listing.textMatrix(listing.rows() - 1, 11);
                QCOMPARE(cell.isEmpty() ? u"0.00"_s : cell, total);
                QCOMPARE(cell.isEmpty(), listing.rows() == 2);
                ++cells;
            }
        }
        QVERIFY(cells > 100);
        QVERIFY(prompts().recorded.isEmpty());
    }
};

QTEST_MAIN(TestReportSummary)
#include "tst_report_summary.moc"
