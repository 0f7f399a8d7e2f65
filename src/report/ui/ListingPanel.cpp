#include "report/ui/ListingPanel.h"

#include "platform/Error.h"
#include "platform/Prompts.h"
#include "report/DetailListing.h"
#include "report/GridClipboard.h"
#include "report/ListingSort.h"
#include "report/ReportCaptions.h"
#include "report/WorkbookExport.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ExportFlow.h"
#include "report/ui/PictureBox.h"
#include "report/ui/ReportControls.h"
#include "report/ui/ReportGridView.h"
#include "session/AppContext.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace nbr {

ListingPanel::ListingPanel(AppContext& context, ReportControls& ui, ReportGridModel* grid,
                           QWidget* window)
    : QObject(window), m_context(context), m_ui(ui), m_grid(grid), m_window(window) {
    connect(ui.detailGrid, &ReportGridView::cellClicked, this, &ListingPanel::onCellClicked);
    connect(ui.detailGrid, &ReportGridView::copyRequested, this, [this](bool withHeader) {
        if (m_listing)
            copyToClipboard(listingSheet(*m_listing, {}), m_ui.detailGrid->selection(), withHeader);
    });
}

void ListingPanel::open(const ListingRequest& request) {
    m_ui.placeDetailPanel();
    m_ui.detailPanel->show();
    m_ui.detailPanel->raise();
    m_ui.listingLabel->setText(listingCaption(request));
    m_ui.listingLabel->adjustSize();
    m_ui.detailDeptLabel->setText(deptCaption(request.deptName));
    m_ui.detailDeptLabel->adjustSize();
    m_listing.reset();
    m_grid->setRows({});
    m_ui.exportDetailButton->hide();
    // A new listing comes in the database's order, its first line current.
    m_sortColumn = -1;
    m_ui.detailGrid->setSortIndicator(-1, Qt::AscendingOrder);
    try {
        Listing listing = loadListing(m_context.db(), request);
        m_grid->setRows(listingRows(listing));
        m_listing = std::move(listing);
        m_ui.exportDetailButton->show();
    } catch (const Error& e) {
        m_context.prompts.message(errorText(e), u"系统提示"_s, MessageIcon::Information);
    }
    m_ui.detailGrid->setCurrentCell({0, 1});
    m_ui.detailGrid->scrollToTopLeft();
    enableCoveredControls(false);
    m_ui.detailGrid->setFocus();
}

void ListingPanel::close() {
    m_ui.detailPanel->hide();
    enableCoveredControls(true);
}

void ListingPanel::enableCoveredControls(bool enabled) {
    m_ui.leftPanel->setEnabled(enabled);
    m_ui.mainPanel->setEnabled(enabled);
    m_ui.bottomBar->setEnabled(enabled);
}

void ListingPanel::exportWorkbook() {
    if (!m_listing)
        return;
    const Listing& listing = *m_listing;
    runExport(
        m_context,
        {m_window, {m_ui.closeDetailButton, m_ui.exportDetailButton}, m_ui.detailExportProgress},
        detailFileName(listing.request), m_grid->rowCount() + 1, u"非预算报销明细月报导出成功!"_s,
        [&](const QString& path, const ExportProgress& progress) {
            return exportListing(listing, m_grid->columnWidths(), path, progress,
                                 m_context.session.employeeName);
        });
}

// A click on a line selects it across; a click on a heading sorts by it.
void ListingPanel::onCellClicked(GridCell cell) {
    if (cell.row < 0)
        sortBy(cell.col);
    else
        m_ui.detailGrid->setSelection({cell.row, 0}, {cell.row, m_grid->columnCount() - 1});
}

// By that column, or the other way round when it sorts by it already; 序
// numbers the lines as they now show, and the export writes them so.
void ListingPanel::sortBy(int col) {
    if (!m_listing || !m_grid->columns().at(size_t(col)).sortable)
        return;
    m_sortOrder = col == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                           : Qt::AscendingOrder;
    m_sortColumn = col;
    sortListing(*m_listing, col, m_sortOrder);
    m_grid->setRows(listingRows(*m_listing));
    m_ui.detailGrid->setSortIndicator(col, m_sortOrder);
}

} // namespace nbr
