#include "report/WorkbookExport.h"

#include "Version.h"
#include "platform/Error.h"
#include "report/ClaimLines.h"
#include "report/ReportCaptions.h"
#include "report/ReportColours.h"
#include "report/ReportColumns.h"
#include "report/ReportRows.h"
#include "workbook/WorkbookWriter.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// One character of a workbook's column width is 110 twips of the grid's.
constexpr double kTwipsPerCharacter = 110.0;
// Keywords longer than this are cut: the spreadsheets' property dialogs show
// 255 characters of a field.
constexpr qsizetype kKeywordsLength = 255;
// The departments whose subtotals still make a readable chart of lines.
constexpr size_t kFewestLineSeries = 2;
constexpr size_t kMostLineSeries = 10;

std::uint32_t fillOf(const QColor& colour) {
    return colour.isValid() ? colour.rgb() & 0xFFFFFF : SheetRow::kNoFill;
}

SheetColumnKind sheetKind(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::RowNumber:
        return SheetColumnKind::WholeNumber;
    case ColumnKind::Amount:
        return SheetColumnKind::Amount;
    case ColumnKind::Text:
    case ColumnKind::Code:
    case ColumnKind::Date:
        break;
    }
    return SheetColumnKind::Text;
}

// A result's columns, headed as its grid heads them and as wide (twips, or
// the columns' own widths in characters without a grid), its rows with the
// totals row (the last) in the workbook's totals fill and a subtotal row in
// its grid colour.
SheetDescription tableSheet(const ReportColumns& columns, ReportRows rows,
                            const std::vector<int>& gridWidths) {
    SheetDescription sheet;
    for (size_t c = 0; c < columns.size(); ++c) {
        sheet.header << columns[c].paddedHeading();
        sheet.widths.push_back(gridWidths.empty() ? columns[c].characters
                                                  : gridWidths.at(c) / kTwipsPerCharacter);
        sheet.kinds.push_back(sheetKind(columns[c].kind));
    }
    sheet.frozenColumns = frozenColumnCount(columns);
    sheet.headerFill = fillOf(ReportColour::kWorkbookTotals);
    sheet.rows.reserve(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::uint32_t fill = r + 1 == rows.size() ? sheet.headerFill
                                   : rows[r].kind == RowKind::Subtotal
                                       ? fillOf(ReportColour::kSubtotal)
                                       : SheetRow::kNoFill;
        sheet.rows.push_back({std::move(rows[r].cells), fill});
    }
    return sheet;
}

// The year and the departments' codes, cut after the last whole code that
// fits, with the number of departments then.
QString departmentKeywords(int year, const std::vector<Department>& departments) {
    QString keywords = yearCaption(year);
    for (const Department& department : departments)
        keywords += u' ' + department.code;
    if (keywords.size() > kKeywordsLength) {
        const QString more = u" …（共 %1 个部门）"_s.arg(departments.size());
        keywords.truncate(keywords.lastIndexOf(u' ', kKeywordsLength - more.size()));
        keywords += more;
    }
    return keywords;
}

WorkbookProperties propertiesOf(const QString& title, const QString& subject,
                                const QString& keywords, const QString& author) {
    return {title, subject, author, keywords,
            u"由 nbreport "_s + QLatin1StringView(kVersionText) + u" 导出"_s};
}

std::vector<ChartSheetDescription> trendCharts(const SummaryTable& table) {
    if (table.rows.empty())
        return {};
    std::vector<ChartSheetDescription> charts{{u"月度趋势"_s,
                                               yearCaption(table.year) + u"非预算报销月度合计"_s,
                                               ChartSheetDescription::Kind::Column,
                                               SummaryCol::FirstMonth,
                                               SummaryCol::LastMonth,
                                               SummaryCol::DeptName,
                                               {int(table.rows.size()) - 1}}};
    // A chart sheet holds one chart, and libxlsxwriter cannot draw lines in
    // a column chart: the departments' lines get a chart sheet of their own.
    const size_t ticked = table.departments.size();
    if (ticked >= kFewestLineSeries && ticked <= kMostLineSeries) {
        ChartSheetDescription lines{u"部门月度趋势"_s,
                                    yearCaption(table.year) + u"各部门非预算报销月度小计"_s,
                                    ChartSheetDescription::Kind::Line,
                                    SummaryCol::FirstMonth,
                                    SummaryCol::LastMonth,
                                    SummaryCol::DeptName,
                                    {}};
        for (size_t r = 0; r < table.rows.size(); ++r)
            if (table.rows[r].kind == RowKind::Subtotal)
                lines.seriesRows.push_back(int(r));
        charts.push_back(std::move(lines));
    }
    return charts;
}

} // namespace

