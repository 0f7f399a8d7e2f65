#pragma once
// The steps every export of the report window takes: the buttons that
// would start another one are hidden, the save dialog proposes a name in
// the folder of the user's last export and asks before an existing workbook
// is replaced, the progress bar runs while the workbook is written, and the
// outcome is told. Whatever the outcome, the buttons come back and the
// progress bar goes once the user has read it.

#include "workbook/ExportResult.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QProgressBar;
class QPushButton;
class QWidget;

namespace nbr {

struct AppContext;

struct ExportControls {
    QWidget* window;                   // takes no input while the workbook is written
    std::vector<QPushButton*> buttons; // hidden meanwhile
    QProgressBar* progressBar;
};

// Writes the workbook to the path chosen; throws what the export throws.
using ExportWriter = std::function<ExportResult(const QString& path, const ExportProgress&)>;

// `rows` is the progress bar's maximum (0: a busy bar, the number of rows
// being unknown before the end).
void runExport(AppContext& context, const ExportControls& controls, const QString& proposedName,
               int rows, const QString& successText, const ExportWriter& write);

// The save dialog, and the question before an existing workbook is replaced:
// about the name that will be written (a.xls stands for a.xlsx). No goes back
// to the dialog. Nothing when the user cancelled.
std::optional<QString> askExportPath(AppContext& context, QString proposedName);

} // namespace nbr
