#include "report/ui/ReportWindow.h"

#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/ReplacingFile.h"
#include "platform/Twips.h"
#include "platform/WaitCursor.h"
#include "report/AmountText.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportCaptions.h"
#include "report/ReportColours.h"
#include "report/ReportColumns.h"
#include "report/ReportGridSetup.h"
#include "report/WorkbookExport.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ClickableImage.h"
#include "report/ui/FlexGridView.h"
#include "report/ui/PictureBox.h"
#include "session/SessionState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

constexpr int kDesignWidth = 22455;
constexpr int kDesignHeight = 10140;
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2079;

} // namespace

ReportWindow::ReportWindow(QWidget* parent)
    : QWidget(parent), m_grid1(new FlexGridModel(this)), m_grid2(new FlexGridModel(this)),
      m_nodes(new TreeNodesModel(this)), m_ui(this, m_nodes, m_grid1, m_grid2) {
    setObjectName(u"frm非预算报销月报"_s);
    setWindowTitle(u"非预算报销月报统计"_s);
    m_grid1->setObjectName(u"MSFlexGrid1Model"_s);
    m_grid2->setObjectName(u"MSFlexGrid2Model"_s);
    m_grid1->setMeasureFont(font());
    m_grid2->setMeasureFont(font());
    connectControls();
    resize(twipsToPixels(kDesignWidth), twipsToPixels(kDesignHeight));
    // Below this size the bottom bar's buttons or the status bar's panels
    // would run into each other.
    setMinimumSize(
        std::max(twipsToPixels(kMinScaleWidth), m_ui.statusBar1->minimumSizeHint().width()),
        twipsToPixels(kMinScaleHeight));
}

