#pragma once
// The columns of the report's results, one definition per result that the
// grids, the workbook sheets, the clipboard and the captions all read: each
// column's heading, what kind of text it holds (which sets its alignment, how
// a workbook stores it and how it sorts), how its width is found, whether it
// stays in view beside 序 while the rest scrolls sideways and whether a click
// on its heading sorts by it.

#include <QString>
#include <vector>

namespace nbr {

enum class ColumnKind {
    RowNumber, // 序: centred, a whole number in a workbook
    Text,      // left, text
    Code,      // left, text that keeps its leading zeros
    Date,      // left, "yyyy-mm-dd" kept as text, sorts as a date
    Amount,    // right, "0.00" as a number under "#0.00"
};

struct ReportColumn {
    QString heading;
    ColumnKind kind = ColumnKind::Text;
    // A grid column starts as wide as its heading with this many blanks after
    // it (and 90 twips), and grows to its widest text; a workbook written
    // without a grid has a fixed width in characters instead.
    int headingBlanks = 0;
    double characters = 0;
    bool frozen = false;
    bool sortable = false;

    // The heading with its blanks, as the grid measures it and the workbook
    // heads the column.
    QString paddedHeading() const { return heading + QString(headingBlanks, u' '); }
};

using ReportColumns = std::vector<ReportColumn>;

// The monthly summary (MSFlexGrid1): 序, the department, the subject, the
// twelve months and the year's total.
const ReportColumns& summaryColumns();
namespace SummaryCol {
enum : int {
    RowNumber = 0,
    DeptName = 1,
    SubjectCode = 2,
    SubjectName = 3,
    FirstMonth = 4, // 01月份; month m is FirstMonth + m - 1
    LastMonth = 15, // 12月份
    Total = 16,     // the row's year total
};
} // namespace SummaryCol

// The claim lines behind one month cell (MSFlexGrid2).
const ReportColumns& listingColumns();
namespace DetailCol {
enum : int {
    RowNumber = 0,
    ClaimNumber = 1,
    SubmitDate = 2,
    Claimant = 3,
    ApprovalDate = 4,
    Approved = 5,
    PaymentDate = 6,
    Subject = 7, // code, blank, name
    Summary = 8,
    Amount = 9,
    Tax = 10,
    LineTotal = 11, // amount plus tax
};
} // namespace DetailCol

// Every claim line behind a summary: the listing's columns with each line's
// department, subject and month in front.
const ReportColumns& claimLinesColumns();

// How many columns from the left, 序 among them, stay in view when the rest
// scrolls sideways (0: none, 序 neither).
int frozenColumnCount(const ReportColumns& columns);

} // namespace nbr
