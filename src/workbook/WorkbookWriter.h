#pragma once
// Writes a report workbook from its description, replacing an existing
// file only with a complete workbook that has been read back.

#include "workbook/ExportResult.h"
#include "workbook/WorkbookDescription.h"

namespace nbr {

// Progress goes 0 (the heading row) and then 1 … rows (each body row).
// Throws FileError, or what the sheet's streamed rows threw; the file at
// path is then as it was.
ExportResult writeWorkbook(const WorkbookDescription& workbook, const QString& path,
                           const ExportProgress& progress = {});

} // namespace nbr
