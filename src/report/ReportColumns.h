#pragma once
// The columns of the report's two grids, by the role the window design gives
// them. Column 0 (序) of both numbers the rows; the last, hidden one of the
// summary carries each row's department code.

namespace nbr {

// MSFlexGrid1, the monthly summary.
namespace SummaryCol {
enum : int {
    RowNumber = 0,
    DeptName = 1,
    SubjectCode = 2,
    SubjectName = 3,
    FirstMonth = 4, // 01月份; month m is FirstMonth + m - 1
    LastMonth = 15, // 12月份
    Total = 16,     // the row's year total
    DeptCode = 17,  // hidden (width 0)
};
} // namespace SummaryCol

// MSFlexGrid2, the detail listing of one month cell.
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

} // namespace nbr
