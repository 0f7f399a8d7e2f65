// The summary run over a large organisation, through the real report window:
// every department ticked, the whole "开始统计" click (queries, grid filling,
// column widening), against one plain GROUP BY over the same year's
// non-budget lines in the same process, the least any client can do. Also
// the detail listing of a cell with 10 000 claim lines. Then the same run
// over FreeTDS against tests/support/tds_server.py serving the file, at 0 and
// at 20 ms latency (a WAN link): what latency adds should be the run's own
// round trips only.
//
// bench_summary [DEMO.db]   (a missing file is made: a --scale 100 demo with the
//                            10 000-line cell added; without an argument in a
//                            temporary folder)
// Run with QT_QPA_PLATFORM=offscreen.

#include "BenchSupport.h"
#include "TdsTestServer.h"
#include "platform/StderrPrompts.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportRows.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportWindow.h"
#include "session/DatabaseConnect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

// One plain GROUP BY over the year's non-budget lines of every department.
QString groupBySql(const SqlDialect& dialect) {
    const QString month = dialect.yearMonth(u"报批日期"_s);
    return u"select 部门代号, 报销单明细.科目代号, "_s + month + u" As 年月,"_s +
           u" sum(COALESCE(金额,0) + COALESCE(税额,0)) As s From 报销单表"
           u" Inner join 报销单明细 On 报销单表.报销单ID = 报销单明细.报销单ID"
           u" inner join 财务科目 On 报销单明细.科目代号 = 财务科目.科目代号"
           u" where 报销类型='非预算' And "_s +
           month + u" between ? and ?"_s + u" GROUP BY 部门代号, 报销单明细.科目代号, "_s + month;
}

