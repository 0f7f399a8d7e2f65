#pragma once
// frm非预算报销月报: the report window. The user ticks departments, picks a
// year, runs the monthly summary, drills into a month cell and exports either
// grid. The window owns the controls and their handlers; the procedures
// (tree, summary, listing, exports) work on its models.

#include "report/DeptTree.h"
#include "report/ReportLayout.h"
#include "workbook/ExportResult.h"

#include <QWidget>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace nbr {

class ClickableImage;
class Error;
class FlexGridModel;
class FlexGridView;
class NodeTreeView;
class PictureBox;
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
    FlexGridView& grid1View() const { return *m_grid1View; }
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
    void buildControls();
    void LoadYearList();
    void layoutMain();
    void layoutDetail();
    void placeDetailPanel();
    void placeBtnB();
    void hideBtnB();
    void closeDetailPanel();
    void reportError(const Error& error);
    // Both export buttons: ask for the file, write it with the progress bar
    // running, tell the outcome. The buttons are hidden meanwhile.
    using ExportWriter = std::function<ExportResult(const QString& path, const ExportProgress&)>;
    void runExport(const QString& proposedName, std::initializer_list<QPushButton*> buttons,
                   QProgressBar* progressBar, const FlexGridModel& grid, const QString& successText,
                   const ExportWriter& write);

    // Controls, named as in the window design.
    PictureBox* m_picture1;
    PictureBox* m_picture2;
    PictureBox* m_picture3;
    PictureBox* m_picture4;
    PictureBox* m_picture5;
    PictureBox* m_picture6;
    PictureBox* m_picture7;
    std::array<QLabel*, 10> m_label1{};
    QLabel* m_label2;
    QLabel* m_label4;
    QLabel* m_label5;
    QLabel* m_label14;
    QComboBox* m_combo1;
    QCheckBox* m_check1;
    NodeTreeView* m_treeView1;
    FlexGridView* m_grid1View;
    FlexGridView* m_grid2View;
    QPushButton* m_btnB;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QPushButton* m_command3;
    QPushButton* m_command4;
    QPushButton* m_command5;
    QProgressBar* m_progressBar1;
    QProgressBar* m_progressBar2;
    QStatusBar* m_statusBar1;
    std::array<QLabel*, 9> m_panels{};
    ClickableImage* m_image1;

    FlexGridModel* m_grid1;
    FlexGridModel* m_grid2;
    TreeNodesModel* m_nodes;

    MainGeometry m_geometry;
    DetailGeometry m_detailGeometry;
    std::vector<DeptRow> m_deptRows;
    QString m_currentDeptCode;
    QString m_currentDeptName;
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
