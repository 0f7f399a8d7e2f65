#include "HeadlessExport.h"

#include "db/DbError.h"
#include "db/DbSettings.h"
#include "platform/FileError.h"
#include "platform/LoginName.h"
#include "platform/StderrPrompts.h"
#include "report/DeptSelection.h"
#include "report/DeptTree.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportCaptions.h"
#include "report/ReportRows.h"
#include "report/SubjectNameLookup.h"
#include "report/WorkbookExport.h"
#include "session/DatabaseConnect.h"

#include <QDir>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// A failure already told on standard error, with the exit code it ends in.
struct Failure {
    int exitCode;
};

[[noreturn]] void fail(int exitCode, const QString& text) {
    printError(text);
    throw Failure{exitCode};
}

// Progress lines for long grids: every 10 000 rows and the last one; none
// with --quiet.
ExportProgress progressLines(const ExportArguments& a, const QString& what, int rows) {
    if (a.quiet)
        return {};
    return [what, rows](int row) {
        if (row + 1 == rows || (row > 0 && row % 10000 == 0))
            printError(u"%1：已写 %2/%3 行"_s.arg(what).arg(row + 1).arg(rows));
    };
}

// Writes one workbook and says so; a failure ends the run.
void exportAndTell(const std::function<ExportResult()>& write, const QString& path) {
    ExportResult result;
    try {
        result = write();
    } catch (const FileError& e) {
        fail(ExitWriteFailed, u"导出失败（"_s + path + u"）："_s + errorText(e));
    }
    printOutput(u"已导出 "_s + result.path);
    for (const QString& note : result.notes())
        printOutput(note);
}

int departmentOf(const DeptTree& tree, const QString& deptCode) {
    const int department = tree.indexOf(deptCode);
    if (department < 0)
        fail(ExitBadData, u"未知部门："_s + deptCode);
    return department;
}

// The summary and the lines cover the departments in tree order, whatever
// the argument order.
SummaryRequest requestOf(const DeptTree& tree, const ExportArguments& a) {
    DeptSelection ticks(tree);
    if (a.allDepartments)
        ticks.selectAll(true);
    for (const QString& code : a.deptCodes)
        ticks.setTicked(departmentOf(tree, code), true);
    return {ticks.tickedDepartments(), a.year};
}

SummaryTable loadSummary(Database& db, const SummaryRequest& request) {
    SummaryTable table = runSummary(db, request);
    if (table.rows.empty())
        fail(ExitBadData,
             u"所选部门在 "_s + yearCaption(request.year) + u" 没有非预算报销，未导出"_s);
    return table;
}

Listing loadCellListing(Database& db, const DeptTree& tree, const ExportArguments& a) {
    const DetailRequest& d = *a.detail;
    const QString deptName = tree.department(departmentOf(tree, d.deptCode)).name;
    const std::optional<QString> subjectName = lookUpSubjectName(db, d.subjectCode);
    if (!subjectName)
        fail(ExitBadData, u"未知科目："_s + d.subjectCode);
    Listing listing =
        loadListing(db, {d.deptCode, deptName, d.subjectCode, *subjectName, a.year, d.month});
    if (listing.lines.empty())
        fail(ExitBadData, u"该单元格没有非预算报销明细"_s);
    return listing;
}

// Every claim line of the ticked departments, read from the database while
// the workbook is written, so it comes last; the number of lines is only
// known at the end.
void exportClaimLinesAndTell(Database& db, const SummaryRequest& request,
                             const ExportArguments& a) {
    ExportProgress progress;
    if (!a.quiet)
        progress = [](int row) {
            if (row > 0 && row % 10000 == 0)
                printError(u"全部明细：已写 %1 行"_s.arg(row));
        };
    exportAndTell([&] { return exportClaimLines(db, request, a.linesPath, progress, loginName()); },
                  a.linesPath);
}

} // namespace

int runHeadlessExport(const ExportArguments& a) {
    StderrPrompts prompts;
    AppContext context(prompts);
    context.settingsFile = a.settingsFile;
    int exitCode = ExitSuccess;
    try {
        switch (connectFromSettings(context)) {
        case ConnectResult::Connected:
            break;
        case ConnectResult::SettingsUnusable: // what is wrong with them is said already
            throw Failure{ExitNoConnection};
        case ConnectResult::Failed:
            fail(ExitNoConnection, u"无法连接数据库，请检查连接设置："_s +
                                       QDir::toNativeSeparators(settingsLocation(a.settingsFile)));
        }

        Database& db = context.db();
        const DeptTree tree = loadDeptTree(db);
        std::optional<SummaryRequest> request;
        if (a.ticksDepartments())
            request = requestOf(tree, a);
        std::optional<SummaryTable> summary;
        if (!a.summaryPath.isEmpty())
            summary = loadSummary(db, *request);
        std::optional<Listing> listing;
        if (a.detail)
            listing = loadCellListing(db, tree, a);
        // Files are written only once every requested result is there, so a
        // request that cannot be met leaves no workbook behind. Columns are
        // as wide as a fresh window's grids would make them.
        if (summary) {
            const auto widths = freshColumnWidths(summaryColumns(), summaryRows(*summary));
            exportAndTell(
                [&] {
                    return exportSummary(*summary, widths, a.summaryPath,
                                         progressLines(a, u"月报"_s, int(summary->rows.size()) + 1),
                                         loginName());
                },
                a.summaryPath);
        }
        if (listing) {
            const auto widths = freshColumnWidths(listingColumns(), listingRows(*listing));
            exportAndTell(
                [&] {
                    return exportListing(
                        *listing, widths, a.detail->path,
                        progressLines(a, u"明细"_s, int(listing->lines.size()) + 2), loginName());
                },
                a.detail->path);
        }
        if (!a.linesPath.isEmpty())
            exportClaimLinesAndTell(db, *request, a);
    } catch (const Failure& f) {
        exitCode = f.exitCode;
    } catch (const DbError& e) {
        printError(u"数据库查询失败："_s + errorText(e));
        exitCode = ExitBadData;
    } catch (const Error& e) { // the department tree's, say
        printError(u"数据错误："_s + errorText(e));
        exitCode = ExitBadData;
    }
    return exitCode;
}

} // namespace nbr
