// The session's queries on the SQL Server wire: the login's password check
// and position list, the audit flag, then the way from the login window to a
// summary run, each through the FreeTDS ODBC driver and the scripted TDS
// server with the column types of the real schema.

#include "FixtureDb.h"
#include "ModelDumps.h"
#include "TdsScripts.h"
#include "TestContext.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "platform/MousePointer.h"
#include "platform/ui/QtPrompts.h"
#include "report/MonthlySummary.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportWindow.h"
#include "session/LoginQueries.h"
#include "session/ProjectAudit.h"
#include "session/SessionState.h"
#include "session/ui/LoginWindow.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestTdsSession : public QObject {
    Q_OBJECT

private slots:
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
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        try {
            QVERIFY(passwordMatches(t.db(), user, password));
            QVERIFY(!passwordMatches(t.db(), user.trimmed(), password));
            QVERIFY(!passwordMatches(t.db(), user, u"口令"_s));
            const std::vector<PositionRecord> positions = loadPositions(t.db(), user);
            QCOMPARE(positions.size(), size_t(2));
            QCOMPARE(positions[0].listLine(), u"人事部 招聘专员(兼职)"_s);
            QCOMPARE(positions[1].listLine(), u"财务部 出纳(主要)"_s);
            QCOMPARE(positions[1].fields[0], user);
            // As the columns deliver them; the window trims when a line is chosen.
            QCOMPARE(QStringList(positions[1].fields.begin() + 1, positions[1].fields.end()),
                     (QStringList{u" 张三 "_s, u"0102"_s, u"财务部"_s, u"P02   "_s, u"出纳"_s,
                                  u"D1  "_s, u"职能部门"_s, u"G1"_s, u"G1类岗位"_s}));
            QCOMPARE(positions[0].fields[9], QString()); // NULL category name
            QVERIFY(loadPositions(t.db(), user.trimmed()).empty());
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
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        t.app.session.departmentCode = u"财'01"_s;
        t.app.session.positionCode = u"岗 位'2"_s;
        try {
            QVERIFY(loadProjectAuditFlag(t.db(), t.app.session));
            t.app.session.positionCode = u"岗位'2"_s;
            QVERIFY(!loadProjectAuditFlag(t.db(), t.app.session));
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        const QString auditSql =
            u"SELECT     ID, 类型, 部门代号, 岗位代号 From 专项审核权限表 WHERE     "
            u"(部门代号 = @P1) AND (岗位代号 = @P2) AND (类型 = N'项目管理')"_s;
        QCOMPARE(withFreeTdsMarkers(projectAuditSql(kSqlServer)), auditSql);
        QCOMPARE(boundValues(server, auditSql),
                 (QList<QStringList>{{u"财'01"_s, u"岗 位'2"_s}, {u"财'01"_s, u"岗位'2"_s}}));
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

        test::TestContext t;
        MainWindow frame(t.app);
        LoginWindow login(t.app);
        frame.follow(login);
        login.load();
        login.show();
        login.findChild<QLineEdit*>(u"userEdit"_s)->setText(u"1002"_s);
        login.findChild<QLineEdit*>(u"passwordEdit"_s)->setText(typedPassword);
        QTest::mouseClick(login.findChild<QPushButton*>(u"loginButton"_s), Qt::LeftButton);
        QVERIFY2(t.prompts.recorded.isEmpty(), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        auto* list = login.findChild<QListWidget*>(u"positionList"_s);
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), u"人事部 招聘专员(兼职)"_s);
        QCOMPARE(list->item(1)->text(), u"财务部 出纳(主要)"_s);
        const QRect line = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line.center());

        const SessionState& s = t.app.session;
        QCOMPARE(
            (QStringList{s.employeeCode, s.employeeName, s.departmentCode, s.departmentName,
                         s.positionCode, s.positionName, s.departmentCategoryCode,
                         s.departmentCategoryName, s.positionCategoryCode, s.positionCategoryName}),
            (QStringList{u"1002"_s, u"王芳"_s, u"0102"_s, u"财务部"_s, u"P02"_s, u"出纳"_s, u"D1"_s,
                         u"职能部门"_s, u"G1"_s, u"G1类岗位"_s}));
        QVERIFY(frame.isOpen() && frame.isVisible());
        QVERIFY(!login.isVisible());
        QVERIFY(t.app.hasProjectAudit); // the main window asked with the session's trimmed codes
        const QJsonObject settingsLogin = server.requests(u"login"_s).last();
        QCOMPARE(settingsLogin[u"database"_s].toString(), u"报销库"_s);

        ReportWindow report(t.app);
        report.show();
        report.load();
        QCOMPARE(report.departments().tree().size(), 3);
        tickDepartments(report.departments(), {u"0102"_s});
        report.findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2026年"_s);
        QTest::mouseClick(report.findChild<QPushButton*>(u"runButton"_s), Qt::LeftButton);
        QVERIFY(report.summary());
        const std::vector<SummaryRow>& rows = report.summary()->rows;
        QCOMPARE(rows.size(), size_t(2 + 1 + 1));
        QCOMPARE((QStringList{rows[0].deptName, rows[0].subjectCode, rows[0].subjectName}),
                 (QStringList{u"财务部"_s, u"6602"_s, u"管理费用"_s}));
        QCOMPARE(months(rows[0]), monthsWith({{1, u"1500.00"_s}, {7, u"-20.13"_s}}, u"1479.87"_s));
        QCOMPARE(months(rows[1]), monthsWith({{12, u"0.34"_s}}, u"0.34"_s));
        const QStringList total = monthsWith({{1, u"1500.00"_s}, {7, u"-20.13"_s}, {12, u"0.34"_s}},
                                             u"1480.21"_s, u"0.00"_s);
        QCOMPARE(rows[2].deptName, u"财务部小计"_s);
        QCOMPARE(months(rows[2]), total);
        QCOMPARE(rows[3].deptName, u"合计"_s);
        QCOMPARE(months(rows[3]), total);
        QCOMPARE(report.summaryGrid().rowCount(), 4);
        QVERIFY2(t.prompts.recorded.isEmpty(), qPrintable(t.prompts.messageTexts().join(u" | "_s)));

        // Every statement, in the order the program ran it; the driver adds none.
        QCOMPARE(server.statements(),
                 (QStringList{withFreeTdsMarkers(passwordCheckSql()),
                              withFreeTdsMarkers(positionQuerySql()),
                              withFreeTdsMarkers(projectAuditSql(kSqlServer)),
                              withFreeTdsMarkers(deptTreeSql(kSqlServer)),
                              withFreeTdsMarkers(MonthlySummary::summarySql(kSqlServer, 1))}));
        QCOMPARE(boundValues(server, withFreeTdsMarkers(passwordCheckSql())),
                 (QList<QStringList>{{u"1002"_s, u"口令'1"_s}}));
        QCOMPARE(boundValues(server, withFreeTdsMarkers(projectAuditSql(kSqlServer))),
                 (QList<QStringList>{{u"0102"_s, u"P02"_s}}));
        verifyEveryCallBindsUnicodeValues(server);
    }

    // While a silent server keeps the log-in waiting, the window program
    // shows a wait box with the wait cursor and keeps answering the desktop;
    // closing the box ends the program once the attempt is over, and nobody
    // is asked anything after that.
    void closingTheWaitBoxEndsTheProgramAfterTheAttempt() {
        TdsTestServer server({}, {}, TdsTestServer::Mode::Silent);
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QtPrompts prompts;
        AppContext context(prompts);
        QString shown;
        bool waitCursor = false;
        QTimer::singleShot(300, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                shown = box->findChild<QLabel*>()->text();
                waitCursor = mousePointer() == MousePointer::Hourglass;
                box->close();
            }
        });
        const bool connected = connectWire(context, server);
        QVERIFY(!connected);
        QCOMPARE(shown, u"正在连接数据库……"_s);
        QVERIFY(waitCursor);
        QVERIFY(prompts.quitRequested());
        QCOMPARE(prompts.exitCode(), 0);
        QCOMPARE(mousePointer(), MousePointer::Default);
    }
};

QTEST_MAIN(TestTdsSession)
#include "tst_tds_session.moc"
