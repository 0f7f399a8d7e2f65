// The database layer against the real FreeTDS ODBC driver and a scripted TDS
// server on a loopback port: log-in values and failures, time-outs, Chinese
// text, bound parameters, value conversions and error reporting.

#include "FakePrompts.h"
#include "TdsTestServer.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/SharedConnection.h"

#include "FixtureDb.h"
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using test::TdsTestServer;

namespace {

constexpr int kLoginTimeoutSeconds = 2;

ConnectionOptions wireOptions() {
    ConnectionOptions options;
    options.loginTimeoutSeconds = kLoginTimeoutSeconds;
    return options;
}

bool connectTo(const TdsTestServer& server, const QString& user = u"sa"_s,
               const QString& password = u"secret"_s, const QString& database = u"报销库"_s) {
    return OpenConnection(user, password, database, server.serverAddress(), wireOptions());
}

// How the statement fails; nothing when it does not.
std::optional<DbError> failureOf(const QString& sql, const QStringList& parameters) {
    try {
        openRecordset(sql, parameters);
    } catch (const DbError& e) {
        return e;
    }
    return std::nullopt;
}

QJsonObject lastLogin(const TdsTestServer& server) {
    const QList<QJsonObject> logins = server.requests(u"login"_s);
    return logins.isEmpty() ? QJsonObject() : logins.last();
}

} // namespace

