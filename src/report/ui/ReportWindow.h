#pragma once
// frm非预算报销月报: the report window. The user ticks departments, picks a
// year, runs the monthly summary, drills into a month cell and exports either
// result. The window owns the controls (ReportControls builds them), lays
// them out and handles their events; the procedures return results
// (SummaryTable, Listing), which the grids show and the exports write.

#include "report/DeptTree.h"
#include "report/Listing.h"
#include "report/ReportLayout.h"
#include "report/SummaryTable.h"
#include "report/ui/DrillDownCell.h"
#include "report/ui/ReportControls.h"
#include "workbook/ExportResult.h"

#include <QWidget>
#include <functional>
#include <initializer_list>
#include <optional>

class QProgressBar;
class QPushButton;

namespace nbr {

struct AppContext;
class Error;
class FlexGridModel;
class FlexGridView;
class TreeNodesModel;

class ReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportWindow(AppContext& context, QWidget* parent = nullptr);
    ~ReportWindow() override;

    // The load sequence: status bar, grids, year list, department tree.
    void load();

    // What the controls do.
    void closeWindow();                  // 退出 (Command1)
    void onCloseImageClicked(int index); // the detail panel's cross (Image1)
    void closeDetailPanel();             // 关闭 (Command4)
    void selectAll();                    // 全选 (Check1)
    void onNodeCheck(int node);
    void onNodeClick(int node);
    void runSummary();               // 开始统计 (Command3)
    void onSummaryCellClicked();     // MSFlexGrid1
    void openListing();              // the drill-down button (btnB)
    void exportSummaryWorkbook();    // 导出Excel (Command2)
    void exportListingWorkbook();    // 导出明细 (Command5)
    void exportClaimLinesWorkbook(); // the summary grid's "导出全部明细…"
    void onDetailCellClicked();      // MSFlexGrid2

    FlexGridModel& summaryGrid() const { return *m_summaryGrid; }
    FlexGridModel& detailGrid() const { return *m_detailGrid; }
    FlexGridView& summaryView() const { return *m_ui.summaryGrid; }
    TreeNodesModel& nodes() const { return *m_nodes; }
    // The last run's summary, the open listing: nothing before one, or
    // after it failed.
    const std::optional<SummaryTable>& summary() const { return m_summary; }
    const std::optional<Listing>& listing() const { return m_listing; }
    const std::vector<DeptRow>& deptRows() const { return m_deptRows; }
    const QString& currentDeptCode() const { return m_currentDeptCode; }
    const QString& currentDeptName() const { return m_currentDeptName; }
    // The year text of the year box (its first four characters).
    QString yearText() const;
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
    void restoreTicks();
    std::vector<NodeDepartment> departmentsOfRun();
    void showRunCaption();
    QString inExportFolder(const QString& fileName) const;
    void layoutMain();
    void layoutDetail();
    void sortListingBy(int col);
    // The controls the detail panel covers take no input while it is open.
    void enableCoveredControls(bool enabled);
    void reportError(const Error& error);
    // Runs a handler's work; an Error ends it with the user told.
    bool guarded(const std::function<void()>& work);
    std::optional<QString> askExportPath(QString proposedName);
    // The author of the workbooks exported: the operator the status bar names.
    QString operatorName() const;
    // Both export buttons: ask for the file, write it with the progress bar
    // running, tell the outcome. The buttons are hidden meanwhile.
    using ExportWriter = std::function<ExportResult(const QString& path, const ExportProgress&)>;
    void runExport(const QString& proposedName, std::initializer_list<QPushButton*> buttons,
                   QProgressBar* progressBar, int gridRows, const QString& successText,
                   const ExportWriter& write);

    AppContext& m_context;
    FlexGridModel* m_summaryGrid; // what MSFlexGrid1 shows
    FlexGridModel* m_detailGrid;  // what MSFlexGrid2 shows
    TreeNodesModel* m_nodes;      // what TreeView1 shows
    ReportControls m_ui;

    MainGeometry m_geometry;
    DetailGeometry m_detailGeometry;
    std::vector<DeptRow> m_deptRows;
    QString m_currentDeptCode;
    QString m_currentDeptName;
    std::optional<SummaryTable> m_summary;
    std::optional<Listing> m_listing;
    // How the open listing is sorted: by a detail grid column, -1 as read.
    int m_listingSortColumn = -1;
    Qt::SortOrder m_listingSortOrder = Qt::AscendingOrder;
    DrillDownCell m_drillDown;
};

} // namespace nbr
