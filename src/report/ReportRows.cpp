#include "report/ReportRows.h"

#include "platform/TextMeasure.h"
#include "platform/WindowFont.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace nbr {

ReportRows summaryRows(const SummaryTable& table) {
    ReportRows rows;
    rows.reserve(table.rows.size());
    for (const SummaryRow& row : table.rows) {
        const bool numbered = row.kind != RowKind::GrandTotal;
        QStringList cells{numbered ? QString::number(rows.size() + 1) : QString(), row.deptName,
                          row.subjectCode, row.subjectName};
        cells.reserve(SummaryCol::Total + 1);
        for (const QString& month : row.months)
            cells << month;
        cells << row.total;
        rows.push_back({std::move(cells), row.kind});
    }
    return rows;
}

ReportRows listingRows(const Listing& listing) {
    ReportRows rows;
    rows.reserve(listing.lines.size() + 1);
    for (const ListingLine& line : listing.lines)
        rows.push_back({{QString::number(rows.size() + 1), line.claimNumber, line.submitDate,
                         line.claimant, line.approvalDate, line.approved, line.paymentDate,
                         line.subject, line.summary, line.amount, line.tax, line.lineTotal},
                        RowKind::Data});
    QStringList totals(DetailCol::LineTotal + 1);
    totals[DetailCol::RowNumber] = QString::number(rows.size() + 1);
    totals[DetailCol::ClaimNumber] = u"合计"_s;
    totals[DetailCol::Amount] = listing.amountTotal;
    totals[DetailCol::Tax] = listing.taxTotal;
    totals[DetailCol::LineTotal] = listing.lineTotal;
    rows.push_back({std::move(totals), RowKind::GrandTotal});
    return rows;
}

std::vector<int> columnWidths(const ReportColumns& columns, const ReportRows& rows,
                              const TextMeasure& measure, std::vector<int> shown) {
    shown.resize(columns.size(), 0);
    std::vector<const QString*> texts;
    texts.reserve(rows.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        const int heading = int(std::lround(measure.width(columns[c].paddedHeading()))) + 90;
        texts.clear();
        for (const ReportRow& row : rows)
            if (c < size_t(row.cells.size()))
                texts.push_back(&row.cells[qsizetype(c)]);
        // Each column measured once, for its widest text.
        const int widest = texts.empty() ? 0 : int(std::lround(measure.widest(texts) + 90));
        shown[c] = std::max({shown[c], heading, widest});
    }
    return shown;
}

std::vector<int> freshColumnWidths(const ReportColumns& columns, const ReportRows& rows) {
    return columnWidths(columns, rows, TextMeasure(windowFont()));
}

} // namespace nbr
