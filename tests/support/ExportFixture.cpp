#include "ExportFixture.h"

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "report/MonthlySummary.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ReportWindow.h"

#include <QComboBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace nbr::test {

void writeExportDatabase(const QString& path) {
    FixtureDb db(path);
    db.addDepartment(u"01"_s, u"总部"_s);
    db.addDepartment(u"0102"_s, u"财务部"_s, u"01"_s);
    db.addDepartment(u"0103"_s, u"人事部"_s, u"01"_s);
    db.addDepartment(u"0104"_s, u"审计小计组"_s, u"01"_s); // "小计" in a real name
    db.addDepartment(u"09"_s, u"Tervo中心"_s);
    db.addSubject(u"0012"_s, u"差旅费"_s);
    db.addSubject(u"6601"_s, u"办公费"_s);
    // 财务部, 差旅费, March: 1000 + 34.5 tax and 200 without tax.
    const qint64 a = db.addClaim(u"00201"_s, u"0102"_s, u"2026-03-05"_s, u"非预算"_s, u"李明"_s,
                                 u"2026-03-06"_s, 1, u"2026-03-10"_s);
    db.addLine(a, u"0012"_s, 1000, 34.5, u"出差北京"_s);
    const qint64 b = db.addClaim(u"00202"_s, u"0102"_s, u"2026-03-20"_s);
    db.addLine(b, u"0012"_s, 200, {}, u"市内交通"_s);
    db.addLine(db.addClaim(u"00203"_s, u"0102"_s, u"2026-01-10"_s), u"6601"_s, 88);
    db.addLine(db.addClaim(u"00204"_s, u"0103"_s, u"2026-02-02"_s), u"6601"_s, 50);
    db.addLine(db.addClaim(u"00206"_s, u"0104"_s, u"2026-03-03"_s), u"6601"_s, 12);
    db.addLine(db.addClaim(u"00205"_s, u"09"_s, u"2026-04-01"_s), u"6601"_s, 7);
    db.addLine(db.addClaim(u"00206"_s, u"0103"_s, u"2026-05-08"_s), u"6601"_s, 9, {},
               QString(40000, u'长'));
    db.close();
}

SummaryTable largeSummary(int bodyRows) {
    SummaryTable table{u"2026"_s, bodyRows / 10, {}, {}, {}};
    for (int r = 1; r <= bodyRows; ++r) {
        const bool subtotal = r % 10 == 0;
        SummaryRow row{subtotal ? RowKind::Subtotal : RowKind::Data,
                       u"0102"_s,
                       subtotal ? u"部门%1小计"_s.arg(r) : u"部门%1"_s.arg(r / 10),
                       u"%1"_s.arg(r % 1000, 4, 10, QChar(u'0')),
                       u"科目名称"_s,
                       {},
                       {}};
        for (int m = 0; m < 12; ++m)
            row.months[size_t(m)] = (r + m + 4) % 7 == 0 ? QString() : u"%1.25"_s.arg(r + m + 4);
        row.total = (r + 16) % 7 == 0 ? QString() : u"%1.25"_s.arg(r + 16);
        table.rows.push_back(std::move(row));
    }
    table.rows.back() = {RowKind::GrandTotal, {}, u"合计"_s, {}, {}, {}, u"1.25"_s};
    return table;
}

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
    for (const QString& code : deptCodes)
        w.nodes().userCheck(w.nodes().indexOfKey(u'$' + code), true);
    QTest::mouseClick(button(w, u"runButton"_s), Qt::LeftButton);
}

void openListing(ReportWindow& w, int row, int col) {
    w.summaryGrid().userClick(row, col);
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
    return runProgram(exportToolPath(), args, env);
}

} // namespace nbr::test
