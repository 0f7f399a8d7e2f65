#pragma once
// Reads a freshly written workbook back before it may replace anything. A
// zip whose checksums match can still be wrong: a writer that lost its
// temporary files' data closes the archive without noticing, leaving empty
// or cut-off XML parts. So every part is inflated, and every XML part must be
// non-empty and well-formed from its first byte to its last.

#include <QString>
#include <optional>

namespace nbr {

// What is wrong with the workbook at path, or nothing when it is sound.
std::optional<QString> findWorkbookDefect(const QString& path);

} // namespace nbr
