#pragma once
// frm非预算报销月报: the report window. The user ticks departments, picks a
// year, runs the monthly summary, drills into a month cell and exports either
// grid. The window owns the controls (ReportControls builds them), lays them
// out and handles their events; the procedures (tree, summary, listing,
// exports) work on its models.

#include "report/DeptTree.h"
#include "report/ReportLayout.h"
#include "report/ui/ReportControls.h"
#include "workbook/ExportResult.h"

#include <QWidget>
#include <functional>
#include <initializer_list>
#include <optional>

class QProgressBar;
class QPushButton;

namespace nbr {

class Error;
class FlexGridModel;
class FlexGridView;
class TreeNodesModel;

class ReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);
    ~ReportWindow() override;

    // The load sequence: status bar, grids, year list, department tree.
    void load();

    // Handlers of the window's controls.
    void onCommand1Clicked(); // 退出: unloads the window
    void onImage1Clicked(int index);
    void onCommand4Clicked(); // 关闭: closes the detail panel
    void onCheck1Clicked();   // 全选
    void onNodeCheck(int node);
    void onNodeClick(int node);
    void onCommand3Clicked(); // 开始统计
    void onGrid1Clicked();
    void onBtnBClicked();
    void onCommand2Clicked(); // 导出Excel
    void onCommand5Clicked(); // 导出明细
    void onGrid2Clicked();

    FlexGridModel& grid1() const { return *m_grid1; }
    FlexGridModel& grid2() const { return *m_grid2; }
    FlexGridView& grid1View() const { return *m_ui.msFlexGrid1; }
    TreeNodesModel& nodes() const { return *m_nodes; }
    const std::vector<DeptRow>& deptRows() const { return m_deptRows; }
    const QString& currentDeptCode() const { return m_currentDeptCode; }
    const QString& currentDeptName() const { return m_currentDeptName; }
    // The year text of the year box (the first four characters of Combo1).
    QString yearText() const;
    QString statusPanelText(int panel) const;
    const MainGeometry& mainGeometry() const { return m_geometry; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectControls();
    void LoadYearList();
    void layoutMain();
    void layoutDetail();
    void placeBtnB();
    void hideBtnB();
    void closeDetailPanel();
    void reportError(const Error& error);
    std::optional<QString> askExportPath(QString proposedName);
    // Both export buttons: ask for the file, write it with the progress bar
    // running, tell the outcome. The buttons are hidden meanwhile.
    using ExportWriter = std::function<ExportResult(const QString& path, const ExportProgress&)>;
    void runExport(const QString& proposedName, std::initializer_list<QPushButton*> buttons,
                   QProgressBar* progressBar, const FlexGridModel& grid, const QString& successText,
                   const ExportWriter& write);

    FlexGridModel* m_grid1;  // the data of MSFlexGrid1, the summary
    FlexGridModel* m_grid2;  // the data of MSFlexGrid2, the listing
    TreeNodesModel* m_nodes; // the data of TreeView1
    ReportControls m_ui;

    MainGeometry m_geometry;
    DetailGeometry m_detailGeometry;
    std::vector<DeptRow> m_deptRows;
    QString m_currentDeptCode;
    QString m_currentDeptName;
    // The year of the run that filled the summary grid (empty before a run).
    QString m_runYear;
    // The summary cell btnB stands on, while it is shown.
    struct GridCell {
        int row;
        int col;
    };
    std::optional<GridCell> m_btnBCell;
    // The department of the open listing, as Label1(5) names it.
    QString m_listingDeptName;
};

} // namespace nbr
