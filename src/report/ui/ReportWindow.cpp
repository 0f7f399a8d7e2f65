#include "report/ui/ReportWindow.h"

#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/ReplacingFile.h"
#include "platform/Twips.h"
#include "platform/WaitCursor.h"
#include "platform/ui/InputDiscard.h"
#include "report/AmountText.h"
#include "report/DetailListing.h"
#include "report/GridClipboard.h"
#include "report/ListingSort.h"
#include "report/MonthlySummary.h"
#include "report/ReportCaptions.h"
#include "report/ReportColours.h"
#include "report/ReportColumns.h"
#include "report/ReportGrids.h"
#include "report/WorkbookExport.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ClickableImage.h"
#include "report/ui/FlexGridView.h"
#include "report/ui/NodeTreeView.h"
#include "report/ui/PictureBox.h"
#include "report/ui/ReportShortcuts.h"
#include "session/AppContext.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
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

ReportWindow::ReportWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_summaryGrid(new FlexGridModel(this)),
      m_detailGrid(new FlexGridModel(this)), m_nodes(new TreeNodesModel(this)),
      m_ui(this, m_nodes, m_summaryGrid, m_detailGrid),
      m_drillDown(m_ui.drillDownButton, m_ui.summaryGrid, m_summary) {
    setObjectName(u"reportWindow"_s);
    setWindowTitle(u"非预算报销月报统计"_s);
    m_summaryGrid->setObjectName(u"summaryGridModel"_s);
    m_detailGrid->setObjectName(u"detailGridModel"_s);
    m_summaryGrid->setMeasureFont(font());
    m_detailGrid->setMeasureFont(font());
    connectControls();
    addReportShortcuts(m_ui);
    resize(twipsToPixels(kDesignWidth), twipsToPixels(kDesignHeight));
    // Below this size the bottom bar's buttons or the status bar's panels
    // would run into each other.
    setMinimumSize(
        std::max(twipsToPixels(kMinScaleWidth), m_ui.statusBar->minimumSizeHint().width()),
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
    connect(m_ui.exitButton, &QPushButton::clicked, this, &ReportWindow::closeWindow);
    connect(m_ui.exportButton, &QPushButton::clicked, this, &ReportWindow::exportSummaryWorkbook);
    connect(m_ui.runButton, &QPushButton::clicked, this, &ReportWindow::runSummary);
    connect(m_ui.closeDetailButton, &QPushButton::clicked, this, &ReportWindow::closeDetailPanel);
    connect(m_ui.exportDetailButton, &QPushButton::clicked, this,
            &ReportWindow::exportListingWorkbook);
    connect(m_ui.drillDownButton, &QPushButton::clicked, this, &ReportWindow::openListing);
    connect(m_ui.exportLinesAction, &QAction::triggered, this,
            &ReportWindow::exportClaimLinesWorkbook);
    connect(m_ui.closeDetailImage, &ClickableImage::clicked, this,
            &ReportWindow::onCloseImageClicked);
    connect(m_ui.selectAllBox, &QCheckBox::clicked, this, &ReportWindow::selectAll);
    connect(m_nodes, &TreeNodesModel::nodeCheck, this, &ReportWindow::onNodeCheck);
    connect(m_nodes, &TreeNodesModel::nodeClick, this, &ReportWindow::onNodeClick);
    connect(m_summaryGrid, &FlexGridModel::click, this, &ReportWindow::onSummaryCellClicked);
    connect(m_detailGrid, &FlexGridModel::click, this, &ReportWindow::onDetailCellClicked);
    connect(m_ui.detailPanel, &PictureBox::resized, this, &ReportWindow::layoutDetail);
    // Enter or Space on a month with an amount does what the drill-down button does.
    connect(m_ui.summaryGrid, &FlexGridView::currentCellActivated, this, [this] {
        if (m_drillDown.cell())
            openListing();
    });
    connect(m_ui.summaryGrid, &FlexGridView::copyRequested, this, [this](bool withHeader) {
        if (m_summary)
            copySelection(*m_summaryGrid, summarySheet(*m_summary, {}), withHeader);
    });
    connect(m_ui.detailGrid, &FlexGridView::copyRequested, this, [this](bool withHeader) {
        if (m_listing)
            copySelection(*m_detailGrid, listingSheet(*m_listing, {}), withHeader);
    });
    connect(m_ui.yearBox, &QComboBox::currentIndexChanged, this, &ReportWindow::showRunCaption);
}

void ReportWindow::load() {
    const SessionState& s = m_context.session;
    m_ui.statusPanels[1]->setText(s.employeeName);
    m_ui.statusPanels[3]->setText(s.departmentName);
    m_ui.statusPanels[5]->setText(s.positionName);

    setUpReportGrid(*m_summaryGrid, summaryFormatString());
    setUpReportGrid(*m_detailGrid, detailFormatString());

    // The window opens all the same; the user learns why departments are missing.
    guarded([this] {
        const WaitCursor wait;
        loadYearList();
        m_deptRows = loadDeptTree(m_context.db(), *m_nodes);
    });
    restoreTicks();
}

// The departments ticked for the user's last run are ticked again; those
// that are no longer in the tree are passed over.
void ReportWindow::restoreTicks() {
    for (const QString& code : m_context.state.tickedDepartments()) {
        if (const int node = m_nodes->indexOfKey(u'$' + code))
            m_nodes->setChecked(node, true);
    }
}

void ReportWindow::loadYearList() {
    m_ui.yearBox->clear();
    for (int y = kFirstYear; y <= kLastYear; ++y)
        m_ui.yearBox->addItem(QString::number(y) + u'年');
    // A year outside the list selects its nearest end.
    const int year = std::clamp(QDate::currentDate().year(), kFirstYear, kLastYear);
    m_ui.yearBox->setCurrentIndex(year - kFirstYear);
}

QString ReportWindow::yearText() const {
    return m_ui.yearBox->currentText().left(4);
}

QString ReportWindow::statusPanelText(int panel) const {
    return m_ui.statusPanels.at(size_t(panel - 1))->text();
}

QSize ReportWindow::restoredSize() const {
    const MainGeometry design;
    // Everything above and below the grid, in the window's own twips.
    const int besideGrid = design.topBar.height + design.statusBar.height +
                           design.bottomBar.height + design.summaryGrid.top + 60;
    const FlexGridView* grid = m_ui.summaryGrid;
    const int gridHeight = 2 * grid->frameWidth() +
                           (kRestoredRows + 1) * twipsToPixels(m_summaryGrid->rowHeight(0)) +
                           grid->horizontalScrollBar()->sizeHint().height();
    return {twipsToPixels(kDesignWidth),
            std::max(twipsToPixels(kDesignHeight), twipsToPixels(besideGrid) + gridHeight)};
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutMain();
}

void ReportWindow::layoutMain() {
    applyMainLayout(m_geometry, pixelsToTwips(width()), pixelsToTwips(height()));
    m_ui.place(m_geometry);
    m_ui.placeDetailPanel();
    m_drillDown.follow();
}

void ReportWindow::layoutDetail() {
    const QRect r = m_ui.detailPanel->geometry();
    m_detailGeometry.panel = {pixelsToTwips(r.x()), pixelsToTwips(r.y()), pixelsToTwips(r.width()),
                              pixelsToTwips(r.height())};
    applyDetailLayout(m_detailGeometry);
    m_ui.place(m_detailGeometry);
}

void ReportWindow::closeWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void ReportWindow::onCloseImageClicked(int index) {
    if (index == 0)
        closeDetailPanel();
}

void ReportWindow::closeDetailPanel() {
    m_ui.detailPanel->hide();
    m_ui.leftPanel->setEnabled(true);
    enableCoveredControls(true);
    // The user is back on the summary cell of the listing, button and all.
    m_ui.summaryGrid->setFocus();
    m_drillDown.follow();
}

void ReportWindow::enableCoveredControls(bool enabled) {
    m_ui.mainPanel->setEnabled(enabled);
    m_ui.bottomBar->setEnabled(enabled);
}

void ReportWindow::selectAll() {
    selectAllDepartments(*m_nodes, m_ui.selectAllBox->isChecked());
}

void ReportWindow::onNodeCheck(int node) {
    followCheck(*m_nodes, node);
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
    m_ui.deptLabel->setText(deptCaption(m_currentDeptName));
    m_ui.deptLabel->adjustSize();
    m_summary.reset();
    m_summaryGrid->setBody({});
    showRunCaption();
    m_drillDown.hide();
    for (int i = 1; i <= m_nodes->count(); ++i)
        m_nodes->setBackColor(i, QColor());
    for (int i = 1; i <= m_nodes->count(); ++i) {
        if (m_nodes->selected(i)) {
            m_nodes->setBackColor(i, ReportColour::kClickedNode);
            break;
        }
    }
}

void ReportWindow::runSummary() {
    const std::vector<NodeDepartment> departments = departmentsOfRun();
    if (departments.empty())
        return;
    // Clicks and keys given during the run are dropped, not replayed after it.
    const InputDiscard busy(this);
    m_drillDown.hide();
    m_summary.reset();
    m_summaryGrid->setBody({});
    const QString year = yearText();
    m_ui.waitPhaseLabel->clear();
    m_ui.waitBox->move((m_ui.mainPanel->width() - m_ui.waitBox->width()) / 2,
                       (m_ui.mainPanel->height() - m_ui.waitBox->height()) / 2);
    m_ui.waitBox->show();
    m_ui.waitBox->raise();
    // One chance to paint the wait box; no further events until the run ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    QElapsedTimer sincePaint;
    const SummaryProgress progress = [&](const QString& phase) {
        m_ui.waitPhaseLabel->setText(phase);
        // A repaint only, at most every 100 ms: events stay unprocessed.
        if (!sincePaint.isValid() || sincePaint.elapsed() >= 100) {
            m_ui.waitBox->repaint();
            sincePaint.start();
        }
    };
    std::optional<SummaryTable> table;
    // No partial report may be taken for a complete one: a failed run shows nothing.
    guarded([&] { table = nbr::runSummary(m_context.db(), departments, year, progress); });
    if (table) {
        m_summaryGrid->setBody(summaryGridRows(*table));
        if (!table->lastDeptCode.isEmpty() || !table->lastDeptName.isEmpty()) {
            m_currentDeptCode = table->lastDeptCode;
            m_currentDeptName = table->lastDeptName;
        }
        m_summary = std::move(table);
        // The user starts at the top left, on the first data row's January.
        m_summaryGrid->setSelection({1, SummaryCol::FirstMonth}, {1, SummaryCol::FirstMonth});
        m_ui.summaryGrid->scrollToTopLeft();
    }
    showRunCaption();
    m_ui.waitBox->hide();
}

// The ticked departments, remembered for the next opening of the window.
// With none ticked a run would only show an empty grid: the user is asked
// to tick some, and the grid keeps what it shows.
std::vector<NodeDepartment> ReportWindow::departmentsOfRun() {
    std::vector<NodeDepartment> departments = tickedDepartments(*m_nodes);
    if (departments.empty()) {
        m_context.prompts.message(u"请先勾选部门"_s, u"系统提示"_s, MessageIcon::Information);
        m_ui.deptTree->setFocus();
        return departments;
    }
    QStringList codes;
    for (const NodeDepartment& d : departments)
        codes << d.code;
    m_context.state.setTickedDepartments(codes);
    return departments;
}

// The run's year and departments beside the grid's title; in red once the
// year box has moved on, as the figures are still the run's year's.
void ReportWindow::showRunCaption() {
    const bool stale = m_summary && m_summary->year != yearText();
    m_ui.runLabel->setText(m_summary ? runCaption(*m_summary, yearText()) : QString());
    QPalette palette = m_ui.runLabel->palette();
    palette.setColor(QPalette::WindowText,
                     stale ? ReportColour::kHintText : ReportColour::kCaptionText);
    m_ui.runLabel->setPalette(palette);
}

// The button follows the clicked cell; the detail panel goes unless the
// click was on a row of totals or on a month without amount.
void ReportWindow::onSummaryCellClicked() {
    if (!m_summary || m_summary->rows.empty())
        return;
    m_drillDown.follow();
    const int r = m_summaryGrid->row();
    const int c = m_summaryGrid->col();
    // The header row counts as a row without amounts.
    if (r >= 1 && m_summary->rows[size_t(r - 1)].kind != RowKind::Data)
        return;
    if (c < SummaryCol::FirstMonth || c > SummaryCol::LastMonth || m_drillDown.cell())
        m_ui.detailPanel->hide();
}

void ReportWindow::openListing() {
    const std::optional<GridCell> cell = m_drillDown.cell();
    if (!cell || !m_summary)
        return;
    m_ui.placeDetailPanel();
    m_ui.detailPanel->show();
    m_ui.detailPanel->raise();

    // The listing of the cell the button sits on.
    const SummaryRow& row = m_summary->rows[size_t(cell->row - 1)];
    const int month = cell->col - SummaryCol::FirstMonth + 1;
    const ListingRequest request{row.deptCode,    row.deptName,
                                 row.subjectCode, row.subjectName,
                                 m_summary->year, u"%1"_s.arg(month, 2, 10, QChar(u'0'))};
    m_ui.listingLabel->setText(listingCaption(request));
    m_ui.listingLabel->adjustSize();
    m_ui.detailDeptLabel->setText(deptCaption(request.deptName));
    m_ui.detailDeptLabel->adjustSize();
    // Only a listing read whole can be exported: after a failure the panel
    // shows the headings alone and offers nothing to export.
    m_listing.reset();
    m_detailGrid->setBody({});
    m_ui.exportDetailButton->hide();
    // A new listing comes in the database's order, its first line current.
    m_listingSortColumn = -1;
    m_ui.detailGrid->setSortIndicator(-1, Qt::AscendingOrder);
    guarded([&] {
        Listing listing = loadListing(m_context.db(), request);
        m_detailGrid->setBody(listingGridRows(listing));
        m_listing = std::move(listing);
        m_ui.exportDetailButton->show();
    });
    m_detailGrid->setSelection({1, 1}, {1, 1});
    m_ui.detailGrid->scrollToTopLeft();
    m_ui.leftPanel->setEnabled(false);
    enableCoveredControls(false);
    m_ui.detailGrid->setFocus();
}

void ReportWindow::exportSummaryWorkbook() {
    if (!m_summary || m_summary->rows.empty())
        return;
    const SummaryTable& table = *m_summary;
    runExport(summaryFileName(table.year), {m_ui.exitButton, m_ui.exportButton, m_ui.runButton},
              m_ui.exportProgress, m_summaryGrid->rows(), u"非预算报销月报导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return exportSummary(table, m_summaryGrid->colWidths(), path, progress,
                                       operatorName());
              });
}

