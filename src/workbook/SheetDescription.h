#pragma once
// What one worksheet of a report workbook holds, in the terms of the sheet
// and nothing of where it came from: a merged title line, an empty line, a
// caption line, a bordered table (its heading row and body rows) and an empty
// closing line, all in the report font "微软雅黑". Whoever builds it decides
// which columns hold amounts, which rows are filled and how wide each column
// is; the writer only lays it out.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace nbr {

// How a column's texts are written.
enum class SheetColumnKind : std::uint8_t {
    Text,        // as text
    Amount,      // a number under "#0.00", right-aligned; any other text stays text
    WholeNumber, // a row number: 1 to 15 digits as a number, anything else as text
};

struct SheetRow {
    static constexpr std::uint32_t kNoFill = 0xFFFFFFFF;

    QStringList cells;            // one text per column
    std::uint32_t fill = kNoFill; // 0xRRGGBB across the row
};

struct SheetDescription {
    QString sheetName;
    QString title;   // row 1, merged over every column, bold and centred
    QString caption; // row 3, merged over captionColumns
    int captionColumns = 1;
    QStringList header; // the table's heading row, centred
    std::uint32_t headerFill = SheetRow::kNoFill;
    std::vector<double> widths;         // per column, in characters
    std::vector<SheetColumnKind> kinds; // per column
    std::vector<SheetRow> rows;         // the table's body, in order

    int columns() const { return int(header.size()); }
};

} // namespace nbr
