// The workbook exports: the report window's two export buttons driven as a
// user would over a SQLite fixture, the export procedures on grids built
// directly (failures, an empty listing, 40 000 rows) and the headless export
// tool. Every workbook is read back by tests/check_workbook.py (openpyxl)
// against the grid it came from.

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "platform/FileError.h"
#include "platform/MousePointer.h"
#include "platform/WindowFont.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportGridSetup.h"
#include "report/WorkbookExport.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ReportWindow.h"
#include "workbook/WorkbookCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

const QString kMarch = u"03月份          "_s;
const QString kTotalsFill = u"C0C0FF"_s;
const QString kSubtotalFill = u"C0FFFF"_s;

QString sourceDir() {
    return qEnvironmentVariable("NBR_SOURCE_DIR");
}
QString toolPath() {
    return qEnvironmentVariable("NBR_BINARY_DIR") + u"/tools/nbreport-export"_s;
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the checker expects of a workbook made from a grid: the grid's texts
// without the hidden key column, its widths in characters, each body row's
// fill as the report colours it.
QJsonObject expectationFor(const FlexGridModel& g, const QString& sheet, const QString& title,
                           const QString& caption, int captionColumns,
                           const QList<int>& amountColumns,
                           const std::function<QJsonValue(int row)>& fill) {
    const int columns = g.cols() - 1;
    const auto texts = [&](int r) {
        QJsonArray a;
        for (int c = 0; c < columns; ++c)
            a.append(g.textMatrix(r, c));
        return a;
    };
    QJsonArray rows, fills, widths, amounts;
    for (int r = 1; r < g.rows(); ++r) {
        rows.append(texts(r));
        fills.append(r == g.rows() - 1 ? QJsonValue(kTotalsFill) : fill(r));
    }
    for (int c = 0; c < columns; ++c)
        widths.append(g.colWidth(c) / 110.0);
    for (int c : amountColumns)
        amounts.append(c);
    return {{u"sheet"_s, sheet},          {u"title"_s, title},
            {u"caption"_s, caption},      {u"captionColumns"_s, captionColumns},
            {u"header"_s, texts(0)},      {u"rows"_s, rows},
            {u"fills"_s, fills},          {u"widths"_s, widths},
            {u"amountColumns"_s, amounts}};
}

QJsonObject summaryExpectation(const FlexGridModel& g, const QString& year) {
    QList<int> amounts;
    for (int c = 4; c <= 16; ++c)
        amounts << c;
    return expectationFor(g, u"非预算报销月报"_s, u"部门非预算报销月报"_s,
                          u" 月报年度："_s + year + u"年度"_s, 3, amounts, [&g](int r) {
                              return g.rowKind(r) == FlexGridModel::RowKind::Subtotal
                                         ? QJsonValue(kSubtotalFill)
                                         : QJsonValue();
                          });
}

QJsonObject detailExpectation(const FlexGridModel& g, const QString& caption) {
    return expectationFor(g, u"非预算报销明细"_s, u"部门非预算科目销明细月报"_s, caption, 6,
                          {9, 10, 11}, [](int) { return QJsonValue(); });
}

// Runs the checker; empty when the workbook is as expected, else its report.
QString checkWorkbook(const QString& workbook, QJsonObject expectation,
                      const QJsonObject& cells = {}) {
    expectation[u"cells"_s] = cells;
    QTemporaryDir dir;
    const QString json = dir.filePath(u"expected.json"_s);
    QFile f(json);
    if (!f.open(QIODevice::WriteOnly))
        return u"cannot write "_s + json;
    f.write(QJsonDocument(expectation).toJson());
    f.close();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(u"/usr/bin/python3"_s, {sourceDir() + u"/tests/check_workbook.py"_s, workbook, json});
    if (!p.waitForFinished(300000))
        return u"checker did not finish"_s;
    const QString out = QString::fromUtf8(p.readAll());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return out.isEmpty() ? u"checker failed"_s : out;
    return {};
}

QJsonObject spot(const QJsonValue& value, const QString& type = {}, const QString& format = {}) {
    QJsonObject o{{u"value"_s, value}};
    if (!type.isEmpty())
        o[u"type"_s] = type;
    if (!format.isEmpty())
        o[u"format"_s] = format;
    return o;
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
}

// A tmpfs of a few pages at dir, in the test's own mount namespace: nobody
// else sees it, and it goes with this object.
class PrivateTmpfs {
public:
    explicit PrivateTmpfs(const QString& dir, const char* size = "size=64k")
        : m_dir(QFile::encodeName(dir)) {
        static const bool ownNamespace =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        m_mounted = ownNamespace && ::mount("tmpfs", m_dir, "tmpfs", 0, size) == 0;
    }
    ~PrivateTmpfs() {
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    // Writes a filler file until not one byte more fits.
    void fill() {
        const int fd = ::open((m_dir + "/filler").constData(), O_WRONLY | O_CREAT, 0644);
        while (::write(fd, "x", 1) == 1) {
        }
        ::close(fd);
    }

private:
    QByteArray m_dir;
    bool m_mounted = false;
};

struct ToolRun {
    int exitCode = -1;
    QString errors;
};

} // namespace

class TestExport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;
    QString m_ini;
    QString m_brokenIni; // a database whose department tree cannot be read

    static QPushButton* button(ReportWindow& w, const QString& name) {
        return w.findChild<QPushButton*>(name);
    }
    static QProgressBar* progressBar(ReportWindow& w, const QString& name) {
        return w.findChild<QProgressBar*>(name);
    }

    // A shown, loaded window with the given departments ticked and the 2026
    // summary run.
    static void runSummary(ReportWindow& w, const QStringList& deptCodes) {
        w.load();
        w.show();
        auto* year = w.findChild<QComboBox*>(u"Combo1"_s);
        year->setCurrentIndex(year->findText(u"2026年"_s));
        for (const QString& code : deptCodes)
            w.nodes().userCheck(w.nodes().indexOfKey(u'$' + code), true);
        QTest::mouseClick(button(w, u"Command3"_s), Qt::LeftButton);
    }

    // Opens the listing of a summary cell through the drill-down button.
    static void openListing(ReportWindow& w, int row, int col) {
        w.grid1().userClick(row, col);
        QTest::mouseClick(button(w, u"btnB"_s), Qt::LeftButton);
    }

    static void exportFrom(ReportWindow& w, test::FakePrompts& prompts, const QString& buttonName,
                           const QString& answer) {
        prompts.saveAnswers.push_back(answer);
        QTest::mouseClick(button(w, buttonName), Qt::LeftButton);
    }

    // A summary grid of the given size built directly: every tenth row a
    // subtotal, subject codes with leading zeros, some empty months.
    static void buildLargeSummary(FlexGridModel& g, int bodyRows) {
        setUpReportGrid(g, summaryFormatString());
        g.setRedraw(false);
        g.setRows(bodyRows + 1);
        for (int r = 1; r <= bodyRows; ++r) {
            const bool subtotal = r % 10 == 0;
            g.setTextMatrix(r, 0, QString::number(r));
            g.setTextMatrix(r, 1, subtotal ? u"部门%1小计"_s.arg(r) : u"部门%1"_s.arg(r / 10));
            g.setTextMatrix(r, 2, u"%1"_s.arg(r % 1000, 4, 10, QChar(u'0')));
            g.setTextMatrix(r, 3, u"科目名称"_s);
            for (int c = 4; c <= 16; ++c)
                g.setTextMatrix(r, c, (r + c) % 7 == 0 ? QString() : u"%1.25"_s.arg(r + c));
            if (subtotal) {
                g.setRowKind(r, FlexGridModel::RowKind::Subtotal);
                g.setRow(r);
                g.setCol(16);
                g.setCellBackColor(QColor(192, 255, 255));
            }
        }
        g.setTextMatrix(bodyRows, 1, u"合计"_s);
        g.setRedraw(true);
    }

    ToolRun runTool(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, m_dir.filePath(u"no-config"_s)); // no user store
        p.setProcessEnvironment(env);
        p.start(toolPath(), args);
        if (!p.waitForFinished(120000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void initTestCase() {
        QVERIFY2(!sourceDir().isEmpty(), "run through ctest: NBR_SOURCE_DIR names the checker");
        m_db = m_dir.filePath(u"export.db"_s);
        test::FixtureDb db(m_db);
        db.addDepartment(u"01"_s, u"总部"_s);
        db.addDepartment(u"0102"_s, u"财务部"_s, u"01"_s);
        db.addDepartment(u"0103"_s, u"人事部"_s, u"01"_s);
        db.addDepartment(u"0104"_s, u"审计小计组"_s, u"01"_s); // "小计" in a real name
        db.addDepartment(u"09"_s, u"Tervo中心"_s);
        db.addSubject(u"0012"_s, u"差旅费"_s);
        db.addSubject(u"6601"_s, u"办公费"_s);
        // 财务部, 差旅费, March: 1000 + 34.5 tax and 200 without tax.
        const qint64 a = db.addClaim(u"00201"_s, u"0102"_s, u"2026-03-05"_s, u"非预算"_s, u"李明"_s,
                                     u"2026-03-06"_s, 1, u"2026-03-10"_s);
        db.addLine(a, u"0012"_s, 1000, 34.5, u"出差北京"_s);
        const qint64 b = db.addClaim(u"00202"_s, u"0102"_s, u"2026-03-20"_s);
        db.addLine(b, u"0012"_s, 200, {}, u"市内交通"_s);
        db.addLine(db.addClaim(u"00203"_s, u"0102"_s, u"2026-01-10"_s), u"6601"_s, 88);
        db.addLine(db.addClaim(u"00204"_s, u"0103"_s, u"2026-02-02"_s), u"6601"_s, 50);
        db.addLine(db.addClaim(u"00206"_s, u"0104"_s, u"2026-03-03"_s), u"6601"_s, 12);
        db.addLine(db.addClaim(u"00205"_s, u"09"_s, u"2026-04-01"_s), u"6601"_s, 7);
        db.addLine(db.addClaim(u"00206"_s, u"0103"_s, u"2026-05-08"_s), u"6601"_s, 9, {},
                   QString(40000, u'长'));
        db.close();
        QVERIFY(test::connectToFile(m_db));

        const QString broken = m_dir.filePath(u"broken.db"_s);
        test::FixtureDb(broken).exec(u"DROP TABLE 上级部门new"_s);
        test::writeSettingsFor(m_dir.filePath(u"tool"_s), m_db);
        test::writeSettingsFor(m_dir.filePath(u"broken"_s), broken);
        m_ini = m_dir.filePath(u"tool/Corvale2011/Corvale2011.ini"_s);
        m_brokenIni = m_dir.filePath(u"broken/Corvale2011/Corvale2011.ini"_s);
    }

    void summaryExportWritesTheGridCellByCell() {
        test::FakePrompts prompts;
        ReportWindow w;
        runSummary(w, {u"0102"_s});
        QCOMPARE(w.grid1().rows(), 5);
        // The caption names the run's year, not what the year box shows now.
        auto* year = w.findChild<QComboBox*>(u"Combo1"_s);
        year->setCurrentIndex(year->findText(u"2025年"_s));

        QStringList hiddenAtDialog;
        int progressMaximum = -1, progressValue = -1;
        bool progressShownAtMessage = false;
        prompts.onPrompt = [&](const test::RecordedPrompt& p) {
            if (p.kind == test::RecordedPrompt::SaveDialog) {
                for (const char* name : {"Command1", "Command2", "Command3"})
                    if (!button(w, QString::fromLatin1(name))->isVisible())
                        hiddenAtDialog << QString::fromLatin1(name);
            } else {
                QProgressBar* bar = progressBar(w, u"ProgressBar1"_s);
                progressShownAtMessage = bar->isVisible();
                progressMaximum = bar->maximum();
                progressValue = bar->value();
            }
        };
        QTemporaryDir out;
        exportFrom(w, prompts, u"Command2"_s, out.filePath(u"月报.xls"_s));

        QCOMPARE(prompts.recorded.size(), 2);
        QCOMPARE(prompts.recorded[0].text, u"非预算报销月报_2026年"_s);
        QCOMPARE(prompts.recorded[0].title, u"电子表|*.xls;*.xlsx"_s);
        QCOMPARE(prompts.recorded[1].text, u"非预算报销月报导出成功!"_s);
        QCOMPARE(prompts.recorded[1].title, u"系统提示"_s);
        QCOMPARE(hiddenAtDialog, (QStringList{u"Command1"_s, u"Command2"_s, u"Command3"_s}));
        QVERIFY(progressShownAtMessage);
        QCOMPARE(progressMaximum, 5);
        QCOMPARE(progressValue, 4);
        QVERIFY(!progressBar(w, u"ProgressBar1"_s)->isVisible());
        QVERIFY(button(w, u"Command2"_s)->isVisible());
        QCOMPARE(entries(out.path()), QStringList{u"月报.xlsx"_s});

        // Rows 5..8: the two subjects, 财务部's subtotal, the grand total.
        const QJsonObject cells{
            {u"C5"_s, spot(u"0012"_s, u"s"_s)},
            {u"G5"_s, spot(1234.5, u"n"_s, u"#0.00"_s)},
            {u"B7"_s, QJsonObject{{u"value"_s, u"财务部小计"_s}, {u"fill"_s, kSubtotalFill}}},
            {u"B8"_s, QJsonObject{{u"value"_s, u"合计"_s}, {u"fill"_s, kTotalsFill}}},
            {u"Q8"_s, spot(1322.5, u"n"_s)},
        };
        const QString failure = checkWorkbook(out.filePath(u"月报.xlsx"_s),
                                              summaryExpectation(w.grid1(), u"2026"_s), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void workbookNameTakesXlsxAndReplacesAnExistingFile_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << u"a"_s << u"a.xlsx"_s;
        QTest::newRow("xlsx kept") << u"a.xlsx"_s << u"a.xlsx"_s;
        QTest::newRow("last dot only") << u"a.b.xls"_s << u"a.b.xlsx"_s;
        QTest::newRow("dot in folder") << u"my.dir/a"_s << u"my.dir/a.xlsx"_s;
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

        test::FakePrompts prompts;
        ReportWindow w;
        runSummary(w, {u"0102"_s});
        exportFrom(w, prompts, u"Command2"_s, out.filePath(answer));
        QCOMPARE(prompts.messageTexts(), QStringList{u"非预算报销月报导出成功!"_s});
        const QFileInfo folder(target);
        QCOMPARE(entries(folder.absolutePath()), QStringList{folder.fileName()});
        const QString failure = checkWorkbook(target, summaryExpectation(w.grid1(), u"2026"_s));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void nothingHappensBeforeASummaryRun() {
        test::FakePrompts prompts;
        ReportWindow w;
        w.load();
        w.show();
        QTest::mouseClick(button(w, u"Command2"_s), Qt::LeftButton);
        QTest::mouseClick(button(w, u"Command5"_s), Qt::LeftButton);
        QVERIFY(prompts.recorded.isEmpty());
    }

    void cancelWritesNothing_data() {
        QTest::addColumn<QString>("exportButton");
        QTest::newRow("summary") << u"Command2"_s;
        QTest::newRow("detail") << u"Command5"_s;
    }
    void cancelWritesNothing() {
        QFETCH(QString, exportButton);
        test::FakePrompts prompts;
        ReportWindow w;
        runSummary(w, {u"0102"_s});
        openListing(w, 1, 6);
        prompts.saveAnswers.push_back(std::nullopt);
        QTest::mouseClick(button(w, exportButton), Qt::LeftButton);
        QCOMPARE(prompts.recorded.size(), 2);
        QCOMPARE(prompts.recorded[1].text, u"您取消了导出操作！"_s);
        QCOMPARE(prompts.recorded[1].title, u"系统提示"_s);
        QCOMPARE(prompts.recorded[1].icon, MessageIcon::Information);
        QVERIFY(button(w, exportButton)->isVisible());
        QVERIFY(!progressBar(w, u"ProgressBar1"_s)->isVisible());
        QVERIFY(!progressBar(w, u"ProgressBar2"_s)->isVisible());
    }

    void failedExportKeepsWhatWasThere_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("before");
        QTest::newRow("folder missing") << u"missing/x.xls"_s << QString() << QStringList{};
        // The rename cannot put a file where a directory is.
        QTest::newRow("directory at the name")
            << u"d.xls"_s << u"d.xlsx"_s << QStringList{u"d.xlsx"_s};
    }
    void failedExportKeepsWhatWasThere() {
        QFETCH(QString, answer);
        QFETCH(QString, folder);
        QFETCH(QStringList, before);
        QTemporaryDir out;
        if (!folder.isEmpty()) {
            QDir(out.path()).mkpath(folder);
            QFile inside(out.filePath(folder + u"/keep.txt"_s));
            QVERIFY(inside.open(QIODevice::WriteOnly));
        }
        test::FakePrompts prompts;
        ReportWindow w;
        runSummary(w, {u"0102"_s});
        exportFrom(w, prompts, u"Command2"_s, out.filePath(answer));
        const QStringList messages = prompts.messageTexts();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].startsWith(u"错误码: "_s) && messages[0].contains(u" 错误描述: "_s),
                 qPrintable(messages[0]));
        QCOMPARE(prompts.recorded.last().title, u"系统提示"_s);
        QCOMPARE(entries(out.path()), before); // no temporary file left
        if (!folder.isEmpty())
            QCOMPARE(entries(out.filePath(folder)), QStringList{u"keep.txt"_s});
        QVERIFY(progressBar(w, u"ProgressBar1"_s)->isVisible()); // left as it was
        QVERIFY(button(w, u"Command2"_s)->isVisible());
        QCOMPARE(mousePointer(), MousePointer::Default);
    }

    // The name exported to is a link to a private (0640) workbook: the link
    // stays, the file it points to is replaced and keeps its permissions.
    void fullDiskNeverCostsTheExistingWorkbook_data() {
        QTest::addColumn<bool>("targetFolderFull"); // else the system's temporary folder
        QTest::newRow("temporary folder full: written whole") << false;
        QTest::newRow("target folder full: old file byte for byte") << true;
    }
    void fullDiskNeverCostsTheExistingWorkbook() {
        QFETCH(bool, targetFolderFull);
        // The workbook's folder lies outside /tmp, which one row fills, and
        // outside the build folder, which may itself lie under /tmp.
        PrivateTmpfs roomy(u"/mnt"_s, "size=16m");
        if (!roomy.mounted())
            QSKIP("mounting a tmpfs in a private mount namespace is not permitted here");
        const QString folder = u"/mnt/reports"_s, old = folder + u"/old.xlsx"_s;
        QVERIFY(QDir().mkpath(folder));
        FlexGridModel g;
        buildLargeSummary(g, 2000);
        std::optional<FileError> failure;
        QStringList left;
        QByteArray kept;
        struct stat st {};
        {
            PrivateTmpfs full(targetFolderFull ? folder : u"/tmp"_s);
            if (!full.mounted())
                QSKIP("mounting a small tmpfs in a private mount namespace is not permitted here");
            writeFile(old, "the previous month's workbook");
            QCOMPARE(::chmod(QFile::encodeName(old).constData(), 0640), 0);
            QVERIFY(QFile::link(u"old.xlsx"_s, folder + u"/keep.xlsx"_s));
            full.fill();
            try {
                ExportMonthlyReport(g, u"部门非预算报销月报"_s, u"2026年"_s,
                                    folder + u"/keep.xlsx"_s);
            } catch (const FileError& e) {
                failure = e;
            }
            left = entries(folder);
            kept = contents(old);
            ::stat(QFile::encodeName(old).constData(), &st);
        } // unmounted: the checker needs /tmp

        QCOMPARE(st.st_mode & 07777, 0640u);
        if (targetFolderFull) {
            QVERIFY(failure && !failure->description().isEmpty());
            QCOMPARE(kept, QByteArray("the previous month's workbook"));
            QCOMPARE(left, (QStringList{u"filler"_s, u"keep.xlsx"_s, u"old.xlsx"_s}));
        } else {
            QVERIFY2(!failure, qPrintable(failure->description()));
            QCOMPARE(left, (QStringList{u"keep.xlsx"_s, u"old.xlsx"_s}));
            QVERIFY(QFileInfo(folder + u"/keep.xlsx"_s).isSymLink());
            const QString failure = checkWorkbook(old, summaryExpectation(g, u"2026"_s));
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
    }

    // What a writer that lost data leaves: a zip whose checksums match while
    // a part is empty or cut off.
    void workbookCheckFindsEmptyOrCutParts_data() {
        QTest::addColumn<QString>("xml");
        QTest::newRow("empty") << QString();
        QTest::newRow("cut mid-way") << u"<Types xmlns=\"x\"><Default Extension=\"xml\"/>"_s;
    }
    void workbookCheckFindsEmptyOrCutParts() {
        QFETCH(QString, xml);
        QTemporaryDir out;
        const QString zip = out.filePath(u"a.xlsx"_s);
        const QString write = u"import sys, zipfile\n"
                              u"zipfile.ZipFile(sys.argv[1], 'w').writestr('[Content_Types].xml',"
                              u" sys.argv[2])"_s;
        QCOMPARE(QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, write, zip, xml}), 0);
        const std::optional<QString> defect = findWorkbookDefect(zip);
        QVERIFY2(defect && defect->startsWith(u"[Content_Types].xml"_s),
                 qPrintable(defect.value_or(u"none"_s)));
    }

    void textsAreMadeFitForACell_data() {
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("truncated");
        const QChar bad(0xFFFD), high(0xD83D), low(0xDE00); // high + low: one emoji
        QTest::newRow("C0 controls replaced, tab and LF kept")
            << u"a"_s + QChar(1) + u"b"_s + QChar(0x1F) + u"\tc\nd"_s
            << u"a"_s + bad + u"b"_s + bad + u"\tc\nd"_s << false;
        QTest::newRow("U+FFFE and U+FFFF replaced")
            << u"x"_s + QChar(0xFFFE) + QChar(0xFFFF) << u"x"_s + bad + bad << false;
        QTest::newRow("unpaired surrogates replaced, a pair kept")
            << QString(high) + u"a"_s + low + high + low + high
            << QString(bad) + u"a"_s + bad + high + low + bad << false;
        QTest::newRow("40 000 characters cut to 32 767")
            << QString(40000, u'长') << QString(32767, u'长') << true;
        QTest::newRow("a pair at the limit is not split")
            << QString(32766, u'a') + high + low << QString(32766, u'a') << true;
    }
    void textsAreMadeFitForACell() {
        QFETCH(QString, memo);
        QFETCH(QString, written);
        QFETCH(bool, truncated);
        FlexGridModel g;
        g.setMeasureFont(windowFont());
        setUpReportGrid(g, detailFormatString());
        LoadDetailList(g, u"0012"_s, u"03"_s, u"0102"_s, u"2026"_s);
        g.setTextMatrix(1, 8, memo);
        QTemporaryDir out;
        const QString path = out.filePath(u"明细.xlsx"_s);
        const QString caption = u"部门：财务部   2026年03月份【差旅费】报销明细"_s;
        ExportResult result;
        QVERIFY_THROWS_NO_EXCEPTION(result = ExportDetailList(g, u"部门非预算科目销明细月报"_s,
                                                              u"部门：财务部"_s, u"2026年"_s,
                                                              u"03月份【差旅费】报销明细"_s, path));
        QCOMPARE(result.textsTruncated, truncated);
        g.setTextMatrix(1, 8, written);
        const QString failure = checkWorkbook(path, detailExpectation(g, caption));
        QVERIFY2(failure.isEmpty(), qPrintable(failure.left(2000)));
    }

    void longMemoIsCutAndTheOutcomeSaysSo() {
        const QString note = u"（部分超长文本已截断为 32767 个字符）"_s;
        test::FakePrompts prompts;
        ReportWindow w;
        runSummary(w, {u"0103"_s});
        QCOMPARE(w.grid1().textMatrix(1, 2), u"6601"_s);
        openListing(w, 1, 8); // May: the line with a 40 000-character memo
        QTemporaryDir out;
        exportFrom(w, prompts, u"Command5"_s, out.filePath(u"明细.xlsx"_s));
        QCOMPARE(prompts.messageTexts(), QStringList{u"非预算报销明细月报导出成功!\n"_s + note});

        const ToolRun run = runTool({u"--settings"_s, m_ini, u"--year"_s, u"2026"_s, u"--detail"_s,
                                     u"0103"_s, u"6601"_s, u"05"_s, out.filePath(u"tool.xlsx"_s)});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.errors.endsWith(note + u'\n'), qPrintable(run.errors));
    }

    void detailExportNamesTheListingsDepartment() {
        test::FakePrompts prompts;
        ReportWindow w;
        // Two departments: the run leaves 人事部 as the current department,
        // while the listing opened is 财务部's.
        runSummary(w, {u"0102"_s, u"0103"_s});
        QCOMPARE(w.currentDeptName(), u"人事部"_s);
        QCOMPARE(w.grid1().textMatrix(1, 2), u"0012"_s);
        openListing(w, 1, 6);
        QCOMPARE(w.grid2().rows(), 4);

        QStringList visibleAtDialog;
        prompts.onPrompt = [&](const test::RecordedPrompt& p) {
            if (p.kind == test::RecordedPrompt::SaveDialog)
                for (const char* name : {"Command4", "Command5"})
                    if (button(w, QString::fromLatin1(name))->isVisible())
                        visibleAtDialog << QString::fromLatin1(name);
        };
        QTemporaryDir out;
        exportFrom(w, prompts, u"Command5"_s, out.filePath(u"明细.xls"_s));
        QCOMPARE(prompts.recorded.size(), 2);
        QCOMPARE(prompts.recorded[0].text, u"2026年"_s + kMarch + u"【差旅费】报销明细_财务部"_s);
        QCOMPARE(prompts.recorded[1].text, u"非预算报销明细月报导出成功!"_s);
        QCOMPARE(prompts.recorded[1].title, u"系统提示"_s);
        QVERIFY(visibleAtDialog.isEmpty());
        QVERIFY(button(w, u"Command5"_s)->isVisible());
        QVERIFY(!progressBar(w, u"ProgressBar2"_s)->isVisible());

        const QJsonObject cells{
            {u"B5"_s, spot(u"00201"_s, u"s"_s)},
            {u"C5"_s, spot(u"2026-03-05"_s, u"s"_s)},
            {u"J5"_s, spot(1000, u"n"_s, u"#0.00"_s)},
            {u"K6"_s, spot(QJsonValue(), {}, u"#0.00"_s)},
            {u"L7"_s, spot(1234.5, u"n"_s)},
        };
        const QString caption = u"部门：财务部   2026年"_s + kMarch + u"【差旅费】报销明细"_s;
        const QString failure = checkWorkbook(out.filePath(u"明细.xlsx"_s),
                                              detailExpectation(w.grid2(), caption), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void emptyListingExportsItsTotalsRow() {
        FlexGridModel g;
        g.setMeasureFont(windowFont());
        setUpReportGrid(g, detailFormatString());
        LoadDetailList(g, u"0012"_s, u"07"_s, u"0102"_s, u"2026"_s);
        QCOMPARE(g.rows(), 2);
        QTemporaryDir out;
        const QString caption = u"部门：财务部   2026年07月份【差旅费】报销明细"_s;
        QVERIFY_THROWS_NO_EXCEPTION(
            ExportDetailList(g, u"部门非预算科目销明细月报"_s, u"部门：财务部"_s, u"2026年"_s,
                             u"07月份【差旅费】报销明细"_s, out.filePath(u"空.xls"_s)));
        const QJsonObject cells{
            {u"B5"_s, spot(u"合计"_s, u"s"_s)},
            {u"J5"_s, spot(0, u"n"_s, u"#0.00"_s)},
            {u"K5"_s, spot(0, u"n"_s, u"#0.00"_s)},
            {u"L5"_s, spot(0, u"n"_s, u"#0.00"_s)},
        };
        const QString failure =
            checkWorkbook(out.filePath(u"空.xlsx"_s), detailExpectation(g, caption), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void fortyThousandRowSummary() {
        FlexGridModel g;
        buildLargeSummary(g, 40000);
        QTemporaryDir out;
        QList<int> progress;
        QElapsedTimer timer;
        timer.start();
        QVERIFY_THROWS_NO_EXCEPTION(ExportMonthlyReport(g, u"部门非预算报销月报"_s, u"2026年"_s,
                                                        out.filePath(u"大.xlsx"_s),
                                                        [&progress](int row) { progress << row; }));
        qInfo("40 000-row export: %lld ms", timer.elapsed());
        QCOMPARE(progress.size(), g.rows());
        QCOMPARE(progress.first(), 0);
        QCOMPARE(progress.last(), 40000);
        const QJsonObject cells{
            {u"C16"_s, spot(u"0012"_s, u"s"_s)},
            {u"B14"_s, QJsonObject{{u"fill"_s, kSubtotalFill}}},
            {u"B40004"_s, QJsonObject{{u"value"_s, u"合计"_s}, {u"fill"_s, kTotalsFill}}},
        };
        const QString failure =
            checkWorkbook(out.filePath(u"大.xlsx"_s), summaryExpectation(g, u"2026"_s), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void libreOfficeOpensBothWorkbooks() {
        const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed");
        test::FakePrompts prompts;
        ReportWindow w;
        runSummary(w, {u"0102"_s});
        QTemporaryDir out;
        exportFrom(w, prompts, u"Command2"_s, out.filePath(u"summary.xlsx"_s));
        openListing(w, 1, 6);
        exportFrom(w, prompts, u"Command5"_s, out.filePath(u"detail.xlsx"_s));
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

    void toolWritesWhatTheWindowWrites_data() {
        QTest::addColumn<QStringList>("windowTicks"); // empty: 全选
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QString>("month");
        QTest::newRow("one department")
            << QStringList{u"0102"_s} << QStringList{u"--dept"_s, u"0102"_s} << u"03"_s;
        QTest::newRow("tree order, not argument order, a one-digit month")
            << QStringList{u"0102"_s, u"0103"_s}
            << QStringList{u"--dept"_s, u"0103"_s, u"--dept"_s, u"0102"_s} << u"3"_s;
        QTest::newRow("all") << QStringList{} << QStringList{u"--all"_s} << u"03"_s;
    }
    void toolWritesWhatTheWindowWrites() {
        QFETCH(QStringList, windowTicks);
        QFETCH(QStringList, selection);
        QFETCH(QString, month);
        test::FakePrompts prompts;
        ReportWindow w;
        runSummary(w, windowTicks);
        if (windowTicks.isEmpty()) {
            QTest::mouseClick(w.findChild<QCheckBox*>(u"Check1"_s), Qt::LeftButton);
            QTest::mouseClick(button(w, u"Command3"_s), Qt::LeftButton);
            for (int r = 1; r < w.grid1().rows(); ++r)
                QVERIFY(!w.grid1().textMatrix(r, 1).contains(u"Tervo"_s));
            // A department whose name holds "小计" has its figures, exported as
            // a data row.
            QCOMPARE(w.grid1().textMatrix(6, 1), u"审计小计组"_s);
            QCOMPARE(w.grid1().textMatrix(6, 6), u"12.00"_s);
        }
        QVERIFY(w.grid1().rows() > 2);
        openListing(w, 1, 6);
        QTemporaryDir out;
        const QString summary = out.filePath(u"月报.xlsx"_s);
        const QString detail = out.filePath(u"明细.xlsx"_s);
        const ToolRun run =
            runTool(QStringList{u"--settings"_s, m_ini, u"--year"_s, u"2026"_s} + selection +
                    QStringList{u"--summary"_s, summary, u"--detail"_s, u"0102"_s, u"0012"_s, month,
                                detail});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

        QString failure = checkWorkbook(summary, summaryExpectation(w.grid1(), u"2026"_s));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QString caption = u"部门：财务部   2026年"_s + kMarch + u"【差旅费】报销明细"_s;
        failure = checkWorkbook(detail, detailExpectation(w.grid2(), caption));
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
        QTest::newRow("no connection")
            << QStringList{u"--year"_s, u"2026"_s, u"--all"_s, u"--summary"_s, out} << 2
            << u"数据库连接失败"_s;
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
        QTest::newRow("both outputs end up as one workbook")
            << QStringList{u"--year"_s,   u"2026"_s, u"--all"_s, u"--summary"_s, u"OUT/a.xls"_s,
                           u"--detail"_s, u"01"_s,   u"0012"_s,  u"03"_s,        u"OUT/./a.xlsx"_s}
            << 1 << u"同一个文件"_s;
        QTest::newRow("empty cell: nothing written, the summary neither")
            << QStringList{u"--settings"_s, u"INI"_s,       u"--year"_s, u"2026"_s,
                           u"--all"_s,      u"--summary"_s, out,         u"--detail"_s,
                           u"0102"_s,       u"0012"_s,      u"07"_s,     u"OUT/d.xlsx"_s}
            << 3 << u"该单元格没有非预算报销明细"_s;
        QTest::newRow("tree query fails")
            << QStringList{u"--settings"_s, u"BROKEN"_s, u"--year"_s,    u"2026"_s,
                           u"--dept"_s,     u"0102"_s,   u"--summary"_s, out}
            << 3 << u"上级部门new"_s;
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
        QTemporaryDir out;
        for (QString& a : args)
            a.replace(u"OUT"_s, out.path())
                .replace(u"INI"_s, m_ini)
                .replace(u"BROKEN"_s, m_brokenIni);
        const ToolRun run = runTool(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QVERIFY(entries(out.path()).isEmpty());
    }

    // The tool stopped in the middle of a 30 000-row summary, or finishing it
    // after the reader of its standard error went away.
    void toolLeavesNoTemporaryFile_data() {
        QTest::addColumn<int>("signal"); // 0: no signal, standard error closed
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
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
            QCOMPARE(
                QProcess::execute(u"/bin/bash"_s,
                                  QStringList{u"-c"_s, closedStderr, u"bash"_s, toolPath()} + args),
                0);
            QVERIFY(contents(target).startsWith("PK"));
        } else {
            QProcess p;
            p.setReadChannel(QProcess::StandardError);
            p.start(toolPath(), args);
            QByteArray progress;
            while (!progress.contains("已写 10001/") && p.waitForReadyRead(120000))
                progress += p.readAll();
            QVERIFY2(progress.contains("已写 10001/"), progress.constData());
            ::kill(pid_t(p.processId()), signal);
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitStatus(), QProcess::CrashExit);
            QCOMPARE(p.exitCode(), signal);
            QCOMPARE(contents(target), QByteArray("the previous month's workbook"));
        }
        QCOMPARE(entries(out.path()), QStringList{u"k.xlsx"_s});
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
