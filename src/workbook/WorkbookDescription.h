#pragma once
// A whole report workbook: its one table sheet, the chart sheets drawn from
// that table, and what the file says about itself (the document properties a
// file manager or the spreadsheet's "Properties" shows).

#include "workbook/SheetDescription.h"

#include <QString>
#include <vector>

namespace nbr {

// Never a server, login or password: only what describes the content and
// who exported it.
struct WorkbookProperties {
    QString title;
    QString subject;
    QString author;
    QString keywords;
    QString comments;
};

// A chart sheet after the table's sheet, one series per listed body row,
// each over the same run of columns: the heading row's cells of those
// columns are the categories, the row's cell in nameColumn names the series.
struct ChartSheetDescription {
    enum class Kind { Column, Line };

    QString sheetName;
    QString title;
    Kind kind = Kind::Column;
    int firstColumn = 0;
    int lastColumn = 0;
    int nameColumn = 0;
    std::vector<int> seriesRows; // indexes into the table's body rows
};

struct WorkbookDescription {
    WorkbookProperties properties;
    SheetDescription sheet;                    // the first sheet, and the active one
    std::vector<ChartSheetDescription> charts; // in this order after it
};

} // namespace nbr
