#include "report/WorkbookExport.h"

#include "Version.h"
#include "platform/Error.h"
#include "report/ClaimLines.h"
#include "report/ReportCaptions.h"
#include "report/ReportColours.h"
#include "report/ReportColumns.h"
#include "report/ReportGrids.h"
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

// The grid's columns without the hidden key (the last one): header, widths,
// body rows; the totals row (the last) in the workbook's totals fill, a
// subtotal row in its grid colour.
SheetDescription gridSheet(const QString& formatString, std::vector<FlexGridModel::BodyRow> rows,
                           const std::vector<int>& gridWidths) {
    SheetDescription sheet;
    const QStringList fields = formatString.split(u'|');
    const int columns = int(fields.size()) - 1;
    for (int c = 0; c < columns; ++c) {
        const QString& field = fields[c];
        const bool aligned =
            field.startsWith(u'^') || field.startsWith(u'<') || field.startsWith(u'>');
        sheet.header << (aligned ? field.mid(1) : field);
        sheet.widths.push_back(
            size_t(c) < gridWidths.size() ? gridWidths[size_t(c)] / kTwipsPerCharacter : 0.0);
        sheet.kinds.push_back(c == 0 ? SheetColumnKind::WholeNumber : SheetColumnKind::Text);
    }
    sheet.headerFill = fillOf(ReportColour::kWorkbookTotals);
    sheet.rows.reserve(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        FlexGridModel::BodyRow& row = rows[r];
        row.cells = row.cells.mid(0, columns);
        const std::uint32_t fill = r + 1 == rows.size()            ? sheet.headerFill
                                   : row.kind == RowKind::Subtotal ? fillOf(row.fill)
                                                                   : SheetRow::kNoFill;
        sheet.rows.push_back({std::move(row.cells), fill});
    }
    return sheet;
}

// The year and the departments' codes, cut after the last whole code that
// fits, with the number of departments then.
QString departmentKeywords(const QString& year, const std::vector<NodeDepartment>& departments) {
    QString keywords = yearCaption(year);
    for (const NodeDepartment& department : departments)
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

// The columns of the claim-lines workbook: the listing's, its subject told
// by code and name, each line's department and month in front.
struct LineColumn {
    QString header;
    double width; // in characters
    SheetColumnKind kind;
};

const std::vector<LineColumn>& lineColumns() {
    static const std::vector<LineColumn> columns{
        {u"序"_s, 8, SheetColumnKind::WholeNumber},   {u"部门代号"_s, 10, SheetColumnKind::Text},
        {u"部门名称"_s, 18, SheetColumnKind::Text},   {u"科目代号"_s, 10, SheetColumnKind::Text},
        {u"科目名称"_s, 16, SheetColumnKind::Text},   {u"月份"_s, 6, SheetColumnKind::Text},
        {u"报销单编号"_s, 14, SheetColumnKind::Text}, {u"报批日期"_s, 11, SheetColumnKind::Text},
        {u"报销人"_s, 10, SheetColumnKind::Text},     {u"审批日期"_s, 11, SheetColumnKind::Text},
        {u"审批通过"_s, 9, SheetColumnKind::Text},    {u"支付日期"_s, 11, SheetColumnKind::Text},
        {u"摘要"_s, 30, SheetColumnKind::Text},       {u"金额"_s, 12, SheetColumnKind::Amount},
        {u"税额"_s, 12, SheetColumnKind::Amount},     {u"合计"_s, 12, SheetColumnKind::Amount},
    };
    return columns;
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
    SheetDescription sheet = gridSheet(summaryFormatString(), summaryGridRows(table), gridWidths);
    sheet.sheetName = u"非预算报销月报"_s;
    sheet.title = summaryTitle();
    sheet.caption = u" 月报年度："_s + yearCaption(table.year) + u'度';
    sheet.captionColumns = 3;
    for (int c = SummaryCol::FirstMonth; c <= SummaryCol::Total; ++c)
        sheet.kinds[size_t(c)] = SheetColumnKind::Amount;
    // Names and headings stay in view; a department's subject rows fold
    // away under its subtotal row.
    sheet.frozenColumns = SummaryCol::FirstMonth;
    for (size_t r = 0; r < table.rows.size(); ++r)
        sheet.rows[r].outlineLevel = table.rows[r].kind == RowKind::Data ? 1 : 0;
    return sheet;
}

SheetDescription listingSheet(const Listing& listing, const std::vector<int>& gridWidths) {
    SheetDescription sheet = gridSheet(detailFormatString(), listingGridRows(listing), gridWidths);
    sheet.sheetName = u"非预算报销明细"_s;
    sheet.title = detailTitle();
    sheet.caption = listingCaptionLine(listing.request);
    sheet.captionColumns = 6;
    for (int c : {DetailCol::Amount, DetailCol::Tax, DetailCol::LineTotal})
        sheet.kinds[size_t(c)] = SheetColumnKind::Amount;
    sheet.frozenColumns = DetailCol::SubmitDate; // 序 and the claim number
    return sheet;
}

SheetDescription claimLinesSheet(Database& db, const std::vector<NodeDepartment>& departments,
                                 const QString& year) {
    SheetDescription sheet;
    sheet.sheetName = u"非预算报销明细"_s;
    sheet.title = claimLinesTitle();
    sheet.caption = u" 明细年度："_s + yearCaption(year) + u'度';
    sheet.captionColumns = 3;
    for (const LineColumn& column : lineColumns()) {
        sheet.header << column.header;
        sheet.widths.push_back(column.width);
        sheet.kinds.push_back(column.kind);
    }
    sheet.headerFill = fillOf(ReportColour::kWorkbookTotals);
    sheet.autoFilter = true;
    sheet.streamedRows = [&db, &departments, year](const SheetRowWriter& writeRow) {
        SheetRow row;
        int written = 0;
        forEachClaimLine(db, departments, year, [&](const ClaimLine& claim) {
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
            throw Error(0, u"所选部门在 "_s + yearCaption(year) + u" 没有非预算报销，未导出"_s);
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
        propertiesOf(yearCaption(r.year) + r.month + u"月【"_s + r.subjectName + u"】报销明细"_s,
                     detailTitle(), yearCaption(r.year) + u' ' + r.deptCode + u' ' + r.subjectCode,
                     author),
        listingSheet(listing, gridWidths),
        {}};
    return writeWorkbook(workbook, workbookPath(chosenPath), progress);
}

ExportResult exportClaimLines(Database& db, const std::vector<NodeDepartment>& departments,
                              const QString& year, const QString& chosenPath,
                              const ExportProgress& progress, const QString& author) {
    const WorkbookDescription workbook{propertiesOf(claimLinesFileName(year), claimLinesTitle(),
                                                    departmentKeywords(year, departments), author),
                                       claimLinesSheet(db, departments, year),
                                       {}};
    return writeWorkbook(workbook, workbookPath(chosenPath), progress);
}

} // namespace nbr
