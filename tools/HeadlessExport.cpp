#include "HeadlessExport.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "platform/FileError.h"
#include "platform/StderrPrompts.h"
#include "platform/WindowFont.h"
#include "report/DeptTree.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportCaptions.h"
#include "report/ReportColumns.h"
#include "report/ReportGridSetup.h"
#include "report/SubjectNameLookup.h"
#include "report/WorkbookExport.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"

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
void writeWorkbook(const std::function<ExportResult()>& write, const QString& path) {
    ExportResult result;
    try {
        result = write();
    } catch (const FileError& e) {
        fail(ExitWriteFailed, u"导出失败（"_s + path + u"）："_s + errorText(e));
    }
    printOutput(u"已导出 "_s + workbookPath(path));
    if (result.textsTruncated)
        printOutput(truncationNote());
}

int nodeOf(const TreeNodesModel& nodes, const QString& deptCode) {
    const int node = nodes.indexOfKey(u'$' + deptCode);
    if (node == 0)
        fail(ExitBadData, u"未知部门："_s + deptCode);
    return node;
}

void tickDepartments(TreeNodesModel& nodes, const ExportArguments& a) {
    if (a.allDepartments) {
        selectAllDepartments(nodes, true);
        return;
    }
    // The summary walks the nodes in tree order, whatever the argument order.
    for (const QString& code : a.deptCodes)
        nodes.setChecked(nodeOf(nodes, code), true);
}

void runSummary(FlexGridModel& grid, const TreeNodesModel& nodes, const ExportArguments& a) {
    MonthlySummary run(grid, nodes);
    run.appendTickedDepartments(a.year);
    run.appendGrandTotal();
    if (grid.rows() == 1)
        fail(ExitBadData, u"所选部门在 "_s + yearCaption(a.year) + u" 没有非预算报销，未导出"_s);
}

void writeSummary(const FlexGridModel& grid, const ExportArguments& a) {
    writeWorkbook(
        [&] {
            return ExportMonthlyReport(grid, summaryTitle(), yearCaption(a.year), a.summaryPath,
                                       progressLines(a, u"月报"_s, grid.rows()));
        },
        a.summaryPath);
}

// The texts around a listing in its workbook.
struct ListingCaptions {
    QString dept;
    QString listing;
};

ListingCaptions loadListing(FlexGridModel& grid, const FlexGridModel& summary,
                            const TreeNodesModel& nodes, const ExportArguments& a) {
    const DetailRequest& d = *a.detail;
    const QString deptName = splitNodeText(nodes.text(nodeOf(nodes, d.deptCode))).name;
    const std::optional<QString> subjectName = lookUpSubjectName(d.subjectCode);
    if (!subjectName)
        fail(ExitBadData, u"未知科目："_s + d.subjectCode);
    // The month header as the summary grid's month column shows it.
    const QString monthHeader = summary.textMatrix(0, SummaryCol::FirstMonth - 1 + d.month.toInt());

    grid.setMeasureFont(windowFont());
    setUpReportGrid(grid, detailFormatString());
    LoadDetailList(grid, d.subjectCode, d.month, d.deptCode, a.year);
    if (grid.rows() == 2) // the totals row alone
        fail(ExitBadData, u"该单元格没有非预算报销明细"_s);
    return {deptCaption(deptName), listingCaption(monthHeader, *subjectName)};
}

void writeListing(const FlexGridModel& grid, const ListingCaptions& captions,
                  const ExportArguments& a) {
    writeWorkbook(
        [&] {
            return ExportDetailList(grid, detailTitle(), captions.dept, yearCaption(a.year),
                                    captions.listing, a.detail->path,
                                    progressLines(a, u"明细"_s, grid.rows()));
        },
        a.detail->path);
}

} // namespace

int runHeadlessExport(const ExportArguments& a) {
    StderrPrompts prompts;
    Prompts::install(&prompts);
    int exitCode = ExitSuccess;
    try {
        if (!a.settingsFile.isEmpty())
            setSettingsFile(a.settingsFile);
        if (!ConnectFromSettings())
            fail(ExitNoConnection, u"无法连接数据库，请检查连接设置："_s + settingsLocation());

        TreeNodesModel nodes;
        std::vector<DeptRow> deptRows;
        LoadDeptTree(nodes, deptRows);
        FlexGridModel summary;
        summary.setMeasureFont(windowFont());
        setUpReportGrid(summary, summaryFormatString());
        if (!a.summaryPath.isEmpty()) {
            tickDepartments(nodes, a);
            runSummary(summary, nodes, a);
        }
        FlexGridModel listing;
        ListingCaptions captions;
        if (a.detail)
            captions = loadListing(listing, summary, nodes, a);
        // Files are written only once every requested grid has its data, so
        // a request that cannot be met leaves no workbook behind.
        if (!a.summaryPath.isEmpty())
            writeSummary(summary, a);
        if (a.detail)
            writeListing(listing, captions, a);
    } catch (const Failure& f) {
        exitCode = f.exitCode;
    } catch (const DbError& e) {
        printError(u"数据库查询失败："_s + errorText(e));
        exitCode = ExitBadData;
    }
    Prompts::install(nullptr);
    return exitCode;
}

} // namespace nbr
