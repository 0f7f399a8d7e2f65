// nbreport-export: writes the report's workbooks without a window, e.g.
//   nbreport-export --year 2026 --all --summary 月报.xlsx
// Column widths follow the window font's text widths, so it runs on a GUI
// application: offscreen unless a platform is chosen, as a server has no
// display; Windows' own platform is always there and needs no window.

#include "ExportArguments.h"
#include "HeadlessExport.h"
#include "Version.h"
#include "platform/CoreDumps.h"
#include "platform/InterruptCleanup.h"
#include "platform/StderrPrompts.h"

#include <QGuiApplication>
#ifdef Q_OS_WIN
#include <windows.h> // SetConsoleOutputCP
#endif

using namespace Qt::StringLiterals;

namespace {

QtMessageHandler g_qtMessageHandler = nullptr;

// A cron job has no XDG_RUNTIME_DIR. The export never uses that folder (Qt
// only looks there for a sandbox marker at start), so Qt's complaint about
// the missing variable would only fill the job's mail every night.
void ignoreMissingRuntimeDir() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        return;
    g_qtMessageHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR not set"_s))
                g_qtMessageHandler(type, context, text);
        });
}

} // namespace

int main(int argc, char* argv[]) {
    nbr::disableCoreDumps();
#ifdef Q_OS_WIN
    // The messages are UTF-8: the console shows them so only when told.
    SetConsoleOutputCP(CP_UTF8);
#else
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    ignoreMissingRuntimeDir();
    nbr::InterruptCleanup::install();
    QGuiApplication app(argc, argv);
    const auto parsed = nbr::parseExportArguments(app.arguments().mid(1));
    if (const auto* error = std::get_if<QString>(&parsed)) {
        nbr::printError(*error);
        nbr::printError(nbr::exportUsage());
        return nbr::ExitBadArguments;
    }
    const auto& arguments = std::get<nbr::ExportArguments>(parsed);
    switch (arguments.request) {
    case nbr::ExportRequest::Help:
        nbr::printOutput(nbr::exportUsage());
        return nbr::ExitSuccess;
    case nbr::ExportRequest::Version:
        nbr::printOutput(u"nbreport-export "_s + QLatin1StringView(nbr::kVersionText));
        return nbr::ExitSuccess;
    case nbr::ExportRequest::Export:
        break;
    }
    return nbr::runHeadlessExport(arguments);
}
