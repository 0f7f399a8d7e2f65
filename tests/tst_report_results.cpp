// The report's results without a window, over real SQLite files: the
// department tree and its ticks, the summary with its subtotals and totals,
// the listing of a cell and its order, the widths their grids take, the
// statements in the SQL Server dialect, and the demo organisation checked
// against an independent computation.

#include "FixtureDb.h"
#include "ModelDumps.h"
#include "ReportFixtures.h"
#include "TestContext.h"
#include "platform/TextMeasure.h"
#include "platform/WindowFont.h"
#include "report/AmountText.h"
#include "report/DeptSelection.h"
#include "report/DeptTree.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportRows.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

namespace {

// Name, subject code and name, the twelve months and the total of a row.
QStringList texts(const SummaryRow& row) {
    return QStringList{row.deptName, row.subjectCode, row.subjectName} + months(row);
}

QStringList listingTexts(const Listing& listing) {
    QStringList lines;
    for (const ReportRow& row : listingRows(listing))
        lines << row.cells.join(u'|');
    return lines;
}

} // namespace

class TestReportResults : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    TestContext m_summary; // the summary fixture
    TestContext m_tree;    // the department fixture

    SummaryTable summaryOf(const QStringList& codes) {
        const DeptTree tree = loadDeptTree(m_summary.db());
        DeptSelection ticks(tree);
        ticks.tickCodes(codes);
        return runSummary(m_summary.db(), {ticks.tickedDepartments(), 2026});
    }

