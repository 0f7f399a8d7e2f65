#include "ExportFixture.h"

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "ModelDumps.h"
#include "ReportWindowDriver.h"
#include "report/ui/ReportWindow.h"

#include <QComboBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace nbr::test {

QPushButton* button(ReportWindow& w, const QString& name) {
    return w.findChild<QPushButton*>(name);
}

QProgressBar* progressBar(ReportWindow& w, const QString& name) {
    return w.findChild<QProgressBar*>(name);
}

void runSummary(ReportWindow& w, const QStringList& deptCodes) {
    w.load();
    w.show();
    auto* year = w.findChild<QComboBox*>(u"yearBox"_s);
    year->setCurrentIndex(year->findText(u"2026年"_s));
    tickDepartments(w.departments(), deptCodes);
    QTest::mouseClick(button(w, u"runButton"_s), Qt::LeftButton);
}

void openListing(ReportWindow& w, int row, int col) {
    clickCell(w.summaryView(), {row, col});
    QTest::mouseClick(button(w, u"drillDownButton"_s), Qt::LeftButton);
}

void exportFrom(ReportWindow& w, FakePrompts& prompts, const QString& buttonName,
                const QString& answer) {
    prompts.saveAnswers.push_back(answer);
    QTest::mouseClick(button(w, buttonName), Qt::LeftButton);
}

QString exportToolPath() {
    return qEnvironmentVariable("NBR_BINARY_DIR") + u"/tools/nbreport-export"_s;
}

ToolRun runProgram(const QString& path, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(path, args);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

ToolRun runExportTool(const QStringList& args, const QString& configHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_s, configHome);
    env.insert(u"XDG_CONFIG_DIRS"_s, configHome); // no system-wide settings either
    return runProgram(exportToolPath(), args, env);
}

} // namespace nbr::test