ReportWindow::~ReportWindow() {
    // QWidget's destructor still hides the children, and their scroll bars
    // and models signal then: none of it may reach this window's handlers,
    // whose members are gone by that time.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

void ReportWindow::connectControls() {
    connect(m_ui.command1, &QPushButton::clicked, this, &ReportWindow::onCommand1Clicked);
    connect(m_ui.command2, &QPushButton::clicked, this, &ReportWindow::onCommand2Clicked);
    connect(m_ui.command3, &QPushButton::clicked, this, &ReportWindow::onCommand3Clicked);
    connect(m_ui.command4, &QPushButton::clicked, this, &ReportWindow::onCommand4Clicked);
    connect(m_ui.command5, &QPushButton::clicked, this, &ReportWindow::onCommand5Clicked);
    connect(m_ui.btnB, &QPushButton::clicked, this, &ReportWindow::onBtnBClicked);
    connect(m_ui.image1, &ClickableImage::clicked, this, &ReportWindow::onImage1Clicked);
    connect(m_ui.check1, &QCheckBox::clicked, this, &ReportWindow::onCheck1Clicked);
    connect(m_nodes, &TreeNodesModel::nodeCheck, this, &ReportWindow::onNodeCheck);
    connect(m_nodes, &TreeNodesModel::nodeClick, this, &ReportWindow::onNodeClick);
    connect(m_grid1, &FlexGridModel::click, this, &ReportWindow::onGrid1Clicked);
    connect(m_grid2, &FlexGridModel::click, this, &ReportWindow::onGrid2Clicked);
    connect(m_ui.picture7, &PictureBox::resized, this, &ReportWindow::layoutDetail);
    // btnB follows its cell wherever the grid shows it.
    for (QScrollBar* bar :
         {m_ui.msFlexGrid1->horizontalScrollBar(), m_ui.msFlexGrid1->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, &ReportWindow::placeBtnB);
        connect(bar, &QScrollBar::rangeChanged, this, &ReportWindow::placeBtnB);
    }
    connect(m_grid1, &FlexGridModel::colWidthChanged, this, &ReportWindow::placeBtnB);
    connect(m_grid1, &FlexGridModel::currentCellChanged, this, [this] {
        if (m_btnBCell && (m_btnBCell->row != m_grid1->row() || m_btnBCell->col != m_grid1->col()))
            hideBtnB();
    });
}

void ReportWindow::load() {
    const SessionState& s = sessionState();
    m_ui.panels[1]->setText(s.employeeName);
    m_ui.panels[3]->setText(s.departmentName);
    m_ui.panels[5]->setText(s.positionName);

    setUpReportGrid(*m_grid1, summaryFormatString());
    setUpReportGrid(*m_grid2, detailFormatString());

    try {
        const WaitCursor wait;
        LoadYearList();
        LoadDeptTree(*m_nodes, m_deptRows);
    } catch (const Error& e) {
        // The window opens all the same; the user learns why departments are missing.
        reportError(e);
    }
}

void ReportWindow::LoadYearList() {
    m_ui.combo1->clear();
    for (int y = kFirstYear; y <= kLastYear; ++y)
        m_ui.combo1->addItem(QString::number(y) + u'年');
    // A year outside the list selects its nearest end.
    const int year = std::clamp(QDate::currentDate().year(), kFirstYear, kLastYear);
    m_ui.combo1->setCurrentIndex(year - kFirstYear);
}

QString ReportWindow::yearText() const {
    return m_ui.combo1->currentText().left(4);
}

QString ReportWindow::statusPanelText(int panel) const {
    return m_ui.panels.at(size_t(panel - 1))->text();
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutMain();
}

void ReportWindow::layoutMain() {
    applyMainLayout(m_geometry, pixelsToTwips(width()), pixelsToTwips(height()));
    m_ui.place(m_geometry);
    m_ui.placeDetailPanel();
    placeBtnB();
}

void ReportWindow::layoutDetail() {
    const QRect r = m_ui.picture7->geometry();
    m_detailGeometry.picture7 = {pixelsToTwips(r.x()), pixelsToTwips(r.y()),
                                 pixelsToTwips(r.width()), pixelsToTwips(r.height())};
    applyDetailLayout(m_detailGeometry);
    m_ui.place(m_detailGeometry);
}

void ReportWindow::onCommand1Clicked() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void ReportWindow::onImage1Clicked(int index) {
    if (index == 0)
        closeDetailPanel();
}

void ReportWindow::onCommand4Clicked() {
    closeDetailPanel();
}

void ReportWindow::closeDetailPanel() {
    m_ui.picture7->hide();
    m_ui.picture2->setEnabled(true);
    hideBtnB();
}

void ReportWindow::onCheck1Clicked() {
    selectAllDepartments(*m_nodes, m_ui.check1->isChecked());
}

void ReportWindow::onNodeCheck(int node) {
    NodeCheck(*m_nodes, node);
}

void ReportWindow::onNodeClick(int) {
    if (m_nodes->count() == 0)
        return;
    m_currentDeptCode.clear();
    m_currentDeptName.clear();
    const int selected = m_nodes->selectedItem();
    if (selected == 0) {
        reportError(Error(91, u"对象变量或 With 块变量未设置"_s));
        return;
    }
    const NodeDepartment dept = splitNodeText(m_nodes->text(selected));
    m_currentDeptCode = dept.code;
    m_currentDeptName = dept.name;
    m_ui.label1[0]->setText(u"部门："_s + m_currentDeptName);
    m_ui.label1[0]->adjustSize();
    m_grid1->setRows(1);
    hideBtnB();
    for (int i = 1; i <= m_nodes->count(); ++i)
        m_nodes->setBackColor(i, QColor());
    for (int i = 1; i <= m_nodes->count(); ++i) {
        if (m_nodes->selected(i)) {
            m_nodes->setBackColor(i, ReportColour::kClickedNode);
            break;
        }
    }
}

void ReportWindow::onCommand3Clicked() {
    hideBtnB();
    m_grid1->setRows(1);
    m_runYear = yearText();
    m_ui.label5->clear();
    m_ui.picture6->move((m_ui.picture3->width() - m_ui.picture6->width()) / 2,
                        (m_ui.picture3->height() - m_ui.picture6->height()) / 2);
    m_ui.picture6->show();
    m_ui.picture6->raise();
    // One chance to paint the wait box; no further events until the run ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    MonthlySummary run(*m_grid1, *m_nodes);
    QElapsedTimer sincePaint;
    run.setProgress([&](const QString& phase) {
        m_ui.label5->setText(phase);
        // A repaint only, at most every 100 ms: events stay unprocessed.
        if (!sincePaint.isValid() || sincePaint.elapsed() >= 100) {
            m_ui.picture6->repaint();
            sincePaint.start();
        }
    });
    try {
        run.appendTickedDepartments(m_runYear);
        run.appendGrandTotal();
    } catch (const Error& e) {
        // No partial report may be taken for a complete one.
        m_grid1->setRows(1);
        m_ui.picture6->hide();
        reportError(e);
        return;
    }
    if (!run.currentDeptCode().isEmpty() || !run.currentDeptName().isEmpty()) {
        m_currentDeptCode = run.currentDeptCode();
        m_currentDeptName = run.currentDeptName();
    }
    m_ui.picture6->hide();
}

void ReportWindow::onGrid1Clicked() {
    FlexGridModel& g = *m_grid1;
    if (g.rows() == 1)
        return;
    // Subtotal and grand-total rows have no listing behind their cells.
    if (g.rowKind(g.row()) != FlexGridModel::RowKind::Data) {
        hideBtnB();
        return;
    }
    if (g.col() >= SummaryCol::FirstMonth && g.col() <= SummaryCol::LastMonth) {
        if (amountValue(g.text()) == 0) {
            hideBtnB();
            return;
        }
        m_btnBCell = GridCell{g.row(), g.col()};
        placeBtnB();
        m_ui.picture7->hide();
        return;
    }
    hideBtnB();
    m_ui.picture7->hide();
}

// btnB sits on the top-left corner of its cell, 200 twips wide and as tall
// as the cell, and shows only while all of it lies in the grid's body.
void ReportWindow::placeBtnB() {
    if (!m_btnBCell) {
        m_ui.btnB->hide();
        return;
    }
    const QRect cell = m_ui.msFlexGrid1->cellRect(m_btnBCell->row, m_btnBCell->col);
    const QRect button(m_ui.msFlexGrid1->pos() + cell.topLeft(),
                       QSize(twipsToPixels(200), cell.height()));
    const QRect body = m_ui.msFlexGrid1->viewport()->geometry().translated(m_ui.msFlexGrid1->pos());
    m_ui.btnB->setGeometry(button);
    m_ui.btnB->setVisible(body.contains(button));
    m_ui.btnB->raise();
}

void ReportWindow::hideBtnB() {
    m_btnBCell.reset();
    m_ui.btnB->hide();
}

void ReportWindow::onBtnBClicked() {
    if (!m_btnBCell)
        return;
    m_ui.placeDetailPanel();
    m_ui.picture7->show();
    m_ui.picture7->raise();

    // The listing of the cell the button sits on.
    const FlexGridModel& g = *m_grid1;
    const int row = m_btnBCell->row;
    const QString monthHeader = g.textMatrix(0, m_btnBCell->col);
    const QString subjectCode = g.textMatrix(row, SummaryCol::SubjectCode);
    const QString subjectName = g.textMatrix(row, SummaryCol::SubjectName);
    const QString deptCode = g.textMatrix(row, SummaryCol::DeptCode);
    m_ui.label14->setText(listingCaption(monthHeader, subjectName));
    m_ui.label14->adjustSize();
    m_listingDeptName = g.textMatrix(row, SummaryCol::DeptName);
    m_ui.label1[5]->setText(deptCaption(m_listingDeptName));
    m_ui.label1[5]->adjustSize();
    // Only a listing read whole can be exported: after a failure the panel
    // shows the headings alone and offers nothing to export.
    m_ui.command5->hide();
    try {
        LoadDetailList(*m_grid2, subjectCode, monthHeader.left(2), deptCode, m_runYear);
        m_ui.command5->show();
    } catch (const Error& e) {
        reportError(e);
    }
    m_ui.picture2->setEnabled(false);
}

void ReportWindow::onCommand2Clicked() {
    if (m_grid1->rows() == 1)
        return;
    const QString year = yearCaption(m_runYear);
    runExport(summaryFileName(year), {m_ui.command1, m_ui.command2, m_ui.command3},
              m_ui.progressBar1, *m_grid1, u"非预算报销月报导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return ExportMonthlyReport(*m_grid1, m_ui.label1[2]->text(), year, path,
                                             progress);
              });
}

