// The whole program over FreeTDS against tds_server.py serving the demo
// database: the tree, the summary of every department, a detail listing and
// both workbooks, each compared with the same run on the embedded file; with
// the demo's own loose schema, with SQL Server's column types (whose char and
// nchar codes arrive padded with blanks) and over TLS. Also a run of more
// departments than one statement carries, and statements only SQLite runs.

#include "FixtureDb.h"
#include "ModelDumps.h"
#include "ReportWindowDriver.h"
#include "TdsTestServer.h"
#include "TestContext.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "report/DeptSelection.h"
#include "report/DeptTree.h"
#include "report/MonthlySummary.h"
#include "report/ReportRows.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportGridView.h"
#include "report/ui/ReportWindow.h"
#include "session/DatabaseConnect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using test::TdsTestServer;

namespace {

QString binaryDir() {
    return qEnvironmentVariable("NBR_BINARY_DIR");
}
QString sourceDir() {
    return qEnvironmentVariable("NBR_SOURCE_DIR");
}

// Empty when the two workbooks agree cell for cell, else the differences.
QString compareWorkbooks(const QString& actual, const QString& expected) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(u"/usr/bin/python3"_s,
            {sourceDir() + u"/tests/check_workbook.py"_s, actual, u"--same-as"_s, expected});
    if (!p.waitForFinished(120000))
        return u"checker did not finish"_s;
    const QString out = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? QString()
                                                                       : out + u" (failed)"_s;
}

// What a user sees and writes in one session of the report window.
struct WindowRun {
    QStringList nodes, summary, listing, messages;
};

// 全选, the 2026 summary, the listing of the first filled month of the first
// department's last subject row, both exports into the folder.
WindowRun runWindow(test::TestContext& t, const QString& folder) {
    t.prompts.clear();
    ReportWindow w(t.app);
    w.show();
    w.load();
    w.findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2026年"_s);
    QTest::mouseClick(w.findChild<QCheckBox*>(u"selectAllBox"_s), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QPushButton*>(u"runButton"_s), Qt::LeftButton);
    t.prompts.saveAnswers.push_back(folder + u"/月报.xlsx"_s);
    QTest::mouseClick(w.findChild<QPushButton*>(u"exportButton"_s), Qt::LeftButton);

    const ReportGridModel& g = w.summaryGrid();
    int row = 0;
    while (row + 1 < g.rowCount() && !g.text(row + 1, 1).endsWith(u"小计"_s))
        ++row;
    int col = 4;
    while (col < 15 && g.text(row, col).isEmpty())
        ++col;
    test::clickCell(w.summaryView(), {row, col});
    QTest::mouseClick(w.findChild<QPushButton*>(u"drillDownButton"_s), Qt::LeftButton);
    t.prompts.saveAnswers.push_back(folder + u"/明细.xlsx"_s);
    QTest::mouseClick(w.findChild<QPushButton*>(u"exportDetailButton"_s), Qt::LeftButton);
    return {test::treeList(w.departments().tree()), test::gridDump(g),
            test::gridDump(w.detailGrid()),
            t.prompts.messageTexts().replaceInStrings(folder, u"…"_s)};
}

// The 2026 summary of every department of the tree, without a window.
QStringList summaryOfAll(Database& db) {
    const DeptTree tree = loadDeptTree(db);
    DeptSelection ticks(tree);
    ticks.selectAll(true);
    ReportGridModel grid(summaryColumns(), true);
    grid.setRows(summaryRows(runSummary(db, {ticks.tickedDepartments(), 2026})));
    return test::gridDump(grid);
}

bool connectTo(AppContext& context, const TdsTestServer& server,
               Encryption encryption = Encryption::Request, const QString& password = u"pw"_s) {
    ConnectionOptions options;
    options.loginTimeoutSeconds = 5;
    options.encryption = encryption;
    return openConnection(context, u"sa"_s, password, u"演示库"_s, server.serverAddress(), options);
}

// The text as FreeTDS sends it (UTF-16), and a password as LOGIN7 scrambles it.
QByteArray onTheWire(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}
QByteArray scrambled(const QString& password) {
    QByteArray bytes = onTheWire(password);
    for (char& b : bytes)
        b = char((((uchar(b) << 4) & 0xF0) | (uchar(b) >> 4)) ^ 0xA5);
    return bytes;
}

