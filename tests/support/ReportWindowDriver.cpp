#include "ReportWindowDriver.h"

#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ReportWindow.h"

#include <QComboBox>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace nbr::test {

ReportWindowDriver::ReportWindowDriver() = default;
ReportWindowDriver::~ReportWindowDriver() = default;

void ReportWindowDriver::openWindow(const QString& dbPath) {
    closeWindow();
    m_context = std::make_unique<TestContext>();
    QVERIFY(m_context->connectToFile(dbPath));
    m_window = std::make_unique<ReportWindow>(m_context->app);
    m_window->show();
    m_window->load();
    m_window->findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2026年"_s);
    m_context->prompts.clear();
}

void ReportWindowDriver::closeWindow() {
    m_window.reset();
    m_context.reset();
}

void ReportWindowDriver::tick(std::initializer_list<const char*> codes) {
    TreeNodesModel& n = window().nodes();
    for (const char* code : codes)
        n.userCheck(n.indexOfKey(u'$' + QString::fromUtf8(code)), true);
}

void ReportWindowDriver::run() {
    QTest::mouseClick(window().findChild<QPushButton*>(u"runButton"_s), Qt::LeftButton);
}

void ReportWindowDriver::click(int row, int col) {
    window().summaryGrid().userClick(row, col);
}

QPushButton* ReportWindowDriver::btnB() {
    return window().findChild<QPushButton*>(u"drillDownButton"_s);
}

} // namespace nbr::test