class TestTdsWire : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { replaceSharedConnection(nullptr); }

    void loginValuesReachTheServerUnchanged_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::newRow("plain") << u"sa"_s << u"secret"_s << u"Corvale"_s;
        QTest::newRow("semicolons") << u"a;b"_s << u";pw;"_s << u"库;1"_s;
        QTest::newRow("braces") << u"{u}"_s << u"p}w{x}"_s << u"db}}"_s;
        QTest::newRow("edge blanks") << u" sa "_s << u"  pw"_s << u"报销 库 "_s;
        QTest::newRow("chinese") << u"张三"_s << u"密码口令"_s << u"财务数据库"_s;
    }

    void loginValuesReachTheServerUnchanged() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        TdsTestServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server, user, password, database),
                 qPrintable(prompts.messageTexts().join(u" | "_s)));
        const QJsonObject login = lastLogin(server);
        QCOMPARE(login[u"user"_s].toString(), user);
        QCOMPARE(login[u"password"_s].toString(), password);
        QCOMPARE(login[u"database"_s].toString(), database);
        QCOMPARE(sharedConnection()->dbmsName(), u"Microsoft SQL Server"_s);
    }

    void valuesFreeTdsCannotReadAreRefusedBeforeConnecting() {
        TdsTestServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY(!connectTo(server, u"sa"_s, u"pass};DATABASE=master"_s));
        QCOMPARE(prompts.messageTexts(), QStringList{u"错误信息：连接设置中含有无法使用的字符"_s});
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
        test::FakePrompts prompts;
        QVERIFY(!connectTo(server, u"张三"_s));
        QCOMPARE(prompts.recorded.size(), 1);
        QCOMPARE(prompts.recorded[0].text, u"错误信息：Login failed for user '张三'."_s);
        QCOMPARE(prompts.recorded[0].title, u"信息文本"_s);
        QVERIFY(sharedConnection() == nullptr);

        // The same through the settings store, which adds its own notice.
        QTemporaryDir config;
        const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
        test::writeServerSettingsFor(config.path(), server.serverAddress(), u"李四"_s, u"旧口令"_s,
                                     u"报销库"_s);
        prompts.clear();
        const bool refused = !ConnectFromSettings();
        // Once the server takes the stored password, the same settings connect.
        server.setScript({}, {{u"user"_s, u"李四"_s}, {u"password"_s, u"旧口令"_s}});
        const QStringList refusalTexts = prompts.messageTexts();
        const QString noticeTitle = prompts.recorded.value(1).title;
        prompts.clear();
        const bool accepted = ConnectFromSettings();
        qputenv("XDG_CONFIG_HOME", previousConfig);
        QVERIFY(refused);
        QCOMPARE(refusalTexts,
                 QStringList({u"错误信息：Login failed for user '李四'."_s, u"数据库连接失败!"_s}));
        QCOMPARE(noticeTitle, u"连接提示"_s);
        QCOMPARE(prompts.recorded.size(), 0);
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
        test::FakePrompts prompts;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!OpenConnection(u"sa"_s, u"pw"_s, u"db"_s, address, wireOptions()));
        QCOMPARE_LT(clock.elapsed(), 5000);
        QCOMPARE(prompts.messageTexts(), QStringList{u"错误信息："_s + message});
    }

    void silentServerFailsAfterTheLoginTimeout() {
        TdsTestServer server({}, {}, TdsTestServer::Mode::Silent);
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!connectTo(server));
        QCOMPARE_GE(clock.elapsed(), kLoginTimeoutSeconds * 1000 - 200);
        QCOMPARE_LT(clock.elapsed(), kLoginTimeoutSeconds * 1000 + 4000);
        QCOMPARE(prompts.recorded.size(), 1);
        QVERIFY2(prompts.recorded[0].text.startsWith(u"错误信息：Timeout expired"_s),
                 qPrintable(prompts.recorded[0].text));
    }

    void slowStatementOutlastsTheLoginTimeout() {
        QJsonObject slow = TdsTestServer::resultRule(
            u"From 汇总"_s, {TdsTestServer::column(u"合计"_s, u"int"_s)}, {{1}});
        slow[u"delay"_s] = kLoginTimeoutSeconds + 1;
        TdsTestServer server({slow});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        try {
            QCOMPARE(openRecordset(u"Select 合计 From 汇总"_s).rowCount(), 1);
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
        test::FakePrompts prompts;
        QVERIFY(connectTo(server));
        sharedConnection()->setQueryTimeout(1);
        QElapsedTimer clock;
        clock.start();
        QVERIFY_THROWS_EXCEPTION(DbError, openRecordset(u"Select 合计 From 汇总"_s));
        QCOMPARE_LT(clock.elapsed(), 4000);
        // The connection is usable again once the server has finished.
        sharedConnection()->setQueryTimeout(30);
        try {
            QCOMPARE(openRecordset(u"Select 值 From 其他"_s).field(u"值"_s).text(), u"7"_s);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
    }

    void chineseTextArrivesIntact_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::newRow("40 characters in nvarchar(50)")
            << u"nvarchar(50)"_s << QString(u"财务管理中心预算审核科"_s).repeated(4);
        QTest::newRow("25 characters in varchar(50), code page 936")
            << u"varchar(50)"_s << QString(u"行政人事部"_s).repeated(5);
        QTest::newRow("2000 characters in nvarchar(max)")
            << u"nvarchar(max)"_s << QString(u"差旅费报销摘要"_s).repeated(286).left(2000);
        QTest::newRow("2000 characters in ntext") << u"ntext"_s << QString(2000, QChar(u'摘'));
        QTest::newRow("emoji in nvarchar(20)") << u"nvarchar(20)"_s << u"报销😀完成🎉"_s;
        QTest::newRow("emoji across fetch chunks in nvarchar(max)")
            << u"nvarchar(max)"_s << QString(u"摘😀要"_s).repeated(1500);
        QTest::newRow("3000 characters in varchar(max), code page 936")
            << u"varchar(max)"_s << QString(3000, QChar(u'报'));
        QTest::newRow("empty") << u"nvarchar(50)"_s << QString(u""_s);
    }

    void chineseTextArrivesIntact() {
        QFETCH(QString, type);
        QFETCH(QString, value);
        TdsTestServer server({TdsTestServer::resultRule(
            u"From 部门表"_s, {TdsTestServer::column(u"部门名称"_s, type)}, {{value}, {{}}})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        const QString sql = u"Select 部门名称 From 部门表 Where 部门代号 > ''"_s;
        Recordset rs;
        try {
            rs = openRecordset(sql);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        QCOMPARE(rs.columns(), QStringList{u"部门名称"_s});
        QCOMPARE(rs.rowCount(), 2);
        QCOMPARE(rs.value(0, 0).text(), value);
        QVERIFY(!rs.value(0, 0).isNull());
        QVERIFY(rs.value(1, 0).isNull());
        QCOMPARE(server.statements().last(), sql);
    }

    void parametersTravelAsUnicodeValues() {
        const QString longValue = QString(u"很长的参数😀"_s).repeated(800);
        TdsTestServer server({TdsTestServer::resultRule(
            u"@P1"_s, {TdsTestServer::column(u"编号"_s, u"int"_s)}, {{7}})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        Recordset rs;
        try {
            rs = openRecordset(
                u"Select 编号 From 员工档案 Where 姓名 = ? And 部门 = ? And 备注 <> ? "
                u"And 摘要 <> ?"_s,
                {u"O'Brien"_s, u"财务部"_s, QString(), longValue});
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        QCOMPARE(rs.value(0, 0).text(), u"7"_s);

        const QJsonObject call = server.requests(u"rpc"_s).last();
        QCOMPARE(call[u"proc"_s].toString(), u"sp_executesql"_s);
        // FreeTDS names the markers @P1, @P2...: what SQL Server sees.
        QCOMPARE(call[u"sql"_s].toString(),
                 u"Select 编号 From 员工档案 Where 姓名 = @P1 And 部门 = @P2 "
                 u"And 备注 <> @P3 And 摘要 <> @P4"_s);
        const QJsonArray params = call[u"params"_s].toArray();
        QCOMPARE(params.size(), 2 + 4);
        // One declaration whatever the length, so the server keeps one plan; past
        // 4000 characters only nvarchar(max) holds the whole value.
        QCOMPARE(params[1].toObject()[u"value"_s].toString(),
                 u"@P1 NVARCHAR(4000),@P2 NVARCHAR(4000),@P3 NVARCHAR(4000),@P4 NVARCHAR(MAX)"_s);
        const QStringList expected{u"O'Brien"_s, u"财务部"_s, QString(), longValue};
        for (int i = 0; i < 4; ++i) {
            const QJsonObject p = params[2 + i].toObject();
            QCOMPARE(p[u"type"_s].toString().left(1), u"n"_s); // nvarchar, ntext: Unicode
            QVERIFY2(p[u"value"_s].isString(), "an empty value must not arrive as NULL");
            QCOMPARE(p[u"value"_s].toString(), expected[i]);
        }
    }

    void numbersDatesAndFlagsConvert() {
        const QJsonArray columns{
            TdsTestServer::column(u"小额"_s, u"decimal(18,3)"_s),
            TdsTestServer::column(u"金额"_s, u"decimal(18,2)"_s),
            TdsTestServer::column(u"负额"_s, u"decimal(18,3)"_s),
            TdsTestServer::column(u"余额"_s, u"money"_s),
            TdsTestServer::column(u"日期"_s, u"datetime"_s),
            TdsTestServer::column(u"通过"_s, u"bit"_s),
            TdsTestServer::column(u"次数"_s, u"int"_s),
            TdsTestServer::column(u"大数"_s, u"decimal(38,10)"_s),
        };
        TdsTestServer server(
            {TdsTestServer::resultRule(u"From 报销单"_s, columns,
                                       {{u"0.005"_s, u"1234.5"_s, u"-2.675"_s,
                                         u"922337203685477.5807"_s, u"2026-03-05 14:30:59.997"_s,
                                         true, 42, u"-1234567890123456789012345678.0123456789"_s},
                                        {u"0"_s, u"0"_s, u"0"_s, u"-922337203685477.5808"_s,
                                         u"1900-01-01"_s, false, 0, u"0"_s},
                                        {{}, {}, {}, {}, {}, {}, {}, {}}})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        Recordset rs;
        try {
            rs = openRecordset(u"Select * From 报销单"_s);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
        QCOMPARE(rs.rowCount(), 3);
        QCOMPARE(rs.field(u"小额"_s).text(), u"0.005"_s);
        QCOMPARE(rs.field(u"金额"_s).text(), u"1234.50"_s);
        QCOMPARE(rs.field(u"负额"_s).text(), u"-2.675"_s);
        QCOMPARE(rs.field(u"余额"_s).text(), u"922337203685477.5807"_s);
        QCOMPARE(rs.field(u"日期"_s).text(), u"2026-03-05 14:30:59.997"_s);
        QCOMPARE(rs.field(u"日期"_s).toDateText(), u"2026-03-05"_s);
        QVERIFY(rs.field(u"通过"_s).toFlag());
        QCOMPARE(rs.field(u"次数"_s).text(), u"42"_s);
        QCOMPARE(rs.field(u"大数"_s).text(), u"-1234567890123456789012345678.0123456789"_s);
        rs.moveNext();
        QCOMPARE(rs.field(u"余额"_s).text(), u"-922337203685477.5808"_s);
        QCOMPARE(rs.field(u"日期"_s).toDateText(), u"1900-01-01"_s);
        QVERIFY(!rs.field(u"通过"_s).toFlag());
        QVERIFY(!rs.field(u"通过"_s).isNull());
        QCOMPARE(rs.field(u"次数"_s).text(), u"0"_s);
        rs.moveNext();
        for (const QString& column : rs.columns()) {
            QVERIFY2(rs.field(column).isNull(), qPrintable(column));
            QCOMPARE(rs.field(column).text(), QString());
        }
        QCOMPARE(rs.field(u"日期"_s).toDateText(), QString());
    }

    // Every column type the script offers, as the driver turns it into text.
    void everyScriptColumnTypeReadsAsText_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("tinyint") << u"tinyint"_s << u"255"_s << u"255"_s;
        QTest::newRow("smallint") << u"smallint"_s << u"-32768"_s << u"-32768"_s;
        QTest::newRow("bigint") << u"bigint"_s << u"-9223372036854775808"_s
                                << u"-9223372036854775808"_s;
        QTest::newRow("numeric(10,4)")
            << u"numeric(10,4)"_s << u"-123456.789"_s << u"-123456.7890"_s;
        QTest::newRow("decimal(5,0)") << u"decimal(5,0)"_s << u"12345"_s << u"12345"_s;
        QTest::newRow("money") << u"money"_s << u"1234.5"_s << u"1234.5000"_s;
        QTest::newRow("smallmoney") << u"smallmoney"_s << u"-214748.3648"_s << u"-214748.3648"_s;
        // Stored in 1/300 s: .998 becomes .997.
        QTest::newRow("datetime") << u"datetime"_s << u"2026-12-31 23:59:59.998"_s
                                  << u"2026-12-31 23:59:59.997"_s;
        QTest::newRow("smalldatetime")
            << u"smalldatetime"_s << u"2026-03-05 14:30"_s << u"2026-03-05 14:30:00"_s;
        QTest::newRow("float") << u"float"_s << u"0.25"_s << u"0.25"_s;
        // The shortest decimal form of a binary fraction, which then rounds as written.
        QTest::newRow("float, a tie in decimal") << u"float"_s << u"1.005"_s << u"1.005"_s;
        QTest::newRow("real") << u"real"_s << u"-1.5"_s << u"-1.5"_s;
        QTest::newRow("real, a tie in decimal") << u"real"_s << u"2.675"_s << u"2.675"_s;
        QTest::newRow("bit") << u"bit"_s << u"true"_s << u"1"_s;
        QTest::newRow("char(5), code page 936") << u"char(5)"_s << u"甲"_s << u"甲   "_s;
        QTest::newRow("nchar(5)") << u"nchar(5)"_s << u"甲"_s << u"甲    "_s;
        QTest::newRow("text, code page 936") << u"text"_s << u"报销摘要"_s << u"报销摘要"_s;
        QTest::newRow("ntext") << u"ntext"_s << u"😀摘要"_s << u"😀摘要"_s;
    }

    void everyScriptColumnTypeReadsAsText() {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        TdsTestServer server({TdsTestServer::resultRule(
            u"From 值表"_s, {TdsTestServer::column(u"值"_s, type)}, {{value}, {{}}})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        try {
            const Recordset rs = openRecordset(u"Select 值 From 值表"_s);
            QCOMPARE(rs.rowCount(), 2);
            QCOMPARE(rs.value(0, 0).text(), expected);
            QVERIFY(rs.value(1, 0).isNull());
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.description()));
        }
    }

    void serverErrorsComeThroughAndTheConnectionStaysUsable_data() {
        QTest::addColumn<QStringList>("parameters");
        QTest::newRow("batch") << QStringList();
        QTest::newRow("bound parameters") << QStringList{u"D01"_s};
    }

    void serverErrorsComeThroughAndTheConnectionStaysUsable() {
        QFETCH(QStringList, parameters);
        const QJsonArray name{TdsTestServer::column(u"名称"_s, u"nvarchar(10)"_s)};
        // Fails half-way, after two rows.
        QJsonObject halfWay =
            TdsTestServer::resultRule(u"From 汇总"_s, name, {{u"甲"_s}, {u"乙"_s}});
        halfWay[u"error"_s] =
            TdsTestServer::error(8115, u"将表达式转换为数据类型 int 时出现算术溢出错误。"_s);
        TdsTestServer server(
            {TdsTestServer::errorRule(u"不存在的表"_s,
                                      {TdsTestServer::error(208, u"对象名 '不存在的表' 无效。"_s),
                                       TdsTestServer::error(8180, u"未能准备语句。"_s)}),
             halfWay, TdsTestServer::resultRule(u"From 部门"_s, name, {{u"总部"_s}, {u"分部"_s}})});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        test::FakePrompts prompts;
        QVERIFY2(connectTo(server), qPrintable(prompts.messageTexts().join(u" | "_s)));
        const QString where = parameters.isEmpty() ? u""_s : u" Where 代号 = ?"_s;
        struct Failure {
            QString sql;
            int number;
            QString description;
        };
        const QList<Failure> failures{
            {u"Select * From 不存在的表"_s, 208, u"对象名 '不存在的表' 无效。\n未能准备语句。"_s},
            {u"Select 名称 From 汇总"_s, 8115,
             u"将表达式转换为数据类型 int 时出现算术溢出错误。"_s}};
        for (const auto& [sql, number, description] : failures) {
            const std::optional<DbError> failure = failureOf(sql + where, parameters);
            QVERIFY2(failure, qPrintable(sql));
            QCOMPARE(failure->description(), description);
            QCOMPARE(failure->number(), number);
            try {
                QCOMPARE(openRecordset(u"Select 名称 From 部门"_s + where, parameters).rowCount(),
                         2);
            } catch (const DbError& e) {
                QFAIL(qPrintable(u"after \""_s + sql + u"\": "_s + e.description()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTdsWire)
#include "tst_tds_wire.moc"
