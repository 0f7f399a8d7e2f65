// The headless export tool: it writes what the window writes, fails with the
// documented exit codes and Chinese messages, and leaves no file behind when
// it fails, is stopped by a signal or loses its standard error. Every
// workbook is read back by tests/check_workbook.py (openpyxl).

#include "ExportChecks.h"
#include "ExportFixture.h"
#include "FakePrompts.h"
#include "FixtureDb.h"
#include "ReportFixtures.h"
#include "TestContext.h"
#include "Version.h"
#include "platform/LoginName.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestExportTool : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_ini;
    QString m_brokenIni; // a database whose department tree cannot be read

    ToolRun runTool(const QStringList& args) {
        return runExportTool(args, m_dir.filePath(u"no-config"_s)); // no user store
    }

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("NBR_SOURCE_DIR"),
                 "run through ctest: NBR_SOURCE_DIR names the checker");
        const QString db = m_dir.filePath(u"export.db"_s);
        writeExportDatabase(db);
        const QString broken = m_dir.filePath(u"broken.db"_s);
        test::FixtureDb(broken).exec(u"DROP TABLE 上级部门new"_s);
        test::writeSettingsFor(m_dir.filePath(u"tool"_s), db);
        test::writeSettingsFor(m_dir.filePath(u"broken"_s), broken);
        m_ini = m_dir.filePath(u"tool/Corvale2011/Corvale2011.ini"_s);
        // A server, login and password the embedded file does not need: no
        // workbook may show them.
        QFile ini(m_ini);
        QVERIFY(ini.open(QIODevice::Append));
        ini.write("Svr=secret-host\nUID=secret-login\nPWD=secret-password\n");
        m_brokenIni = m_dir.filePath(u"broken/Corvale2011/Corvale2011.ini"_s);
    }

    void toolWritesWhatTheWindowWrites_data() {
        QTest::addColumn<QStringList>("windowTicks"); // empty: 全选
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("padding"); // of the listing's codes
        QTest::addColumn<QString>("keywords");
        QTest::newRow("one department")
            << QStringList{u"0102"_s} << QStringList{u"--dept"_s, u"0102"_s} << u"03"_s << QString()
            << u"2026年 0102"_s;
        // Codes as a char(n) column gives them: the database would match them.
        QTest::newRow("tree order, not argument order, codes padded, a one-digit month")
            << QStringList{u"0102"_s, u"0103"_s}
            << QStringList{u"--dept"_s, u"0103  "_s, u"--dept"_s, u"0102 "_s} << u"3"_s << u"  "_s
            << u"2026年 0102 0103"_s;
        QTest::newRow("all") << QStringList{} << QStringList{u"--all"_s} << u"03"_s << QString()
                             << u"2026年 01 0102 0103 0104"_s;
    }

    void toolWritesWhatTheWindowWrites() {
        QFETCH(QStringList, windowTicks);
        QFETCH(QStringList, selection);
        QFETCH(QString, month);
        QFETCH(QString, padding);
        QFETCH(QString, keywords);
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, windowTicks);
        if (windowTicks.isEmpty()) {
            QTest::mouseClick(w.findChild<QCheckBox*>(u"selectAllBox"_s), Qt::LeftButton);
            QTest::mouseClick(button(w, u"runButton"_s), Qt::LeftButton);
            for (int r = 0; r < w.summaryGrid().rowCount(); ++r)
                QVERIFY(!w.summaryGrid().text(r, 1).contains(u"Tervo"_s));
            // A department whose name holds "小计" has its figures, exported as
            // a data row.
            QCOMPARE(w.summaryGrid().text(5, 1), u"审计小计组"_s);
            QCOMPARE(w.summaryGrid().text(5, 6), u"12.00"_s);
        }
        QVERIFY(w.summaryGrid().rowCount() > 1);
        openListing(w, 0, 6);
        QTemporaryDir out;
        const QString summary = out.filePath(u"月报.xlsx"_s);
        const QString detail = out.filePath(u"明细.xlsx"_s);
        const ToolRun run =
            runTool(QStringList{u"--settings"_s, m_ini, u"--year"_s, u"2026"_s} + selection +
                    QStringList{u"--summary"_s, summary, u"--detail"_s, u"0102"_s + padding,
                                u"0012"_s + padding, month, detail});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

        QJsonObject expectation = summaryExpectation(*w.summary(), w.summaryGrid().columnWidths());
        QVERIFY(!loginName().isEmpty());
        expectation[u"properties"_s] = QJsonObject{
            {u"title"_s, u"2026年非预算报销月报"_s},
            {u"subject"_s, u"部门非预算报销月报"_s},
            {u"creator"_s, loginName()},
            {u"keywords"_s, keywords},
            {u"description"_s, u"由 nbreport "_s + QLatin1StringView(kVersionText) + u" 导出"_s}};
        expectation[u"absent"_s] = QJsonArray{u"secret-"_s};
        QString failure = checkWorkbook(summary, expectation);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QString caption = u"部门：财务部   2026年"_s + kMarch + u"【差旅费】报销明细"_s;
        failure = checkWorkbook(
            detail, detailExpectation(*w.listing(), w.detailGrid().columnWidths(), caption));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void toolFailuresExitNonZero_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString out = u"OUT/r.xlsx"_s;
        QTest::newRow("no arguments") << QStringList{} << 1 << u"缺少统计年度"_s;
        QTest::newRow("year not four digits")
            << QStringList{u"--year"_s, u"26"_s, u"--all"_s, u"--summary"_s, out} << 1
            << u"四位数字"_s;
        QTest::newRow("no department")
            << QStringList{u"--year"_s, u"2026"_s, u"--summary"_s, out} << 1 << u"未指定部门"_s;
        QTest::newRow("no settings file")
            << QStringList{u"--year"_s, u"2026"_s, u"--all"_s, u"--summary"_s, out} << 2
            << u"找不到数据库设置文件"_s;
        QTest::newRow("unknown department")
            << QStringList{u"--settings"_s, u"INI"_s,  u"--year"_s,    u"2026"_s,
                           u"--dept"_s,     u"7777"_s, u"--summary"_s, out}
            << 3 << u"未知部门：7777"_s;
        QTest::newRow("unknown subject")
            << QStringList{u"--settings"_s, u"INI"_s,  u"--year"_s, u"2026"_s, u"--detail"_s,
                           u"0102"_s,       u"9999"_s, u"03"_s,     out}
            << 3 << u"未知科目：9999"_s;
        QTest::newRow("nothing in that year")
            << QStringList{u"--settings"_s, u"INI"_s,       u"--year"_s, u"2019"_s,
                           u"--all"_s,      u"--summary"_s, out}
            << 3 << u"没有非预算报销"_s;
        QTest::newRow("year with a final newline")
            << QStringList{u"--year"_s, u"2026\n"_s, u"--all"_s, u"--summary"_s, out} << 1
            << u"四位数字"_s;
        QTest::newRow("month with a final newline")
            << QStringList{u"--year"_s, u"2026"_s, u"--detail"_s, u"01"_s, u"0012"_s,
                           u"03\n"_s,   out}
            << 1 << u"月份"_s;
        QTest::newRow("output names a folder")
            << QStringList{u"--year"_s, u"2026"_s, u"--all"_s, u"--summary"_s, u"OUT"_s} << 1
            << u"文件夹"_s;
        QTest::newRow("output ends in a slash")
            << QStringList{u"--year"_s, u"2026"_s, u"--all"_s, u"--summary"_s, u"OUT/new/"_s} << 1
            << u"文件夹"_s;
        const QStringList bothTo{u"--year"_s,    u"2026"_s,           u"--all"_s,
                                 u"--summary"_s, u"OUT/real/a.xls"_s, u"--detail"_s,
                                 u"01"_s,        u"0012"_s,           u"03"_s};
        QTest::newRow("both outputs end up as one workbook")
            << bothTo + QStringList{u"OUT/real/./a.xlsx"_s} << 1 << u"同一个文件"_s;
        QTest::newRow("the same workbook through a folder link")
            << bothTo + QStringList{u"OUT/lnk/a.xlsx"_s} << 1 << u"同一个文件"_s;
        QTest::newRow("the same workbook through a file link")
            << bothTo + QStringList{u"OUT/link.xlsx"_s} << 1 << u"同一个文件"_s;
        QTest::newRow("an option given twice")
            << QStringList{u"--year"_s, u"2026"_s,      u"--all"_s,     u"--summary"_s,
                           out,         u"--summary"_s, u"OUT/b.xlsx"_s}
            << 1 << u"参数重复：--summary"_s;
        QTest::newRow("a read-only workbook is not replaced")
            << QStringList{u"--settings"_s, u"INI"_s,       u"--year"_s,    u"2026"_s,
                           u"--all"_s,      u"--summary"_s, u"OUT/ro.xls"_s}
            << 4 << u"文件只读："_s;
        QTest::newRow("empty cell: nothing written, the summary neither")
            << QStringList{u"--settings"_s, u"INI"_s,       u"--year"_s, u"2026"_s,
                           u"--all"_s,      u"--summary"_s, out,         u"--detail"_s,
                           u"0102"_s,       u"0012"_s,      u"07"_s,     u"OUT/d.xlsx"_s}
            << 3 << u"该单元格没有非预算报销明细"_s;
        QTest::newRow("lines without departments")
            << QStringList{u"--year"_s, u"2026"_s, u"--lines"_s, out} << 1 << u"未指定部门"_s;
        QTest::newRow("lines and summary into one workbook")
            << QStringList{u"--year"_s, u"2026"_s,    u"--all"_s,    u"--summary"_s,
                           out,         u"--lines"_s, u"OUT/r.xls"_s}
            << 1 << u"同一个文件"_s;
        QTest::newRow("no lines in that year: nothing written")
            << QStringList{u"--settings"_s, u"INI"_s,     u"--year"_s, u"2019"_s,
                           u"--all"_s,      u"--lines"_s, out}
            << 3 << u"没有非预算报销"_s;
        QTest::newRow("tree query fails")
            << QStringList{u"--settings"_s, u"BROKEN"_s, u"--year"_s,    u"2026"_s,
                           u"--dept"_s,     u"0102"_s,   u"--summary"_s, out}
            << 3 << u"上级部门new"_s;
        QTest::newRow("an option where a file name belongs")
            << QStringList{u"--year"_s, u"2026"_s, u"--all"_s, u"--summary"_s, u"--quiet"_s} << 1
            << u"参数 --summary 缺少取值"_s;
        QTest::newRow("an option where the settings file belongs")
            << QStringList{u"--settings"_s, u"--all"_s, u"--year"_s, u"2026"_s, u"--summary"_s, out}
            << 1 << u"参数 --settings 缺少取值"_s;
        // Only regular files are replaced, whatever the rights: a device
        // node (root only), a named pipe, also at the end of a link.
        const QStringList toNode{u"--settings"_s, u"INI"_s,   u"--year"_s,
                                 u"2026"_s,       u"--all"_s, u"--summary"_s};
        QTest::newRow("a named pipe")
            << toNode + QStringList{u"OUT/pipe.xlsx"_s} << 4 << u"不是普通文件："_s;
        QTest::newRow("a link to a named pipe")
            << toNode + QStringList{u"OUT/pipelink.xlsx"_s} << 4 << u"不是普通文件："_s;
        QTest::newRow("a device node")
            << toNode + QStringList{u"OUT/devnull.xlsx"_s} << 4 << u"不是普通文件："_s;
        QTest::newRow("a link to a device node")
            << toNode + QStringList{u"OUT/devlink.xlsx"_s} << 4 << u"不是普通文件："_s;
        QTest::newRow("unwritable path") << QStringList{u"--settings"_s,
                                                        u"INI"_s,
                                                        u"--year"_s,
                                                        u"2026"_s,
                                                        u"--all"_s,
                                                        u"--summary"_s,
                                                        u"OUT/missing/r.xlsx"_s}
                                         << 4 << u"导出失败"_s;
    }

    void toolFailuresExitNonZero() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        // A folder, a link to it, a link to a file in it to be, a read-only
        // workbook, a named pipe and (as root) a null device node, with links.
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkdir(u"real"_s));
        QVERIFY(QFile::link(u"real"_s, out.filePath(u"lnk"_s)));
        QVERIFY(QFile::link(u"real/a.xlsx"_s, out.filePath(u"link.xlsx"_s)));
        writeFile(out.filePath(u"ro.xlsx"_s), "kept");
        QFile(out.filePath(u"ro.xlsx"_s)).setPermissions(QFile::ReadOwner | QFile::ReadOther);
        QCOMPARE(::mkfifo(QFile::encodeName(out.filePath(u"pipe.xlsx"_s)).constData(), 0600), 0);
        QVERIFY(QFile::link(u"pipe.xlsx"_s, out.filePath(u"pipelink.xlsx"_s)));
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::mknod(QFile::encodeName(out.filePath(u"devnull.xlsx"_s)).constData(),
                             S_IFCHR | 0666, makedev(1, 3)),
                     0);
        else if (QString::fromLatin1(QTest::currentDataTag()).contains(u"device"_s))
            QSKIP("making a device node takes root");
        QVERIFY(QFile::link(u"devnull.xlsx"_s, out.filePath(u"devlink.xlsx"_s)));
        const QStringList before = entries(out.path());
        for (QString& a : args)
            a.replace(u"OUT"_s, out.path())
                .replace(u"INI"_s, m_ini)
                .replace(u"BROKEN"_s, m_brokenIni);
        const ToolRun run = runTool(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QCOMPARE(entries(out.path()), before);
        QVERIFY(entries(out.filePath(u"real"_s)).isEmpty());
        QCOMPARE(contents(out.filePath(u"ro.xlsx"_s)), QByteArray("kept"));
        struct stat node {};
        QVERIFY(::lstat(QFile::encodeName(out.filePath(u"pipe.xlsx"_s)).constData(), &node) == 0 &&
                S_ISFIFO(node.st_mode));
        if (root)
            QVERIFY(::lstat(QFile::encodeName(out.filePath(u"devnull.xlsx"_s)).constData(),
                            &node) == 0 &&
                    S_ISCHR(node.st_mode) && node.st_rdev == makedev(1, 3));
    }

    // The scale-10 demo's summary of every department, printed through
    // LibreOffice: each page of the table one page wide under its headings,
    // the chart sheet last. Its year's claim lines add up to its cells.
    void demoWorkbooksPrintOnePageWideAndTheirLinesAddUp() {
        const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
        const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (soffice.isEmpty() || pdftotext.isEmpty())
            QSKIP("libreoffice-calc-nogui or poppler-utils is not installed");
        const auto quietly = [](const QString& program, const QStringList& args) {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            p.setStandardErrorFile(QProcess::nullDevice());
            p.start(program, args);
            return p.waitForFinished(240000) ? p.exitCode() : -1;
        };
        const QString db = m_dir.filePath(u"demo10.db"_s);
        QCOMPARE(quietly(qEnvironmentVariable("NBR_BINARY_DIR") + u"/tools/nbreport-make-demo"_s,
                         {u"--scale"_s, u"10"_s, u"--base-year"_s, u"2026"_s, db}),
                 0);
        test::writeSettingsFor(m_dir.filePath(u"demo"_s), db);
        QTemporaryDir out;
        const QString summary = out.filePath(u"s.xlsx"_s), lines = out.filePath(u"l.xlsx"_s);
        const ToolRun run = runTool(
            {u"--settings"_s, m_dir.filePath(u"demo/Corvale2011/Corvale2011.ini"_s), u"--year"_s,
             u"2026"_s, u"--all"_s, u"--summary"_s, summary, u"--lines"_s, lines});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        const QString failure = checkClaimLines(lines, summary);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        QCOMPARE(
            quietly(soffice, {u"--headless"_s,
                              u"-env:UserInstallation=file://"_s + out.filePath(u"profile"_s),
                              u"--convert-to"_s, u"pdf"_s, u"--outdir"_s, out.path(), summary}),
            0);
        QProcess text;
        text.start(pdftotext, {out.filePath(u"s.pdf"_s), u"-"_s});
        QVERIFY(text.waitForFinished(60000));
        QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(u'\f');
        pages.removeLast(); // after the last page's form feed
        QVERIFY(pages.size() >= 2);
        for (qsizetype p = 0; p + 1 < pages.size(); ++p)
            QVERIFY2(pages[p].contains(u"部门非预算报销月报"_s) &&
                         pages[p].contains(u"部门名称"_s) && pages[p].contains(u"12月份"_s) &&
                         pages[p].contains(u"第 %1 页，共 %2 页"_s.arg(p + 1).arg(pages.size())),
                     qPrintable(u"page %1: "_s.arg(p + 1) + pages[p].left(300)));
        QVERIFY(!pages.last().contains(u"部门名称"_s)); // the chart
        qInfo("scale-10 summary of every department: %lld printed pages", pages.size());
    }

    // The three programs answer --help and --version on standard output, name
    // a bad argument on standard error, and say nothing else when run as a
    // cron job runs them: no display, no XDG_RUNTIME_DIR.
    void programsFollowCommandLineConventions_data() {
        QTest::addColumn<QString>("program"); // in the build tree
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // contained in standard output; empty: none
        QTest::addColumn<QString>("errors"); // contained in standard error; empty: none
        const QString tool = u"tools/nbreport-export"_s;
        const QString maker = u"tools/nbreport-make-demo"_s;
        const QStringList summary{u"--settings"_s, u"INI"_s,       u"--year"_s,    u"2026"_s,
                                  u"--all"_s,      u"--summary"_s, u"OUT/r.xlsx"_s};
        QTest::newRow("export --help")
            << tool << QStringList{u"--help"_s} << 0 << u"用法: nbreport-export"_s << QString();
        QTest::newRow("export --version")
            << tool << QStringList{u"--version"_s} << 0 << u"nbreport-export 1."_s << QString();
        QTest::newRow("export: a bad argument before --help")
            << tool << QStringList{u"--bogus"_s, u"--help"_s} << 1 << QString() << u"用法"_s;
        QTest::newRow("export: result on standard output, progress on standard error")
            << tool << summary << 0 << u"已导出 "_s << u"月报：已写"_s;
        QTest::newRow("export --quiet: nothing on standard error")
            << tool << summary + QStringList{u"--quiet"_s} << 0 << u"已导出 "_s << QString();
        QTest::newRow("nbreport --help without a display")
            << u"nbreport"_s << QStringList{u"--help"_s} << 0 << u"用法: nbreport"_s << QString();
        QTest::newRow("nbreport --version")
            << u"nbreport"_s << QStringList{u"--version"_s} << 0 << u"nbreport 1."_s << QString();
        QTest::newRow("nbreport: unknown option")
            << u"nbreport"_s << QStringList{u"--bogus"_s} << 1 << QString() << u"用法"_s;
        QTest::newRow("maker --help")
            << maker << QStringList{u"--help"_s} << 0 << u"用法：nbreport-make-demo"_s << QString();
        QTest::newRow("maker --version")
            << maker << QStringList{u"--version"_s} << 0 << u"nbreport-make-demo 1."_s << QString();
        QTest::newRow("maker: unknown option")
            << maker << QStringList{u"--bogus"_s, u"x.db"_s} << 1 << QString() << u"用法"_s;
    }

    void programsFollowCommandLineConventions() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        QTemporaryDir out;
        for (QString& a : args)
            a.replace(u"OUT"_s, out.path()).replace(u"INI"_s, m_ini);
        QProcessEnvironment cron;
        cron.insert(u"HOME"_s, out.path());
        cron.insert(u"PATH"_s, u"/usr/bin:/bin"_s);
        cron.insert(u"XDG_CONFIG_HOME"_s, m_dir.filePath(u"no-config"_s));
        const ToolRun run =
            runProgram(qEnvironmentVariable("NBR_BINARY_DIR") + u'/' + program, args, cron);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(output.isEmpty() ? run.output.isEmpty() : run.output.contains(output),
                 qPrintable(run.output));
        QVERIFY2(errors.isEmpty() ? run.errors.isEmpty() : run.errors.contains(errors),
                 qPrintable(run.errors));
    }

    // The tool stopped in the middle of a 30 000-row summary, or finishing it
    // after the reader of its standard error went away.
    void toolLeavesNoTemporaryFile_data() {
        QTest::addColumn<int>("signal"); // 0: no signal, standard error closed
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        // Nothing can clean up after SIGKILL: the next export does.
        QTest::newRow("SIGKILL: the next export removes what it left") << int(SIGKILL);
        QTest::newRow("closed standard error: exit 0") << 0;
    }

    void toolLeavesNoTemporaryFile() {
        QFETCH(int, signal);
        const QString db = m_dir.filePath(u"big.db"_s);
        const QString ini = m_dir.filePath(u"big/Corvale2011/Corvale2011.ini"_s);
        if (!QFile::exists(ini)) { // 150 departments with 200 subjects each
            test::FixtureDb big(db);
            const QString n = u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                              u" WHERE i < 200) "_s;
            for (const QString& insert :
                 {u"INSERT INTO 职能部门类别 VALUES ('D1', '职能部门')"_s,
                  n + u"INSERT INTO 职能部门new SELECT i, i, 'D1', NULL FROM n WHERE i <= 150"_s,
                  n + u"INSERT INTO 财务科目 SELECT 'S' || i, i FROM n"_s,
                  n + u"INSERT INTO 报销单表 (报销单ID, 部门代号, 报销类型, 报批日期, 审批通过)"
                      u" SELECT i, i, '非预算', '2026-03-05', 1 FROM n WHERE i <= 150"_s,
                  n + u"INSERT INTO 报销单明细 (报销单ID, 科目代号, 金额)"
                      u" SELECT c.i, 'S' || s.i, s.i FROM n c, n s WHERE c.i <= 150"_s})
                big.exec(insert);
            big.close();
            test::writeSettingsFor(m_dir.filePath(u"big"_s), db);
        }
        QTemporaryDir out;
        const QString target = out.filePath(u"k.xlsx"_s);
        writeFile(target, "the previous month's workbook");
        const QStringList args{u"--settings"_s, ini,   u"--year"_s, u"2026"_s, u"--all"_s,
                               u"--summary"_s,  target};
        if (signal == 0) {
            const QString closedStderr = u"\"$@\" 2>&1 >/dev/null | true; exit ${PIPESTATUS[0]}"_s;
            QCOMPARE(QProcess::execute(
                         u"/bin/bash"_s,
                         QStringList{u"-c"_s, closedStderr, u"bash"_s, exportToolPath()} + args),
                     0);
            QVERIFY(contents(target).startsWith("PK"));
        } else {
            QProcess p;
            p.setReadChannel(QProcess::StandardError);
            p.start(exportToolPath(), args);
            QByteArray progress;
            while (!progress.contains("已写 10001/") && p.waitForReadyRead(120000))
                progress += p.readAll();
            QVERIFY2(progress.contains("已写 10001/"), progress.constData());
            // It holds the password: no core dump may write it out.
            const QByteArray limits = contents(u"/proc/%1/limits"_s.arg(p.processId()));
            QVERIFY2(limits.contains(
                         QByteArrayLiteral("Max core file size        0                    0")),
                     limits.constData());
            ::kill(pid_t(p.processId()), signal);
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitStatus(), QProcess::CrashExit);
            QCOMPARE(p.exitCode(), signal);
            QCOMPARE(contents(target), QByteArray("the previous month's workbook"));
        }
        QStringList kept{u"k.xlsx"_s};
        if (signal == SIGKILL) {
            const QStringList left = entries(out.path());
            QCOMPARE(left.size(), 2);
            // An abandoned file is one of ours that has not changed for a
            // minute; files that only look like temporary files are other
            // people's, however old.
            const QStringList lookAlikes{u"Q3 plan.docx.tmp-v2"_s, u"budget.tmp-final"_s,
                                         u".cache.tmp-abc"_s, u"data.tmp-2024"_s,
                                         u".nbreport-export-abc.tmp"_s};
            for (const QString& name : lookAlikes)
                writeFile(out.filePath(name), "someone else's");
            for (const QString& name : left.filter(u".tmp"_s) + lookAlikes)
                QCOMPARE(QProcess::execute(u"touch"_s,
                                           {u"-d"_s, u"5 minutes ago"_s, out.filePath(name)}),
                         0);
            QCOMPARE(runTool({u"--settings"_s, m_ini, u"--year"_s, u"2026"_s, u"--all"_s,
                              u"--summary"_s, target})
                         .exitCode,
                     0);
            kept += lookAlikes;
        }
        const QStringList left = entries(out.path());
        QCOMPARE(QSet<QString>(left.begin(), left.end()), QSet<QString>(kept.begin(), kept.end()));
    }
};

QTEST_MAIN(TestExportTool)
#include "tst_export_tool.moc"
