#include "workbook/WorkbookCharts.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// "='Sheet name'!$E$4:$P$4": the name always quoted, a quote in it doubled.
QByteArray rangeFormula(const QString& sheet, int firstRow, int firstColumn, int lastRow,
                        int lastColumn) {
    char range[LXW_MAX_CELL_RANGE_LENGTH];
    if (firstRow == lastRow && firstColumn == lastColumn)
        lxw_rowcol_to_cell_abs(range, lxw_row_t(firstRow), lxw_col_t(firstColumn), 1, 1);
    else
        lxw_rowcol_to_range_abs(range, lxw_row_t(firstRow), lxw_col_t(firstColumn),
                                lxw_row_t(lastRow), lxw_col_t(lastColumn));
    QString quoted = sheet;
    quoted.replace(u'\'', u"''"_s);
    return (u"='"_s + quoted + u"'!"_s).toUtf8() + range;
}

} // namespace

lxw_error addChartSheet(lxw_workbook* workbook, const QString& tableSheet, int firstBodyRow,
                        const ChartSheetDescription& chart) {
    lxw_chartsheet* sheet = workbook_add_chartsheet(workbook, chart.sheetName.toUtf8().constData());
    lxw_chart* drawn = workbook_add_chart(workbook, chart.kind == ChartSheetDescription::Kind::Line
                                                        ? LXW_CHART_LINE
                                                        : LXW_CHART_COLUMN);
    if (!sheet || !drawn)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    chartsheet_set_landscape(sheet);
    chartsheet_set_paper(sheet, kPaperA4);
    chart_title_set_name(drawn, chart.title.toUtf8().constData());
    chart_legend_set_position(drawn, LXW_CHART_LEGEND_BOTTOM);
    const int headingRow = firstBodyRow - 1;
    const QByteArray categories =
        rangeFormula(tableSheet, headingRow, chart.firstColumn, headingRow, chart.lastColumn);
    for (int index : chart.seriesRows) {
        const int row = firstBodyRow + index;
        const QByteArray values =
            rangeFormula(tableSheet, row, chart.firstColumn, row, chart.lastColumn);
        lxw_chart_series* series =
            chart_add_series(drawn, categories.constData(), values.constData());
        if (!series)
            return LXW_ERROR_MEMORY_MALLOC_FAILED;
        chart_series_set_name(
            series,
            rangeFormula(tableSheet, row, chart.nameColumn, row, chart.nameColumn).constData());
        if (chart.kind == ChartSheetDescription::Kind::Line)
            chart_series_set_marker_type(series, LXW_CHART_MARKER_AUTOMATIC);
    }
    return chartsheet_set_chart(sheet, drawn);
}

} // namespace nbr