void ReportWindow::exportListingWorkbook() {
    // The guard looks at the summary: a listing only exists beside one. A
    // listing that could not be read has nothing to export.
    if (!m_summary || m_summary->rows.empty() || !m_listing)
        return;
    const Listing& listing = *m_listing;
    runExport(detailFileName(listing.request), {m_ui.closeDetailButton, m_ui.exportDetailButton},
              m_ui.detailExportProgress, m_detailGrid->rows(), u"非预算报销明细月报导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return exportListing(listing, m_detailGrid->colWidths(), path, progress,
                                       operatorName());
              });
}

void ReportWindow::exportClaimLinesWorkbook() {
    // The lines behind the summary shown: its departments and its year.
    if (!m_summary || m_summary->rows.empty())
        return;
    const SummaryTable& table = *m_summary;
    // How many lines there are is known only at the end: the bar shows that
    // work goes on.
    runExport(claimLinesFileName(table.year), {m_ui.exitButton, m_ui.exportButton, m_ui.runButton},
              m_ui.exportProgress, 0, u"非预算报销全部明细导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return exportClaimLines(m_context.db(), table.departments, table.year, path,
                                          progress, operatorName());
              });
}

QString ReportWindow::operatorName() const {
    return m_ui.statusPanels[1]->text();
}

