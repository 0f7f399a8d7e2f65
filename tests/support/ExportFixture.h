#pragma once
// The steps that take the report window to an export, and runs of the
// headless export tool (the export database: ReportFixtures.h).

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class QProgressBar;
class QPushButton;

namespace nbr {
class ReportWindow;
} // namespace nbr

namespace nbr::test {

class FakePrompts;

QPushButton* button(ReportWindow& w, const QString& name);
QProgressBar* progressBar(ReportWindow& w, const QString& name);
// A shown, loaded window with the given departments ticked and the 2026
// summary run.
void runSummary(ReportWindow& w, const QStringList& deptCodes);
// Opens the listing of a summary cell (row 0: the first) through the
// drill-down button.
void openListing(ReportWindow& w, int row, int col);
// Presses an export button, the save dialog answered with this path.
void exportFrom(ReportWindow& w, FakePrompts& prompts, const QString& buttonName,
                const QString& answer);

// nbreport-export in the build tree.
QString exportToolPath();
struct ToolRun {
    int exitCode = -1; // -1: crashed or did not finish
    QString output;    // its standard output
    QString errors;    // its standard error
};
// Runs a program in the given environment.
ToolRun runProgram(const QString& path, const QStringList& args, const QProcessEnvironment& env);
// Runs the tool with the user's settings store pointed at configHome.
ToolRun runExportTool(const QStringList& args, const QString& configHome);

} // namespace nbr::test
