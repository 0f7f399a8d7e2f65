#pragma once
// Writes one report grid as a one-sheet workbook: a merged title line, an
// empty line, a caption line, the grid's header and body rows cell by cell
// with thin borders, and an empty closing line, all in the report font
// "微软雅黑". The grid's last column (the hidden key) is not written; its
// first (序) holds row numbers, written as numbers.

#include "workbook/ExportResult.h"

#include <QColor>
#include <QList>
#include <QString>

namespace nbr {

class FlexGridModel;

struct GridSheetLayout {
    QString sheetName;
    QString title;
    QString caption;
    int captionColumns = 1;      // worksheet columns the caption is merged over
    QList<int> amountColumns;    // grid columns written as numbers "#0.00"
    bool paintSubtotals = false; // subtotal rows take their row-total cell's colour
    QColor totalsFill;           // the header's and the last row's fill
};

// Writes the workbook to path, replacing an existing file only with a
// complete workbook that has been read back. Throws FileError.
ExportResult writeGridWorkbook(const FlexGridModel& grid, const GridSheetLayout& layout,
                               const QString& path, const ExportProgress& progress);

} // namespace nbr