void ReportWindow::runExport(const QString& proposedName,
                             std::initializer_list<QPushButton*> buttons, QProgressBar* progressBar,
                             int gridRows, const QString& successText, const ExportWriter& write) {
    for (QPushButton* b : buttons)
        b->hide();
    const auto showButtons = [&] {
        for (QPushButton* b : buttons)
            b->show();
    };
    const std::optional<QString> path = askExportPath(inExportFolder(proposedName));
    if (!path) {
        m_context.prompts.message(u"您取消了导出操作！"_s, u"系统提示"_s, MessageIcon::Information);
        showButtons();
        return;
    }
    progressBar->setMinimum(0);
    progressBar->setMaximum(gridRows);
    progressBar->setValue(0);
    progressBar->show();
    std::optional<ExportResult> result;
    {
        // The user's input during the export is dropped; the outcome's
        // message takes input again.
        const InputDiscard busy(this);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        guarded([&] {
            const WaitCursor wait;
            result = write(*path,
                           throttled([progressBar](int row) { progressBar->setValue(row); }));
        });
    }
    // Whatever the outcome, the bottom bar is given back as it was once the
    // user has read it: the bar that would cover the buttons goes.
    if (result) {
        // The bar stands full while the user reads the outcome.
        progressBar->setValue(progressBar->maximum());
        m_context.state.setExportFolder(QFileInfo(result->path).absolutePath());
        const QStringList lines =
            QStringList{successText, QDir::toNativeSeparators(result->path)} + result->notes();
        m_context.prompts.message(lines.join(u'\n'), u"系统提示"_s, MessageIcon::Information);
    }
    progressBar->hide();
    showButtons();
}

