// The program's own queries on the SQL Server wire: the login, the audit flag,
// the department tree, the summary run and the detail listing, each through
// its own procedure, the FreeTDS ODBC driver and the scripted TDS server with
// the column types of the real schema; then the way from the login window to
// a summary run, and a statement failing in the middle of a run.

#include "FakePrompts.h"
#include "ModelDumps.h"
#include "TdsTestServer.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/SharedConnection.h"
#include "report/DeptTree.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ReportWindow.h"
#include "session/LoginQueries.h"
#include "session/ProjectAudit.h"
#include "session/SessionState.h"
#include "session/ui/LoginWindow.h"
#include "shell/ui/MainWindow.h"

#include "FixtureDb.h"
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using test::TdsTestServer;

namespace {

const SqlDialect kSqlServer(SqlEngine::SqlServer);

const QJsonValue kNull; // a NULL in a script row

QJsonObject col(const QString& name, const QString& type) {
    return TdsTestServer::column(name, type);
}

// The statement as FreeTDS sends it: every "?" outside a quoted literal
// becomes @P1, @P2, ... in order.
QString withFreeTdsMarkers(const QString& sql) {
    QString out;
    bool quoted = false;
    int marker = 0;
    for (const QChar c : sql) {
        if (c == u'\'')
            quoted = !quoted;
        if (c == u'?' && !quoted)
            out += u"@P"_s + QString::number(++marker);
        else
            out += c;
    }
    return out;
}

// The values bound to each call of this statement text, in the order of the calls.
QList<QStringList> boundValues(const TdsTestServer& server, const QString& sql) {
    QList<QStringList> calls;
    for (const QJsonObject& call : server.requests(u"rpc"_s)) {
        if (call[u"sql"_s].toString() != sql)
            continue;
        QStringList values;
        const QJsonArray params = call[u"params"_s].toArray();
        for (qsizetype i = 2; i < params.size(); ++i)
            values << params[i].toObject()[u"value"_s].toString();
        calls << values;
    }
    return calls;
}

// Every call the program made went through sp_executesql with each value
// declared and sent as NVARCHAR of its own length: no value reached the
// server as part of a statement text.
void verifyEveryCallBindsUnicodeValues(const TdsTestServer& server) {
    const QList<QJsonObject> calls = server.requests(u"rpc"_s);
    QVERIFY(!calls.isEmpty());
    for (const QJsonObject& call : calls) {
        QCOMPARE(call[u"proc"_s].toString(), u"sp_executesql"_s);
        const QJsonArray params = call[u"params"_s].toArray();
        QVERIFY(params.size() > 2);
        QStringList declarations;
        for (qsizetype i = 2; i < params.size(); ++i) {
            const QJsonObject p = params[i].toObject();
            QCOMPARE(p[u"type"_s].toString(), u"nvarchar"_s);
            QVERIFY(p[u"value"_s].isString());
            declarations << u"@P%1 NVARCHAR(4000)"_s.arg(i - 1);
        }
        QCOMPARE(params[1].toObject()[u"value"_s].toString(), declarations.join(u','));
    }
}

bool connectTo(const TdsTestServer& server) {
    ConnectionOptions options;
    options.loginTimeoutSeconds = 5;
    return OpenConnection(u"sa"_s, u"secret"_s, u"报销库"_s, server.serverAddress(), options);
}

QStringList cells(const FlexGridModel& g, int r, int first, int last) {
    QStringList t;
    for (int c = first; c <= last; ++c)
        t << g.textMatrix(r, c);
    return t;
}

// The twelve month cells and the total of a summary row.
QStringList months(const FlexGridModel& g, int r) {
    return cells(g, r, 4, 16);
}

QStringList monthsWith(std::initializer_list<std::pair<int, QString>> values, const QString& total,
                       const QString& otherwise = {}) {
    QStringList t(12, otherwise);
    for (const auto& [m, v] : values)
        t[m - 1] = v;
    t << total;
    return t;
}

// The result columns of the program's queries, typed as in the database.
const QJsonArray kStaffColumns{col(u"工号"_s, u"nvarchar(20)"_s), col(u"姓名"_s, u"nvarchar(20)"_s),
                               col(u"帐号密码"_s, u"nvarchar(50)"_s),
                               col(u"离职日期"_s, u"datetime"_s)};
const QJsonArray kPositionColumns{
    col(u"姓名"_s, u"nvarchar(20)"_s),         col(u"部门类别代号"_s, u"nchar(4)"_s),
    col(u"部门类别名称"_s, u"nvarchar(50)"_s), col(u"岗位类别编号"_s, u"nvarchar(10)"_s),
    col(u"岗位类别名称"_s, u"nvarchar(50)"_s), col(u"职能部门编号"_s, u"nvarchar(20)"_s),
    col(u"职能部门名称"_s, u"varchar(50)"_s),  col(u"岗位代号"_s, u"nchar(6)"_s),
    col(u"岗位名称"_s, u"nvarchar(50)"_s),     col(u"主要岗位"_s, u"bit"_s)};
// A row of the position query in its column order, department category D1 职能部门.
QJsonArray positionRow(const QString& staffName, const QString& deptCode, const QString& deptName,
                       const QString& positionCode, const QString& positionName,
                       const QString& categoryCode, const QJsonValue& categoryName, bool main) {
    return {staffName, u"D1"_s,  u"职能部门"_s, categoryCode, categoryName,
            deptCode,  deptName, positionCode,  positionName, main};
}
const QJsonArray kAuditColumns{col(u"ID"_s, u"int"_s), col(u"类型"_s, u"nvarchar(20)"_s),
                               col(u"部门代号"_s, u"nvarchar(20)"_s),
                               col(u"岗位代号"_s, u"nvarchar(20)"_s)};
const QJsonArray kTreeColumns{col(u"职能部门编号"_s, u"nvarchar(20)"_s),
                              col(u"职能部门名称"_s, u"varchar(50)"_s),
                              col(u"上级部门编号"_s, u"nvarchar(20)"_s)};
// The department's place in the bound list comes back as the nvarchar it was
// bound as; CONVERT(char(6), ..., 112) gives char(6); the sum of money
// columns is money.
const QJsonArray kSummaryColumns{col(u"ord"_s, u"nvarchar(4000)"_s),
                                 col(u"科目代号"_s, u"nchar(8)"_s),
                                 col(u"科目名称"_s, u"nvarchar(50)"_s),
                                 col(u"年月"_s, u"char(6)"_s), col(u"月合计"_s, u"money"_s)};

QJsonObject rule(const QString& match, const QJsonArray& columns, const QList<QJsonArray>& rows,
                 const QStringList& values) {
    return TdsTestServer::boundTo(TdsTestServer::resultRule(match, columns, rows), values);
}

const QString kPasswordMatch = u"From 员工档案 Where 工号"_s;
const QString kPositionMatch = u"From 岗位员工new"_s;
const QString kAuditMatch = u"From 专项审核权限表"_s;
const QString kTreeMatch = u"from 职能部门new left join 上级部门new"_s;
const QString kSummaryMatch = u"As 月合计"_s;

// The values of a summary statement: code and place of each department, then
// the year's range.
QStringList summaryValues(const QStringList& deptCodes) {
    QStringList values;
    for (qsizetype k = 0; k < deptCodes.size(); ++k)
        values << deptCodes[k] << QString::number(k);
    return values << u"202601"_s << u"202612"_s;
}
const QString kDetailMatch = u"order by 报销单表.报批日期"_s;

} // namespace

