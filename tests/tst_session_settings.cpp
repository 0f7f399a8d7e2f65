// Start-up pieces of the session: the command line, the settings store, the
// connection strings and the failure messages of a connection attempt.

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "db/Connection.h"
#include "db/SharedConnection.h"
#include "session/CommandLine.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

class TestSessionSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void commandLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("fields");
        const QStringList ten = {u"E01"_s,  u" 张 三 "_s, u"0102"_s, u"财务部"_s, u"P1"_s,
                                 u"会计"_s, u"D1"_s,      u"职能"_s, u"G1"_s,     u""_s};
        QTest::newRow("ten fields fill the session untrimmed")
            << ten.join(u',') << int(CommandLineSession::Complete) << ten;
        QTest::newRow("an eleventh field is ignored")
            << ten.join(u',') + u",多余"_s << int(CommandLineSession::Complete) << ten;
        QTest::newRow("nine fields are refused")
            << ten.mid(0, 9).join(u',') << int(CommandLineSession::Incomplete) << QStringList();
        QTest::newRow("empty fields count as fields")
            << u",,,,,,,,,"_s << int(CommandLineSession::Complete) << QStringList(10, QString());
        QTest::newRow("no command line")
            << QString() << int(CommandLineSession::Absent) << QStringList();
    }
    void commandLine() {
        QFETCH(QString, text);
        QFETCH(int, result);
        QFETCH(QStringList, fields);
        SessionState session;
        session.employeeCode = u"之前"_s;
        QCOMPARE(int(applyCommandLine(text, session)), result);
        if (result == int(CommandLineSession::Complete)) {
            for (int i = 0; i < SessionState::kFieldCount; ++i)
                QCOMPARE(session.field(i), fields[i]);
        } else {
            QCOMPARE(session.employeeCode, u"之前"_s);
        }
    }

    void commandLineTextJoinsArguments() {
        QCOMPARE(commandLineText({u"nbreport"_s, u"a,b"_s, u"c"_s}), u"a,b c"_s);
        QCOMPARE(commandLineText({u"nbreport"_s}), QString());
    }

    void classicConnectionString_data() {
        QTest::addColumn<QStringList>("values"); // user, password, database, server
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty settings")
            << QStringList(4, QString())
            << u"Provider=SQLOLEDB.1;Password=;Persist Security Info=False;User ID=;"
               u"Initial Catalog='';Data Source=''"_s;
        QTest::newRow("normal settings")
            << QStringList{u"sa"_s, u"pw"_s, u"财务库"_s, u"db01"_s}
            << u"Provider=SQLOLEDB.1;Password=pw;Persist Security Info=False;User ID=sa;"
               u"Initial Catalog='财务库';Data Source='db01'"_s;
    }
    void classicConnectionString() {
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        QCOMPARE(nbr::classicConnectionString(values[0], values[1], values[2], values[3]),
                 expected);
        // OpenConnection stores the same text even when the connection fails.
        test::FakePrompts prompts;
        ConnectionOptions options;
        options.engine = SqlEngine::SQLite;
        OpenConnection(values[0], values[1], m_dir.filePath(u"none.db"_s), values[3], options);
        QCOMPARE(connectionString(),
                 nbr::classicConnectionString(values[0], values[1], m_dir.filePath(u"none.db"_s),
                                              values[3]));
    }

    void hostileValuesCannotAddKeywords_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("semicolon") << u"a;DATABASE=master"_s << u"{a;DATABASE=master}"_s;
        QTest::newRow("closing brace") << u"x}y"_s << u"{x}}y}"_s;
        QTest::newRow("opening brace") << u"{x"_s << u"{{x}"_s;
        QTest::newRow("apostrophe") << u"o'neil"_s << u"o'neil"_s;
        QTest::newRow("edge blanks") << u" pw "_s << u"{ pw }"_s;
        QTest::newRow("chinese") << u"财务"_s << u"财务"_s;
    }
    void hostileValuesCannotAddKeywords() {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(odbcValue(value).value_or(u"<refused>"_s), expected);
        const auto odbc = odbcConnectionString(value, value, value, u"db01"_s, {});
        QVERIFY(odbc);
        // Outside braces, the only keywords are ours.
        QString outside;
        int depth = 0;
        for (qsizetype i = 0; i < odbc->size(); ++i) {
            const QChar ch = odbc->at(i);
            if (depth == 0 && ch == u'{') {
                depth = 1;
            } else if (depth == 1 && ch == u'}') {
                if (i + 1 < odbc->size() && odbc->at(i + 1) == u'}')
                    ++i;
                else
                    depth = 0;
            } else if (depth == 0) {
                outside += ch;
            }
        }
        QCOMPARE(outside.count(u'='),
                 7); // DRIVER SERVER UID PWD DATABASE TDS_Version ClientCharset
        QVERIFY(odbc->contains(u"TDS_Version=7.4"_s));
        QVERIFY(!odbcValue(u"a\0b"_s));
    }

    void settingsComeFromTheIniUnderXdgConfigHome() {
        const QString home = m_dir.filePath(u"config"_s);
        QDir().mkpath(home + u"/Corvale2011"_s);
        {
            QFile ini(home + u"/Corvale2011/Corvale2011.ini"_s);
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(
                u"[DBConfig]\nSvr=db01,1433\nUID=财务\nPWD=\"p;w\"\nDBname=Corvale\n"_s.toUtf8());
        }
        qputenv("XDG_CONFIG_HOME", home.toUtf8());
        const DbSettings s = readDbSettings();
        QCOMPARE(s.server, u"db01,1433"_s);
        QCOMPARE(s.user, u"财务"_s);
        QCOMPARE(s.password, u"p;w"_s);
        QCOMPARE(s.database, u"Corvale"_s);
        QCOMPARE(s.engineKind(), SqlEngine::SqlServer);
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"empty"_s).toUtf8());
        const DbSettings none = readDbSettings();
        QVERIFY(none.server.isEmpty() && none.user.isEmpty() && none.database.isEmpty());
    }

    void missingFileGivesBothMessagesInOrder() {
        test::FakePrompts prompts;
        test::writeSettingsFor(m_dir.filePath(u"cfg-missing"_s), m_dir.filePath(u"gone.db"_s));
        QVERIFY(!ConnectFromSettings());
        QCOMPARE(prompts.recorded.size(), 2);
        QVERIFY(prompts.recorded[0].text.startsWith(u"错误信息："_s));
        QCOMPARE(prompts.recorded[0].title, u"信息文本"_s);
        QCOMPARE(prompts.recorded[1].text, u"数据库连接失败!"_s);
        QCOMPARE(prompts.recorded[1].title, u"连接提示"_s);
        QVERIFY(!QFile::exists(m_dir.filePath(u"gone.db"_s)));
    }

    void closedPortFailsAtOnceWithBothMessages() {
        test::FakePrompts prompts;
        quint16 port;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        ConnectionOptions options;
        options.loginTimeoutSeconds = 5;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!OpenConnection(u"sa"_s, u"pw"_s, u"db"_s, u"127.0.0.1,%1"_s.arg(port), options));
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(prompts.recorded.size(), 1);
        QVERIFY(prompts.recorded[0].text.startsWith(u"错误信息："_s));
        QVERIFY(prompts.recorded[0].text.size() > 5);
    }

    void secondConnectReplacesTheFirst() {
        test::FakePrompts prompts;
        const QString a = m_dir.filePath(u"a.db"_s), b = m_dir.filePath(u"b.db"_s);
        {
            test::FixtureDb da(a);
            da.addDepartment(u"01"_s, u"甲"_s);
            test::FixtureDb db(b);
            db.addDepartment(u"01"_s, u"乙"_s);
            db.addDepartment(u"02"_s, u"丙"_s);
        }
        QVERIFY(test::connectToFile(a));
        OdbcConnection* first = sharedConnection();
        QCOMPARE(openRecordset(u"Select * From 职能部门new"_s).rowCount(), 1);
        QVERIFY(test::connectToFile(b));
        QVERIFY(sharedConnection() != nullptr);
        QCOMPARE(openRecordset(u"Select * From 职能部门new"_s).rowCount(), 2);
        Q_UNUSED(first);
        // A failed connect leaves no connection behind.
        QVERIFY(!test::connectToFile(m_dir.filePath(u"nothing.db"_s)));
        QVERIFY(sharedConnection() == nullptr);
    }
};

QTEST_GUILESS_MAIN(TestSessionSettings)
#include "tst_session_settings.moc"
