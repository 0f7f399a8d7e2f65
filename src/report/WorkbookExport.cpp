#include "report/WorkbookExport.h"

#include "report/ReportColours.h"
#include "report/ReportColumns.h"
#include "workbook/GridWorkbook.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

bool looksLikeExtension(QStringView suffix) {
    return !suffix.isEmpty() && suffix.size() <= 5 &&
           std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
               return c.unicode() < 0x80 && c.isLetterOrNumber();
           });
}

} // namespace

QString workbookPath(const QString& chosenPath) {
    const qsizetype nameStart = chosenPath.lastIndexOf(u'/') + 1;
    const qsizetype dot = chosenPath.lastIndexOf(u'.');
    const bool hasExtension =
        dot >= nameStart && looksLikeExtension(QStringView(chosenPath).sliced(dot + 1));
    return (hasExtension ? chosenPath.left(dot) : chosenPath) + u".xlsx"_s;
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
