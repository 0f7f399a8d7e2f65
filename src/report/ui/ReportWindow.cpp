#include "report/ui/ReportWindow.h"

#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/Twips.h"
#include "platform/WaitCursor.h"
#include "platform/ui/InputDiscard.h"
#include "report/AmountText.h"
#include "report/DeptTree.h"
#include "report/GridClipboard.h"
#include "report/MonthlySummary.h"
#include "report/ReportCaptions.h"
#include "report/ReportColours.h"
#include "report/WorkbookExport.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ClickableImage.h"
#include "report/ui/DeptTreeView.h"
#include "report/ui/ExportFlow.h"
#include "report/ui/PictureBox.h"
#include "report/ui/ReportGridView.h"
#include "report/ui/ReportShortcuts.h"
#include "session/AppContext.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
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
    : QWidget(parent), m_context(context), m_departments(new DeptTreeModel(this)),
      m_summaryGrid(new ReportGridModel(summaryColumns(), true, this)),
      m_detailGrid(new ReportGridModel(listingColumns(), false, this)),
      m_ui(this, m_departments, m_summaryGrid, m_detailGrid),
      m_listingPanel(context, m_ui, m_detailGrid, this),
      m_drillDown(m_ui.drillDownButton, m_ui.summaryGrid,
                  [this](GridCell cell) { return drillable(cell); }) {
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
    connect(m_ui.deptTree, &DeptTreeView::departmentClicked, this,
            &ReportWindow::onDepartmentClicked);
    connect(m_ui.summaryGrid, &ReportGridView::cellClicked, this,
            &ReportWindow::onSummaryCellClicked);
    connect(m_ui.detailPanel, &PictureBox::resized, this, &ReportWindow::layoutDetail);
    // Enter or Space on a month with an amount does what the drill-down button does.
    connect(m_ui.summaryGrid, &ReportGridView::currentCellActivated, this, [this] {
        if (m_drillDown.cell())
            openListing();
    });
    connect(m_ui.summaryGrid, &ReportGridView::copyRequested, this, [this](bool withHeader) {
        if (m_summary)
            copyToClipboard(summarySheet(*m_summary, {}), m_ui.summaryGrid->selection(),
                            withHeader);
    });
    connect(m_ui.yearBox, &QComboBox::currentIndexChanged, this, &ReportWindow::showRunCaption);
}

void ReportWindow::load() {
    const SessionState& s = m_context.session;
    m_ui.statusPanels[1]->setText(s.employeeName);
    m_ui.statusPanels[3]->setText(s.departmentName);
    m_ui.statusPanels[5]->setText(s.positionName);
    loadYearList();
    // The window opens all the same; the user learns why departments are missing.
    guarded([this] {
        const WaitCursor wait;
        m_departments->setTree(loadDeptTree(m_context.db()));
    });
    if (m_departments->tree().size() > 1)
        m_ui.deptTree->setDepartmentExpanded(0, true);
    // The departments ticked for the user's last run are ticked again; those
    // that are no longer in the tree are passed over.
    m_departments->selection().tickCodes(m_context.state.tickedDepartments());
    m_departments->selectionChanged();
}

void ReportWindow::loadYearList() {
    m_ui.yearBox->clear();
    for (int y = kFirstYear; y <= kLastYear; ++y)
        m_ui.yearBox->addItem(yearCaption(y), y);
    // A year outside the list selects its nearest end.
    const int year = std::clamp(QDate::currentDate().year(), kFirstYear, kLastYear);
    m_ui.yearBox->setCurrentIndex(year - kFirstYear);
}

int ReportWindow::selectedYear() const {
    return m_ui.yearBox->currentData().toInt();
}

QString ReportWindow::statusPanelText(int panel) const {
    return m_ui.statusPanels.at(size_t(panel - 1))->text();
}

QSize ReportWindow::restoredSize() const {
    const MainGeometry design;
    // Everything above and below the grid, in the window's own twips.
    const int besideGrid = design.topBar.height + design.statusBar.height +
                           design.bottomBar.height + design.summaryGrid.top + 60;
    const ReportGridView* grid = m_ui.summaryGrid;
    const int gridHeight = 2 * grid->frameWidth() +
                           (kRestoredRows + 1) * twipsToPixels(m_summaryGrid->rowHeight()) +
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
    m_listingPanel.close();
    // The user is back on the summary cell of the listing, button and all.
    m_ui.summaryGrid->setFocus();
    m_drillDown.follow();
}

void ReportWindow::selectAll() {
    m_departments->selection().selectAll(m_ui.selectAllBox->isChecked());
    m_departments->selectionChanged();
}

// The clicked department is shown above the grid, which empties.
void ReportWindow::onDepartmentClicked(int department) {
    if (department < 0)
        return;
    m_ui.deptLabel->setText(deptCaption(m_departments->tree().department(department).name));
    m_ui.deptLabel->adjustSize();
    showSummary(std::nullopt);
    m_drillDown.hide();
    m_departments->setHighlighted(department);
}

