#pragma once
// Drives a report window as a user would, over the shared connection: opens
// it shown and loaded on the year 2026, ticks departments, runs the summary
// and clicks summary cells. Test classes inherit it beside QObject.

#include <QPushButton>
#include <initializer_list>
#include <memory>

namespace nbr {
class ReportWindow;
} // namespace nbr

namespace nbr::test {

class ReportWindowDriver {
protected:
    ReportWindowDriver();
    ~ReportWindowDriver();

    ReportWindow& window() { return *m_window; }
    // A new window in place of the current one.
    void openWindow();
    void tick(std::initializer_list<const char*> codes);
    // Presses 开始统计.
    void run();
    void click(int row, int col);
    QPushButton* btnB();

    std::unique_ptr<ReportWindow> m_window;
};

} // namespace nbr::test
