#pragma once
// The report's exports without a window: the same tree, summary, listing and
// workbook procedures on the same models as the report window, driven by the
// command line of nbreport-export.

#include "ExportArguments.h"

namespace nbr {

enum ExportExitCode {
    ExitSuccess = 0,
    ExitBadArguments = 1,
    ExitNoConnection = 2,
    ExitBadData = 3,
    ExitWriteFailed = 4,
};

// Connects, writes the requested workbooks, names them on standard output and
// reports progress and failures on standard error.
int runHeadlessExport(const ExportArguments& arguments);

} // namespace nbr
