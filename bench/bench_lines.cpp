// The workbook of every claim line behind a year's summary of all
// departments, streamed from the query into the file, against the least any
// client can do: the same statement read to its end through the same ODBC
// layer, plus libxlsxwriter writing the same cells bare (cell values
// prepared beforehand, the formats made once up front, one straight loop).
// And nbreport-export --lines as a whole, its time and its peak memory, and
// the report window's "导出全部明细…" of the same lines beside it.
//
//   bench_lines [DEMO.db]   (a missing file is made: a --scale 100 demo; without
//                            an argument in a temporary folder)

#include "BenchSupport.h"
#include "TestContext.h"
#include "db/Database.h"
#include "platform/StderrPrompts.h"
#include "report/ClaimLines.h"
#include "report/DeptSelection.h"
#include "report/DeptTree.h"
#include "report/MonthlySummary.h"
#include "report/ReportPeriod.h"
#include "report/WorkbookExport.h"
#include "report/ui/ReportWindow.h"
#include "session/DatabaseConnect.h"
#include "workbook/WorkbookCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>
#include <xlsxwriter.h>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

constexpr int kRuns = 5;
constexpr int kYear = 2026;

// A body cell as the bare loop writes it.
struct BareCell {
    std::string text;
    double number = 0;
    bool isNumber = false;
};

// The sheet's cells, read once through its own row source.
std::vector<std::vector<BareCell>> prepareBare(const SheetDescription& sheet) {
    std::vector<std::vector<BareCell>> rows;
    sheet.streamedRows([&](const SheetRow& row) {
        std::vector<BareCell> cells;
        for (int c = 0; c < sheet.columns(); ++c) {
            BareCell cell{row.cells[c].toStdString()};
            if (sheet.kinds[size_t(c)] != SheetColumnKind::Text && !cell.text.empty())
                cell.number = row.cells[c].toDouble(&cell.isNumber);
            cells.push_back(std::move(cell));
        }
        rows.push_back(std::move(cells));
    });
    return rows;
}

lxw_format* makeFormat(lxw_workbook* wb, bool border, uint8_t align, bool amount) {
    lxw_format* f = workbook_add_format(wb);
    format_set_font_name(f, "微软雅黑");
    format_set_font_size(f, 9);
    if (border)
        format_set_border(f, LXW_BORDER_THIN);
    if (align)
        format_set_align(f, align);
    if (amount)
        format_set_num_format(f, "#0.00");
    return f;
}

bool writeBare(const SheetDescription& sheet, const std::vector<std::vector<BareCell>>& rows,
               const char* path) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path, &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "非预算报销明细");
    lxw_format* font = makeFormat(wb, false, 0, false);
    lxw_format* header = makeFormat(wb, true, LXW_ALIGN_CENTER, false);
    format_set_pattern(header, LXW_PATTERN_SOLID);
    format_set_bg_color(header, 0xC0C0FF);
    lxw_format* text = makeFormat(wb, true, 0, false);
    lxw_format* amount = makeFormat(wb, true, LXW_ALIGN_RIGHT, true);
    const auto columns = lxw_col_t(sheet.columns());
    for (lxw_col_t c = 0; c < columns; ++c)
        worksheet_set_column(ws, c, c, sheet.widths[c], nullptr);
    worksheet_merge_range(ws, 0, 0, 0, columns - 1, "部门非预算报销明细", font);
    worksheet_merge_range(ws, 2, 0, 2, 2, " 明细年度：2026年度", font);
    for (lxw_col_t c = 0; c < columns; ++c)
        worksheet_write_string(ws, 3, c, sheet.header[c].toUtf8().constData(), header);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (lxw_col_t c = 0; c < columns; ++c) {
            const BareCell& cell = rows[r][c];
            lxw_format* f = sheet.kinds[c] == SheetColumnKind::Amount ? amount : text;
            if (cell.isNumber)
                worksheet_write_number(ws, lxw_row_t(r + 4), c, cell.number, f);
            else if (cell.text.empty())
                worksheet_write_blank(ws, lxw_row_t(r + 4), c, f);
            else
                worksheet_write_string(ws, lxw_row_t(r + 4), c, cell.text.c_str(), f);
        }
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

// The statement the export runs, read to its end and nothing done with it.
void queryAlone(Database& db, const std::vector<Department>& departments) {
    QStringList values;
    for (size_t k = 0; k < departments.size(); ++k)
        values << departments[k].code << u"%1"_s.arg(k, 4, 10, QChar(u'0'));
    db.forEachRecord(ClaimLines::claimLinesSql(db.dialect(), int(departments.size())),
                     values << ReportPeriod::wholeYear(kYear).bounds(), [](const Recordset&) {});
}

