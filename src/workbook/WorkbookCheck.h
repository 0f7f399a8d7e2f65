#pragma once
// Reads a freshly written workbook back before it may replace anything. A
// zip whose checksums match can still be wrong: a writer that lost its
// temporary files' data closes the archive without noticing, leaving empty,
// cut-off or well-formed but shortened XML parts (whole rows gone). So every
// part is inflated to its declared size, every XML part must be non-empty
// and well-formed from its first byte to its last, and every worksheet must
// hold exactly the rows and cells that were written into it.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace nbr {

// The rows written into one worksheet, in order: each row's index (0-based)
// and how many cells were written in it.
struct WrittenSheet {
    QByteArray partName; // e.g. "xl/worksheets/sheet1.xml"
    struct Row {
        std::uint32_t index;
        std::uint32_t cells;
    };
    std::vector<Row> rows;

    // Counts one more cell in the given row; rows come in ascending order.
    void countCell(std::uint32_t row, std::uint32_t cells = 1) {
        if (rows.empty() || rows.back().index != row)
            rows.push_back({row, 0});
        rows.back().cells += cells;
    }
};

// What is wrong with the workbook at path, or nothing when it is sound.
std::optional<QString> findWorkbookDefect(const QString& path,
                                          const std::vector<WrittenSheet>& sheets = {});

} // namespace nbr