class TestTdsProgram : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        MainWindow::destroyInstance();
        replaceSharedConnection(nullptr);
        sessionState().clear();
        hasProjectAudit() = false;
    }

    void loginChecksThePasswordAndListsThePositions() {
        const QString user = u" O'张 三"_s; // taken as typed
        const QString password = u"口令 'x' "_s;
        const QString stored = u"口令 'x'"_s;
        TdsTestServer server({rule(kPasswordMatch, kStaffColumns,
                                   {{user, u"张三"_s, stored, kNull}}, {user, stored}),
                              rule(kPositionMatch, kPositionColumns,
                                   {positionRow(u" 张三 "_s, u"0103"_s, u"人事部"_s, u"P03"_s,
                                                u"招聘专员"_s, u"G2"_s, kNull, false),
                                    positionRow(u" 张三 "_s, u"0102"_s, u"财务部"_s, u"P02"_s,
                                                u"出纳"_s, u"G1"_s, u"G1类岗位"_s, true)},
                                   {user})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        try {
            QVERIFY(passwordMatches(user, password));
            QVERIFY(!passwordMatches(user.trimmed(), password));
            QVERIFY(!passwordMatches(user, u"口令"_s));
            const std::vector<PositionRecord> positions = loadPositions(user);
            QCOMPARE(positions.size(), size_t(2));
            QCOMPARE(positions[0].listLine(), u"人事部 招聘专员(兼职)"_s);
            QCOMPARE(positions[1].listLine(), u"财务部 出纳(主要)"_s);
            QCOMPARE(positions[1].fields[0], user);
            // As the columns deliver them; the window trims when a line is chosen.
            QCOMPARE(QStringList(positions[1].fields.begin() + 1, positions[1].fields.end()),
                     (QStringList{u" 张三 "_s, u"0102"_s, u"财务部"_s, u"P02   "_s, u"出纳"_s,
                                  u"D1  "_s, u"职能部门"_s, u"G1"_s, u"G1类岗位"_s}));
            QCOMPARE(positions[0].fields[9], QString()); // NULL category name
            QVERIFY(loadPositions(user.trimmed()).empty());
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }

        const QString passwordSql = u"Select * From 员工档案 Where 工号 =@P1 and 帐号密码=@P2"_s;
        QCOMPARE(withFreeTdsMarkers(passwordCheckSql()), passwordSql);
        QCOMPARE(boundValues(server, passwordSql),
                 (QList<QStringList>{{user, stored}, {user.trimmed(), stored}, {user, u"口令"_s}}));
        // clang-format off
        const QString positionSql =
            u"Select 员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别.岗位类别编号,岗位类别名称,"
            u" 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, 岗位信息new.岗位名称,"
            u" 岗位员工new.主要岗位 From 岗位员工new"
            u" Inner joIn 岗位信息new on 岗位员工new.岗位代号 = 岗位信息new.岗位代号"
            u" Inner joIn 职能部门new on 岗位信息new.职能部门代号 = 职能部门new.职能部门编号"
            u" Inner joIn 岗位类别 on 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号"
            u" Inner joIn 职能部门类别 on 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号"
            u" Inner joIn 员工档案 on 岗位员工new.员工代号 = 员工档案.工号"
            u" Where 岗位员工new.员工代号=@P1"
            u" and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)"_s;
        // clang-format on
        QCOMPARE(withFreeTdsMarkers(positionQuerySql()), positionSql);
        QCOMPARE(boundValues(server, positionSql), (QList<QStringList>{{user}, {user.trimmed()}}));
        verifyEveryCallBindsUnicodeValues(server);
    }

    void auditFlagOfTheSessionsDepartmentAndPosition() {
        TdsTestServer server(
            {rule(kAuditMatch, kAuditColumns, {{7, u"项目管理"_s, u"财'01"_s, u"岗 位'2"_s}},
                  {u"财'01"_s, u"岗 位'2"_s})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        sessionState().departmentCode = u"财'01"_s;
        sessionState().positionCode = u"岗 位'2"_s;
        try {
            LoadProjectAuditFlag();
            QVERIFY(hasProjectAudit());
            sessionState().positionCode = u"岗位'2"_s;
            LoadProjectAuditFlag();
            QVERIFY(!hasProjectAudit());
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        const QString auditSql =
            u"SELECT     ID, 类型, 部门代号, 岗位代号 From 专项审核权限表 WHERE     "
            u"(部门代号 = @P1) AND (岗位代号 = @P2) AND (类型 = N'项目管理')"_s;
        QCOMPARE(withFreeTdsMarkers(projectAuditSql()), auditSql);
        QCOMPARE(boundValues(server, auditSql),
                 (QList<QStringList>{{u"财'01"_s, u"岗 位'2"_s}, {u"财'01"_s, u"岗位'2"_s}}));
        verifyEveryCallBindsUnicodeValues(server);
    }

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
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        TreeNodesModel nodes;
        std::vector<DeptRow> rows;
        QVERIFY_THROWS_NO_EXCEPTION(LoadDeptTree(nodes, rows));
        QCOMPARE(test::nodeList(nodes),
                 (QStringList{u"$01|01 总部|1|"_s, u"$0101|0101 财务部|2|$01"_s,
                              u"$010101|010101 出纳组|2|$0101"_s, u"$0102|0102 人事部|2|$01"_s,
                              u"$02|02 分公司|1|"_s, u"$0201|0201 销售部|2|$02"_s}));
        QVERIFY(nodes.expanded(1));
        QCOMPARE(rows.size(), size_t(6));
        QCOMPARE(rows[1].Name, u"分公司"_s);
        QCOMPARE(rows[1].ParentCode, QString()); // NULL: a top-level department
        QCOMPARE(rows[5].ParentCode, u"0101"_s);
        // Without values the driver sends the text as a plain batch.
        QVERIFY(server.requests(u"rpc"_s).isEmpty());
        QVERIFY(server.statements().contains(withFreeTdsMarkers(deptTreeSql(kSqlServer))));
        QVERIFY(prompts.recorded.isEmpty());
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
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        TreeNodesModel nodes;
        for (const QString& text : {u"财'01 财务部"_s, u"0103 空部门"_s, u"02 人事部"_s})
            nodes.add({}, 0, u'$' + text.section(u' ', 0, 0), text, 1);
        for (int i = 1; i <= nodes.count(); ++i)
            nodes.setChecked(i, true);
        FlexGridModel grid;
        grid.setFormatString(summaryFormatString());
        grid.setRows(1);
        MonthlySummary run(grid, nodes);
        try {
            run.appendTickedDepartments(u"2026"_s);
            run.appendGrandTotal();
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }

        QCOMPARE(grid.rows(), 1 + 2 + 1 + 1 + 1 + 1);
        QCOMPARE(cells(grid, 1, 0, 3),
                 (QStringList{u"1"_s, u"财务部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(grid, 1), monthsWith({{1, u"1.01"_s}, {2, u"-2.68"_s}}, u"-1.67"_s));
        QCOMPARE(cells(grid, 2, 0, 3),
                 (QStringList{u"2"_s, u"财务部"_s, u"660201"_s, u"办公费"_s}));
        QCOMPARE(months(grid, 2), monthsWith({{3, u"100.00"_s}}, u"100.00"_s));
        QCOMPARE(cells(grid, 3, 0, 1), (QStringList{u"3"_s, u"财务部小计"_s}));
        QCOMPARE(months(grid, 3), monthsWith({{1, u"1.01"_s}, {2, u"-2.68"_s}, {3, u"100.00"_s}},
                                             u"98.33"_s, u"0.00"_s));
        QCOMPARE(grid.textMatrix(3, 17), finance);
        QCOMPARE(cells(grid, 4, 0, 3),
                 (QStringList{u"4"_s, u"人事部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(grid, 4),
                 monthsWith({{5, u"2.01"_s}, {12, u"1234567.89"_s}}, u"1234569.90"_s));
        QCOMPARE(months(grid, 5),
                 monthsWith({{5, u"2.01"_s}, {12, u"1234567.89"_s}}, u"1234569.90"_s, u"0.00"_s));
        QCOMPARE(cells(grid, 6, 0, 1), (QStringList{QString(), u"合计"_s}));
        QCOMPARE(months(grid, 6), monthsWith({{1, u"1.01"_s},
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
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        FlexGridModel grid;
        grid.setFormatString(detailFormatString());
        try {
            LoadDetailList(grid, subject, u"03"_s, u"财'01"_s, u"2026"_s);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        QCOMPARE(grid.rows(), 1 + 3 + 1);
        const QString subjectText = subject + u" 管理费用"_s;
        QCOMPARE(cells(grid, 1, 0, 11),
                 (QStringList{u"1"_s, u"BX'001"_s, u"2026-03-05"_s, u"张三"_s, u"2026-03-06"_s,
                              u"是"_s, u"2026-03-10"_s, subjectText, u"差旅费 '北京'"_s,
                              u"1234.50"_s, u"6.00"_s, u"1240.50"_s}));
        QCOMPARE(cells(grid, 2, 0, 11),
                 (QStringList{u"2"_s, u"BX002"_s, u"2026-03-15"_s, u"李四"_s, QString(), u"否"_s,
                              QString(), subjectText, QString(), u"0.01"_s, QString(), u"0.01"_s}));
        QCOMPARE(
            cells(grid, 3, 0, 11),
            (QStringList{u"3"_s, u"BX003"_s, u"2026-03-31"_s, u"王五"_s, u"2026-04-01"_s, u"是"_s,
                         QString(), subjectText, u"冲销"_s, u"-2.68"_s, u"-0.50"_s, u"-3.18"_s}));
        QCOMPARE(
            cells(grid, 4, 0, 11),
            (QStringList{u"4"_s, u"合计"_s, QString(), QString(), QString(), QString(), QString(),
                         QString(), QString(), u"1231.83"_s, u"5.50"_s, u"1237.33"_s}));
        QCOMPARE(boundValues(server, withFreeTdsMarkers(detailListSql(kSqlServer))),
                 (QList<QStringList>{{u"财'01"_s, u"202603"_s, subject}}));
        verifyEveryCallBindsUnicodeValues(server);
    }

    void fromTheLoginWindowToASummary() {
        const QString typedPassword = u" 口令'1 "_s;
        TdsTestServer server(
            {rule(kPasswordMatch, kStaffColumns, {{u"1002"_s, u"王芳"_s, u"口令'1"_s, kNull}},
                  {u"1002"_s, u"口令'1"_s}),
             rule(kPositionMatch, kPositionColumns,
                  {positionRow(u" 王芳 "_s, u"0103"_s, u"人事部"_s, u"P03"_s, u"招聘专员"_s,
                               u"G2"_s, u"G2类岗位"_s, false),
                   positionRow(u" 王芳 "_s, u"0102"_s, u"财务部"_s, u"P02"_s, u"出纳"_s, u"G1"_s,
                               u"G1类岗位 "_s, true)},
                  {u"1002"_s}),
             rule(kAuditMatch, kAuditColumns, {{3, u"项目管理"_s, u"0102"_s, u"P02"_s}},
                  {u"0102"_s, u"P02"_s}),
             TdsTestServer::resultRule(kTreeMatch, kTreeColumns,
                                       {{u"01"_s, u"总部"_s, kNull},
                                        {u"0102"_s, u"财务部"_s, u"01"_s},
                                        {u"0103"_s, u"人事部"_s, u"01"_s}}),
             rule(kSummaryMatch, kSummaryColumns,
                  {{u"0"_s, u"6602"_s, u"管理费用"_s, u"202601"_s, u"1500"_s},
                   {u"0"_s, u"6602"_s, u"管理费用"_s, u"202607"_s, u"-20.125"_s},
                   {u"0"_s, u"6603"_s, u"财务费用"_s, u"202612"_s, u"0.335"_s}},
                  summaryValues({u"0102"_s}))},
            {{u"user"_s, u"sa"_s}, {u"password"_s, u"secret"_s}, {u"database"_s, u"报销库"_s}});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));

        QTemporaryDir config;
        const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
        test::writeServerSettingsFor(config.path(), server.serverAddress(), u"sa"_s, u"secret"_s,
                                     u"报销库"_s);
        const auto restoreConfig = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", previousConfig); });

        test::FakePrompts prompts;
        LoginWindow login;
        MainWindow::followLogin(login);
        login.load();
        login.show();
        login.findChild<QLineEdit*>(u"TxtUser"_s)->setText(u"1002"_s);
        login.findChild<QLineEdit*>(u"txtPassword"_s)->setText(typedPassword);
        QTest::mouseClick(login.findChild<QPushButton*>(u"cmdOK"_s), Qt::LeftButton);
        QVERIFY2(prompts.recorded.isEmpty(), qPrintable(prompts.messageTexts().join(u" | "_s)));
        auto* list = login.findChild<QListWidget*>(u"List1"_s);
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), u"人事部 招聘专员(兼职)"_s);
        QCOMPARE(list->item(1)->text(), u"财务部 出纳(主要)"_s);
        const QRect line = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line.center());

        const SessionState& s = sessionState();
        QCOMPARE(
            (QStringList{s.employeeCode, s.employeeName, s.departmentCode, s.departmentName,
                         s.positionCode, s.positionName, s.departmentCategoryCode,
                         s.departmentCategoryName, s.positionCategoryCode, s.positionCategoryName}),
            (QStringList{u"1002"_s, u"王芳"_s, u"0102"_s, u"财务部"_s, u"P02"_s, u"出纳"_s, u"D1"_s,
                         u"职能部门"_s, u"G1"_s, u"G1类岗位"_s}));
        QVERIFY(MainWindow::instance() && MainWindow::instance()->isVisible());
        QVERIFY(!login.isVisible());
        QVERIFY(hasProjectAudit()); // the main window asked with the session's trimmed codes
        const QJsonObject settingsLogin = server.requests(u"login"_s).last();
        QCOMPARE(settingsLogin[u"database"_s].toString(), u"报销库"_s);

        ReportWindow report;
        report.show();
        report.load();
        QCOMPARE(report.nodes().count(), 3);
        report.nodes().userCheck(report.nodes().indexOfKey(u"$0102"_s), true);
        report.findChild<QComboBox*>(u"Combo1"_s)->setCurrentText(u"2026年"_s);
        QTest::mouseClick(report.findChild<QPushButton*>(u"Command3"_s), Qt::LeftButton);
        const FlexGridModel& g = report.grid1();
        QCOMPARE(g.rows(), 1 + 2 + 1 + 1);
        QCOMPARE(cells(g, 1, 1, 3), (QStringList{u"财务部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(g, 1), monthsWith({{1, u"1500.00"_s}, {7, u"-20.13"_s}}, u"1479.87"_s));
        QCOMPARE(months(g, 2), monthsWith({{12, u"0.34"_s}}, u"0.34"_s));
        const QStringList total = monthsWith({{1, u"1500.00"_s}, {7, u"-20.13"_s}, {12, u"0.34"_s}},
                                             u"1480.21"_s, u"0.00"_s);
        QCOMPARE(g.textMatrix(3, 1), u"财务部小计"_s);
        QCOMPARE(months(g, 3), total);
        QCOMPARE(g.textMatrix(4, 1), u"合计"_s);
        QCOMPARE(months(g, 4), total);
        QVERIFY2(prompts.recorded.isEmpty(), qPrintable(prompts.messageTexts().join(u" | "_s)));

        // Every statement, in the order the program ran it; the driver adds none.
        QCOMPARE(server.statements(),
                 (QStringList{withFreeTdsMarkers(passwordCheckSql()),
                              withFreeTdsMarkers(positionQuerySql()),
                              withFreeTdsMarkers(projectAuditSql()),
                              withFreeTdsMarkers(deptTreeSql(kSqlServer)),
                              withFreeTdsMarkers(MonthlySummary::summarySql(kSqlServer, 1))}));
        QCOMPARE(boundValues(server, withFreeTdsMarkers(passwordCheckSql())),
                 (QList<QStringList>{{u"1002"_s, u"口令'1"_s}}));
        QCOMPARE(boundValues(server, withFreeTdsMarkers(projectAuditSql())),
                 (QList<QStringList>{{u"0102"_s, u"P02"_s}}));
        verifyEveryCallBindsUnicodeValues(server);
    }

    void failingStatementInARunLeavesTheHeaderOnly() {
        const QStringList values = summaryValues({u"0102"_s, u"0103"_s});
        const QString message = u"对象名 '报销单明细' 无效。"_s;
        // The statement fails half-way, after the first department's rows.
        QJsonObject halfWay =
            rule(kSummaryMatch, kSummaryColumns,
                 {{u"0"_s, u"6602"_s, u"管理费用"_s, u"202601"_s, u"10"_s}}, values);
        halfWay[u"error"_s] = QJsonArray{TdsTestServer::error(208, message)};
        TdsTestServer server({TdsTestServer::resultRule(kTreeMatch, kTreeColumns,
                                                        {{u"0102"_s, u"财务部"_s, kNull},
                                                         {u"0103"_s, u"人事部"_s, kNull}}),
                              halfWay});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        ReportWindow report;
        report.show();
        report.load();
        report.nodes().userCheck(1, true);
        report.nodes().userCheck(2, true);
        report.findChild<QComboBox*>(u"Combo1"_s)->setCurrentText(u"2026年"_s);
        QTest::mouseClick(report.findChild<QPushButton*>(u"Command3"_s), Qt::LeftButton);
        QCOMPARE(prompts.recorded.size(), 1);
        QCOMPARE(prompts.recorded[0].text, u"错误码: 208 错误描述: "_s + message);
        QCOMPARE(prompts.recorded[0].title, u"系统提示"_s);
        QCOMPARE(report.grid1().rows(), 1);
        QVERIFY(report.grid1().redraw());
        QVERIFY(!report.findChild<QWidget*>(u"Picture6"_s)->isVisible());
        QCOMPARE(boundValues(server, withFreeTdsMarkers(MonthlySummary::summarySql(kSqlServer, 2))),
                 (QList<QStringList>{values}));
    }
};

QTEST_MAIN(TestTdsProgram)
#include "tst_tds_program.moc"