// Runs a program to its successful end and gives its peak resident memory
// in KiB, -1 when it failed.
long peakOfRun(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

// The window's every-line export after a summary of every department, from
// the context menu's command to the success message.
double windowExportMs(const QString& database, const QString& target) {
    test::TestContext t;
    if (!t.connectToFile(database))
        return -1;
    ReportWindow window(t.app);
    // Shown, as the user sees it: the progress bar paints (run it under a
    // real display, e.g. xvfb-run, for the figure a user meets).
    window.show();
    QCoreApplication::processEvents();
    window.load();
    window.findChild<QCheckBox*>(u"selectAllBox"_s)->click();
    window.runSummary();
    t.prompts.saveAnswers.push_back(target);
    t.prompts.clear();
    const double ms = bench::ms([&] { window.exportClaimLinesWorkbook(); });
    return t.prompts.messageTexts().value(0).contains(u"导出成功"_s) ? ms : -1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString path = app.arguments().value(1);
    if (path.isEmpty())
        path = dir.filePath(u"demo100.db"_s);
    if (!QFile::exists(path) &&
        QProcess::execute(
            QCoreApplication::applicationDirPath() + u"/../tools/nbreport-make-demo"_s,
            {u"--scale"_s, u"100"_s, u"--base-year"_s, QString::number(kYear), path}) != 0)
        return 1;
    // The tool first, in a process of its own, for its peak memory: a child
    // forked later would count this process's memory at the fork as its own.
    const QString ini = dir.filePath(u"bench.ini"_s);
    QFile settings(ini);
    if (!settings.open(QIODevice::WriteOnly))
        return 1;
    settings.write("[DBConfig]\nEngine=SQLite\nDBname=" + path.toUtf8() + '\n');
    settings.close();
    long toolPeakKb = -1;
    const double toolMs = bench::ms([&] {
        toolPeakKb =
            peakOfRun(QCoreApplication::applicationDirPath() + u"/../tools/nbreport-export"_s,
                      {u"--settings"_s, ini, u"--year"_s, QString::number(kYear), u"--all"_s,
                       u"--quiet"_s, u"--lines"_s, dir.filePath(u"tool.xlsx"_s)});
    });
    if (toolPeakKb < 0)
        return 1;

    const double windowMs = windowExportMs(path, dir.filePath(u"window.xlsx"_s));
    if (windowMs < 0)
        return 1;

    StderrPrompts prompts;
    AppContext context(prompts);
    ConnectionOptions options;
    options.engine = SqlEngine::SQLite;
    if (!openConnection(context, {}, {}, path, {}, options))
        return 1;
    Database& db = context.db();
    const DeptTree tree = loadDeptTree(db);
    DeptSelection ticks(tree);
    ticks.selectAll(true);
    const SummaryRequest request{ticks.tickedDepartments(), kYear};
    const std::vector<Department>& departments = request.departments;
    if (departments.size() > size_t(MonthlySummary::kDepartmentsPerStatement))
        return 1; // one statement, as queryAlone binds it

    const SheetDescription sheet = claimLinesSheet(db, request);
    const auto cells = prepareBare(sheet);
    const QString exported = dir.filePath(u"lines.xlsx"_s);
    const QByteArray bare = dir.filePath(u"bare.xlsx"_s).toUtf8();
    int lines = 0;
    // The three alternate, so that a busy machine slows them alike.
    std::vector<double> exportRuns, checkRuns, queryRuns, bareRuns;
    for (int i = 0; i < kRuns; ++i) {
        exportRuns.push_back(bench::ms(
            [&] { exportClaimLines(db, request, exported, [&lines](int row) { lines = row; }); }));
        checkRuns.push_back(bench::ms([&] { (void)findWorkbookDefect(exported); }));
        queryRuns.push_back(bench::ms([&] { queryAlone(db, departments); }));
        bareRuns.push_back(bench::ms([&] { writeBare(sheet, cells, bare.constData()); }));
    }
    const double exportMs = bench::median(exportRuns), checkMs = bench::median(checkRuns),
                 queryMs = bench::median(queryRuns), bareMs = bench::median(bareRuns);

    std::printf("database               %s\n", qPrintable(path));
    std::printf("claim lines            %8d   (%zu departments, year %d)\n", lines,
                departments.size(), kYear);
    std::printf("exportClaimLines       %8.1f ms  (median of %d)\n", exportMs, kRuns);
    std::printf("  of which read-back   %8.1f ms\n", checkMs);
    std::printf("query alone            %8.1f ms\n", queryMs);
    std::printf("bare libxlsxwriter     %8.1f ms\n", bareMs);
    std::printf("ratio                  %8.2f x   (goal <= 1.50)\n", exportMs / (queryMs + bareMs));
    std::printf("nbreport-export --lines %7.1f ms, peak memory %ld KiB (goal < 200 MB)\n", toolMs,
                toolPeakKb);
    std::printf("window 导出全部明细    %8.1f ms  (%.2f x the tool's, goal <= 1.20)\n", windowMs,
                windowMs / toolMs);
    return 0;
}
