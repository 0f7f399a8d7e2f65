#pragma once
// Makes a text fit for a workbook cell. XML cannot carry C0 controls other
// than tab, LF and CR, the non-characters U+FFFE and U+FFFF or a surrogate
// without its partner: each becomes U+FFFD. A cell holds at most 32 767
// UTF-16 code units, the count spreadsheets use: longer texts are cut there,
// never between the two halves of a surrogate pair. A literal "_xHHHH_",
// which the file format would read as one character, is escaped.

#include <QString>
#include <QStringView>
#include <optional>

namespace nbr {

inline constexpr qsizetype kCellTextLimit = 32767;

struct CellText {
    std::optional<QString> replacement; // nothing: the text can be written as it is
    bool truncated = false;             // it had to be cut to the cell's limit
};

[[nodiscard]] CellText workbookSafeText(QStringView text);

} // namespace nbr
