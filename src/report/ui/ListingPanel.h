#pragma once
// The detail panel (Picture7) of the report window: the claim lines behind
// one summary cell in their own grid, under the month, subject and
// department they belong to. It covers the main panel and the bottom bar
// while open, and the left panel takes no input meanwhile. A click on a
// line selects it across, a click on a heading sorts the lines by that
// column (again for the other way round), and 导出明细 writes them as shown.

#include "report/Listing.h"
#include "report/models/GridCell.h"

#include <QObject>
#include <optional>

class QWidget;

namespace nbr {

struct AppContext;
struct ReportControls;
class ReportGridModel;

class ListingPanel : public QObject {
    Q_OBJECT
public:
    ListingPanel(AppContext& context, ReportControls& ui, ReportGridModel* grid, QWidget* window);

    // Shows the panel with the lines of the cell. Only a listing read whole
    // can be exported: after a failure the panel shows the headings alone,
    // says why and offers nothing to export.
    void open(const ListingRequest& request);
    void close();
    // The open listing: nothing before one, or after it failed.
    const std::optional<Listing>& listing() const { return m_listing; }
    void exportWorkbook(); // 导出明细 (Command5)

private:
    void onCellClicked(GridCell cell);
    void sortBy(int col);
    void enableCoveredControls(bool enabled);

    AppContext& m_context;
    ReportControls& m_ui;
    ReportGridModel* m_grid;
    QWidget* m_window;
    std::optional<Listing> m_listing;
    // How the lines are sorted: by a column, -1 as read.
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace nbr
