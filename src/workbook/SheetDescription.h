#pragma once
// What one worksheet of a report workbook holds, in the terms of the sheet
// and nothing of where it came from: a merged title line, an empty line, a
// caption line, a bordered table (its heading row and body rows) and an empty
// closing line, all in the report font "微软雅黑". Whoever builds it decides
// which columns hold amounts, which rows are filled or grouped, how wide each
// column is and which columns stay in view; the writer only lays it out, and
// sets it up for printing: landscape A4, one page wide, narrow margins, the
// lines down to the heading row on every page, the title in the page header
// and the page number in the footer.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
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
    // 1 for a detail row grouped under the summary row that follows it, so
    // that the outline's "1" shows the summary rows alone.
    std::uint8_t outlineLevel = 0;
};

// Body rows produced while the sheet is written, for a table too long to
// hold: the source calls writeRow with each row in turn (the row may be
// reused for the next one) and returns after the last.
using SheetRowWriter = std::function<void(const SheetRow& row)>;
using SheetRowSource = std::function<void(const SheetRowWriter& writeRow)>;

struct SheetDescription {
    QString sheetName;
    QString title;   // row 1, merged over every column, bold and centred
    QString caption; // row 3, merged over captionColumns
    int captionColumns = 1;
    QStringList header; // the table's heading row, centred
    std::uint32_t headerFill = SheetRow::kNoFill;
    std::vector<double> widths;         // per column, in characters
    std::vector<SheetColumnKind> kinds; // per column
    // The columns that stay in view when the sheet scrolls sideways (the
    // rows down to the heading row always stay).
    int frozenColumns = 0;
    bool autoFilter = false;     // a filter button on every heading cell
    std::vector<SheetRow> rows;  // the table's body, in order
    SheetRowSource streamedRows; // instead of rows, when set

    int columns() const { return int(header.size()); }
};

} // namespace nbr
