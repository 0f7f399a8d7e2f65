// Values through the real FreeTDS ODBC driver and a scripted TDS server on
// a loopback port: Chinese text both ways, bound parameters, conversions of
// numbers, dates and flags, every column type, and the server's errors.

#include "FixtureDb.h"
#include "TdsScripts.h"
#include "TestContext.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "session/DatabaseConnect.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestTdsValues : public QObject {
    Q_OBJECT

private slots:
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
        test::TestContext t;
        QVERIFY2(connectWire(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        const QString sql = u"Select 部门名称 From 部门表 Where 部门代号 > ''"_s;
        Recordset rs;
        try {
            rs = t.db().query(sql);
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
        test::TestContext t;
        QVERIFY2(connectWire(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        Recordset rs;
        try {
            rs =
                t.db().query(u"Select 编号 From 员工档案 Where 姓名 = ? And 部门 = ? And 备注 <> ? "
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
        test::TestContext t;
        QVERIFY2(connectWire(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        Recordset rs;
        try {
            rs = t.db().query(u"Select * From 报销单"_s);
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
        test::TestContext t;
        QVERIFY2(connectWire(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
        try {
            const Recordset rs = t.db().query(u"Select 值 From 值表"_s);
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
        test::TestContext t;
        QVERIFY2(connectWire(t.app, server), qPrintable(t.prompts.messageTexts().join(u" | "_s)));
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
            const std::optional<DbError> failure = failureOf(t.db(), sql + where, parameters);
            QVERIFY2(failure, qPrintable(sql));
            QCOMPARE(failure->description(), description);
            QCOMPARE(failure->number(), number);
            try {
                QCOMPARE(t.db().query(u"Select 名称 From 部门"_s + where, parameters).rowCount(),
                         2);
            } catch (const DbError& e) {
                QFAIL(qPrintable(u"after \""_s + sql + u"\": "_s + e.description()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTdsValues)
#include "tst_tds_values.moc"