QString workbookPath(const QString& chosenPath) {
    // Only the extensions the save dialog offers are the workbook's own; any
    // other dot belongs to the name ("月报2026.11" and "月报2026.12" are two files).
    const qsizetype nameStart = chosenPath.lastIndexOf(u'/') + 1;
    const qsizetype dot = chosenPath.lastIndexOf(u'.');
    const QStringView extension =
        dot >= nameStart ? QStringView(chosenPath).sliced(dot) : QStringView();
    const bool workbookExtension = extension.compare(u".xls"_s, Qt::CaseInsensitive) == 0 ||
                                   extension.compare(u".xlsx"_s, Qt::CaseInsensitive) == 0;
    return (workbookExtension ? chosenPath.left(dot) : chosenPath) + u".xlsx"_s;
}

SheetDescription summarySheet(const SummaryTable& table, const std::vector<int>& gridWidths) {
    SheetDescription sheet = tableSheet(summaryColumns(), summaryRows(table), gridWidths);
    sheet.sheetName = u"非预算报销月报"_s;
    sheet.title = summaryTitle();
    sheet.caption = u" 月报年度："_s + yearCaption(table.year) + u'度';
    sheet.captionColumns = 3;
    // A department's subject rows fold away under its subtotal row.
    for (size_t r = 0; r < table.rows.size(); ++r)
        sheet.rows[r].outlineLevel = table.rows[r].kind == RowKind::Data ? 1 : 0;
    return sheet;
}

SheetDescription listingSheet(const Listing& listing, const std::vector<int>& gridWidths) {
    SheetDescription sheet = tableSheet(listingColumns(), listingRows(listing), gridWidths);
    sheet.sheetName = u"非预算报销明细"_s;
    sheet.title = detailTitle();
    sheet.caption = listingCaptionLine(listing.request);
    sheet.captionColumns = 6;
    return sheet;
}

SheetDescription claimLinesSheet(Database& db, const SummaryRequest& request) {
    SheetDescription sheet = tableSheet(claimLinesColumns(), {}, {});
    sheet.sheetName = u"非预算报销明细"_s;
    sheet.title = claimLinesTitle();
    sheet.caption = u" 明细年度："_s + yearCaption(request.year) + u'度';
    sheet.captionColumns = 3;
    sheet.autoFilter = true;
    sheet.streamedRows = [&db, &request](const SheetRowWriter& writeRow) {
        SheetRow row;
        int written = 0;
        forEachClaimLine(db, request, [&](const ClaimLine& claim) {
            const ListingLine& line = claim.line;
            row.cells = {QString::number(++written),
                         claim.department->code,
                         claim.department->name,
                         claim.subjectCode,
                         claim.subjectName,
                         line.submitDate.mid(5, 2),
                         line.claimNumber,
                         line.submitDate,
                         line.claimant,
                         line.approvalDate,
                         line.approved,
                         line.paymentDate,
                         line.summary,
                         line.amount,
                         line.tax,
                         line.lineTotal};
            writeRow(row);
        });
        if (written == 0)
            throw Error(0, u"所选部门在 "_s + yearCaption(request.year) +
                               u" 没有非预算报销，未导出"_s);
    };
    return sheet;
}

ExportResult exportSummary(const SummaryTable& table, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress,
                           const QString& author) {
    const WorkbookDescription workbook{
        propertiesOf(yearCaption(table.year) + u"非预算报销月报"_s, summaryTitle(),
                     departmentKeywords(table.year, table.departments), author),
        summarySheet(table, gridWidths), trendCharts(table)};
    return writeWorkbook(workbook, workbookPath(chosenPath), progress);
}

ExportResult exportListing(const Listing& listing, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress,
                           const QString& author) {
    const ListingRequest& r = listing.request;
    const WorkbookDescription workbook{
        propertiesOf(yearCaption(r.year) + u"%1月【"_s.arg(r.month, 2, 10, QChar(u'0')) +
                         r.subjectName + u"】报销明细"_s,
                     detailTitle(), yearCaption(r.year) + u' ' + r.deptCode + u' ' + r.subjectCode,
                     author),
        listingSheet(listing, gridWidths),
        {}};
    return writeWorkbook(workbook, workbookPath(chosenPath), progress);
}

ExportResult exportClaimLines(Database& db, const SummaryRequest& request,
                              const QString& chosenPath, const ExportProgress& progress,
                              const QString& author) {
    const WorkbookDescription workbook{
        propertiesOf(claimLinesFileName(request.year), claimLinesTitle(),
                     departmentKeywords(request.year, request.departments), author),
        claimLinesSheet(db, request),
        {}};
    return writeWorkbook(workbook, workbookPath(chosenPath), progress);
}

} // namespace nbr