// The proposed workbook name in the folder of the user's last export, while
// that folder is there; else the bare name, which the dialog proposes in its
// own folder.
QString ReportWindow::inExportFolder(const QString& fileName) const {
    const QString folder = m_context.state.exportFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return fileName;
    return QDir(folder).filePath(fileName);
}

// The save dialog, and the question before an existing workbook is replaced:
// about the name that will be written (a.xls stands for a.xlsx). No goes back
// to the dialog. Nothing when the user cancelled.
std::optional<QString> ReportWindow::askExportPath(QString proposedName) {
    for (;;) {
        const std::optional<QString> path =
            m_context.prompts.saveFileName(proposedName, u"电子表|*.xls;*.xlsx"_s);
        if (!path)
            return std::nullopt;
        // A folder or a read-only file at that name is not replaced: the
        // export says why, no question first.
        const QString written = workbookPath(*path);
        if (!QFileInfo(written).isFile() || ReplacingFile::isReadOnly(written))
            return path;
        if (m_context.prompts.askYesNo(u"文件“"_s + QFileInfo(written).fileName() +
                                           u"”已存在。要替换它吗？"_s,
                                       u"系统提示"_s, MessageIcon::Question))
            return path;
        proposedName = *path;
    }
}

// A click on a line selects it across; a click on a heading sorts by it.
void ReportWindow::onDetailCellClicked() {
    if (m_detailGrid->row() == 0) {
        sortListingBy(m_detailGrid->col());
        return;
    }
    m_detailGrid->setCol(0);
    m_detailGrid->setColSel(m_detailGrid->cols() - 1);
}

// By that column, or the other way round when it sorts by it already; 序
// numbers the lines as they now show, and the export writes them so.
void ReportWindow::sortListingBy(int col) {
    if (!m_listing || col <= DetailCol::RowNumber || col > DetailCol::LineTotal)
        return;
    m_listingSortOrder = col == m_listingSortColumn && m_listingSortOrder == Qt::AscendingOrder
                             ? Qt::DescendingOrder
                             : Qt::AscendingOrder;
    m_listingSortColumn = col;
    sortListing(*m_listing, col, m_listingSortOrder);
    m_detailGrid->setBody(listingGridRows(*m_listing));
    m_ui.detailGrid->setSortIndicator(col, m_listingSortOrder);
}

bool ReportWindow::guarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const Error& e) {
        reportError(e);
        return false;
    }
}

void ReportWindow::reportError(const Error& error) {
    m_context.prompts.message(errorText(error), u"系统提示"_s, MessageIcon::Information);
}

} // namespace nbr
