#pragma once
// The fixture of the export tests: their database, the steps that take the
// report window to an export, and runs of the headless export tool.

#include "report/SummaryTable.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class QProgressBar;
class QPushButton;

namespace nbr {
class FlexGridModel;
class ReportWindow;
} // namespace nbr

namespace nbr::test {

class FakePrompts;

// 总部 {财务部 0102, 人事部 0103, 审计小计组 0104} and Tervo中心 09; subjects
// 0012 差旅费 and 6601 办公费; claims of 2026, among them 财务部's March
// travel (1000 + 34.5 tax, 200 without tax) and a May line of 人事部 with a
// 40 000-character memo.
void writeExportDatabase(const QString& path);

// The month header of March in the summary grid.
inline const QString kMarch = QStringLiteral("03月份          ");

// A summary of the given size built directly, without a database: every
// tenth row a subtotal, subject codes with leading zeros, some empty months;
// the last row is the grand total.
SummaryTable largeSummary(int bodyRows);

QPushButton* button(ReportWindow& w, const QString& name);
QProgressBar* progressBar(ReportWindow& w, const QString& name);
// A shown, loaded window with the given departments ticked and the 2026
// summary run.
void runSummary(ReportWindow& w, const QStringList& deptCodes);
// Opens the listing of a summary cell through the drill-down button.
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
