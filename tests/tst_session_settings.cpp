// Start-up pieces of the session: the command line, the settings store and
// its file, the connection strings and the failure messages of a connection
// attempt.

#include "FixtureDb.h"
#include "TestContext.h"
#include "db/DbSettings.h"
#include "db/SettingsError.h"
#include "session/CommandLine.h"
#include "session/DatabaseConnect.h"

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

    // The settings file's values reach the program exactly as written (Svr,
    // Servername, UID, PWD and DBname joined by "|"); "!" expects a refusal
    // that names the file and holds the rest.
    void settingsAreReadAsWritten_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("backslashes, a semicolon and a quote are characters")
            << QByteArray("[DBConfig]\nSvr=db01\\SQLEXPRESS\nUID=CORP\\report\n"
                          "PWD=p@ss;w\"ord\nDBname=报销库\n")
            << u"db01\\SQLEXPRESS||CORP\\report|p@ss;w\"ord|报销库"_s;
        QTest::newRow("any case, CR LF, byte order mark, comments, blanks, one pair of quotes")
            << QByteArray("\xEF\xBB\xBF; 注释\r\n[dbconfig]\r\n# x\r\n\t svr =  db01,1433 \r\n"
                          "PWD = \" p w \" \r\nDBNAME=\"\"库\"\"\r\n")
            << u"db01,1433||| p w |\"库\""_s;
        QTest::newRow("Servername stands for Svr")
            << QByteArray("[DBConfig]\nServername=财务服务器\nDBname=库\n")
            << u"|财务服务器|||库"_s;
        QTest::newRow("not UTF-8: the line is named")
            << QByteArray("[DBConfig]\nDBname=库\nUID=\xC0\xAF\n") << u"!第 3 行不是 UTF-8"_s;
        QTest::newRow("a line that is no setting")
            << QByteArray("[DBConfig]\nPWD secret\n") << u"!第 2 行无法识别"_s;
        QTest::newRow("SQLite file without DBname")
            << QByteArray("[DBConfig]\nEngine=SQLite\nDBname=\n") << u"!缺少 DBname"_s;
        QTest::newRow("SQL Server without Svr")
            << QByteArray("[DBConfig]\nDBname=库\n") << u"!缺少 Svr"_s;
        QTest::newRow("Encrypt other than off, request, require")
            << QByteArray("[DBConfig]\nSvr=db01\nDBname=库\nEncrypt=yes\n")
            << u"!Encrypt 的值“yes”无效"_s;
    }
    void settingsAreReadAsWritten() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        const QString path = m_dir.filePath(u"read-as-written.ini"_s);
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(file) > 0);
        out.close();
        QString actual;
        try {
            const DbSettings s = readDbSettings(path);
            s.requireConnectionKeys();
            (void)ConnectionOptions::fromSettings(s);
            actual = QStringList{s.server, s.serverName, s.user, s.password, s.database}.join(u'|');
        } catch (const SettingsError& e) {
            QVERIFY2(e.description().contains(path), qPrintable(e.description()));
            actual = u'!' + e.description();
        }
        if (expected.startsWith(u'!'))
            QVERIFY2(actual.startsWith(u'!') && actual.contains(expected.mid(1)),
                     qPrintable(actual));
        else
            QCOMPARE(actual, expected);
    }

    void hostileValuesCannotAddKeywords_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("semicolon") << u"a;DATABASE=master"_s << u"{a;DATABASE=master}"_s;
        QTest::newRow("closing brace") << u"x}y"_s << u"{x}}y}"_s;
        QTest::newRow("opening brace") << u"{x"_s << u"{{x}"_s;
        QTest::newRow("equals sign") << u"a=b"_s << u"{a=b}"_s;
        QTest::newRow("apostrophe") << u"o'neil"_s << u"o'neil"_s;
        QTest::newRow("edge blanks") << u" pw "_s << u"{ pw }"_s;
        QTest::newRow("chinese") << u"财务"_s << u"财务"_s;
    }
    void hostileValuesCannotAddKeywords() {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(odbcValue(value).value_or(u"<refused>"_s), expected);
        // The FreeTDS string, read as FreeTDS 1.3 reads it: a keyword up to
        // "=", a value up to ";" or, after "{", up to "};" or the end.
        const auto odbc = odbcConnectionString(value, value, value, u"db01"_s, {});
        QVERIFY(odbc);
        QStringList keywords, values;
        for (qsizetype at = 0; at < odbc->size(); ++at) {
            const qsizetype equals = odbc->indexOf(u'=', at);
            QVERIFY(equals > at);
            keywords << odbc->mid(at, equals - at);
            qsizetype end = odbc->indexOf(u';', equals);
            if (odbc->at(equals + 1) == u'{') {
                end = odbc->indexOf(u"};"_s, equals);
                end = end < 0 ? odbc->size() - 1 : end;
                values << odbc->mid(equals + 2, end - equals - 2);
                at = end + 1;
            } else {
                end = end < 0 ? odbc->size() : end;
                values << odbc->mid(equals + 1, end - equals - 1);
                at = end;
            }
        }
        QCOMPARE(keywords, QStringList({u"DRIVER"_s, u"SERVER"_s, u"UID"_s, u"PWD"_s, u"DATABASE"_s,
                                        u"TDS_Version"_s, u"ClientCharset"_s, u"Encryption"_s}));
        QCOMPARE(values.mid(2, 3), QStringList({value, value, value}));
        QVERIFY(!odbcValue(u"a\0b"_s));
    }

    // The user's file, else the first system-wide one; the user's wins whole.
    void settingsFileIsTheUsersElseTheSystems() {
        const QString user = m_dir.filePath(u"xdg-user"_s);
        const QString system = m_dir.filePath(u"xdg-system"_s);
        const QString file = u"/Corvale2011/Corvale2011.ini"_s;
        qputenv("XDG_CONFIG_HOME", user.toUtf8());
        qputenv("XDG_CONFIG_DIRS", (m_dir.filePath(u"xdg-none"_s) + u':' + system).toUtf8());
        test::TestContext t;
        QCOMPARE(connectFromSettings(t.app), ConnectResult::SettingsUnusable);
        QCOMPARE(t.prompts.messageTexts(), QStringList{u"找不到数据库设置文件："_s + user + file});

        test::writeSettingsFile(system + file, {{u"Svr"_s, u"总部"_s}, {u"UID"_s, u"admin"_s}});
        QCOMPARE(settingsLocation(), system + file);
        QCOMPARE(readDbSettings().user, u"admin"_s);
        test::writeSettingsFile(user + file, {{u"Svr"_s, u"db01,1433"_s}});
        QCOMPARE(settingsLocation(), user + file);
        const DbSettings s = readDbSettings();
        QCOMPARE(s.server, u"db01,1433"_s);
        QVERIFY(s.user.isEmpty());
        qunsetenv("XDG_CONFIG_DIRS");
    }

    void missingFileGivesBothMessagesInOrder() {
        test::TestContext t;
        test::writeSettingsFor(m_dir.filePath(u"cfg-missing"_s), m_dir.filePath(u"gone.db"_s));
        QCOMPARE(connectFromSettings(t.app), ConnectResult::Failed);
        QCOMPARE(t.prompts.recorded.size(), 2);
        QVERIFY(t.prompts.recorded[0].text.startsWith(u"错误信息："_s));
        QCOMPARE(t.prompts.recorded[0].title, u"信息文本"_s);
        QCOMPARE(t.prompts.recorded[1].text, u"数据库连接失败!"_s);
        QCOMPARE(t.prompts.recorded[1].title, u"连接提示"_s);
        QVERIFY(!QFile::exists(m_dir.filePath(u"gone.db"_s)));
    }

    void closedPortFailsAtOnceWithBothMessages() {
        test::TestContext t;
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
        QVERIFY(!openConnection(t.app, u"sa"_s, u"pw"_s, u"db"_s, u"127.0.0.1,%1"_s.arg(port),
                                options));
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(t.prompts.recorded.size(), 1);
        QVERIFY(t.prompts.recorded[0].text.startsWith(u"错误信息："_s));
        QVERIFY(t.prompts.recorded[0].text.size() > 5);
    }

    void secondConnectReplacesTheFirst() {
        test::TestContext t;
        const QString a = m_dir.filePath(u"a.db"_s), b = m_dir.filePath(u"b.db"_s);
        {
            test::FixtureDb da(a);
            da.addDepartment(u"01"_s, u"甲"_s);
            test::FixtureDb db(b);
            db.addDepartment(u"01"_s, u"乙"_s);
            db.addDepartment(u"02"_s, u"丙"_s);
        }
        QVERIFY(t.connectToFile(a));
        QCOMPARE(t.db().query(u"Select * From 职能部门new"_s).rowCount(), 1);
        QVERIFY(t.connectToFile(b));
        QCOMPARE(t.db().query(u"Select * From 职能部门new"_s).rowCount(), 2);
        // A failed connect leaves no connection behind.
        QVERIFY(!t.connectToFile(m_dir.filePath(u"nothing.db"_s)));
        QVERIFY(!t.app.database);
    }
};

QTEST_GUILESS_MAIN(TestSessionSettings)
#include "tst_session_settings.moc"
