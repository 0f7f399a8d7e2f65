#include "report/ReportGrids.h"

#include "report/ReportColours.h"
#include "report/ReportColumns.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString summaryFormatString() {
    return u"^序  |<部门名称      |<科目代号      |<科目名称      "
           u"|>01月份          |>02月份          |>03月份          |>04月份          "
           u"|>05月份          |>06月份          |>07月份          |>08月份          "
           u"|>09月份          |>10月份          |>11月份          |>12月份          "
           u"|>合计          |"_s;
}

QString detailFormatString() {
    return u"^序  |<报销单编号    |<报批日期    |<报销人    |<审批日期    |<审批通过  "
           u"|<支付日期    |<科目名称    |<摘要    |>金额        |>税额        |>合计        |"_s;
}

QString monthHeader(int month) {
    // The field without its alignment character.
    return summaryFormatString().split(u'|').value(SummaryCol::FirstMonth + month - 1).mid(1);
}

void setUpReportGrid(FlexGridModel& grid, const QString& formatString) {
    grid.setFormatString(formatString);
    grid.setRows(1);
    for (int c = 0; c < grid.cols(); ++c)
        grid.setFixedAlignment(c, FlexGridModel::kAlignCentre);
    grid.setColWidth(grid.cols() - 1, 0);
}

std::vector<FlexGridModel::BodyRow> summaryGridRows(const SummaryTable& table) {
    std::vector<FlexGridModel::BodyRow> rows;
    rows.reserve(table.rows.size());
    for (const SummaryRow& row : table.rows) {
        const bool numbered = row.kind != RowKind::GrandTotal;
        QStringList cells{numbered ? QString::number(rows.size() + 1) : QString(), row.deptName,
                          row.subjectCode, row.subjectName};
        for (const QString& month : row.months)
            cells << month;
        cells << row.total << row.deptCode;
        const QColor fill = row.kind == RowKind::Subtotal     ? ReportColour::kSubtotal
                            : row.kind == RowKind::GrandTotal ? ReportColour::kGrandTotal
                                                              : QColor();
        rows.push_back({std::move(cells), fill, row.kind});
    }
    return rows;
}

std::vector<FlexGridModel::BodyRow> listingGridRows(const Listing& listing) {
    std::vector<FlexGridModel::BodyRow> rows;
    rows.reserve(listing.lines.size() + 1);
    for (const ListingLine& line : listing.lines)
        rows.push_back({{QString::number(rows.size() + 1), line.claimNumber, line.submitDate,
                         line.claimant, line.approvalDate, line.approved, line.paymentDate,
                         line.subject, line.summary, line.amount, line.tax, line.lineTotal},
                        {},
                        RowKind::Data});
    // The totals row is numbered like the lines.
    rows.push_back({{QString::number(rows.size() + 1),
                     u"合计"_s,
                     {},
                     {},
                     {},
                     {},
                     {},
                     {},
                     {},
                     listing.amountTotal,
                     listing.taxTotal,
                     listing.lineTotal},
                    {},
                    RowKind::GrandTotal});
    return rows;
}

std::vector<int> freshColumnWidths(const QString& formatString,
                                   std::vector<FlexGridModel::BodyRow> rows) {
    FlexGridModel grid;
    setUpReportGrid(grid, formatString);
    grid.setBody(std::move(rows));
    return grid.colWidths();
}

} // namespace nbr
