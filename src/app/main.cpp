// nbreport: the monthly report of non-budget reimbursements.

#include "platform/CoreDumps.h"
#include "platform/InterruptCleanup.h"
#include "platform/QtTranslation.h"
#include "platform/WindowFont.h"
#include "platform/ui/FocusFrameStyle.h"
#include "platform/ui/ProgramIcon.h"
#include "platform/ui/QtPrompts.h"
#include "session/CommandLine.h"
#include "session/SessionState.h"
#include "session/ui/LoginWindow.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <cstdio>

namespace {

// Without a display Qt would abort; say what to do instead.
bool displayAvailable() {
#if defined(Q_OS_LINUX)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    nbr::disableCoreDumps();
    if (!displayAvailable()) {
        std::fputs("nbreport: 没有可用的图形显示 (no display found).\n"
                   "Run it under a virtual display, e.g.: xvfb-run -a nbreport\n",
                   stderr);
        return 2;
    }
    nbr::InterruptCleanup::install();
    QApplication app(argc, argv);
    nbr::QtPrompts prompts;
    nbr::Prompts::install(&prompts);
    QApplication::setStyle(new nbr::FocusFrameStyle);
    QApplication::setFont(nbr::windowFont());
    QApplication::setWindowIcon(nbr::programIcon());
    nbr::installQtTranslation();

    nbr::startCommandLine() = nbr::commandLineText(QCoreApplication::arguments());

    // The login window is the start-up object; after a complete command-line
    // session it never shows and the main window takes over.
    nbr::LoginWindow login;
    nbr::MainWindow::followLogin(login);
    if (!login.load())
        login.show();
    if (prompts.quitRequested())
        return prompts.exitCode();
    return app.exec();
}
