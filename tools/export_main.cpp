// nbreport-export: writes the report's workbooks without a window, e.g.
//   nbreport-export --year 2026 --all --summary 月报.xlsx
// Column widths follow the window font's text widths, so it runs on a GUI
// application: offscreen unless a platform is chosen, as a server has no
// display; Windows' own platform is always there and needs no window.

#include "ExportArguments.h"
#include "HeadlessExport.h"
#include "platform/CoreDumps.h"
#include "platform/InterruptCleanup.h"
#include "platform/StderrPrompts.h"

#include <QGuiApplication>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[]) {
    nbr::disableCoreDumps();
#ifndef Q_OS_WIN
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    nbr::InterruptCleanup::install();
    QGuiApplication app(argc, argv);
    const auto parsed = nbr::parseExportArguments(app.arguments().mid(1));
    if (const auto* error = std::get_if<QString>(&parsed)) {
        nbr::printError(*error);
        nbr::printError(nbr::exportUsage());
        return nbr::ExitBadArguments;
    }
    return nbr::runHeadlessExport(std::get<nbr::ExportArguments>(parsed));
}
