#include "report/WorkbookExport.h"

#include "report/ReportColours.h"
#include "report/ReportColumns.h"
#include "workbook/GridWorkbook.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString workbookPath(const QString& chosenPath) {
    // Only the extensions the save dialog offers are the workbook's own; any
    // other dot belongs to the name ("月报2026.11" and "月报2026.12" are two files).
    const qsizetype nameStart = chosenPath.lastIndexOf(u'/') + 1;
    const qsizetype dot = chosenPath.lastIndexOf(u'.');
    const QStringView extension = dot >= nameStart ? QStringView(chosenPath).sliced(dot) : QStringView();
    const bool workbookExtension = extension.compare(u".xls"_s, Qt::CaseInsensitive) == 0 ||
                                   extension.compare(u".xlsx"_s, Qt::CaseInsensitive) == 0;
    return (workbookExtension ? chosenPath.left(dot) : chosenPath) + u".xlsx"_s;
}

ExportResult ExportMonthlyReport(const FlexGridModel& grid, const QString& title,
                                 const QString& yearText, const QString& chosenPath,
                                 const ExportProgress& progress) {
    GridSheetLayout layout;
    layout.sheetName = u"非预算报销月报"_s;
    layout.title = title;
    layout.caption = u" 月报年度："_s + yearText + u'度';
    layout.captionColumns = 3;
    for (int c = SummaryCol::FirstMonth; c <= SummaryCol::Total; ++c)
        layout.amountColumns.append(c);
    layout.paintSubtotals = true;
    layout.totalsFill = ReportColour::kWorkbookTotals;
    return writeGridWorkbook(grid, layout, workbookPath(chosenPath), progress);
}

ExportResult ExportDetailList(const FlexGridModel& grid, const QString& title,
                              const QString& deptCaption, const QString& yearText,
                              const QString& listingCaption, const QString& chosenPath,
                              const ExportProgress& progress) {
    GridSheetLayout layout;
    layout.sheetName = u"非预算报销明细"_s;
    layout.title = title;
    layout.caption = deptCaption + u"   "_s + yearText + listingCaption;
    layout.captionColumns = 6;
    layout.totalsFill = ReportColour::kWorkbookTotals;
    layout.amountColumns = {DetailCol::Amount, DetailCol::Tax, DetailCol::LineTotal};
    return writeGridWorkbook(grid, layout, workbookPath(chosenPath), progress);
}

} // namespace nbr
