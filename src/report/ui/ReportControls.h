#pragma once
// The controls of the report window in the window font, built at their
// design positions, with their captions, colours and pictures, each named
// (objectName too) for its role; the window design's name follows each
// member as a comment. They are children of the window; ReportWindow moves
// them on every resize and handles their events.

#include <QString>
#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QWidget;

namespace nbr {

struct DetailGeometry;
struct MainGeometry;
class ClickableImage;
class DeptSearchBox;
class DeptTreeModel;
class DeptTreeView;
class PictureBox;
class ReportGridModel;
class ReportGridView;

struct ReportControls {
    ReportControls(QWidget* window, DeptTreeModel* departments, ReportGridModel* summary,
                   ReportGridModel* detail);

    // Moves the controls the main layout or the detail panel's layout places.
    void place(const MainGeometry& g);
    void place(const DetailGeometry& g);
    // The detail panel covers the main panel and the bottom bar, at every
    // size; its title stays centred and its close image at the right.
    void placeDetailPanel();
    void nameForScreenReaders();

    // Top bar.
    PictureBox* topBar; // Picture1, docked along the top
    QLabel* titleLabel; // Label1(9) "部门非预算报销月度统计": the window's title line
    QLabel* hintLabel;  // Label2 "说明：点击数据网格可查看月报明细！"

    // Left panel.
    PictureBox* leftPanel;   // Picture2: disabled while a listing is open
    QLabel* yearLabel;       // Label1(1) "统计年度", caption of the year box
    QComboBox* yearBox;      // Combo1: 2000年 … 2079年, the year of a run
    QLabel* treeLabel;       // Label1(3) "选择部门", caption of the tree
    QCheckBox* selectAllBox; // Check1 "全选": ticks every department, or none
    DeptTreeView* deptTree;  // TreeView1: the department tree with its check boxes

    // Above the tree: finds departments by code or name.
    DeptSearchBox* deptSearch;

    // Main panel.
    PictureBox* mainPanel;        // Picture3
    QLabel* deptLabel;            // Label1(0) "部门": the department of the last node click
    QLabel* summaryTitle;         // Label1(2) "部门非预算报销月报", kept centred
    QLabel* runLabel;             // after the title: the year and departments of the run
    ReportGridView* summaryGrid;  // MSFlexGrid1: the monthly summary
    QAction* exportLinesAction;   // its context menu: "导出全部明细…", every claim line
    QPushButton* drillDownButton; // btnB: on a month cell, opens its listing
    PictureBox* waitBox;          // Picture6: the wait box of a summary run
    QLabel* waitLabel;            // Label4 "正在进行数据统计，请稍等......"
    QLabel* waitPhaseLabel;       // Label5: what the run is doing

    // Bottom bar.
    PictureBox* bottomBar;        // Picture4
    QPushButton* runButton;       // Command3 "开始统计": runs the summary
    QPushButton* exportButton;    // Command2 "导出Excel": exports the summary
    QPushButton* exitButton;      // Command1 "退出": closes the window
    QProgressBar* exportProgress; // ProgressBar1: progress of the summary export

    // Detail panel, over the main panel and the bottom bar while a listing is open.
    PictureBox* detailPanel; // Picture7, with its background picture
    QLabel* listingLabel;    // Label14 "明细": the listing's month and subject
    QLabel* detailTitle;     // Label1(4) "部门非预算科目销明细月报", kept centred
    QLabel* detailDeptLabel; // Label1(5) "部门": the listing's department
    ClickableImage* closeDetailImage;   // Image1(0): a small cross, closes the panel
    ReportGridView* detailGrid;         // MSFlexGrid2: the detail listing
    PictureBox* detailBottomBar;        // Picture5
    QPushButton* exportDetailButton;    // Command5 "导出明细": exports the listing
    QPushButton* closeDetailButton;     // Command4 "关闭": closes the panel
    QProgressBar* detailExportProgress; // ProgressBar2: progress of the listing export

    // Status bar.
    QStatusBar* statusBar; // StatusBar1: the session, docked along the bottom
    // Its panels 1 … 9 at index 0 … 8: "操作员", the operator's name, "部门",
    // the operator's department, "岗位", the operator's position, a fixed
    // text, the date and the time (kept current every second).
    std::array<QLabel*, 9> statusPanels{};
};

} // namespace nbr
