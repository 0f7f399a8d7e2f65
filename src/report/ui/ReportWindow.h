#pragma once
// frm非预算报销月报: the report window. The user ticks departments, picks a
// year, runs the monthly summary, drills into a month cell and exports either
// result. The window owns the controls (ReportControls builds them), lays
// them out and handles their events; the procedures return results
// (DeptTree, SummaryTable, Listing), which the models show and the exports
// write.

#include "report/Listing.h"
#include "report/ReportLayout.h"
#include "report/SummaryTable.h"
#include "report/models/GridCell.h"
#include "report/ui/DrillDownCell.h"
#include "report/ui/ListingPanel.h"
#include "report/ui/ReportControls.h"

#include <QWidget>
#include <functional>
#include <optional>

namespace nbr {

struct AppContext;
class DeptTreeModel;
class Error;
class ReportGridModel;
class ReportGridView;

class ReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportWindow(AppContext& context, QWidget* parent = nullptr);
    ~ReportWindow() override;

    // The load sequence: status bar, year list, department tree.
    void load();

    // What the controls do.
    void closeWindow();                  // 退出 (Command1)
    void onCloseImageClicked(int index); // the detail panel's cross (Image1)
    void closeDetailPanel();             // 关闭 (Command4)
    void selectAll();                    // 全选 (Check1)
    void onDepartmentClicked(int department);
    void runSummary();                        // 开始统计 (Command3)
    void onSummaryCellClicked(GridCell cell); // MSFlexGrid1
    void openListing();                       // the drill-down button (btnB)
    void exportSummaryWorkbook();             // 导出Excel (Command2)
    void exportListingWorkbook();             // 导出明细 (Command5)
    void exportClaimLinesWorkbook();          // the summary grid's "导出全部明细…"

    ReportGridModel& summaryGrid() const { return *m_summaryGrid; }
    ReportGridModel& detailGrid() const { return *m_detailGrid; }
    ReportGridView& summaryView() const { return *m_ui.summaryGrid; }
    ReportGridView& detailView() const { return *m_ui.detailGrid; }
    DeptTreeModel& departments() const { return *m_departments; }
    // The last run's summary, the open listing: nothing before one, or
    // after it failed.
    const std::optional<SummaryTable>& summary() const { return m_summary; }
    const std::optional<Listing>& listing() const { return m_listingPanel.listing(); }
    // The year chosen in the year box.
    int selectedYear() const;
    QString statusPanelText(int panel) const;
    const MainGeometry& mainGeometry() const { return m_geometry; }
    // The size it has when not maximised: the design size, tall enough for
    // the summary grid to show its heading and kRestoredRows rows.
    QSize restoredSize() const;
    static constexpr int kRestoredRows = 15;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectControls();
    void loadYearList();
    std::optional<SummaryRequest> requestOfRun();
    void showSummary(std::optional<SummaryTable> table);
    void showRunCaption();
    void layoutMain();
    void layoutDetail();
    bool drillable(GridCell cell) const;
    void reportError(const Error& error);
    // Runs a handler's work; an Error ends it with the user told.
    bool guarded(const std::function<void()>& work);

    AppContext& m_context;
    DeptTreeModel* m_departments;   // what TreeView1 shows
    ReportGridModel* m_summaryGrid; // what MSFlexGrid1 shows
    ReportGridModel* m_detailGrid;  // what MSFlexGrid2 shows
    ReportControls m_ui;

    MainGeometry m_geometry;
    DetailGeometry m_detailGeometry;
    std::optional<SummaryTable> m_summary;
    ListingPanel m_listingPanel;
    DrillDownCell m_drillDown;
};

} // namespace nbr
