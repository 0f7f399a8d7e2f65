#pragma once
// Writes a one-sheet workbook from its description, replacing an existing
// file only with a complete workbook that has been read back.

#include "workbook/ExportResult.h"
#include "workbook/SheetDescription.h"

namespace nbr {

// Progress goes 0 (the heading row) and then 1 … rows (each body row).
// Throws FileError; the file at path is then as it was.
ExportResult writeWorkbook(const SheetDescription& sheet, const QString& path,
                           const ExportProgress& progress = {});

} // namespace nbr
