#include "ModelDumps.h"

#include "report/ReportGrids.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"

using namespace Qt::StringLiterals;

namespace nbr::test {

void showSummary(FlexGridModel& grid, const SummaryTable& table) {
    setUpReportGrid(grid, summaryFormatString());
    grid.setBody(summaryGridRows(table));
}

void showListing(FlexGridModel& grid, const Listing& listing) {
    setUpReportGrid(grid, detailFormatString());
    grid.setBody(listingGridRows(listing));
}

QStringList nodeList(const TreeNodesModel& nodes) {
    QStringList list;
    for (int i = 1; i <= nodes.count(); ++i)
        list << nodes.key(i) + u'|' + nodes.text(i) + u'|' + QString::number(nodes.image(i)) +
                    u'|' + (nodes.parent(i) ? nodes.key(nodes.parent(i)) : QString());
    return list;
}

QStringList gridDump(const FlexGridModel& grid) {
    QStringList dump;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.cols(); ++c)
            cells << grid.textMatrix(r, c) + u'/' + grid.backColor(r, c).name();
        dump << cells.join(u'|');
    }
    QStringList widths;
    for (int c = 0; c < grid.cols(); ++c)
        widths << QString::number(grid.colWidth(c));
    return dump << widths.join(u' ');
}

QStringList gridRow(const FlexGridModel& grid, int row, int first, int last) {
    QStringList texts;
    for (int c = first; c <= last; ++c)
        texts << grid.textMatrix(row, c);
    return texts;
}

QStringList months(const FlexGridModel& grid, int row) {
    return gridRow(grid, row, 4, 16);
}

QStringList monthsWith(std::initializer_list<std::pair<int, QString>> values, const QString& total,
                       const QString& otherwise) {
    QStringList texts(12, otherwise);
    for (const auto& [month, text] : values)
        texts[month - 1] = text;
    return texts << total;
}

} // namespace nbr::test