void ReportWindow::runSummary() {
    const std::optional<SummaryRequest> request = requestOfRun();
    if (!request)
        return;
    // Clicks and keys given during the run are dropped, not replayed after it.
    const InputDiscard busy(this);
    m_drillDown.hide();
    showSummary(std::nullopt);
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
    guarded([&] { table = nbr::runSummary(m_context.db(), *request, progress); });
    showSummary(std::move(table));
    // The user starts at the top left, on the first data row's January.
    m_ui.summaryGrid->setCurrentCell({0, SummaryCol::FirstMonth});
    m_ui.summaryGrid->scrollToTopLeft();
    m_ui.waitBox->hide();
}

// The ticked departments and the year, the ticks remembered for the next
// opening of the window. With none ticked a run would only show an empty
// grid: the user is asked to tick some, and the grid keeps what it shows.
std::optional<SummaryRequest> ReportWindow::requestOfRun() {
    const DeptSelection& ticks = m_departments->selection();
    if (ticks.tickedCount() == 0) {
        m_context.prompts.message(u"请先勾选部门"_s, u"系统提示"_s, MessageIcon::Information);
        m_ui.deptTree->setFocus();
        return std::nullopt;
    }
    m_context.state.setTickedDepartments(ticks.tickedCodes());
    return SummaryRequest{ticks.tickedDepartments(), selectedYear()};
}

void ReportWindow::showSummary(std::optional<SummaryTable> table) {
    m_summary = std::move(table);
    m_summaryGrid->setRows(m_summary ? summaryRows(*m_summary) : ReportRows());
    showRunCaption();
}

// The run's year and departments beside the grid's title; in red once the
// year box has moved on, as the figures are still the run's year's.
void ReportWindow::showRunCaption() {
    const bool stale = m_summary && m_summary->year != selectedYear();
    m_ui.runLabel->setText(m_summary ? runCaption(*m_summary, selectedYear()) : QString());
    QPalette palette = m_ui.runLabel->palette();
    palette.setColor(QPalette::WindowText,
                     stale ? ReportColour::kHintText : ReportColour::kCaptionText);
    m_ui.runLabel->setPalette(palette);
}

// Only the months of data rows with an amount have claim lines behind them.
bool ReportWindow::drillable(GridCell cell) const {
    if (!m_summary || cell.row < 0 || size_t(cell.row) >= m_summary->rows.size() ||
        cell.col < SummaryCol::FirstMonth || cell.col > SummaryCol::LastMonth)
        return false;
    const SummaryRow& row = m_summary->rows[size_t(cell.row)];
    return row.kind == RowKind::Data &&
           amountValue(row.months[size_t(cell.col - SummaryCol::FirstMonth)]) != 0;
}

// The button follows the clicked cell; the detail panel goes unless the
// click was on a row of totals or on a month without amount.
void ReportWindow::onSummaryCellClicked(GridCell cell) {
    if (!m_summary || m_summary->rows.empty())
        return;
    m_drillDown.follow();
    // The headings count as a row without amounts.
    if (cell.row >= 0 && m_summary->rows[size_t(cell.row)].kind != RowKind::Data)
        return;
    if (cell.col < SummaryCol::FirstMonth || cell.col > SummaryCol::LastMonth || m_drillDown.cell())
        m_ui.detailPanel->hide();
}

void ReportWindow::openListing() {
    const std::optional<GridCell> cell = m_drillDown.cell();
    if (!cell || !m_summary)
        return;
    // The listing of the cell the button sits on.
    const SummaryRow& row = m_summary->rows[size_t(cell->row)];
    m_listingPanel.open({row.deptCode, row.deptName, row.subjectCode, row.subjectName,
                         m_summary->year, cell->col - SummaryCol::FirstMonth + 1});
}

void ReportWindow::exportSummaryWorkbook() {
    if (!m_summary || m_summary->rows.empty())
        return;
    const SummaryTable& table = *m_summary;
    runExport(m_context,
              {this, {m_ui.exitButton, m_ui.exportButton, m_ui.runButton}, m_ui.exportProgress},
              summaryFileName(table.year), m_summaryGrid->rowCount() + 1,
              u"非预算报销月报导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return exportSummary(table, m_summaryGrid->columnWidths(), path, progress,
                                       m_context.session.employeeName);
              });
}

void ReportWindow::exportListingWorkbook() {
    // The guard looks at the summary: a listing only exists beside one.
    if (m_summary && !m_summary->rows.empty())
        m_listingPanel.exportWorkbook();
}

void ReportWindow::exportClaimLinesWorkbook() {
    // The lines behind the summary shown: its departments and its year.
    if (!m_summary || m_summary->rows.empty())
        return;
    const SummaryRequest request{m_summary->departments, m_summary->year};
    // How many lines there are is known only at the end: the bar shows that
    // work goes on.
    runExport(m_context,
              {this, {m_ui.exitButton, m_ui.exportButton, m_ui.runButton}, m_ui.exportProgress},
              claimLinesFileName(request.year), 0, u"非预算报销全部明细导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return exportClaimLines(m_context.db(), request, path, progress,
                                          m_context.session.employeeName);
              });
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
