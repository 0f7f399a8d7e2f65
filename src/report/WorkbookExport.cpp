#include "report/WorkbookExport.h"

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
    return sheet;
}

ExportResult exportSummary(const SummaryTable& table, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress) {
    return writeWorkbook(summarySheet(table, gridWidths), workbookPath(chosenPath), progress);
}

ExportResult exportListing(const Listing& listing, const std::vector<int>& gridWidths,
                           const QString& chosenPath, const ExportProgress& progress) {
    return writeWorkbook(listingSheet(listing, gridWidths), workbookPath(chosenPath), progress);
}

} // namespace nbr
