// The report's queries on the SQL Server wire: the department tree, the
// summary run and the detail listing, each through its own procedure, the
// FreeTDS ODBC driver and the scripted TDS server with the column types of
// the real schema; then a listing that cannot be read whole and a run whose
// statement fails half-way.

#include "FixtureDb.h"
#include "ModelDumps.h"
#include "TdsScripts.h"
#include "TestContext.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "report/DeptTree.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportRows.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportWindow.h"
#include "session/ProjectAudit.h"
#include "session/SessionState.h"
#include "shell/ui/MainWindow.h"

#include <QComboBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestTdsReport : public QObject {
    Q_OBJECT

private slots:
    void departmentTreeInTheServersOrder() {
        // Ordered as the statement asks: by code length, then code.
        TdsTestServer server({TdsTestServer::resultRule(kTreeMatch, kTreeColumns,
                                                        {{u"01"_s, u"总部"_s, kNull},
                                                         {u"02"_s, u"分公司\r\n"_s, kNull},
                                                         {u"0101"_s, u"财务部"_s, u"01"_s},
                                                         {u"0102"_s, u"人事部"_s, u"01"_s},
                                                         {u"0201"_s, u"销售\r\n部"_s, u"02"_s},
                                                         {u"010101"_s, u"出纳组"_s, u"0101"_s}})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        DeptTree tree;
        QVERIFY_THROWS_NO_EXCEPTION(tree = loadDeptTree(t.db()));
        // NULL parents: top-level departments; codes without their padding.
        QCOMPARE(test::treeList(tree),
                 (QStringList{u"01|总部|0|"_s, u"0101|财务部|1|01"_s, u"010101|出纳组|2|0101"_s,
                              u"0102|人事部|1|01"_s, u"02|分公司|0|"_s, u"0201|销售部|1|02"_s}));
        // Without values the driver sends the text as a plain batch.
        QVERIFY(server.requests(u"rpc"_s).isEmpty());
        QVERIFY(server.statements().contains(withFreeTdsMarkers(deptTreeSql(kSqlServer))));
        QVERIFY(t.prompts.recorded.isEmpty());
    }

    void summaryFromTheServersSums() {
        const QString finance = u"财'01"_s;
        const QStringList values = summaryValues({finance, u"0103"_s, u"02"_s});
        // In the server's order: by subject, the departments' rows interleaved;
        // subject codes padded as nchar gives them.
        TdsTestServer server(
            {rule(kSummaryMatch, kSummaryColumns,
                  {{u"0"_s, u"6602"_s, u"管理费用"_s, u"202601"_s, u"1.0050"_s},
                   {u"2"_s, u"6602"_s, u"管理费用"_s, u"202605"_s, u"2.01"_s},
                   {u"0"_s, u"6602"_s, u"管理费用"_s, u"202602"_s, u"-2.6750"_s},
                   {u"2"_s, u"6602"_s, u"管理费用"_s, u"202612"_s, u"1234567.89"_s},
                   {u"0"_s, u"660201"_s, u"办公费"_s, u"202603"_s, u"100"_s}},
                  values)});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        SummaryTable table;
        try {
            table = runSummary(
                t.db(),
                {{{finance, u"财务部"_s}, {u"0103"_s, u"空部门"_s}, {u"02"_s, u"人事部"_s}}, 2026});
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        const ReportRows rows = summaryRows(table);
        QCOMPARE(rows.size(), size_t(2 + 1 + 1 + 1 + 1));
        QCOMPARE(rows[0].cells.mid(0, 4),
                 (QStringList{u"1"_s, u"财务部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(table.rows[0]), monthsWith({{1, u"1.01"_s}, {2, u"-2.68"_s}}, u"-1.67"_s));
        QCOMPARE(rows[1].cells.mid(0, 4),
                 (QStringList{u"2"_s, u"财务部"_s, u"660201"_s, u"办公费"_s}));
        QCOMPARE(months(table.rows[1]), monthsWith({{3, u"100.00"_s}}, u"100.00"_s));
        QCOMPARE(rows[2].cells.mid(0, 2), (QStringList{u"3"_s, u"财务部小计"_s}));
        QCOMPARE(
            months(table.rows[2]),
            monthsWith({{1, u"1.01"_s}, {2, u"-2.68"_s}, {3, u"100.00"_s}}, u"98.33"_s, u"0.00"_s));
        QCOMPARE(table.rows[2].deptCode, finance);
        QCOMPARE(rows[3].cells.mid(0, 4),
                 (QStringList{u"4"_s, u"人事部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(table.rows[3]),
                 monthsWith({{5, u"2.01"_s}, {12, u"1234567.89"_s}}, u"1234569.90"_s));
        QCOMPARE(months(table.rows[4]),
                 monthsWith({{5, u"2.01"_s}, {12, u"1234567.89"_s}}, u"1234569.90"_s, u"0.00"_s));
        QCOMPARE(rows[5].cells.mid(0, 2), (QStringList{QString(), u"合计"_s}));
        QCOMPARE(months(table.rows[5]), monthsWith({{1, u"1.01"_s},
                                                    {2, u"-2.68"_s},
                                                    {3, u"100.00"_s},
                                                    {5, u"2.01"_s},
                                                    {12, u"1234567.89"_s}},
                                                   u"1234668.23"_s, u"0.00"_s));

        // One statement for the three departments, every value bound.
        QCOMPARE(
            withFreeTdsMarkers(MonthlySummary::summarySql(kSqlServer, 3)),
            u"select t.ord, 财务科目.科目代号, 财务科目.科目名称, CONVERT(char(6),报批日期,112)"
            u" As 年月, sum (COALESCE(报销单明细.金额,0) + COALESCE(报销单明细.税额,0)) As 月合计"
            u" From 报销单表 Inner join  报销单明细 On 报销单表.报销单ID = 报销单明细.报销单ID"
            u" inner join 财务科目 On 报销单明细.科目代号 = 财务科目.科目代号"
            u" inner join (VALUES (@P1, @P2), (@P3, @P4), (@P5, @P6)) AS t(code, ord)"
            u" On 部门代号 = t.code where 报销类型='非预算'"
            u" And CONVERT(char(6),报批日期,112) between @P7 and @P8"
            u" GROUP BY t.ord, 财务科目.科目代号, 财务科目.科目名称, CONVERT(char(6),报批日期,112)"
            u" order by LEN(财务科目.科目代号), 财务科目.科目代号, 财务科目.科目名称"_s);
        QCOMPARE(server.statements().size(), 1);
        QCOMPARE(boundValues(server, server.statements().constFirst()),
                 (QList<QStringList>{values}));
        verifyEveryCallBindsUnicodeValues(server);
    }

    void detailListingOfOneMonth() {
        const QString subject = u"66'02 甲"_s;
        const QJsonArray columns{col(u"报销单编号"_s, u"nvarchar(20)"_s),
                                 col(u"报批日期"_s, u"datetime"_s),
                                 col(u"报销人"_s, u"varchar(20)"_s),
                                 col(u"审批日期"_s, u"datetime"_s),
                                 col(u"审批通过"_s, u"bit"_s),
                                 col(u"财务支付确认日期"_s, u"datetime"_s),
                                 col(u"摘要"_s, u"nvarchar(200)"_s),
                                 col(u"金额"_s, u"money"_s),
                                 col(u"税额"_s, u"decimal(18,2)"_s),
                                 col(u"科目代号"_s, u"nvarchar(20)"_s),
                                 col(u"科目名称"_s, u"nvarchar(50)"_s)};
        TdsTestServer server(
            {rule(kDetailMatch, columns,
                  {{u"BX'001"_s, u"2026-03-05 14:30:59.997"_s, u"张三"_s, u"2026-03-06 09:00"_s,
                    true, u"2026-03-10 16:45:00"_s, u"差旅费 '北京'"_s, u"1234.5"_s, u"6.00"_s,
                    subject, u"管理费用"_s},
                   {u"BX002"_s, u"2026-03-15"_s, u"李四"_s, kNull, false, kNull, kNull, u"0.0050"_s,
                    kNull, subject, u"管理费用"_s},
                   {u"BX003"_s, u"2026-03-31 23:59:59.997"_s, u"王五"_s, u"2026-04-01"_s, true,
                    kNull, u"冲销"_s, u"-2.675"_s, u"-0.50"_s, subject, u"管理费用"_s}},
                  {u"财'01"_s, u"202603"_s, subject})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        ReportRows grid;
        try {
            grid = listingRows(loadListing(t.db(), {u"财'01"_s, {}, subject, {}, 2026, 3}));
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        QCOMPARE(grid.size(), size_t(3 + 1));
        const QString subjectText = subject + u" 管理费用"_s;
        QCOMPARE(grid[0].cells,
                 (QStringList{u"1"_s, u"BX'001"_s, u"2026-03-05"_s, u"张三"_s, u"2026-03-06"_s,
                              u"是"_s, u"2026-03-10"_s, subjectText, u"差旅费 '北京'"_s,
                              u"1234.50"_s, u"6.00"_s, u"1240.50"_s}));
        QCOMPARE(grid[1].cells,
                 (QStringList{u"2"_s, u"BX002"_s, u"2026-03-15"_s, u"李四"_s, QString(), u"否"_s,
                              QString(), subjectText, QString(), u"0.01"_s, QString(), u"0.01"_s}));
        QCOMPARE(grid[2].cells, (QStringList{u"3"_s, u"BX003"_s, u"2026-03-31"_s, u"王五"_s,
                                             u"2026-04-01"_s, u"是"_s, QString(), subjectText,
                                             u"冲销"_s, u"-2.68"_s, u"-0.50"_s, u"-3.18"_s}));
        QCOMPARE(grid[3].cells, (QStringList{u"4"_s, u"合计"_s, QString(), QString(), QString(),
                                             QString(), QString(), QString(), QString(),
                                             u"1231.83"_s, u"5.50"_s, u"1237.33"_s}));
        QCOMPARE(boundValues(server, withFreeTdsMarkers(detailListSql(kSqlServer))),
                 (QList<QStringList>{{u"财'01"_s, u"202603"_s, subject}}));
        verifyEveryCallBindsUnicodeValues(server);
    }

    // A listing that cannot be read whole is no listing: here the server's
    // answer lacks a column the listing shows. The error goes to the caller;
    // the lines read before go nowhere.
    void unreadableListingLeavesTheHeaderOnly() {
        const QJsonArray columns{col(u"报销单编号"_s, u"nvarchar(20)"_s),
                                 col(u"报批日期"_s, u"datetime"_s),
                                 col(u"报销人"_s, u"varchar(20)"_s)};
        TdsTestServer server(
            {rule(kDetailMatch, columns, {{u"BX001"_s, u"2026-03-05"_s, u"张三"_s}},
                  {u"0102"_s, u"202603"_s, u"6602"_s})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        QVERIFY_THROWS_EXCEPTION(
            DbError, (void)loadListing(t.db(), {u"0102"_s, {}, u"6602"_s, {}, 2026, 3}));
    }

    // A run that cannot be read whole leaves no figures: the statement fails
    // half-way, after the first department's rows, or a row cannot be placed.
    void failingStatementInARunLeavesTheHeaderOnly_data() {
        QTest::addColumn<QStringList>("lastRow"); // ord, subject code and name, month, sum
        QTest::addColumn<QString>("message");
        const QString missingTable = u"对象名 '报销单明细' 无效。"_s;
        QTest::newRow("the statement fails half-way")
            << QStringList{} << u"错误码: 208 错误描述: "_s + missingTable;
        QTest::newRow("a row's department cannot be read")
            << QStringList{u"x"_s, u"6602"_s, u"管理费用"_s, u"202602"_s, u"5"_s}
            << u"错误码: 3421 错误描述: 统计结果中的部门序号无法读取：x"_s;
        QTest::newRow("a row's month cannot be read")
            << QStringList{u"1"_s, u"6602"_s, u"管理费用"_s, u"202613"_s, u"5"_s}
            << u"错误码: 3421 错误描述: 统计结果中的年月无法读取：202613"_s;
    }

    void failingStatementInARunLeavesTheHeaderOnly() {
        QFETCH(QStringList, lastRow);
        QFETCH(QString, message);
        const QStringList values = summaryValues({u"0102"_s, u"0103"_s});
        QList<QJsonArray> rows{{u"0"_s, u"6602"_s, u"管理费用"_s, u"202601"_s, u"10"_s}};
        if (!lastRow.isEmpty())
            rows << QJsonArray::fromStringList(lastRow);
        QJsonObject halfWay = rule(kSummaryMatch, kSummaryColumns, rows, values);
        if (lastRow.isEmpty())
            halfWay[u"error"_s] =
                QJsonArray{TdsTestServer::error(208, u"对象名 '报销单明细' 无效。"_s)};
        TdsTestServer server({TdsTestServer::resultRule(kTreeMatch, kTreeColumns,
                                                        {{u"0102"_s, u"财务部"_s, kNull},
                                                         {u"0103"_s, u"人事部"_s, kNull}}),
                              halfWay});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        ReportWindow report(t.app);
        report.show();
        report.load();
        tickDepartments(report.departments(), {u"0102"_s, u"0103"_s});
        report.findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2026年"_s);
        QTest::mouseClick(report.findChild<QPushButton*>(u"runButton"_s), Qt::LeftButton);
        QCOMPARE(t.prompts.recorded.size(), 1);
        QCOMPARE(t.prompts.recorded[0].text, message);
        QCOMPARE(t.prompts.recorded[0].title, u"系统提示"_s);
        QCOMPARE(report.summaryGrid().rowCount(), 0);
        QVERIFY(!report.findChild<QWidget*>(u"waitBox"_s)->isVisible());
        QCOMPARE(boundValues(server, withFreeTdsMarkers(MonthlySummary::summarySql(kSqlServer, 2))),
                 (QList<QStringList>{values}));
    }
};

QTEST_MAIN(TestTdsReport)
#include "tst_tds_report.moc"
