// nbreport: the monthly report of non-budget reimbursements.

#include "platform/Prompts.h"
#include "session/CommandLine.h"
#include "session/Connection.h"
#include "session/SharedConnection.h"

#include <QApplication>
#include <QLabel>
#include <cstdio>

using namespace Qt::StringLiterals;

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
    if (!displayAvailable()) {
        std::fputs("nbreport: 没有可用的图形显示 (no display found).\n"
                   "Run it under a virtual display, e.g.: xvfb-run -a nbreport\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    nbr::startCommandLine() = nbr::commandLineText(QCoreApplication::arguments());

    if (!nbr::ConnectFromSettings())
        return 1;
    const nbr::Recordset departments =
        nbr::openRecordset(u"Select count(*) As n From 职能部门new"_s);
    QLabel label(u"已连接数据库，部门数：%1"_s.arg(departments.field(u"n"_s).text()));
    label.setWindowTitle(u"非预算报销统计"_s);
    label.resize(360, 80);
    label.show();
    return app.exec();
}