private slots:
    void initTestCase() {
        writeSummaryDatabase(m_dir.filePath(u"summary.db"_s));
        QVERIFY(m_summary.connectToFile(m_dir.filePath(u"summary.db"_s)));
        const QString path = m_dir.filePath(u"tree.db"_s);
        FixtureDb db(path);
        db.addDepartment(u"01"_s, u"总部"_s);
        db.addDepartment(u"0101"_s, u"办公室"_s, u"01"_s);
        db.addDepartment(u"0102"_s, u"财务部"_s, u"01"_s);
        db.addDepartment(u"0103"_s, u"Tervo中心"_s, u"01"_s);
        db.addDepartment(u"010301"_s, u"一组"_s, u"0103"_s);
        db.addDepartment(u"010302"_s, u"二组"_s, u"0103"_s);
        db.addDepartment(u"02"_s, u"生产部"_s);
        db.addDepartment(u"0201"_s, u"车间"_s, u"02"_s);
        db.addDepartment(u"0202"_s, u"已撤销部门"_s, u"02"_s, u"2025-12-31"_s);
        db.addDepartment(u"020201"_s, u"撤销部门下属"_s, u"0202"_s);
        db.addDepartment(u"0203"_s, u"断开的部门"_s);
        db.addParentLink(u"0203"_s, u"02"_s, u"2024-01-01"_s);
        db.addDepartment(u"0204"_s, u"双上级部门"_s, u"01"_s);
        db.addParentLink(u"0204"_s, u"02"_s);
        db.addDepartment(u"0205"_s, u"仓库"_s, u"02"_s);
        db.addDepartment(u"020401"_s, u"双上级下属"_s, u"0204"_s);
        db.addDepartment(u"03"_s, u"后勤\r\n中心"_s);
        db.addDepartment(u"0301"_s, u"食堂\n二楼"_s, u"03"_s);
        db.close();
        QVERIFY(m_tree.connectToFile(path));
    }

    // Ended departments and links are left out with their subtrees, a
    // department under two parents stays under the first, CR LF goes from
    // names (a lone LF stays).
    void treeFollowsTheDepartmentRules() {
        const DeptTree tree = loadDeptTree(m_tree.db());
        QCOMPARE(
            treeList(tree),
            (QStringList{u"01|总部|0|"_s, u"0101|办公室|1|01"_s, u"0102|财务部|1|01"_s,
                         u"0103|Tervo中心|1|01"_s, u"010301|一组|2|0103"_s, u"010302|二组|2|0103"_s,
                         u"0204|双上级部门|1|01"_s, u"020401|双上级下属|2|0204"_s,
                         u"02|生产部|0|"_s, u"0201|车间|1|02"_s, u"0205|仓库|1|02"_s,
                         u"03|后勤中心|0|"_s, u"0301|食堂\n二楼|1|03"_s}));
        QCOMPARE(tree.children(-1), (std::vector<int>{0, 8, 11}));
        QCOMPARE(tree.children(tree.indexOf(u"0103"_s)), (std::vector<int>{4, 5}));
        QVERIFY(tree.hasChildren(0) && !tree.hasChildren(1));
        QCOMPARE(tree.indexOf(u"0202"_s), -1);
    }

    // 全选 leaves Tervo中心 as it was but ticks its children; a tick spreads
    // to the subtree only, a cleared child leaves its parent ticked.
    void ticksFollowTheirRules() {
        const DeptTree tree = loadDeptTree(m_tree.db());
        DeptSelection ticks(tree);
        const auto ticked = [&] { return ticks.tickedCodes().join(u' '); };
        ticks.selectAll(true);
        QCOMPARE(ticked(), u"01 0101 0102 010301 010302 0204 020401 02 0201 0205 03 0301"_s);
        ticks.tick(tree.indexOf(u"0103"_s), true);
        ticks.selectAll(false);
        QCOMPARE(ticked(), QString());
        ticks.tick(tree.indexOf(u"01"_s), true);
        QCOMPARE(ticked(), u"01 0101 0102 0103 010301 010302 0204 020401"_s);
        ticks.tick(tree.indexOf(u"0103"_s), false);
        QCOMPARE(ticked(), u"01 0101 0102 0204 020401"_s);
        QVERIFY(ticks.hasTickedBelow(tree.indexOf(u"01"_s)));
        QVERIFY(!ticks.hasTickedBelow(tree.indexOf(u"0103"_s)));
        // The remembered codes tick their departments alone; gone ones are passed over.
        DeptSelection restored(tree);
        restored.tickCodes({u"0103"_s, u"9999"_s});
        QCOMPARE(restored.tickedDepartments(),
                 (std::vector<Department>{{u"0103"_s, u"Tervo中心"_s}}));
    }

    void searchFindsCodesAndNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found");
        QTest::newRow("code prefix") << u"0103"_s << u"0103 010301 010302"_s;
        QTest::newRow("name part, letters in either case") << u"tervo"_s << u"0103"_s;
        QTest::newRow("name part in two trees") << u"中心"_s << u"0103 03"_s;
        QTest::newRow("a code inside a code is no match") << u"201"_s << QString();
        QTest::newRow("the text as the tree shows it") << u"0102 财"_s << u"0102"_s;
        QTest::newRow("nothing") << u"仓库x"_s << QString();
    }
    void searchFindsCodesAndNames() {
        QFETCH(QString, typed);
        QFETCH(QString, found);
        const DeptTree tree = loadDeptTree(m_tree.db());
        QStringList codes;
        for (int i : tree.find(typed))
            codes << tree.department(i).code;
        QCOMPARE(codes.join(u' '), found);
    }

    void twoDepartmentsWithSubtotalsAndTotal() {
        const SummaryTable t = summaryOf({u"0102"_s, u"0103"_s});
        QCOMPARE(t.rows.size(), size_t(2 + 1 + 3 + 1 + 1));
        // Parent code: only its own lines; NULL tax counts 0; negative month.
        QCOMPARE(texts(t.rows[0]),
                 QStringList({u"财务部"_s, u"6602"_s, u"管理费用"_s}) +
                     monthsWith({{1, u"126.50"_s}, {2, u"-30.00"_s}}, u"96.50"_s));
        QCOMPARE(texts(t.rows[1]), QStringList({u"财务部"_s, u"660201"_s, u"办公费"_s}) +
                                       monthsWith({{3, u"50.50"_s}}, u"50.50"_s));
        QCOMPARE(t.rows[2].kind, RowKind::Subtotal);
        QCOMPARE(texts(t.rows[2]),
                 QStringList({u"财务部小计"_s, QString(), QString()}) +
                     monthsWith({{1, u"126.50"_s}, {2, u"-30.00"_s}, {3, u"50.50"_s}}, u"147.00"_s,
                                u"0.00"_s));
        QCOMPARE(t.rows[2].deptCode, u"0102"_s);
        QCOMPARE(t.rows[3].deptName, u"人事部"_s);
        QCOMPARE(t.rows[3].months[4], u"1.01"_s);
        QCOMPARE(t.rows[4].months[4], u"2.02"_s);
        QCOMPARE(t.rows[5].months[4], u"3.03"_s);
        QCOMPARE(t.rows[6].months[4], u"6.06"_s); // the sum of the rounded texts, not 6.05
        // Grand total: the sum of the subtotal rows.
        QCOMPARE(t.rows[7].kind, RowKind::GrandTotal);
        QCOMPARE(texts(t.rows[7]).mid(0, 4), (QStringList{u"合计"_s, {}, {}, u"126.50"_s}));
        QCOMPARE(t.rows[7].months[4], u"6.06"_s);
        QCOMPARE(t.rows[7].total, u"153.06"_s);
        QCOMPARE(t.rows[7].deptCode, QString());
        // 序 numbers every row but the grand total's.
        const ReportRows rows = summaryRows(t);
        QCOMPARE(rows[6].cells[0], u"7"_s);
        QCOMPARE(rows[7].cells[0], QString());
        // The same request gives the same result.
        QCOMPARE(summaryRows(summaryOf({u"0102"_s, u"0103"_s})).size(), rows.size());
    }

    void sameNamesSubtotalMarksAndHostileCodes() {
        const SummaryTable t = summaryOf({u"0102"_s, u"0104"_s, u"0105"_s, u"0106"_s, u"08'x"_s});
        // 0102: 2 rows + subtotal; 0104: 1 + 1; 0105: 1 + 1; 0106 adds nothing; 08'x: 1 + 1.
        QCOMPARE(t.rows.size(), size_t(3 + 2 + 2 + 2 + 1));
        QCOMPARE(t.rows[4].deptName, u"财务部小计"_s);
        QCOMPARE(t.rows[4].total, u"1234.50"_s); // its own department only
        QCOMPARE(t.rows[2].total, u"147.00"_s);
        // A department whose name holds "小计" is an ordinary department.
        QCOMPARE(t.rows[5].kind, RowKind::Data);
        QCOMPARE(months(t.rows[5]), monthsWith({{6, u"11.00"_s}}, u"11.00"_s));
        QCOMPARE(t.rows[6].deptName, u"小计组小计"_s);
        QCOMPARE(t.rows[6].total, u"11.00"_s);
        // Codes with an apostrophe find their claims.
        QCOMPARE(texts(t.rows[7]).mid(0, 3),
                 (QStringList{u"引号部门"_s, u"66'01"_s, u"引号科目"_s}));
        QCOMPARE(t.rows[7].months[6], u"5.25"_s);
        QCOMPARE(t.rows[9].total, u"1397.75"_s);
        // The listing of the cell agrees.
        const Listing listing = loadListing(
            m_summary.db(), {u"0105"_s, u"小计组"_s, u"6602"_s, u"管理费用"_s, 2026, 6});
        QCOMPARE(listing.lineTotal, u"11.00"_s);
    }

    // A fresh grid's column is as wide as its padded heading plus 90 twips,
    // or its widest text plus 90 where that is wider, subtotals and the grand
    // total included; an open grid's columns never shrink.
    void columnsWidenToTheirTexts_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("a name wider than its column") << QStringList{u"0105"_s};
        QTest::newRow("a subtotal wider than its rows") << QStringList{u"0107"_s};
        QTest::newRow("a grand total wider than every subtotal")
            << QStringList{u"0108"_s, u"0109"_s};
    }
    void columnsWidenToTheirTexts() {
        QFETCH(QStringList, codes);
        const TextMeasure measure(windowFont());
        const ReportRows rows = summaryRows(summaryOf(codes));
        const std::vector<int> widths = columnWidths(summaryColumns(), rows, measure);
        for (size_t c = 0; c < summaryColumns().size(); ++c) {
            int expected =
                int(std::lround(measure.width(summaryColumns()[c].paddedHeading()))) + 90;
            for (const ReportRow& row : rows)
                expected = std::max(expected,
                                    int(std::lround(measure.width(row.cells[qsizetype(c)]) + 90)));
            QCOMPARE(widths[c], expected);
        }
        std::vector<int> wide(widths.size(), 99999);
        QCOMPARE(columnWidths(summaryColumns(), rows, measure, wide), wide);
    }

    // The database compares codes under its collation; SQL Server's ignores
    // trailing blanks, which a char column adds. A line whose code is spelt
    // with them still counts under its subject, in the cell and its listing.
    void linesCountUnderTheSubjectTheyJoin() {
        const QString path = m_dir.filePath(u"collation.db"_s);
        {
            FixtureDb db(path);
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
        TestContext t;
        QVERIFY(t.connectToFile(path));
        const SummaryTable table = runSummary(t.db(), {{{u"0102"_s, u"财务部"_s}}, 2026});
        QCOMPARE(texts(table.rows[0]), QStringList({u"财务部"_s, u"6602"_s, u"管理费用"_s}) +
                                           monthsWith({{1, u"126.00"_s}}, u"126.00"_s));
        const Listing listing = loadListing(t.db(), {u"0102"_s, {}, u"6602"_s, {}, 2026, 1});
        QCOMPARE(listing.lines.size(), size_t(2));
        QCOMPARE(listing.lineTotal, u"126.00"_s);
    }

    // One claim's lines in the order of their amounts, a missing tax empty
    // and counting 0, the totals row numbered like the lines; an empty cell
    // gives the totals row alone.
    void listingOfACell() {
        const Listing listing = loadListing(
            m_summary.db(), {u"0102"_s, u"财务部"_s, u"6602"_s, u"管理费用"_s, 2026, 1});
        QCOMPARE(listingTexts(listing),
                 (QStringList{u"1|0000102|2026-01-15|张三||是||6602 管理费用||20.50||20.50"_s,
                              u"2|0000102|2026-01-15|张三||是||6602 管理费用|办公用品|100.00|"
                              u"6.00|106.00"_s,
                              u"3|合计||||||||120.50|6.00|126.50"_s}));
        QCOMPARE(
            listingTexts(loadListing(m_summary.db(), {u"0102"_s, {}, u"6602"_s, {}, 2026, 11})),
            QStringList{u"1|合计||||||||0.00|0.00|0.00"_s});
    }

    // Lines of one day follow claim number, amount, tax and summary, not the
    // order the database happens to store them in.
    void sameDayLinesInOneOrder() {
        const QString path = m_dir.filePath(u"same-day.db"_s);
        {
            FixtureDb db(path);
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
        TestContext t;
        QVERIFY(t.connectToFile(path));
        QStringList lines;
        for (const ListingLine& l :
             loadListing(t.db(), {u"0102"_s, {}, u"6602"_s, {}, 2026, 1}).lines)
            lines << l.claimNumber + u' ' + l.summary + u'/' + l.amount + u'/' + l.tax;
        QCOMPARE(lines, (QStringList{u"B3 /1.00/"_s, u"B1 /3.00/"_s, u"B1 /9.00/"_s,
                                     u"B2 c/5.00/"_s, u"B2 a/5.00/1.00"_s, u"B2 b/5.00/1.00"_s}));
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

    // Every figure of the demo organisation agrees with an independent
    // computation: subtotals add their rows' texts, the grand total all
    // non-budget lines of the year, every month cell its listing's total.
    void demoDatabaseIsConsistent() {
        const QString demo = m_dir.filePath(u"demo.db"_s);
        QCOMPARE(QProcess::execute(qEnvironmentVariable("NBR_BINARY_DIR") +
                                       u"/tools/nbreport-make-demo"_s,
                                   {u"--base-year"_s, u"2026"_s, demo}),
                 0);
        TestContext t;
        QVERIFY(t.connectToFile(demo));
        const DeptTree tree = loadDeptTree(t.db());
        DeptSelection ticks(tree);
        ticks.selectAll(true);
        const SummaryTable table = runSummary(t.db(), {ticks.tickedDepartments(), 2026});
        QVERIFY(table.rows.size() > 50);
        std::array<double, 13> running{};
        for (size_t r = 0; r + 1 < table.rows.size(); ++r) {
            const QStringList cells = months(table.rows[r]);
            for (int c = 0; c < 13; ++c) {
                if (table.rows[r].kind == RowKind::Subtotal) {
                    QCOMPARE(cells[c], formatAmount(running[size_t(c)]));
                    running[size_t(c)] = 0;
                } else {
                    running[size_t(c)] += amountValue(cells[c]);
                }
            }
        }
        double expected = 0;
        for (const Department& d : table.departments) {
            Recordset dept = t.db().query(
                u"Select sum(COALESCE(金额,0) + COALESCE(税额,0)) As s From 报销单明细 d"
                u" Join 报销单表 h On h.报销单ID = d.报销单ID Join 财务科目 k On k.科目代号 = "
                u"d.科目代号 Where h.报销类型 = '非预算' And substr(h.报批日期, 1, 4) = '2026'"
                u" And h.部门代号 = ?"_s,
                {d.code});
            expected += amountValue(dept.field(u"s"_s).text());
        }
        QVERIFY(expected > 0);
        QCOMPARE(table.rows.back().total, formatAmount(expected));
        int cells = 0;
        for (const SummaryRow& row : table.rows) {
            if (row.kind != RowKind::Data)
                continue;
            for (int m = 1; m <= 12; ++m) {
                const QString cell = row.months[size_t(m - 1)];
                const Listing listing =
                    loadListing(t.db(), {row.deptCode, {}, row.subjectCode, {}, 2026, m});
                QCOMPARE(cell.isEmpty() ? u"0.00"_s : cell, listing.lineTotal);
                QCOMPARE(cell.isEmpty(), listing.lines.empty());
                ++cells;
            }
        }
        QVERIFY(cells > 100);
    }
};

QTEST_MAIN(TestReportResults)
#include "tst_report_results.moc"
