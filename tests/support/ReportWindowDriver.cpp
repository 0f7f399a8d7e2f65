#include "ReportWindowDriver.h"

#include "ModelDumps.h"
#include "report/ui/ReportGridView.h"
#include "report/ui/ReportWindow.h"

#include <QComboBox>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace nbr::test {

void clickCell(ReportGridView& view, GridCell cell, Qt::KeyboardModifiers modifiers) {
    view.ensureCellVisible(cell);
    const QPoint at = view.cellRect(cell).center();
    QWidget* target = view.childAt(at);
    QVERIFY2(target, "the cell is not shown");
    QTest::mouseClick(target, Qt::LeftButton, modifiers, target->mapFrom(&view, at));
}

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

void ReportWindowDriver::tick(const QStringList& codes) {
    tickDepartments(window().departments(), codes);
}

void ReportWindowDriver::run() {
    QTest::mouseClick(window().findChild<QPushButton*>(u"runButton"_s), Qt::LeftButton);
}

void ReportWindowDriver::click(int row, int col) {
    clickCell(window().summaryView(), {row, col});
}

QPushButton* ReportWindowDriver::btnB() {
    return window().findChild<QPushButton*>(u"drillDownButton"_s);
}

} // namespace nbr::test