// 10 000 lines of one department, subject and month, for the listing.
void addLargeCell(const QString& path) {
    bench::SqliteWriter db(path);
    db.exec("INSERT OR IGNORE INTO 财务科目 VALUES ('BENCH', '基准科目')");
    for (int i = 0; i < 10000; ++i) {
        db.exec(u"INSERT INTO 报销单表 (报销单编号, 部门代号, 报销类型, 报批日期, 报销人, 审批通过)"
                u" VALUES ('B%1', '0102', '非预算', '2026-04-%2', '基准', 1)"_s
                    .arg(i, 6, 10, QChar(u'0'))
                    .arg(1 + i % 28, 2, 10, QChar(u'0')));
        db.exec(u"INSERT INTO 报销单明细 (报销单ID, 科目代号, 摘要, 金额, 税额)"
                u" VALUES (last_insert_rowid(), 'BENCH', '基准明细', %1, %2)"_s.arg(10 + i % 97)
                    .arg(i % 3 == 0 ? u"NULL"_s : u"0.6"_s));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    StderrPrompts prompts;
    AppContext context(prompts);
    QTemporaryDir dir;
    QString path = app.arguments().value(1);
    if (path.isEmpty())
        path = dir.filePath(u"demo100.db"_s);
    if (!QFile::exists(path)) {
        const QString maker =
            QCoreApplication::applicationDirPath() + u"/../tools/nbreport-make-demo"_s;
        const QStringList arguments{u"--scale"_s, u"100"_s, u"--base-year"_s, u"2026"_s, path};
        if (QProcess::execute(maker, arguments) != 0)
            return 1;
        addLargeCell(path);
    }
    ConnectionOptions options;
    options.engine = SqlEngine::SQLite;
    if (!openConnection(context, {}, {}, path, {}, options))
        return 1;

    const QStringList year{u"202601"_s, u"202612"_s};
    qsizetype groups = 0;
    const auto plainGroupBy = [&] {
        groups = context.db().query(groupBySql(context.db().dialect()), year).rowCount();
    };
    const double baseline = bench::medianMs(5, plainGroupBy);

    ReportWindow window(context);
    window.resize(1600, 1000);
    window.show();
    window.load();
    window.findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2026年"_s);
    window.findChild<QCheckBox*>(u"selectAllBox"_s)->click();
    const std::vector<Department> ticked = window.departments().selection().tickedDepartments();
    qint64 statements = 0;
    auto runOnce = [&] {
        const qint64 before = context.db().connection()->statementCount();
        window.runSummary();
        QApplication::processEvents();
        statements = context.db().connection()->statementCount() - before;
    };
    // The first run measures every text; later runs of the same window reuse the widths.
    const double firstRun = bench::medianMs(1, runOnce);
    const double run = bench::medianMs(5, runOnce);

    // The run's statement without any grid work, to tell query time from grid time.
    QStringList values;
    for (size_t k = 0; k < ticked.size(); ++k)
        values << ticked[k].code << QString::number(k);
    const double queriesOnly = bench::medianMs(3, [&] {
        (void)context.db().query(
            MonthlySummary::summarySql(context.db().dialect(), int(ticked.size())), values + year);
    });

    // The run's result alone, and filling a fresh grid model (no view) from it.
    SummaryTable table;
    const double resultOnly = bench::medianMs(3, [&] {
        table = runSummary(context.db(), {ticked, 2026});
    });
    const double gridFill = bench::medianMs(3, [&] {
        ReportGridModel grid(summaryColumns(), true);
        grid.setMeasureFont(window.summaryGrid().measure().font());
        grid.setRows(summaryRows(table));
    });

    Listing listing;
    const double detail = bench::medianMs(5, [&] {
        listing = loadListing(context.db(), {u"0102"_s, {}, u"BENCH"_s, {}, 2026, 4});
    });

    std::printf("database               %s\n", qPrintable(path));
    std::printf("ticked departments     %zu\n", ticked.size());
    std::printf("plain GROUP BY         %8.1f ms  (%lld groups)\n", baseline,
                static_cast<long long>(groups));
    std::printf("first summary run      %8.1f ms  (%.2f x the GROUP BY; goal <= 1.4 x)\n", firstRun,
                firstRun / baseline);
    std::printf("later summary runs     %8.1f ms  (%.2f x the GROUP BY)\n", run, run / baseline);
    std::printf("  of which statements  %8.1f ms\n", queriesOnly);
    std::printf("  the result alone     %8.1f ms  (statements and rows, no grid)\n", resultOnly);
    std::printf("  grid fill            %8.1f ms  (a fresh model, %zu rows; goal < 60 ms)\n",
                gridFill, table.rows.size());
    std::printf("statements per run     %8lld\n", static_cast<long long>(statements));
    std::printf("summary grid rows      %8d\n", window.summaryGrid().rowCount());
    std::printf("detail listing         %8.1f ms  (%zu lines; goal <= 500 ms)\n", detail,
                listing.lines.size());

    // Over FreeTDS against the test server serving the same file, at 0 and at
    // 20 ms latency. The runs alternate between the two servers, so that a
    // busy machine slows both alike.
    const test::TdsTestServer direct(test::TdsTestServer::Database{path, 0});
    const test::TdsTestServer remote(test::TdsTestServer::Database{path, 20});
    std::vector<double> runs[2], groupBys[2], added;
    for (int round = 0; round < 5; ++round) {
        for (const test::TdsTestServer* server : {&direct, &remote}) {
            if (!server->isRunning() ||
                !openConnection(context, u"sa"_s, u"pw"_s, u"demo"_s, server->serverAddress(), {}))
                return 1;
            runs[server == &remote].push_back(bench::ms(runOnce));
            groupBys[server == &remote].push_back(bench::ms(plainGroupBy));
        }
        added.push_back(runs[1].back() - runs[0].back());
    }
    std::printf("over TDS               FreeTDS and tests/support/tds_server.py --sqlite,"
                " medians of 5\n");
    std::printf("statements per run     %8lld     (goal <= 3)\n",
                static_cast<long long>(statements));
    std::printf("summary run,  0 ms     %8.1f ms\n", bench::median(runs[0]));
    std::printf("summary run, 20 ms     %8.1f ms\n", bench::median(runs[1]));
    std::printf("latency adds           %8.1f ms  (goal <= (%lld + 2) x 20 ms = %lld ms)\n",
                bench::median(added), static_cast<long long>(statements),
                static_cast<long long>((statements + 2) * 20));
    std::printf("plain GROUP BY,  0 ms  %8.1f ms\n", bench::median(groupBys[0]));
    std::printf("plain GROUP BY, 20 ms  %8.1f ms\n", bench::median(groupBys[1]));
    std::printf("peak memory            %8ld KiB\n", bench::peakMemoryKb());
    return 0;
}
