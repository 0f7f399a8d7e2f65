// The report window's two export buttons driven as a user would over a
// SQLite fixture: the file dialog, the progress bar, the messages, the
// workbook's name and contents, failures and cancelling. Every workbook is
// read back by tests/check_workbook.py (openpyxl) against the grid it came
// from.

#include "ExportChecks.h"
#include "ExportFixture.h"
#include "FakePrompts.h"
#include "FixtureDb.h"
#include "ReportFixtures.h"
#include "ReportWindowDriver.h"
#include "TestContext.h"
#include "platform/MousePointer.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportGridView.h"
#include "report/ui/ReportWindow.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

namespace {
// A success message: its text, then the file written.
QString success(const QString& text, const QString& path) {
    return text + u'\n' + QDir::toNativeSeparators(path);
}
} // namespace

class TestExportWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_ini;

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("NBR_SOURCE_DIR"),
                 "run through ctest: NBR_SOURCE_DIR names the checker");
        const QString db = m_dir.filePath(u"export.db"_s);
        writeExportDatabase(db);
        test::writeSettingsFor(m_dir.filePath(u"tool"_s), db);
        m_ini = m_dir.filePath(u"tool/Corvale2011/Corvale2011.ini"_s);
    }

    void summaryExportWritesTheGridCellByCell() {
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, {u"0102"_s});
        QCOMPARE(w.summaryGrid().rowCount(), 4);
        // The caption names the run's year, not what the year box shows now.
        auto* year = w.findChild<QComboBox*>(u"yearBox"_s);
        year->setCurrentIndex(year->findText(u"2025年"_s));

        QStringList hiddenAtDialog;
        int progressMaximum = -1, progressValue = -1;
        bool progressShownAtMessage = false;
        t.prompts.onPrompt = [&](const test::RecordedPrompt& p) {
            if (p.kind == test::RecordedPrompt::SaveDialog) {
                for (const char* name : {"exitButton", "exportButton", "runButton"})
                    if (!button(w, QString::fromLatin1(name))->isVisible())
                        hiddenAtDialog << QString::fromLatin1(name);
            } else {
                QProgressBar* bar = progressBar(w, u"exportProgress"_s);
                progressShownAtMessage = bar->isVisible();
                progressMaximum = bar->maximum();
                progressValue = bar->value();
            }
        };
        QTemporaryDir out;
        exportFrom(w, t.prompts, u"exportButton"_s, out.filePath(u"月报.xls"_s));

        QCOMPARE(t.prompts.recorded.size(), 2);
        QCOMPARE(t.prompts.recorded[0].text, u"非预算报销月报_2026年"_s);
        QCOMPARE(t.prompts.recorded[0].title, u"电子表|*.xls;*.xlsx"_s);
        QCOMPARE(t.prompts.recorded[1].text,
                 success(u"非预算报销月报导出成功!"_s, out.filePath(u"月报.xlsx"_s)));
        QCOMPARE(t.prompts.recorded[1].title, u"系统提示"_s);
        QCOMPARE(hiddenAtDialog, (QStringList{u"exitButton"_s, u"exportButton"_s, u"runButton"_s}));
        QVERIFY(progressShownAtMessage);
        QCOMPARE(progressMaximum, 5);
        QCOMPARE(progressValue, 5); // full while the user reads the outcome
        QVERIFY(!progressBar(w, u"exportProgress"_s)->isVisible());
        QVERIFY(button(w, u"exportButton"_s)->isVisible());
        QCOMPARE(entries(out.path()), QStringList{u"月报.xlsx"_s});

        // Rows 5..8: the two subjects, 财务部's subtotal, the grand total.
        const QJsonObject cells{
            {u"C5"_s, spot(u"0012"_s, u"s"_s)},
            {u"G5"_s, spot(1234.5, u"n"_s, u"#0.00"_s)},
            {u"B7"_s, QJsonObject{{u"value"_s, u"财务部小计"_s}, {u"fill"_s, kSubtotalFill}}},
            {u"B8"_s, QJsonObject{{u"value"_s, u"合计"_s}, {u"fill"_s, kTotalsFill}}},
            {u"Q8"_s, spot(1322.5, u"n"_s)},
        };
        const QString failure =
            checkWorkbook(out.filePath(u"月报.xlsx"_s),
                          summaryExpectation(*w.summary(), w.summaryGrid().columnWidths()), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // The summary grid's context menu writes every claim line of the run's
    // departments and year, which add up to the summary's cells. The
    // operator the status bar names is the workbooks' author.
    void contextMenuExportsEveryClaimLine() {
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        test::FakePrompts& prompts = t.prompts;
        t.app.session.employeeName = u"张三"_s;
        ReportWindow w(t.app);
        runSummary(w, {u"0102"_s, u"0103"_s});
        QTemporaryDir out;
        exportFrom(w, prompts, u"exportButton"_s, out.filePath(u"月报.xlsx"_s));
        QJsonObject expectation = summaryExpectation(*w.summary(), w.summaryGrid().columnWidths());
        expectation[u"properties"_s] = QJsonObject{{u"creator"_s, u"张三"_s}};
        QString failure = checkWorkbook(out.filePath(u"月报.xlsx"_s), expectation);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        auto* action = w.findChild<QAction*>(u"exportLinesAction"_s);
        QVERIFY(w.summaryView().actions().contains(action));
        prompts.saveAnswers.push_back(out.filePath(u"明细.xls"_s));
        action->trigger();
        QCOMPARE(prompts.recorded.size(), 4);
        QCOMPARE(prompts.recorded[2].text, u"2026年非预算报销明细"_s);
        // 人事部's May line has a memo longer than a cell holds.
        QCOMPARE(prompts.recorded[3].text,
                 success(u"非预算报销全部明细导出成功!"_s, out.filePath(u"明细.xlsx"_s)) +
                     u"\n（部分超长文本已截断为 32767 个字符）"_s);
        failure = checkClaimLines(out.filePath(u"明细.xlsx"_s), out.filePath(u"月报.xlsx"_s));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // The state file brings back the departments of the last run (one no
    // longer in the tree passed over) and the folder of the last export.
    void stateFileRemembersTicksAndExportFolder() {
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkpath(u"月报"_s));
        const QString state = out.filePath(u"config/nbreport/state.ini"_s);
        {
            test::TestContext t;
            t.app.state.open(state);
            QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
            ReportWindow w(t.app);
            runSummary(w, {u"0102"_s, u"0103"_s});
            exportFrom(w, t.prompts, u"exportButton"_s, out.filePath(u"月报/a.xlsx"_s));
            t.app.state.setTickedDepartments(t.app.state.tickedDepartments()
                                             << u"0999"_s); // since left the organisation
        }
        test::TestContext t;
        t.app.state.open(state);
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, {}); // what opening the window ticked
        QCOMPARE(w.summary()->departments.size(), 2u);
        QCOMPARE(w.summary()->departments.back().code, u"0103"_s);
        QTest::mouseClick(button(w, u"exportButton"_s), Qt::LeftButton); // the dialog cancelled
        QCOMPARE(t.prompts.recorded.value(0).text,
                 QDir(out.filePath(u"月报"_s)).filePath(u"非预算报销月报_2026年"_s));
    }

    void workbookNameTakesXlsxAndReplacesAnExistingFile_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << u"a"_s << u"a.xlsx"_s;
        QTest::newRow("xlsx kept") << u"a.xlsx"_s << u"a.xlsx"_s;
        QTest::newRow("last dot only") << u"a.b.xls"_s << u"a.b.xlsx"_s;
        QTest::newRow("extension in capitals") << u"a.XLS"_s << u"a.xlsx"_s;
        QTest::newRow("a dot that is no workbook extension")
            << u"月报2026.11"_s << u"月报2026.11.xlsx"_s;
        QTest::newRow("dot in folder") << u"my.dir/a"_s << u"my.dir/a.xlsx"_s;
        QTest::newRow("dot in a proposed listing name")
            << u"2026年03月份 【其他.杂费】报销明细_财务部"_s
            << u"2026年03月份 【其他.杂费】报销明细_财务部.xlsx"_s;
        const QString longName = QString(81, u'长') + u"ab"_s; // 245 bytes
        QTest::newRow("250-byte name") << longName + u".xls"_s << longName + u".xlsx"_s;
    }

    void workbookNameTakesXlsxAndReplacesAnExistingFile() {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QTemporaryDir out;
        const QString target = out.filePath(written);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older report");
        old.close();

        // The replace question names the file written; No goes back to the
        // dialog, which proposes the name typed.
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, {u"0102"_s});
        t.prompts.yesNoAnswers = {false, true};
        t.prompts.saveAnswers.push_back(out.filePath(answer));
        exportFrom(w, t.prompts, u"exportButton"_s, out.filePath(answer));
        const QString question =
            u"文件“"_s + QFileInfo(target).fileName() + u"”已存在。要替换它吗？"_s;
        QCOMPARE(t.prompts.recorded.size(), 5);
        QCOMPARE(t.prompts.recorded[1].text, question);
        QCOMPARE(t.prompts.recorded[2].text, out.filePath(answer));
        QCOMPARE(t.prompts.recorded[3].text, question);
        QCOMPARE(t.prompts.messageTexts(),
                 QStringList{success(u"非预算报销月报导出成功!"_s, target)});
        const QFileInfo folder(target);
        QCOMPARE(entries(folder.absolutePath()), QStringList{folder.fileName()});
        const QString failure =
            checkWorkbook(target, summaryExpectation(*w.summary(), w.summaryGrid().columnWidths()));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void nothingHappensBeforeASummaryRun() {
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        w.load();
        w.show();
        QTest::mouseClick(button(w, u"exportButton"_s), Qt::LeftButton);
        QTest::mouseClick(button(w, u"exportDetailButton"_s), Qt::LeftButton);
        QVERIFY(t.prompts.recorded.isEmpty());
    }

    void cancelWritesNothing_data() {
        QTest::addColumn<QString>("exportButton");
        QTest::newRow("summary") << u"exportButton"_s;
        QTest::newRow("detail") << u"exportDetailButton"_s;
    }

    void cancelWritesNothing() {
        QFETCH(QString, exportButton);
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, {u"0102"_s});
        // The open listing covers 导出Excel.
        if (exportButton == u"exportDetailButton"_s)
            openListing(w, 0, 6);
        t.prompts.saveAnswers.push_back(std::nullopt);
        QTest::mouseClick(button(w, exportButton), Qt::LeftButton);
        QCOMPARE(t.prompts.recorded.size(), 2);
        QCOMPARE(t.prompts.recorded[1].text, u"您取消了导出操作！"_s);
        QCOMPARE(t.prompts.recorded[1].title, u"系统提示"_s);
        QCOMPARE(t.prompts.recorded[1].icon, MessageIcon::Information);
        QVERIFY(button(w, exportButton)->isVisible());
        QVERIFY(!progressBar(w, u"exportProgress"_s)->isVisible());
        QVERIFY(!progressBar(w, u"detailExportProgress"_s)->isVisible());
    }

    void failedExportKeepsWhatWasThere_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("existing"); // a folder (ending in "/") or a read-only file
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("cause"); // in the user's words
        QTest::newRow("folder missing")
            << u"missing/x.xls"_s << QString() << QStringList{} << u"文件夹不存在"_s;
        // Only a regular file is replaced: no question, nothing written.
        QTest::newRow("directory at the name")
            << u"d.xls"_s << u"d.xlsx/"_s << QStringList{u"d.xlsx"_s} << u"不是普通文件："_s;
        QTest::newRow("named pipe at the name")
            << u"p.xls"_s << u"p.xlsx|"_s << QStringList{u"p.xlsx"_s} << u"不是普通文件："_s;
        QTest::newRow("read-only workbook: no question, not replaced")
            << u"r.xls"_s << u"r.xlsx"_s << QStringList{u"r.xlsx"_s} << u"文件只读："_s;
    }

    void failedExportKeepsWhatWasThere() {
        QFETCH(QString, answer);
        QFETCH(QString, existing);
        QFETCH(QStringList, before);
        QFETCH(QString, cause);
        QTemporaryDir out;
        const QString kept =
            out.filePath(existing.endsWith(u'/') ? existing + u"keep.txt"_s : existing);
        if (existing.endsWith(u'|')) {
            QCOMPARE(
                ::mkfifo(QFile::encodeName(out.filePath(existing.chopped(1))).constData(), 0600),
                0);
        } else if (!existing.isEmpty()) {
            QDir(out.path()).mkpath(QFileInfo(kept).path());
            writeFile(kept, "kept");
            QFile(kept).setPermissions(QFile::ReadOwner | QFile::ReadGroup);
        }
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, {u"0102"_s});
        exportFrom(w, t.prompts, u"exportButton"_s, out.filePath(answer));
        const QStringList messages = t.prompts.messageTexts();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].startsWith(u"错误码: "_s) && messages[0].contains(u" 错误描述: "_s) &&
                     messages[0].contains(cause),
                 qPrintable(messages[0]));
        QCOMPARE(t.prompts.recorded.last().title, u"系统提示"_s);
        QCOMPARE(entries(out.path()), before); // no temporary file left
        if (!existing.isEmpty() && !existing.endsWith(u'|'))
            QCOMPARE(contents(kept), QByteArray("kept"));
        // The bottom bar as it was: the buttons and nothing over them.
        QVERIFY(!progressBar(w, u"exportProgress"_s)->isVisible());
        for (const QString& name : {u"runButton"_s, u"exportButton"_s, u"exitButton"_s})
            QVERIFY(button(w, name)->isVisible());
        QCOMPARE(mousePointer(), MousePointer::Default);
    }

    // A listing that could not be read whole (here a column it needs is gone)
    // leaves nothing to export: 导出明细 is not offered and refuses.
    void failedListingOffersNothingToExport() {
        const QString db = m_dir.filePath(u"changed.db"_s);
        writeExportDatabase(db);
        test::TestContext t;
        QVERIFY(t.connectToFile(db));
        ReportWindow w(t.app);
        runSummary(w, {u"0102"_s});
        QCOMPARE(QProcess::execute(u"/usr/bin/python3"_s,
                                   {u"-c"_s,
                                    u"import sqlite3, sys; sqlite3.connect(sys.argv[1]).execute("
                                    u"'ALTER TABLE 报销单明细 RENAME COLUMN 摘要 TO 备注')"_s,
                                    db}),
                 0);
        openListing(w, 0, 6);
        QCOMPARE(t.prompts.messageTexts().size(), 1);
        QVERIFY(!button(w, u"exportDetailButton"_s)->isVisible());
        QTemporaryDir out;
        exportFrom(w, t.prompts, u"exportDetailButton"_s, out.filePath(u"明细.xlsx"_s));
        QCOMPARE(t.prompts.recorded.size(), 1);
        QVERIFY(entries(out.path()).isEmpty());
    }

    void longMemoIsCutAndTheOutcomeSaysSo() {
        const QString note = u"（部分超长文本已截断为 32767 个字符）"_s;
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, {u"0103"_s});
        QCOMPARE(w.summaryGrid().text(0, 2), u"6601"_s);
        openListing(w, 0, 8); // May: the line with a 40 000-character memo
        QTemporaryDir out;
        exportFrom(w, t.prompts, u"exportDetailButton"_s, out.filePath(u"明细.xlsx"_s));
        QCOMPARE(t.prompts.messageTexts(), QStringList{success(u"非预算报销明细月报导出成功!"_s,
                                                               out.filePath(u"明细.xlsx"_s)) +
                                                       u'\n' + note});

        const ToolRun run =
            runExportTool({u"--settings"_s, m_ini, u"--year"_s, u"2026"_s, u"--detail"_s, u"0103"_s,
                           u"6601"_s, u"05"_s, out.filePath(u"tool.xlsx"_s)},
                          m_dir.filePath(u"no-config"_s));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.endsWith(note + u'\n'), qPrintable(run.output));
    }

    void detailExportNamesTheListingsDepartment() {
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        // Two departments, the last 人事部, while the listing opened is 财务部's.
        runSummary(w, {u"0102"_s, u"0103"_s});
        QCOMPARE(w.summaryGrid().text(0, 2), u"0012"_s);
        openListing(w, 0, 6);
        QCOMPARE(w.detailGrid().rowCount(), 3);
        clickCell(w.detailView(), {-1, 9}); // sorted by 金额: the export keeps the order shown

        QStringList visibleAtDialog;
        t.prompts.onPrompt = [&](const test::RecordedPrompt& p) {
            if (p.kind == test::RecordedPrompt::SaveDialog)
                for (const char* name : {"closeDetailButton", "exportDetailButton"})
                    if (button(w, QString::fromLatin1(name))->isVisible())
                        visibleAtDialog << QString::fromLatin1(name);
        };
        QTemporaryDir out;
        exportFrom(w, t.prompts, u"exportDetailButton"_s, out.filePath(u"明细.xls"_s));
        QCOMPARE(t.prompts.recorded.size(), 2);
        QCOMPARE(t.prompts.recorded[0].text, u"2026年03月份【差旅费】报销明细_财务部"_s);
        QCOMPARE(t.prompts.recorded[1].text,
                 success(u"非预算报销明细月报导出成功!"_s, out.filePath(u"明细.xlsx"_s)));
        QCOMPARE(t.prompts.recorded[1].title, u"系统提示"_s);
        QVERIFY(visibleAtDialog.isEmpty());
        QVERIFY(button(w, u"exportDetailButton"_s)->isVisible());
        QVERIFY(!progressBar(w, u"detailExportProgress"_s)->isVisible());

        const QJsonObject cells{
            {u"B5"_s, spot(u"00202"_s, u"s"_s)},      {u"C5"_s, spot(u"2026-03-20"_s, u"s"_s)},
            {u"J5"_s, spot(200, u"n"_s, u"#0.00"_s)}, {u"K5"_s, spot(QJsonValue(), {}, u"#0.00"_s)},
            {u"L7"_s, spot(1234.5, u"n"_s)},
        };
        const QString caption = u"部门：财务部   2026年"_s + kMarch + u"【差旅费】报销明细"_s;
        const QString failure = checkWorkbook(
            out.filePath(u"明细.xlsx"_s),
            detailExpectation(*w.listing(), w.detailGrid().columnWidths(), caption), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void libreOfficeOpensBothWorkbooks() {
        const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");
        test::TestContext t;
        QVERIFY(t.connectToFile(m_dir.filePath(u"export.db"_s)));
        ReportWindow w(t.app);
        runSummary(w, {u"0102"_s});
        QTemporaryDir out;
        exportFrom(w, t.prompts, u"exportButton"_s, out.filePath(u"summary.xlsx"_s));
        openListing(w, 0, 6);
        exportFrom(w, t.prompts, u"exportDetailButton"_s, out.filePath(u"detail.xlsx"_s));
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(soffice,
                {u"--headless"_s, u"-env:UserInstallation=file://"_s + out.path() + u"/profile"_s,
                 u"--convert-to"_s, u"csv:Text - txt - csv (StarCalc):44,34,76"_s, u"--outdir"_s,
                 out.path(), out.filePath(u"summary.xlsx"_s), out.filePath(u"detail.xlsx"_s)});
        QVERIFY(p.waitForFinished(240000));
        const QString summary = QString::fromUtf8(contents(out.filePath(u"summary.csv"_s)));
        const QString detail = QString::fromUtf8(contents(out.filePath(u"detail.csv"_s)));
        QVERIFY2(summary.contains(u"部门非预算报销月报"_s) && summary.contains(u"0012"_s) &&
                     summary.contains(u"1234.50"_s),
                 qPrintable(summary));
        QVERIFY2(detail.contains(u"部门非预算科目销明细月报"_s) &&
                     detail.contains(u"2026-03-05"_s) && detail.contains(u"1234.50"_s),
                 qPrintable(detail));
    }
};

QTEST_MAIN(TestExportWindow)
#include "tst_export_window.moc"