// Runs nbreport-export with a settings file; its exit code and error output.
std::pair<int, QString> runTool(const QString& ini, const QStringList& args) {
    QProcess p;
    p.start(binaryDir() + u"/tools/nbreport-export"_s, QStringList{u"--settings"_s, ini} + args);
    if (!p.waitForFinished(120000))
        return {-1, u"did not finish"_s};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestTdsDemo : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_demo;
    QString m_typedDemo;

    QString served(bool sqlServerTypes) const { return sqlServerTypes ? m_typedDemo : m_demo; }

private slots:
    void initTestCase() {
        QVERIFY2(!sourceDir().isEmpty(), "run through ctest: NBR_SOURCE_DIR names the server");
        m_demo = m_dir.filePath(u"demo.db"_s);
        m_typedDemo = m_dir.filePath(u"typed.db"_s);
        QCOMPARE(QProcess::execute(binaryDir() + u"/tools/nbreport-make-demo"_s, {m_demo}), 0);
        test::copyWithSqlServerTypes(m_demo, m_typedDemo);
    }

    // Over TLS, FreeTDS 1.3 encrypts the whole session when it asks for
    // encryption (require) or the server insists; with request and a server
    // that only offers it, the login packet alone.
    void windowShowsAndWritesWhatTheEmbeddedFileGives_data() {
        QTest::addColumn<bool>("sqlServerTypes");
        QTest::addColumn<QString>("tls");
        QTest::addColumn<int>("encryption");
        QTest::addColumn<bool>("statementsInClear");
        QTest::newRow("demo schema") << false << QString() << int(Encryption::Request) << true;
        QTest::newRow("SQL Server types, padded char and nchar codes")
            << true << QString() << int(Encryption::Request) << true;
        QTest::newRow("request, server forcing TLS: all encrypted")
            << false << u"force"_s << int(Encryption::Request) << false;
        QTest::newRow("require, server offering TLS: all encrypted")
            << false << u"offer"_s << int(Encryption::Require) << false;
        QTest::newRow("request, server offering TLS: the login alone encrypted")
            << false << u"offer"_s << int(Encryption::Request) << true;
    }
    void windowShowsAndWritesWhatTheEmbeddedFileGives() {
        QFETCH(bool, sqlServerTypes);
        QFETCH(QString, tls);
        QFETCH(int, encryption);
        QFETCH(bool, statementsInClear);
        const QString password = u"口令;Secret9"_s;
        QDir().mkpath(m_dir.filePath(u"embedded"_s));
        QDir().mkpath(m_dir.filePath(u"server"_s));
        test::TestContext embedded;
        QVERIFY(embedded.connectToFile(m_demo));
        const WindowRun expected = runWindow(embedded, m_dir.filePath(u"embedded"_s));
        QVERIFY(expected.summary.size() > 50);
        QVERIFY(expected.listing.size() > 2); // lines, totals, widths

        TdsTestServer server(
            TdsTestServer::Database{served(sqlServerTypes), 0, u"sa:"_s + password, tls, true});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server, Encryption(encryption), password),
                 qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        const WindowRun actual = runWindow(t, m_dir.filePath(u"server"_s));
        QCOMPARE(actual.nodes, expected.nodes);
        QCOMPARE(actual.summary, expected.summary);
        QCOMPARE(actual.listing, expected.listing);
        QCOMPARE(actual.messages, expected.messages);
        for (const QString& name : {u"月报.xlsx"_s, u"明细.xlsx"_s}) {
            const QString failure = compareWorkbooks(m_dir.filePath(u"server/"_s + name),
                                                     m_dir.filePath(u"embedded/"_s + name));
            QVERIFY2(failure.isEmpty(), qPrintable(name + u": "_s + failure));
        }
        // No value went out with a code's padding.
        for (const QJsonObject& call : server.requests(u"rpc"_s))
            for (const QJsonValue& p : call[u"params"_s].toArray())
                QVERIFY(!p[u"value"_s].toString().endsWith(u' '));
        const QByteArray wire = server.captured();
        QCOMPARE(wire.contains(onTheWire(u"As 月合计"_s)), statementsInClear);
        QCOMPARE(wire.contains(onTheWire(u"职能部门new"_s)), statementsInClear);
        QCOMPARE(wire.contains(scrambled(password)), tls.isEmpty());
        QVERIFY(!wire.contains(onTheWire(password)));
    }

    // More departments than one statement may carry under SQL Server's limit
    // of 2 100 parameters, which the test server enforces: two statements.
    void moreDepartmentsThanOneStatementCarries() {
        const int departments = MonthlySummary::kDepartmentsPerStatement + 1;
        const QString path = m_dir.filePath(u"many.db"_s);
        {
            test::FixtureDb db(path);
            db.addSubject(u"6602"_s, u"管理费用"_s);
            for (int i = 1; i <= departments; ++i) {
                const QString code = u"D%1"_s.arg(i, 4, 10, QChar(u'0'));
                db.addDepartment(code, u"部门"_s + code);
                const QString date = u"2026-%1-15"_s.arg(i % 12 + 1, 2, 10, QChar(u'0'));
                db.addLine(db.addClaim(code, code, date), u"6602"_s, i + 0.25);
            }
        }
        test::TestContext embedded;
        QVERIFY(embedded.connectToFile(path));
        const QStringList expected = summaryOfAll(embedded.db());
        QCOMPARE(expected.size(), 2 * departments + 1 + 1);

        TdsTestServer server(TdsTestServer::Database{path});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        try {
            QCOMPARE(summaryOfAll(t.db()), expected);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        QCOMPARE(server.statements().filter(u"As 月合计"_s).size(), 2);
        QVERIFY(t.prompts.recorded.isEmpty());
    }

    // What only SQLite would run fails as on SQL Server, so that the runs
    // above cannot pass with a statement only the embedded file accepts.
    void statementsOnlySqliteRunsFail_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("number");
        QTest::newRow("SQLite function")
            << u"select strftime('%Y%m', 报批日期) from 报销单表"_s << 195;
        QTest::newRow("LIMIT") << u"select 报销单ID from 报销单表 limit 1"_s << 102;
        QTest::newRow("|| joining texts") << u"select 报销单编号 || 报销人 from 报销单表"_s << 102;
        QTest::newRow("common table expression of VALUES")
            << u"WITH t(code) AS (VALUES ('0102')) select code from t"_s << 156;
        QTest::newRow("VALUES table without column names")
            << u"select * from (VALUES ('0102')) AS t"_s << 8155;
        QTest::newRow("unknown table") << u"select * from 报销单"_s << 208;
    }
    void statementsOnlySqliteRunsFail() {
        QFETCH(QString, sql);
        QFETCH(int, number);
        TdsTestServer server(TdsTestServer::Database{m_demo});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectTo(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        try {
            (void)t.db().query(sql);
            QFAIL("the statement ran");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), number);
        }
    }

    // The headless export picks one department by its code, unpadded.
    void toolExportsOneDepartmentByItsCode_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("encrypt");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        // The settings file takes the password as written and the connection
        // string carries it to the server's own password check.
        QTest::newRow("password with ; } and =, as written")
            << u"p;ss}w=rd"_s << QString() << 0 << QString();
        QTest::newRow("Encrypt=require, server without TLS")
            << u"pw"_s << u"require"_s << 2 << u"未能建立加密连接（设置 Encrypt=require）"_s;
    }
    void toolExportsOneDepartmentByItsCode() {
        QFETCH(QString, password);
        QFETCH(QString, encrypt);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        TdsTestServer server(TdsTestServer::Database{m_typedDemo, 0, u"sa:"_s + password});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        const QString serverIni = test::writeSettingsFile(m_dir.filePath(u"server.ini"_s),
                                                          {{u"Svr"_s, server.serverAddress()},
                                                           {u"UID"_s, u"sa"_s},
                                                           {u"PWD"_s, password},
                                                           {u"DBname"_s, u"演示库"_s},
                                                           {u"Encrypt"_s, encrypt}});
        const QString fileIni = test::writeSettingsFile(
            m_dir.filePath(u"file.ini"_s), {{u"Engine"_s, u"SQLite"_s}, {u"DBname"_s, m_demo}});
        const QStringList detail{u"--detail"_s, u"0102"_s, u"660102"_s, u"12"_s};
        for (const QString& which : {u"server"_s, u"file"_s}) {
            const auto [code, errors] =
                runTool(which == u"server"_s ? serverIni : fileIni,
                        QStringList{u"--year"_s, u"2026"_s, u"--dept"_s, u"0102"_s, u"--summary"_s,
                                    m_dir.filePath(which + u"-月报.xlsx"_s)} +
                            detail + QStringList{m_dir.filePath(which + u"-明细.xlsx"_s)});
            QVERIFY2(code == exitCode, qPrintable(errors));
            QVERIFY2(errors.contains(error), qPrintable(errors));
            if (exitCode != 0)
                return;
        }
        for (const QString& name : {u"-月报.xlsx"_s, u"-明细.xlsx"_s}) {
            const QString failure = compareWorkbooks(m_dir.filePath(u"server"_s + name),
                                                     m_dir.filePath(u"file"_s + name));
            QVERIFY2(failure.isEmpty(), qPrintable(name + u": "_s + failure));
        }
    }
};

QTEST_MAIN(TestTdsDemo)
#include "tst_tds_demo.moc"
