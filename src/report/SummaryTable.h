#pragma once
// The result of a summary run, as plain data: for every ticked department
// with claim lines, one row per accounting subject with the twelve month
// texts and the year's total, then the department's subtotal row; after the
// last department the grand-total row. Amounts are the texts the report
// shows ("1234.50", or empty for a month without claim lines); every total
// is the sum of the shown texts it adds up.

#include "report/Department.h"

#include <QString>
#include <array>
#include <vector>

namespace nbr {

// What a row is to the report. A department named "审计小计组" has data rows
// like any other: the kind, never the text, says what a row adds up.
enum class RowKind { Data, Subtotal, GrandTotal };

struct SummaryRow {
    RowKind kind = RowKind::Data;
    QString deptCode;    // the department the row belongs to; empty in the grand total
    QString deptName;    // as shown: the department, "<department>小计" or "合计"
    QString subjectCode; // empty in the rows of totals
    QString subjectName;
    std::array<QString, 12> months; // January … December
    QString total;                  // the row's year total
};

// Which departments, in this order, and which year.
struct SummaryRequest {
    std::vector<Department> departments;
    int year = 0;
};

struct SummaryTable {
    int year = 0;
    std::vector<Department> departments; // ticked for the run, in tree order
    std::vector<SummaryRow> rows;
};

} // namespace nbr
