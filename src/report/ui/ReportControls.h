#pragma once
// The controls of the report window in the window font, built at their
// design positions, with their captions, colours and pictures, named as the
// window design names them. They are children of the window; ReportWindow moves them on every
// resize and handles their events.

#include <QString>
#include <array>

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
class FlexGridModel;
class FlexGridView;
class NodeTreeView;
class PictureBox;
class TreeNodesModel;

struct ReportControls {
    ReportControls(QWidget* window, TreeNodesModel* nodes, FlexGridModel* summary,
                   FlexGridModel* detail);

    // Moves the controls the main layout or the detail panel's layout places.
    void place(const MainGeometry& g);
    void place(const DetailGeometry& g);
    // The detail panel covers the main panel and the bottom bar, at every
    // size; its title stays centred and its close image at the right.
    void placeDetailPanel();

    // Label1 is a control array spread over the panels; its members by index:
    // (0) "部门" over the summary grid: the department of the last node click;
    // (1) "统计年度", caption of the year box; (2) "部门非预算报销月报", the
    // summary grid's title, kept centred; (3) "选择部门", caption of the tree;
    // (4) "部门非预算科目销明细月报", the detail panel's title, kept centred;
    // (5) "部门" in the detail panel: the listing's department; (9)
    // "部门非预算报销月度统计", the window's title line.
    std::array<QLabel*, 10> label1{};

    // Top bar.
    PictureBox* picture1; // Picture1: the top bar, docked along the top
    QLabel* label2;       // Label2 "说明：点击数据网格可查看月报明细！": the hint

    // Left panel.
    PictureBox* picture2;    // Picture2: the left panel, disabled while a listing is open
    QComboBox* combo1;       // Combo1: the year list 2000年 … 2079年, the year of a run
    QCheckBox* check1;       // Check1 "全选": ticks every department, or none
    NodeTreeView* treeView1; // TreeView1: the department tree with its check boxes

    // Main panel.
    PictureBox* picture3;      // Picture3: the main panel
    FlexGridView* msFlexGrid1; // MSFlexGrid1: the monthly summary grid
    QPushButton* btnB;         // btnB: on a month cell, opens its detail listing
    PictureBox* picture6;      // Picture6: the wait box of a summary run
    QLabel* label4; // Label4 "正在进行数据统计，请稍等......": the wait box's text
    QLabel* label5; // Label5: the wait box's second line, what the run is doing

    // Bottom bar.
    PictureBox* picture4;       // Picture4: the bottom bar
    QPushButton* command3;      // Command3 "开始统计": runs the summary
    QPushButton* command2;      // Command2 "导出Excel": exports the summary grid
    QPushButton* command1;      // Command1 "退出": closes the window
    QProgressBar* progressBar1; // ProgressBar1: progress of the summary export

    // Detail panel, over the main panel and the bottom bar while a listing is open.
    PictureBox* picture7;       // Picture7: the detail panel, with its background picture
    QLabel* label14;            // Label14 "明细": the listing's month and subject
    ClickableImage* image1;     // Image1(0): a small cross, closes the detail panel
    FlexGridView* msFlexGrid2;  // MSFlexGrid2: the detail listing grid
    PictureBox* picture5;       // Picture5: the detail panel's bottom bar
    QPushButton* command5;      // Command5 "导出明细": exports the listing
    QPushButton* command4;      // Command4 "关闭": closes the detail panel
    QProgressBar* progressBar2; // ProgressBar2: progress of the listing export

    // Status bar.
    QStatusBar* statusBar1; // StatusBar1: the session, docked along the bottom
    // Its panels 1 … 9 at index 0 … 8: "操作员", the operator's name, "部门",
    // the operator's department, "岗位", the operator's position, a fixed
    // text, the date and the time (kept current every second).
    std::array<QLabel*, 9> panels{};
};

} // namespace nbr