void ReportWindow::onCommand5Clicked() {
    // The guard looks at the summary grid: a listing only exists beside one.
    // A listing that could not be read has nothing to export.
    if (m_grid1->rows() == 1 || m_grid2->rows() == 1)
        return;
    const QString year = yearCaption(m_runYear);
    runExport(detailFileName(year, m_ui.label14->text(), m_listingDeptName),
              {m_ui.command4, m_ui.command5}, m_ui.progressBar2, *m_grid2,
              u"非预算报销明细月报导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return ExportDetailList(*m_grid2, m_ui.label1[4]->text(), m_ui.label1[5]->text(),
                                          year, m_ui.label14->text(), path, progress);
              });
}

void ReportWindow::runExport(const QString& proposedName,
                             std::initializer_list<QPushButton*> buttons, QProgressBar* progressBar,
                             const FlexGridModel& grid, const QString& successText,
                             const ExportWriter& write) {
    for (QPushButton* b : buttons)
        b->hide();
    const auto showButtons = [&] {
        for (QPushButton* b : buttons)
            b->show();
    };
    const std::optional<QString> path = askExportPath(proposedName);
    if (!path) {
        Prompts::current().message(u"您取消了导出操作！"_s, u"系统提示"_s,
                                   MessageIcon::Information);
        showButtons();
        return;
    }
    progressBar->setMinimum(0);
    progressBar->setMaximum(grid.rows());
    progressBar->setValue(0);
    progressBar->show();
    QCoreApplication::processEvents();
    std::optional<ExportResult> result;
    try {
        const WaitCursor wait;
        result = write(*path, [progressBar](int row) { progressBar->setValue(row); });
    } catch (const Error& e) {
        reportError(e);
    }
    // The buttons come back after the message, whatever the outcome; the
    // progress bar goes only after a success.
    if (result) {
        const QStringList lines =
            QStringList{successText, QDir::toNativeSeparators(result->path)} + result->notes();
        Prompts::current().message(lines.join(u'\n'), u"系统提示"_s, MessageIcon::Information);
        progressBar->hide();
    }
    showButtons();
}

// The save dialog, and the question before an existing workbook is replaced:
// about the name that will be written (a.xls stands for a.xlsx). No goes back
// to the dialog. Nothing when the user cancelled.
std::optional<QString> ReportWindow::askExportPath(QString proposedName) {
    for (;;) {
        const std::optional<QString> path =
            Prompts::current().saveFileName(proposedName, u"电子表|*.xls;*.xlsx"_s);
        if (!path)
            return std::nullopt;
        // A folder or a read-only file at that name is not replaced: the
        // export says why, no question first.
        const QString written = workbookPath(*path);
        if (!QFileInfo(written).isFile() || ReplacingFile::isReadOnly(written))
            return path;
        if (Prompts::current().askYesNo(u"文件“"_s + QFileInfo(written).fileName() + u"”已存在。要替换它吗？"_s,
                                        u"系统提示"_s, MessageIcon::Question))
            return path;
        proposedName = *path;
    }
}

void ReportWindow::onGrid2Clicked() {
    m_grid2->setCol(0);
    m_grid2->setColSel(m_grid2->cols() - 1);
}

void ReportWindow::reportError(const Error& error) {
    Prompts::current().message(errorText(error), u"系统提示"_s, MessageIcon::Information);
}

} // namespace nbr
