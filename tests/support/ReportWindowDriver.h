#pragma once
// Drives a report window as a user would: opens it on a fresh application
// context connected to the test's database, shown and loaded on the year
// 2026, ticks departments, runs the summary and clicks grid cells. Test
// classes inherit it beside QObject.

#include "TestContext.h"
#include "report/models/GridCell.h"

#include <QPushButton>
#include <QStringList>
#include <memory>

namespace nbr {
class ReportGridView;
class ReportWindow;
} // namespace nbr

namespace nbr::test {

// A mouse click on a cell of a grid (row -1: a heading), scrolled into view
// first.
void clickCell(ReportGridView& view, GridCell cell, Qt::KeyboardModifiers modifiers = {});

class ReportWindowDriver {
protected:
    ReportWindowDriver();
    ~ReportWindowDriver();

    ReportWindow& window() { return *m_window; }
    TestContext& context() { return *m_context; }
    FakePrompts& prompts() { return m_context->prompts; }
    // A new context on the database file and a new window on it, in place
    // of the current ones; what loading the window told is forgotten.
    void openWindow(const QString& dbPath);
    void closeWindow();
    void tick(const QStringList& codes);
    // Presses 开始统计.
    void run();
    // Clicks a cell of the summary grid.
    void click(int row, int col);
    QPushButton* btnB();

    std::unique_ptr<TestContext> m_context;
    std::unique_ptr<ReportWindow> m_window;
};

} // namespace nbr::test
