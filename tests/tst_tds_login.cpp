// Logging in through the real FreeTDS ODBC driver to a scripted TDS server
// on a loopback port: the log-in values as they arrive, refused and
// unreachable servers, the log-in and the statement time-outs, the server's
// certificate checked, a server lost and the connection restored.

#include "FixtureDb.h"
#include "TdsScripts.h"
#include "TestContext.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "session/DatabaseConnect.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestTdsLogin : public QObject {
    Q_OBJECT

private slots:
    void loginValuesReachTheServerUnchanged_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::newRow("plain") << u"sa"_s << u"secret"_s << u"Corvale"_s;
        QTest::newRow("semicolons") << u"a;b"_s << u";pw;"_s << u"库;1"_s;
        QTest::newRow("braces") << u"{u}"_s << u"p}w{x}"_s << u"db}}"_s;
        QTest::newRow("semicolon, brace and equals sign") << u"sa"_s << u"p;ss}w=rd"_s << u"库"_s;
        QTest::newRow("edge blanks") << u" sa "_s << u"  pw"_s << u"报销 库 "_s;
        QTest::newRow("chinese") << u"张三"_s << u"密码口令"_s << u"财务数据库"_s;
    }

    void loginValuesReachTheServerUnchanged() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        TdsTestServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectWire(t.app, server, user, password, database),
                 qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        const QJsonObject login = lastLogin(server);
        QCOMPARE(login[u"user"_s].toString(), user);
        QCOMPARE(login[u"password"_s].toString(), password);
        QCOMPARE(login[u"database"_s].toString(), database);
        QCOMPARE(t.db().connection()->dbmsName(), u"Microsoft SQL Server"_s);
    }

    void valuesFreeTdsCannotReadAreRefusedBeforeConnecting() {
        TdsTestServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY(!connectWire(t.app, server, u"sa"_s, u"pass};DATABASE=master"_s));
        QCOMPARE(t.prompts.messageTexts(),
                 QStringList{u"错误信息：连接设置中含有无法使用的字符"_s});
        QVERIFY(server.requests(u"login"_s).isEmpty());
        // Drivers that follow the usual rule read "}}" as one "}".
        ConnectionOptions standard;
        standard.driver = u"ODBC Driver 18 for SQL Server"_s;
        QCOMPARE(
            odbcConnectionString(u"sa"_s, u"a};b"_s, u"db"_s, u"h,1"_s, standard),
            u"DRIVER={ODBC Driver 18 for SQL Server};SERVER=h,1;UID=sa;PWD={a}};b};DATABASE=db"_s);
    }

    void rejectedLoginShowsTheServersMessage() {
        const QJsonObject account{{u"user"_s, u"李四"_s}, {u"password"_s, u"口令;1"_s}};
        TdsTestServer server({}, account);
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY(!connectWire(t.app, server, u"张三"_s));
        QCOMPARE(t.prompts.recorded.size(), 1);
        QCOMPARE(t.prompts.recorded[0].text, u"错误信息：Login failed for user '张三'."_s);
        QCOMPARE(t.prompts.recorded[0].title, u"信息文本"_s);
        QVERIFY(!t.app.database);

        // The same through the settings store, which adds its own notice.
        QTemporaryDir config;
        const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
        test::writeServerSettingsFor(config.path(), server.serverAddress(), u"李四"_s, u"旧口令"_s,
                                     u"报销库"_s);
        t.prompts.clear();
        const bool refused = connectFromSettings(t.app) == ConnectResult::Failed;
        // Once the server takes the stored password, the same settings connect.
        server.setScript({}, {{u"user"_s, u"李四"_s}, {u"password"_s, u"旧口令"_s}});
        const QStringList refusalTexts = t.prompts.messageTexts();
        const QString noticeTitle = t.prompts.recorded.value(1).title;
        t.prompts.clear();
        const bool accepted = connectFromSettings(t.app) == ConnectResult::Connected;
        qputenv("XDG_CONFIG_HOME", previousConfig);
        QVERIFY(refused);
        QCOMPARE(refusalTexts,
                 QStringList({u"错误信息：Login failed for user '李四'."_s, u"数据库连接失败!"_s}));
        QCOMPARE(noticeTitle, u"连接提示"_s);
        QCOMPARE(t.prompts.recorded.size(), 0);
        QVERIFY(accepted);
        QCOMPARE(lastLogin(server)[u"database"_s].toString(), u"报销库"_s);
    }

    void unreachableServerFailsAtOnce_data() {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("message");
        QTest::newRow("closed port")
            << false << u"Unable to connect: Adaptive Server is unavailable or does not exist"_s;
        QTest::newRow("accepts and closes") << true << u"Adaptive Server connection failed"_s;
    }

    void unreachableServerFailsAtOnce() {
        QFETCH(bool, listening);
        QFETCH(QString, message);
        TdsTestServer server({}, {}, TdsTestServer::Mode::CloseAtOnce);
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        const QString address =
            listening ? server.serverAddress()
                      : u"127.0.0.1,"_s + QString::number(TdsTestServer::unusedPort());
        test::TestContext t;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!openConnection(t.app, u"sa"_s, u"pw"_s, u"db"_s, address, wireOptions()));
        QCOMPARE_LT(clock.elapsed(), 5000);
        QCOMPARE(t.prompts.messageTexts(), QStringList{u"错误信息："_s + message});
    }

    void silentServerFailsAfterTheLoginTimeout() {
        TdsTestServer server({}, {}, TdsTestServer::Mode::Silent);
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!connectWire(t.app, server));
        QCOMPARE_GE(clock.elapsed(), kLoginTimeoutSeconds * 1000 - 200);
        QCOMPARE_LT(clock.elapsed(), kLoginTimeoutSeconds * 1000 + 4000);
        QCOMPARE(t.prompts.recorded.size(), 1);
        QVERIFY2(t.prompts.recorded[0].text.startsWith(u"错误信息：Timeout expired"_s),
                 qPrintable(t.prompts.recorded[0].text));
    }

    void slowStatementOutlastsTheLoginTimeout() {
        QJsonObject slow = TdsTestServer::resultRule(
            u"From 汇总"_s, {TdsTestServer::column(u"合计"_s, u"int"_s)}, {{1}});
        slow[u"delay"_s] = kLoginTimeoutSeconds + 1;
        TdsTestServer server({slow});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY2(connectWire(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        try {
            QCOMPARE(t.db().query(u"Select 合计 From 汇总"_s).rowCount(), 1);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
    }

    void hangingStatementEndsAfterTheQueryTimeout() {
        QJsonObject hanging = TdsTestServer::resultRule(
            u"From 汇总"_s, {TdsTestServer::column(u"合计"_s, u"int"_s)}, {{1}});
        hanging[u"delay"_s] = 6;
        QJsonObject quick = TdsTestServer::resultRule(
            u"From 其他"_s, {TdsTestServer::column(u"值"_s, u"int"_s)}, {{7}});
        TdsTestServer server({hanging, quick});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::TestContext t;
        QVERIFY(connectWire(t.app, server));
        t.db().connection()->setQueryTimeout(1);
        QElapsedTimer clock;
        clock.start();
        QVERIFY_THROWS_EXCEPTION(DbError, t.db().query(u"Select 合计 From 汇总"_s));
        QCOMPARE_LT(clock.elapsed(), 4000);
        // The connection is usable again once the server has finished.
        t.db().connection()->setQueryTimeout(30);
        try {
            QCOMPARE(t.db().query(u"Select 值 From 其他"_s).field(u"值"_s).text(), u"7"_s);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
    }

    // The README's way to have the server's certificate checked: Servername
    // names a freetds.conf section that says which authority to trust.
    void certificateIsCheckedThroughAFreetdsConfSection_data() {
        QTest::addColumn<bool>("ownAuthority");
        QTest::newRow("the server's own authority: connects") << true;
        QTest::newRow("another server's authority: refused") << false;
    }
    void certificateIsCheckedThroughAFreetdsConfSection() {
        QFETCH(bool, ownAuthority);
        QTemporaryDir dir;
        const QString db = dir.filePath(u"tls.db"_s);
        FixtureDb(db).addDepartment(u"01"_s, u"总部"_s);
        TdsTestServer server(TdsTestServer::Database{db, 0, {}, u"force"_s});
        TdsTestServer other(TdsTestServer::Database{db, 0, {}, u"force"_s});
        QVERIFY2(server.isRunning() && other.isRunning(), qPrintable(server.errorString()));
        QFile conf(dir.filePath(u"freetds.conf"_s));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(
            u"[nbrtest]\n\thost = 127.0.0.1\n\tport = %1\n\tca file = %2\n"_s.arg(server.port())
                .arg((ownAuthority ? server : other).certificatePath())
                .toUtf8());
        conf.close();
        qputenv("FREETDSCONF", conf.fileName().toUtf8());
        test::TestContext t;
        t.app.settingsFile =
            writeSettingsFile(dir.filePath(u"settings.ini"_s), {{u"Servername"_s, u"nbrtest"_s},
                                                                {u"UID"_s, u"sa"_s},
                                                                {u"DBname"_s, u"库"_s},
                                                                {u"Encrypt"_s, u"require"_s}});
        const ConnectResult result = connectFromSettings(t.app);
        qunsetenv("FREETDSCONF");
        QCOMPARE(result, ownAuthority ? ConnectResult::Connected : ConnectResult::Failed);
        if (ownAuthority)
            QCOMPARE(t.db().query(u"Select * From 职能部门new"_s).rowCount(), 1);
    }

    // A server gone: the query says so with the driver's SQLSTATE (FreeTDS's
    // number is 0), the next one cannot reconnect while it stays away, and
    // once it is back (on another port, as the settings now say) the next
    // query reconnects.
    void lostServerIsToldAndTheNextQueryReconnects() {
        const QJsonArray rules{TdsTestServer::resultRule(
            u"From 其他"_s, {TdsTestServer::column(u"值"_s, u"int"_s)}, {{7}})};
        QTemporaryDir config;
        const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
        auto server = std::make_unique<TdsTestServer>(rules);
        writeServerSettingsFor(config.path(), server->serverAddress(), u"sa"_s, u"pw"_s, u"库"_s);
        test::TestContext t;
        const ConnectResult connected = connectFromSettings(t.app);
        auto run = [&t] {
            try {
                return QString::number(t.db().query(u"Select 值 From 其他"_s).rowCount());
            } catch (const DbError& e) {
                return errorText(e);
            }
        };
        const QString before = run();
        server.reset();
        const QString lost = run(), stillAway = run();
        server = std::make_unique<TdsTestServer>(rules);
        writeServerSettingsFor(config.path(), server->serverAddress(), u"sa"_s, u"pw"_s, u"库"_s);
        const QString back = run();
        qputenv("XDG_CONFIG_HOME", previousConfig);
        QCOMPARE(connected, ConnectResult::Connected);
        QCOMPARE(before, u"1"_s);
        QCOMPARE(lost, u"错误码: HY000 错误描述: 与数据库的连接已断开：Unknown error\n"
                       u"下一次操作时将重新连接数据库。"_s);
        QVERIFY2(stillAway.contains(u"与数据库的连接已断开，且无法恢复：Unable to connect"_s),
                 qPrintable(stillAway));
        QCOMPARE(back, u"1"_s);
    }
};

QTEST_GUILESS_MAIN(TestTdsLogin)
#include "tst_tds_login.moc"
