// The database layer against the real SQLite3 ODBC driver: text, NULLs,
// decimals, dates, flags, bound parameters, read-only access, the query
// time-out.

#include "FixtureDb.h"
#include "TestContext.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

class TestSessionDb : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void initTestCase() {
        m_path = m_dir.filePath(u"layer.db"_s);
        test::FixtureDb db(m_path);
        db.exec(
            u"CREATE TABLE 测试表 (编号 TEXT, 名称 TEXT, 金额 REAL, 日期 TEXT, 标志 INTEGER)"_s);
        db.exec(u"INSERT INTO 测试表 VALUES (?, ?, ?, ?, ?)"_s,
                {u"001"_s, QString(2000, QChar(u'报')), 12.345, u"2026-03-05"_s, 1});
        db.exec(u"INSERT INTO 测试表 VALUES (?, ?, ?, ?, ?)"_s,
                {u"002"_s, u""_s, -2.675, u"2026-12-31 14:30:00"_s, 0});
        db.exec(u"INSERT INTO 测试表 VALUES (?, ?, ?, ?, ?)"_s,
                {u"O'Brien"_s, QVariant(), QVariant(), QVariant(), QVariant()});
        db.close();
    }

    void chineseIdentifiersAndLongValuesRoundTrip() {
        test::TestContext t;
        QVERIFY2(t.connectToFile(m_path), qPrintable(t.prompts.messageTexts().join(u"|"_s)));
        Recordset rs = t.db().query(u"Select 编号, 名称 From 测试表 Where 编号 = ?"_s, {u"001"_s});
        QCOMPARE(rs.columns(), QStringList({u"编号"_s, u"名称"_s}));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.field(u"名称"_s).text(), QString(2000, QChar(u'报')));
        rs.moveNext();
        QVERIFY(rs.eof());
    }

    void nullIsDistinctFromEmpty() {
        test::TestContext t;
        QVERIFY2(t.connectToFile(m_path), qPrintable(t.prompts.messageTexts().join(u"|"_s)));
        Recordset rs = t.db().query(u"Select 名称 From 测试表 Where 编号 in (?, ?) Order By 编号"_s,
                                    {u"002"_s, u"O'Brien"_s});
        QCOMPARE(rs.rowCount(), 2);
        QVERIFY(!rs.field(u"名称"_s).isNull());
        QCOMPARE(rs.field(u"名称"_s).text(), QString());
        rs.moveNext();
        QVERIFY(rs.field(u"名称"_s).isNull());
    }

    void decimalsDatesAndFlagsConvert() {
        test::TestContext t;
        QVERIFY2(t.connectToFile(m_path), qPrintable(t.prompts.messageTexts().join(u"|"_s)));
        Recordset rs = t.db().query(u"Select 金额, 日期, 标志 From 测试表 Order By 编号"_s);
        QCOMPARE(rs.field(u"金额"_s).text(), u"12.345"_s);
        QCOMPARE(rs.field(u"日期"_s).toDateText(), u"2026-03-05"_s);
        QVERIFY(rs.field(u"标志"_s).toFlag());
        rs.moveNext();
        QCOMPARE(rs.field(u"金额"_s).text(), u"-2.675"_s);
        QCOMPARE(rs.field(u"日期"_s).toDateText(), u"2026-12-31"_s);
        QVERIFY(!rs.field(u"标志"_s).toFlag());
        rs.moveNext();
        QVERIFY(rs.field(u"日期"_s).toDateText().isEmpty());
        QVERIFY(!rs.field(u"标志"_s).toFlag());
    }

    void quotesInParametersStayValues() {
        test::TestContext t;
        QVERIFY2(t.connectToFile(m_path), qPrintable(t.prompts.messageTexts().join(u"|"_s)));
        QCOMPARE(t.db().query(u"Select * From 测试表 Where 编号 = ?"_s, {u"O'Brien"_s}).rowCount(),
                 1);
        QCOMPARE(
            t.db().query(u"Select * From 测试表 Where 编号 = ?"_s, {u"' or '1'='1"_s}).rowCount(),
            0);
    }

    void unknownFieldAndFailingQueryThrow() {
        test::TestContext t;
        QVERIFY2(t.connectToFile(m_path), qPrintable(t.prompts.messageTexts().join(u"|"_s)));
        Recordset rs = t.db().query(u"Select 编号 From 测试表"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, rs.field(u"没有"_s));
        QVERIFY_THROWS_EXCEPTION(DbError, t.db().query(u"Select * From 不存在的表"_s));
        // The connection is still usable after an error.
        QCOMPARE(t.db().query(u"Select 编号 From 测试表"_s).rowCount(), 3);
    }

    // The SQLite3 driver takes a query time-out and forgets it: the layer
    // keeps it, and the connection serves the next query.
    void slowQueryEndsAfterTheQueryTimeout() {
        test::TestContext t;
        QVERIFY2(t.connectToFile(m_path), qPrintable(t.prompts.messageTexts().join(u"|"_s)));
        t.db().connection()->setQueryTimeout(1);
        QElapsedTimer clock;
        clock.start();
        try {
            (void)t.db().query(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                               u" WHERE i < 1000000000) SELECT count(*) FROM n"_s);
            QFAIL("the query ran to its end");
        } catch (const DbError& e) {
            QCOMPARE(errorText(e), u"错误码: HYT00 错误描述: 查询超过 1 秒未完成，已取消"_s);
        }
        QCOMPARE_LT(clock.elapsed(), 3000);
        QCOMPARE(t.db().query(u"Select 编号 From 测试表"_s).rowCount(), 3);
    }

    void writesAreRefused() {
        test::TestContext t;
        QVERIFY2(t.connectToFile(m_path), qPrintable(t.prompts.messageTexts().join(u"|"_s)));
        QVERIFY_THROWS_EXCEPTION(DbError, t.db().query(u"Delete From 测试表"_s));
        QCOMPARE(t.db().query(u"Select 编号 From 测试表"_s).rowCount(), 3);
    }

    void missingFileFailsAndCreatesNothing() {
        test::TestContext t;
        const QString missing = m_dir.filePath(u"没有这个文件.db"_s);
        QVERIFY(!t.connectToFile(missing));
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(t.prompts.recorded.size(), 1);
        QVERIFY(t.prompts.recorded[0].text.startsWith(u"错误信息："_s));
        QCOMPARE(t.prompts.recorded[0].title, u"信息文本"_s);
        QVERIFY(!t.app.database);
    }
};

QTEST_GUILESS_MAIN(TestSessionDb)
#include "tst_session_db.moc"
